// Reading and replacing members of the configuration packages, the plain zip
// archives that carry "pre.dat", "client.dat", "ui.dat" and the skin's
// pictures, and taking "server.dat" out of a downloaded server package.
//
// These functions never throw: an archive failure means false or an empty
// result, and the caller reports it. A password is applied only when it has
// at least two characters; the program passes an empty one.
#pragma once

#include <string>
#include <string_view>

// The member's bytes, or empty when the package cannot be opened, the member
// is missing, or it cannot be read whole and intact.
std::string ReadPackageMember(const std::string& packagePath, const std::string& memberName,
                              const std::string& password);

// Replaces (or adds) the member with `content`, deflated. False for empty
// content and on any failure; the package on disk is then left as it was.
bool WritePackageMember(std::string_view content, const std::string& packagePath,
                        const std::string& memberName, const std::string& password);

// ReadPackageMember for a package held in memory.
std::string ExtractPackageMember(std::string package, const std::string& memberName,
                                 const std::string& password);
