#include "core/signing/signed_message.h"

#include <cstdint>

#include "core/text/case_fold.h"

namespace quibo {

bool IsSignatureMember(std::string_view name) { return EqualsNoCase(name, kSignatureMember); }

void AddSignedMessage(const std::vector<PackageMember>& members, Sha256Hasher& hasher)
{
    for (const PackageMember& member : members) {
        if (IsSignatureMember(member.name)) continue;
        hasher.Add(member.name);
        std::uint8_t frame[9] = {0};
        std::uint64_t length = member.bytes.size();
        for (int i = 1; i < 9; ++i, length >>= 8) frame[i] = static_cast<std::uint8_t>(length & 0xFF);
        hasher.Add(frame, sizeof frame);
        hasher.Add(member.bytes);
    }
}

}  // namespace quibo
