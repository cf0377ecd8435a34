// Reading the client configuration "client.dat": where the server
// configuration lives and which version of every item is installed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/config/config_context.h"
#include "core/config/config_seam.h"
#include "core/config/update_config.h"
#include "core/package/package.h"

namespace quibo {

// `clientText` is the member "client.dat" of the configuration package as the
// caller read it: nullopt when the package file is missing or empty, empty
// text when the member could not be read. On failure one information box is
// shown (unless the run is silent) and false is returned. A preview run reads
// nothing and only sets the display to normal and manual.
bool LoadClientConfig(UpdateConfig& config, const ConfigContext& context,
                      const std::optional<std::string>& clientText, ConfigSeam& seam);

// Sets `ver` of `section` in "client.dat" of the package at `packagePath`
// (put in place by `replace`; without it rewritten in place, through the
// archive's own temporary file). False when the member cannot be read or the
// package cannot be written.
// With `sequence`, [system] "sequence" is raised to it in the same write.
bool WriteClientVersion(const std::string& packagePath, const std::string& section, const std::string& version,
                        const FileReplacer& replace = {}, std::optional<std::uint64_t> sequence = std::nullopt);

// Raises [system] "sequence" of `client` to `sequence`, never lowers it: a
// client never records an older release than one it has installed. True
// when the value changed (and was logged).
bool RaiseClientSequence(CConfigIni& client, std::uint64_t sequence);

}  // namespace quibo
