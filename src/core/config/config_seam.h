// What the configuration parse asks of the platform. The Windows program
// implements it with the version resource, its fetchers, rand() and message
// boxes; tests implement it with fixed answers.
#pragma once

#include <string>

#include "core/config/show_type.h"
#include "core/signing/release_crypto.h"
#include "core/signing/utc_time.h"

namespace quibo {

class ConfigSeam {
public:
    virtual ~ConfigSeam() = default;

    // ProductName and "major.minor" file version of the running program, for
    // the banner at the head of the run log; empty when unknown.
    virtual std::string ProductName() = 0;
    virtual std::string FileVersionText() = 0;

    // Fetch a server configuration package and return its bytes, or empty
    // bytes on any failure. What the package holds is judged by the caller.
    virtual std::string FetchConfigHttp(const std::string& url) = 0;
    virtual std::string FetchConfigFtp(const std::string& url, const std::string& user,
                                       const std::string& password) = 0;
    virtual std::string FetchConfigLocal(const std::string& path) = 0;

    // What the check of a signed server package uses: the cryptography and
    // the current time, UTC.
    virtual ReleaseCrypto& Crypto() = 0;
    virtual UtcSeconds Now() = 0;

    // rand() of the run, seeded once at start-up: a non-negative number.
    virtual int Random() = 0;

    // An information box with this text. Only called when the run is not
    // silent; the implementation frames and captions it.
    virtual void ShowInfoBox(const std::string& text) = 0;
};

// The information box, unless the run is silent.
inline void ShowInfoUnlessSilent(ConfigSeam& seam, ShowType showType, const std::string& text)
{
    if (!IsSilent(showType)) seam.ShowInfoBox(text);
}

}  // namespace quibo
