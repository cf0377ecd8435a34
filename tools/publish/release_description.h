// The description of a release: which file or folder each item publishes,
// its version, where it is installed and its switches, plus the [system]
// hooks and the [UI] message boxes. The file is UTF-8 INI text:
//
//     [file0]
//     file=app.exe          ; a file of the release folder
//     ver=1.2.0
//     path={pf}\Product
//     [dir0]
//     folder=data           ; a folder of the release folder
//
// Lines starting with ";" or "#" are remarks. "urls" and "md5" are not
// written here: the publisher makes them.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/config/update_item.h"

namespace quibo::publish {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

struct ReleaseItem {
    ItemKind kind = ItemKind::File;
    int index = 0;
    std::string source;  // the file or folder name in the release folder, UTF-8
    std::string ver;
    KeyValues keys;      // the other keys, values in code page 936, in the order given
};

struct Release {
    std::vector<ReleaseItem> items;  // in the order the sections stand
    KeyValues system;
    KeyValues ui;
};

// False with a one-line reason ("line 7: ...") when the text is not UTF-8,
// has a line that is neither a header nor key=value, names an unknown or
// out-of-range section or key, repeats one, gives a number or version in
// the wrong form, names an unsafe file, or describes no item. `defaultVer`
// (may be empty) stands for a missing "ver".
bool ParseReleaseDescription(std::string_view text, const std::string& defaultVer, Release& release,
                             std::string& error);

}  // namespace quibo::publish
