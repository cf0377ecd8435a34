// Giving an extracted file the time and attributes its member records.
#pragma once

#include <filesystem>

namespace quibo {

class CZipFileHeader;

// Best effort: a file whose time or attributes cannot be set is still whole.
// Attributes: a Unix mode's permission bits when the member came from Unix,
// else only the MS-DOS read-only bit (hidden and system have no portable
// equivalent).
void StampExtractedFile(const std::filesystem::path& file, const CZipFileHeader& header);

}  // namespace quibo
