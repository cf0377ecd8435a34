#include "publish/release_folders.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace quibo::publish {

namespace fs = std::filesystem;

namespace {

const std::string kPrefix = "release-";

// The number of a release folder's name, 0 for any other name.
int ReleaseNumber(const fs::directory_entry& entry)
{
    std::error_code ec;
    if (!entry.is_directory(ec)) return 0;
    const std::string name = entry.path().filename().string();
    if (name.size() <= kPrefix.size() || name.size() > kPrefix.size() + 9 || name.compare(0, kPrefix.size(), kPrefix))
        return 0;
    int number = 0;
    for (size_t i = kPrefix.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + (name[i] - '0');
    }
    return name[kPrefix.size()] == '0' ? 0 : number;
}

}  // namespace

ReleaseFolders FindReleaseFolders(const std::string& out)
{
    ReleaseFolders folders;
    std::error_code ec;
    for (fs::directory_iterator it(out, ec), end; !ec && it != end; it.increment(ec))
        if (int n = ReleaseNumber(*it); n > folders.previous) folders.previous = n;
    folders.next = kPrefix + std::to_string(folders.previous + 1);
    return folders;
}

void RemoveOlderReleases(const std::string& out, int keepFrom)
{
    std::error_code ec;
    std::vector<fs::path> older;
    for (fs::directory_iterator it(out, ec), end; !ec && it != end; it.increment(ec))
        if (int n = ReleaseNumber(*it); n > 0 && n < keepFrom) older.push_back(it->path());
    for (const fs::path& folder : older) fs::remove_all(folder, ec);
}

}  // namespace quibo::publish
