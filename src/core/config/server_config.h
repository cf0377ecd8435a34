// Reading the server configuration "server.dat": what is available for every
// item, the programs to run and close, and the wording of the message boxes.
#pragma once

#include <string_view>

#include "core/config/config_context.h"
#include "core/config/update_config.h"
#include "core/signing/server_package.h"

namespace quibo {

// Parses a fetched server configuration into `config`. Item keys are read
// only for items whose server version is newer than the installed one; the
// display type and operation mode are merged from those items.
void ParseServerConfig(UpdateConfig& config, const ConfigContext& context, std::string_view text);
// The same for an accepted package. When it was verified, its [meta] becomes
// the run's release, and every newer item takes what its download is checked
// against: a file its sha256 and size, a folder its signed list.
void ParseServerConfig(UpdateConfig& config, const ConfigContext& context, const ServerPackage& package);

}  // namespace quibo
