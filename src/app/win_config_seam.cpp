#include "app/win_config_seam.h"

#include <cstdlib>

#include "win/message_boxes.h"
#include "download/config_fetch.h"
#include "win/module_info.h"

namespace quibo {

std::string WinConfigSeam::ProductName() { return GetProductName(modulePath_); }

std::string WinConfigSeam::FileVersionText() { return GetFileVersionText(modulePath_); }

std::string WinConfigSeam::FetchConfigHttp(const std::string& url) { return quibo::FetchConfigHttp(url); }

std::string WinConfigSeam::FetchConfigFtp(const std::string& url, const std::string& user,
                                          const std::string& password)
{
    return quibo::FetchConfigFtp(url, user, password);
}

std::string WinConfigSeam::FetchConfigLocal(const std::string& path) { return quibo::FetchConfigLocal(path); }

int WinConfigSeam::Random() { return std::rand(); }

void WinConfigSeam::ShowInfoBox(const std::string& text)
{
    // The parse calls this only when the run is not silent.
    quibo::ShowInfoBox(text, nullptr, ShowType::Normal);
}

}  // namespace quibo
