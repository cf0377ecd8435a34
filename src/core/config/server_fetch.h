// Getting the server configuration text from the first address that yields it.
#pragma once

#include <string>

#include "core/config/config_seam.h"
#include "core/config/update_config.h"

namespace quibo {

// Tries the server addresses one by one, in order or, when the client asked
// for random selection, in random order; each address is removed from the
// list once tried. FTP addresses go to the FTP fetcher, "file:" addresses to
// the local one with the path decoded, every other one to the HTTP fetcher.
// Returns the first non-empty text, or empty when every address failed.
std::string FetchServerConfig(UpdateConfig& config, ConfigSeam& seam);

}  // namespace quibo
