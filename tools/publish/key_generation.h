// "quibo-publish keygen --out DIR": a new signing key pair.
#pragma once

#include <optional>
#include <string>

#include "publish/publish_run.h"

namespace quibo::publish {

constexpr char kPrivateKeyFile[] = "release.key";
constexpr char kPublicKeyFile[] = "release.pub";

// Writes DIR/release.key (PKCS#8 PEM, mode 0600 from its creation,
// encrypted under `passphrase` when given) and DIR/release.pub (128 hex
// digits, X then Y, and a newline). Never replaces either file: BadInput
// with the reason when one exists, WriteFailed when writing fails (then
// neither is left behind).
PublishResult GenerateKeyPair(const std::string& outDir, const std::optional<std::string>& passphrase,
                              std::string& error);

}  // namespace quibo::publish
