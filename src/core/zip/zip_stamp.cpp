#include "core/zip/zip_stamp.h"

#include <chrono>

#include "core/zip/zip_header.h"

namespace quibo {

namespace fs = std::filesystem;

namespace {

constexpr int kHostUnix = 3;
constexpr std::uint32_t kDosReadOnly = 0x01;

// C++17 has no clock conversion; the two clocks differ by whole seconds
// (their epochs), so rounding the measured gap gives the exact time.
fs::file_time_type ToFileTime(std::time_t t)
{
    using namespace std::chrono;
    auto gap = fs::file_time_type::clock::now().time_since_epoch() - system_clock::now().time_since_epoch();
    auto exact = seconds(t) + round<seconds>(gap);
    return fs::file_time_type(duration_cast<fs::file_time_type::duration>(exact));
}

}  // namespace

void StampExtractedFile(const fs::path& file, const CZipFileHeader& header)
{
    std::error_code ec;
    fs::last_write_time(file, ToFileTime(header.ModificationTime()), ec);

    std::uint32_t mode = header.externalAttr >> 16;
    if (header.HostSystem() == kHostUnix && mode != 0) {
        fs::permissions(file, static_cast<fs::perms>(mode) & fs::perms::all, fs::perm_options::replace, ec);
    } else if (header.externalAttr & kDosReadOnly) {
        fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove, ec);
    }
}

}  // namespace quibo
