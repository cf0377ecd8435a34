// Signing a server package and checking the signatures the way a client
// will: "server.sig" is the package's last member and holds one signature
// per key over the message of all the other members.
#pragma once

#include <string>
#include <vector>

#include "core/signing/release_crypto.h"
#include "core/signing/signed_message.h"
#include "publish/signing_key.h"

namespace quibo::publish {

// The text of "server.sig" for `members` (as the written package holds
// them, in central-directory order), one [sigN] per key in the order given.
// False with a reason when the library fails.
bool SignatureText(const std::vector<PackageMember>& members, const std::vector<SigningKey>& keys,
                   ReleaseCrypto& crypto, std::string& text, std::string& error);

// Empty when the last of `members` is the signature member and it holds, in
// order, a signature by each of `keys` that names the key and verifies over
// the other members; otherwise what is wrong.
std::string CheckSignatures(const std::vector<PackageMember>& members, const std::vector<PublicKey>& keys,
                            ReleaseCrypto& crypto);

}  // namespace quibo::publish
