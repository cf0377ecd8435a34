// The configuration step of a run: the client configuration, then the server
// configuration fetched from one of the addresses it names.
#pragma once

#include <optional>
#include <string>

#include "core/config/config_context.h"
#include "core/config/config_seam.h"
#include "core/config/update_config.h"

namespace quibo {

// `clientText` as for LoadClientConfig. False when the client configuration
// is missing or does not load, or when no address yielded a server
// configuration (the run then counts as having no network).
bool LoadConfigurations(UpdateConfig& config, const ConfigContext& context,
                        const std::optional<std::string>& clientText, ConfigSeam& seam);

}  // namespace quibo
