// Opening a fetched server package: what a client takes from it, and for a
// client that holds the publisher's keys, the checks that make it take only
// what the publisher signed.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/signing/folder_list.h"
#include "core/signing/release_crypto.h"
#include "core/signing/release_trust.h"

namespace quibo {

// Limits on a signed package's members, uncompressed: a folder's list can
// be long, the whole package still has to fit in memory with ease.
constexpr std::uint32_t kMaxSignedMember = 8u << 20;
constexpr std::uint64_t kMaxSignedMembers = 32u << 20;

// Why a package was refused; the checks run in this order.
enum class PackageCheck {
    Accepted,
    Unreadable,        // not an archive, damaged, too large, or no "server.dat"
    DuplicateMember,   // two members of one name
    UntrustedKeys,     // the client's own `pubkey` is malformed
    NoSignature,       // no "server.sig", or it is not a signature file
    BadSignature,      // no signature by one of the client's keys verifies
    BadMeta,           // [meta] missing or malformed
    OtherProduct,
    OlderSequence,
    Expired,
    IncompleteFile,    // an offered file item without a valid sha256 or size
    IncompleteFolder,  // an offered folder item without a valid list
};

struct ServerPackage {
    std::string serverText;                       // the member "server.dat"
    std::map<int, std::vector<ListedFile>> lists;  // folder item -> its signed list
    std::optional<ReleaseMeta> meta;              // present when the package was verified
};

struct PackageVerdict {
    PackageCheck check = PackageCheck::Unreadable;
    // What the refusal names: the duplicate member, the [meta] product or
    // sequence or expiry, the item's section or list member.
    std::string detail;
    ServerPackage package;  // filled when accepted

    bool Accepted() const { return check == PackageCheck::Accepted; }
};

// A client whose trust requires no signature takes "server.dat" alone, as
// before signatures existed. Otherwise the signature is verified before
// anything else of the package is read, then [meta] is held to `trust` at
// `now`, then every offered item (addresses given, version not "0.0.0") must
// carry what its download is checked against.
PackageVerdict OpenServerPackage(std::string package, const ReleaseTrust& trust, ReleaseCrypto& crypto,
                                 UtcSeconds now);

// The log line that says why a package was refused; empty for an accepted or
// simply unreadable one.
std::string RefusalText(const PackageVerdict& verdict, const ReleaseTrust& trust);

}  // namespace quibo
