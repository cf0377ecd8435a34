// Entry point of update.exe: the whole run happens in the application object.
#include <windows.h>

#include "app/update_app.h"

using namespace quibo;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CUpdateApp app;
    return app.InitInstance();
}
