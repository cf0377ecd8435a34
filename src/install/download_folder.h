// Each product's own download folder below the shared "~quibo_tmp": made
// anew before a download, so that nothing planted there beforehand (a
// file, a folder, a junction or symbolic link) can receive or hand over the
// downloads, and removed at the end without touching another product's.
#pragma once

#include <string>

namespace quibo {

// Removes whatever stands at `folder` (ending with "\") and at its parent
// when that is not a plain folder, never following a link: a link goes as
// itself, what it points to stays. Then creates both and answers whether
// `folder` is now a plain, empty folder.
bool PrepareDownloadFolder(const std::string& folder);

// Deletes `folder` (ending with "\") as the end of a run does, then its
// parent when that is left empty. Other folders beside it stay.
void RemoveDownloadFolder(const std::string& folder);

}  // namespace quibo
