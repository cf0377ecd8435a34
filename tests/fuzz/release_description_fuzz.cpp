// A publisher's release description, read by the publishing tool: whatever
// it holds gives either a release within the updater's limits or one error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/config/update_item.h"
#include "publish/release_description.h"

using namespace quibo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const char* defaultVer : {"", "1.2.0"}) {
        publish::Release release;
        std::string error;
        bool ok = publish::ParseReleaseDescription(text, defaultVer, release, error);
        if (ok == !error.empty()) std::abort();
        if (!ok) continue;
        if (release.items.empty()) std::abort();
        for (const publish::ReleaseItem& item : release.items) {
            int limit = item.kind == ItemKind::File ? kFileItemCount : kDirItemCount;
            if (item.index < 0 || item.index >= limit || item.source.empty() || item.ver.empty()) std::abort();
        }
    }
    return 0;
}
