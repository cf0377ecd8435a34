// Getting the server configuration from the first address whose package the
// client accepts.
#pragma once

#include <optional>

#include "core/config/config_seam.h"
#include "core/config/update_config.h"
#include "core/signing/server_package.h"

namespace quibo {

// Tries the server addresses one by one, in order or, when the client asked
// for random selection, in random order; each address is removed from the
// list once tried. FTP addresses go to the FTP fetcher, "file:" addresses to
// the local one with the path decoded, every other one to the HTTP fetcher.
// A package the client does not accept (OpenServerPackage with its trust)
// counts as one that could not be fetched: the log says why, and the next
// address is tried. Nullopt when no address gave an accepted package.
std::optional<ServerPackage> FetchServerConfig(UpdateConfig& config, ConfigSeam& seam);

}  // namespace quibo
