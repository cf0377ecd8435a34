// Every member of a written package with its bytes, in the order of the
// archive's central directory: the order a client reads them in to check a
// signature.
#pragma once

#include <string>
#include <vector>

#include "core/signing/signed_message.h"

namespace quibo::publish {

// False when the package cannot be opened, a member cannot be read whole,
// two members share a name, or the members exceed what a client reads.
bool ReadPackageMembers(const std::string& packagePath, std::vector<PackageMember>& members);

}  // namespace quibo::publish
