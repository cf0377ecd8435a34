// Deciding, after the configurations are read, which items to update,
// whether related programs must be closed, and whether the updater must
// update itself first.
#pragma once

#include <string_view>

#include "core/config/config_context.h"
#include "core/config/update_config.h"

namespace quibo {

// Marks every item whose server version is newer and that has an address;
// true when any is. Sets the close-processes flag when a marked item needs
// related programs closed.
bool CompareVersions(UpdateConfig& config);

// Whether updating item `index` of `kind` needs related programs closed: every
// item does unless close_items names some, then only those (as "file3", any case).
bool IsCloseItem(const UpdateConfig& config, ItemKind kind, int index);

// Finds marked file items that are the updater's own program or its
// configuration package, installed in the program folder (or with no path).
// The last such item of each kind is recorded; true when any was found.
bool CheckSelfUpdate(UpdateConfig& config, const ConfigContext& context);

}  // namespace quibo
