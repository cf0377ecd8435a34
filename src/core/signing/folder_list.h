// The member "dir<N>.lst" of a signed server package: every file folder
// item N will deliver, one line each,
//
//     <sha256: 64 hex digits> <size in bytes, decimal> <relative name>\r\n
//
// the relative name in code page 936 with "\" between folder names, as the
// item's files are placed below its target folder. The client installs a
// folder item only when the files it fetched are exactly these.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quibo {

struct ListedFile {
    std::string name;       // relative, "\"-separated
    std::uint64_t size = 0;
    std::string sha256;     // 64 lower-case hex digits
};

// "dir3.lst" for item 3.
std::string FolderListMember(int index);

std::string FormatFolderList(const std::vector<ListedFile>& files);

// The files of `text` ("\n" alone also ends a line). False with a reason for
// a line that is not of the form above, an empty or absolute name, a name
// with an empty, "." or ".." part, or a name listed twice (letter case
// aside).
bool ParseFolderList(std::string_view text, std::vector<ListedFile>& files, std::string& error);

}  // namespace quibo
