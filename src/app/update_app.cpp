#include "app/update_app.h"

#include <windows.h>
#include <commctrl.h>

#include "core/log/run_banner.h"
#include "core/log/run_log.h"
#include "win/module_info.h"

int CUpdateApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    modulePath_ = GetModulePath();

    RunLog& log = RunLog::Instance();
    log.SetEnabled(true);
    log.Open("client.log");
    WriteRunBanner(GetProductName(modulePath_), GetFileVersionText(modulePath_));
    log.Close("client.log");
    return 0;
}
