// The text of "server.sig", the signature member of a server package: one
// INI section per signing key,
//
//     [sig1]
//     key=<first 16 hex digits of the SHA-256 of the key's 64 bytes>
//     sig=<128 hex digits: r then s>
//
// numbered from 1. Several sections let a publisher sign with an old and a
// new key while clients that trust either are in the field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/signing/release_crypto.h"

namespace quibo {

// Signatures a package may carry; more mark a package built to make the
// client spend its time verifying.
constexpr std::size_t kMaxPackageSignatures = 8;

struct SignatureEntry {
    std::string keyId;  // 16 lower-case hex digits
    SignatureBytes signature{};
};

std::string FormatSignatureFile(const std::vector<SignatureEntry>& entries);

// The entries of `text`, in order. False with a reason for text that is not
// such a file: no section, a section without a valid key or sig, or more
// than kMaxPackageSignatures sections.
bool ParseSignatureFile(std::string_view text, std::vector<SignatureEntry>& entries, std::string& error);

}  // namespace quibo
