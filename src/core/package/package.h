// Reading and replacing members of the configuration packages, the plain zip
// archives that carry "pre.dat", "client.dat", "ui.dat" and the skin's
// pictures, and taking "server.dat" out of a downloaded server package.
//
// These functions never throw: an archive failure means false or an empty
// result, and the caller reports it. A password is applied only when it has
// at least two characters; the program passes an empty one.
//
// A package in which two members share a name (without regard to case) is
// ambiguous: which copy a reader sees and which one a rewrite replaces would
// differ. Such a member is never read, and such a package never rewritten.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/signing/signed_message.h"

namespace quibo {

// Configuration texts are a few kilobytes; a member that says it inflates to
// more is refused before any of it is read, so a small package can never
// make the program hold a huge text.
constexpr std::uint32_t kMaxConfigMemberSize = 1024 * 1024;

// One member read from a package.
struct PackageRead {
    std::string text;       // the member's bytes; empty when it cannot be read
    std::string duplicate;  // a member name the package holds twice; empty when none
};

// Reads `memberName` (found without regard to case) and looks for names held
// twice. The text is empty when the package cannot be opened, the member is
// missing or held twice, is larger than `limit`, or cannot be read whole and
// intact.
PackageRead ReadPackage(const std::string& packagePath, const std::string& memberName,
                        const std::string& password, std::uint32_t limit = kMaxConfigMemberSize);
// The same for a package held in memory.
PackageRead ExtractPackage(std::string package, const std::string& memberName, const std::string& password,
                           std::uint32_t limit = kMaxConfigMemberSize);

// Every member of a package held in memory, in the order of its central
// directory, for the check of a signed package.
struct PackageMembers {
    bool read = false;      // false when the package could not be read whole
    std::vector<PackageMember> members;
    std::string duplicate;  // a member name held twice; nothing is read then
};
// Refuses (read false) a member above `memberLimit` or members above
// `totalLimit` together, judged by their declared sizes before any is read
// and held to them while reading.
PackageMembers ExtractAllMembers(std::string package, std::uint32_t memberLimit, std::uint64_t totalLimit);

// ReadPackage's text alone.
std::string ReadPackageMember(const std::string& packagePath, const std::string& memberName,
                              const std::string& password);
// ExtractPackage's text alone.
std::string ExtractPackageMember(std::string package, const std::string& memberName,
                                 const std::string& password);

// Puts the finished file `written` in the place of `target` so that a crash
// or a power loss at any moment leaves either the whole old or the whole new
// file there: its bytes reach the disk first, then one rename replaces the
// target. False when it could not; the target is then as it was.
using FileReplacer = std::function<bool(const std::string& written, const std::string& target)>;

// Where a package is changed before `replace` puts it in place.
inline std::string StagedPackagePath(const std::string& packagePath) { return packagePath + ".~qbpkg"; }

// Replaces (or adds) the member with `content`, deflated, and reads it back.
// False for empty content, for a package holding two members of one name, on
// any failure, and when the member read back is not `content`; before a
// rewrite the package on disk is left as it was.
//
// With `replace`, the changed package is written under StagedPackagePath and
// put in place by `replace` (the program passes one that reaches the disk).
// Without it the archive rewrites the file through its own temporary file,
// which nothing flushes: good enough for a tool building a package, never for
// the package a product relies on.
bool WritePackageMember(std::string_view content, const std::string& packagePath,
                        const std::string& memberName, const std::string& password,
                        const FileReplacer& replace = {});

}  // namespace quibo
