#include "core/signing/release_meta.h"

#include <string>

#include "core/config/config_ini.h"
#include "core/text/decimal.h"
#include "core/text/trim.h"

namespace quibo {

constexpr char kMetaSection[] = "meta";

bool ParseReleaseMeta(std::string_view serverText, ReleaseMeta& meta)
{
    CConfigIni ini;
    if (!ini.LoadText(serverText) || !ini.HasSection(kMetaSection)) return false;
    meta = ReleaseMeta();
    meta.product = std::string(Trim(ini.GetString(kMetaSection, "product")));
    if (!ParseDigits(Trim(ini.GetString(kMetaSection, "sequence")), meta.sequence)) return false;
    const std::string expires(Trim(ini.GetString(kMetaSection, "expires")));
    if (!expires.empty()) {
        UtcSeconds time = 0;
        if (!ParseUtcTime(expires, time)) return false;
        meta.expires = time;
    }
    return true;
}

MetaCheck CheckReleaseMeta(const ReleaseMeta& meta, const ReleaseTrust& trust, UtcSeconds now)
{
    if (meta.product != trust.product) return MetaCheck::OtherProduct;
    if (meta.sequence < trust.sequence) return MetaCheck::OlderSequence;
    if (meta.expires && now > *meta.expires) return MetaCheck::Expired;
    return MetaCheck::Accepted;
}

}  // namespace quibo
