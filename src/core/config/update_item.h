// One product file ("file0" to "file19") or folder ("dir0" to "dir9") that the
// configurations describe, with what the installation records about it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/config/url_entry.h"
#include "core/signing/folder_list.h"

namespace quibo {

constexpr int kFileItemCount = 20;
constexpr int kDirItemCount = 10;

enum class ItemKind { File, Dir };

// Section name of an item: "file3", "dir0".
std::string ItemSection(ItemKind kind, int index);

struct UpdateItem {
    bool isNew = false;        // server version newer and at least one address
    bool modifyVer = true;     // rewrite the client "ver" after a successful update
    bool uncompress = false;   // file: a zip archive to unpack into the path
    bool runme = false;        // file: run it after installing
    bool runmePause = false;   // file: wait for that program
    bool isIncSubdir = false;  // folder: include subfolders
    bool randomSel = false;    // choose among the addresses at random
    std::vector<UrlAddress> addresses;
    std::string clientVersion = "0.0.0";
    std::string serverVersion = "0.0.0";
    std::string path;     // target folder; a file item's always ends with "\"
    std::string md5;      // 32 hex digits, or empty for no check
    // From a signed package: a file item's SHA-256 (64 lower-case hex
    // digits) and exact size, a folder item's list of files. Empty when the
    // client takes unsigned packages.
    std::string sha256;
    std::optional<std::uint64_t> size;
    std::optional<std::vector<ListedFile>> listed;
    std::string name;     // file: installed file name
    std::string runPath;  // file: full path of the file to run, set on install
    std::string runmeParam;
    std::string filter;  // folder: comma-separated wildcard patterns
    std::string describe;
    std::vector<std::string> backups;
    std::vector<std::string> writtenFiles;
};

}  // namespace quibo
