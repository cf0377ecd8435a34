// Listing a server folder for a folder item: one download record per file.
#pragma once

#include <string>
#include <vector>

#include "core/transfer/download_records.h"
#include "download/ftp_connection.h"

namespace quibo {

// Deeper than any product's folders; a server's folder that links back to
// one of its parents would otherwise be listed for ever.
constexpr int kMaxFtpFolderDepth = 16;

// Appends a record for every file in `folder` (and, with `includeSubfolders`,
// in its subfolders, each folder's files before its subfolders) whose name
// passes `filter`. The record's subfolder is relative to `root`. Names are
// taken as the server gives them, also those that would point outside a
// folder on Windows ("..\x"): the caller checks every record (see
// UnsafeRecordReason). A folder that cannot be opened or listed, `folder`
// itself or any subfolder, fails the whole listing, adding no records, with
// that folder in the run log: the product would lack its files. Subfolders
// go `maxDepth` levels down at most: a tree deeper than that (or one that
// loops back into itself through a link) cannot be listed to its end, so it
// fails whole too, with the folder that went too deep in the run log.
// Moves the connection's current folder.
bool ListFtpFolder(FtpConnection& ftp, const std::string& root, const std::string& folder,
                   std::vector<DownloadRecord>& records, const std::string& filter, bool includeSubfolders,
                   int maxDepth = kMaxFtpFolderDepth);

}  // namespace quibo
