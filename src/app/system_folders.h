// The folders of this machine that directory placeholders stand for.
#pragma once

#include "core/config/dir_constants.h"

namespace quibo {

// Windows, system and temporary folders and the shell's program files, fonts,
// documents and desktop folders; a folder the system cannot name stays empty.
SystemFolders ReadSystemFolders();

}  // namespace quibo
