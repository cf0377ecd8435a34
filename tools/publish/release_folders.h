// Each release's files live in a folder of their own beside the packages,
// "release-1", "release-2", ...: the files of a new release never replace
// bytes that the server package in place still names, and switching the
// server package is the one step that makes the release public.
#pragma once

#include <string>

namespace quibo::publish {

struct ReleaseFolders {
    std::string next;   // the folder name the new release gets
    int previous = 0;   // number of the newest release already there, 0 if none
};

// Looks at the release folders already in `out` (which may not exist yet).
ReleaseFolders FindReleaseFolders(const std::string& out);

// Removes the release folders of `out` numbered below `keepFrom`: the one a
// client may still be fetching from (the release just replaced) stays.
void RemoveOlderReleases(const std::string& out, int keepFrom);

}  // namespace quibo::publish
