// The platform behind the configuration parse: the program's version
// resource, the three fetchers, CNG and the system clock for the check of a
// signed package, rand() and the information box.
#pragma once

#include <windows.h>

#include "core/config/config_seam.h"
#include "win/cng_crypto.h"

namespace quibo {

class WinConfigSeam : public ConfigSeam {
public:
    explicit WinConfigSeam(std::string modulePath) : modulePath_(std::move(modulePath)) {}

    std::string ProductName() override;
    std::string FileVersionText() override;
    std::string FetchConfigHttp(const std::string& url) override;
    std::string FetchConfigFtp(const std::string& url, const std::string& user,
                               const std::string& password) override;
    std::string FetchConfigLocal(const std::string& path) override;
    ReleaseCrypto& Crypto() override { return crypto_; }
    UtcSeconds Now() override;
    int Random() override;
    void ShowInfoBox(const std::string& text) override;

private:
    std::string modulePath_;
    CngCrypto crypto_;
};

}  // namespace quibo
