// Reading the written packages back with the updater's own readers, so a
// release is only put in place when the updater will see what was meant.
#pragma once

#include <string>
#include <vector>

#include "core/signing/signed_message.h"
#include "publish/package_texts.h"

namespace quibo::publish {

// A member a package must carry, byte for byte.
struct ExpectedMember {
    std::string name;
    std::string bytes;
};

// Empty when `serverPackage` holds `serverText` as "server.dat" and the
// server configuration reader finds every item with its version, its one
// address, its md5 and its installed name; otherwise what differs.
std::string CheckServerPackage(const std::string& serverPackage, const std::string& serverText,
                               const std::vector<PublishedItem>& items);

// Empty when `members` (a server package's, in central-directory order) are
// `expected`, names and bytes, in that order, followed by the signature
// member when `signed_`, and every folder list among them reads back through
// the client's reader; otherwise what differs.
std::string CheckServerMembers(const std::vector<PackageMember>& members, const std::vector<ExpectedMember>& expected,
                               bool signed_);

// Empty when `clientPackage` holds every member of `members` and the client
// configuration reader finds the server address and every item at
// `clientVer`; otherwise what differs.
std::string CheckClientPackage(const std::string& clientPackage, const std::vector<ExpectedMember>& members,
                               const std::string& serverUrl, const std::vector<PublishedItem>& items,
                               const std::string& clientVer);

}  // namespace quibo::publish
