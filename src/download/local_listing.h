// Listing a local or network folder for a folder item ("file:" address).
#pragma once

#include <string>
#include <vector>

#include "core/text/code_page.h"
#include "core/transfer/download_records.h"

namespace quibo {

// Appends a record for every file in `folder` whose name passes `filter`,
// then, with `includeSubfolders`, those of its subfolders (each folder's
// files before its subfolders). The record's subfolder is the folder's
// path below `root` ("\" separated); its temporary name is FlattenedName of
// the folder and the name. Links to folders are not followed, so a tree
// that loops back into itself is listed once. False, with "不存在文件夹："
// and the folder in the run log, when `folder` (or one of the subfolders
// asked for) is not a folder, and with "无法读取文件夹：" when one cannot be
// read to its end: a listing with files left out is no listing, and adds no
// records. The paths
// come from the system: `rule` is its code page's.
bool ListLocalFolder(const std::string& root, const std::string& folder, std::vector<DownloadRecord>& records,
                     const std::string& filter, bool includeSubfolders, LeadByteRule rule);

}  // namespace quibo
