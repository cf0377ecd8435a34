// The message a release signature covers: every member of the server
// package but the signature itself, in the order of the archive's central
// directory, each as
//
//     name bytes, one 0 byte, length as 8 bytes little-endian, the bytes
//
// (the member's uncompressed bytes). Names, lengths and order are all
// inside: nothing in a package can change, be added or removed, and no
// bytes can move from one member to the next, without changing the message.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/signing/release_crypto.h"

namespace quibo {

// The member of a server package that holds its signatures.
constexpr char kSignatureMember[] = "server.sig";

struct PackageMember {
    std::string name;   // as the archive stores it
    std::string bytes;  // uncompressed
};

// Whether `name` is the signature member (ASCII letters in any case, as the
// archive finds members).
bool IsSignatureMember(std::string_view name);

// Feeds the message of `members` (in central-directory order) to `hasher`;
// signature members are left out.
void AddSignedMessage(const std::vector<PackageMember>& members, Sha256Hasher& hasher);

}  // namespace quibo
