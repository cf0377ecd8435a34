// The list a signed release carries for a folder item ("dirN.lst"): exactly
// the files a client fetches when it lists the item's folder.
#pragma once

#include <string>
#include <vector>

#include "core/signing/folder_list.h"
#include "core/signing/release_crypto.h"

namespace quibo::publish {

// The files of `folder` whose names pass `filter` (code page 936, as the
// item gives it), with those of its subfolders when `includeSubfolders`:
// each with its relative name in code page 936 ("\" between folders), its
// size and SHA-256, sorted by name. False with a reason when a file cannot
// be read or a name has no code page 936 form.
bool ListFolderItem(const std::string& folder, const std::string& filter, bool includeSubfolders,
                    ReleaseCrypto& crypto, std::vector<ListedFile>& files, std::string& error);

}  // namespace quibo::publish
