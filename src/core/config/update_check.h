// Deciding, after the configurations are read, which items to update,
// whether related programs must be closed, and whether the updater must
// update itself first.
#pragma once

#include <functional>
#include <string>
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

// How the system spells a path once it has resolved it (long names in place
// of short ones, for one); given to CheckSelfUpdate by the program.
using PathSpelling = std::function<std::string(const std::string&)>;

// Finds marked file items that are the updater's own program or its
// configuration package, installed in the program folder (or with no path).
// A folder is compared however it is written: relative to the program folder,
// with "." and "..", "/" for "\", letters in either case, and as `spelling`
// resolves it. The last such item of each kind is recorded; true when any was
// found.
bool CheckSelfUpdate(UpdateConfig& config, const ConfigContext& context, const PathSpelling& spelling = {});

// Leaves the updater's own items found by CheckSelfUpdate out of this run:
// they are no longer marked new. True when other items are still new.
bool LeaveOutSelfUpdate(UpdateConfig& config);

}  // namespace quibo
