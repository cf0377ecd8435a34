// Directory placeholders such as "{pf}" that configuration values may begin
// with, and the folder each one stands for on this machine.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "core/text/code_page.h"

namespace quibo {

constexpr size_t kDirConstantCount = 9;

// The placeholders in the order they are expanded and logged.
constexpr std::array<const char*, kDirConstantCount> kDirPlaceholders = {
    "{appdriver}", "{parent}", "{win}", "{sys}", "{temp}", "{pf}", "{font}", "{mydoc}", "{desktop}"};

// The folders, named in the order of kDirPlaceholders.
enum class DirConstant : size_t {
    AppDrive,
    Parent,
    Windows,
    System,
    Temp,
    ProgramFiles,
    Fonts,
    Documents,
    Desktop
};

// Folder values in the order of kDirPlaceholders; none ends with "\".
struct DirConstants {
    std::array<std::string, kDirConstantCount> values;

    std::string& operator[](DirConstant which) { return values[static_cast<size_t>(which)]; }
    const std::string& operator[](DirConstant which) const { return values[static_cast<size_t>(which)]; }
};
static_assert(static_cast<size_t>(DirConstant::Desktop) + 1 == kDirConstantCount);

// Folders the system reports, each possibly ending with "\" or empty when the
// lookup failed.
struct SystemFolders {
    std::string windows;
    std::string system;
    std::string temp;
    std::string programFiles;
    std::string fonts;
    std::string documents;
    std::string desktop;
};

// {parent} is the folder above the program folder (which ends with "\") and
// {appdriver} its first two characters, the drive. All of them are paths the
// system gave, read with `rule`, the system code page's.
DirConstants ComputeDirConstants(std::string_view programFolder, const SystemFolders& folders,
                                 LeadByteRule rule);

// No configuration value needs more than this (paths, address lists, the
// text of a box); placeholders repeated in a small text could otherwise make
// it megabytes long.
constexpr size_t kMaxExpandedLength = 32 * 1024;

// A placeholder is replaced, everywhere in the text, only when the text begins
// with it: a value can be anchored to a folder, but a placeholder later in the
// text is kept literally. The result is cut to kMaxExpandedLength bytes.
std::string ExpandDirConstants(std::string_view text, const DirConstants& dirs);

}  // namespace quibo
