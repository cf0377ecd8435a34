// Archives of stored members built in memory, laid out by hand so that
// tests can vary every header field; no gtest, so fuzz targets use it too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/zip/zip_format.h"
#include "core/zip/zip_zlib.h"

namespace ziptest {

using namespace quibo;

// A stored member with the header fields the name and time tests vary.
struct StoredMember {
    std::string name;
    std::string data;
    std::uint16_t flags = 0;         // e.g. zipfmt::kFlagUtf8
    std::string extra;               // central and local extra field alike
    std::uint16_t dosDate = 0x5264;  // 2021-03-04
    std::uint16_t dosTime = 0x28C4;  // 05:06:08
};

// A whole archive of stored members, laid out as the application note says.
inline std::string StoredArchive(const std::vector<StoredMember>& members)
{
    using zipfmt::Put16;
    using zipfmt::Put32;
    std::string local, central;
    for (const StoredMember& m : members) {
        std::string shared;  // from "version needed" to "uncompressed size"
        Put16(shared, 20);
        Put16(shared, m.flags);
        Put16(shared, zipfmt::kStored);
        Put16(shared, m.dosTime);
        Put16(shared, m.dosDate);
        Put32(shared, static_cast<std::uint32_t>(ZipCrc(0, m.data.data(), m.data.size())));
        Put32(shared, static_cast<std::uint32_t>(m.data.size()));
        Put32(shared, static_cast<std::uint32_t>(m.data.size()));
        std::string lengths;
        Put16(lengths, static_cast<std::uint16_t>(m.name.size()));
        Put16(lengths, static_cast<std::uint16_t>(m.extra.size()));

        Put32(central, zipfmt::kCentralSignature);
        Put16(central, 20);
        central += shared + lengths;
        Put16(central, 0);  // comment length
        Put16(central, 0);  // disk
        Put16(central, 0);  // internal attributes
        Put32(central, 0x20);
        Put32(central, static_cast<std::uint32_t>(local.size()));
        central += m.name + m.extra;

        Put32(local, zipfmt::kLocalSignature);
        local += shared + lengths + m.name + m.extra + m.data;
    }
    std::string end;
    Put32(end, zipfmt::kEndSignature);
    Put32(end, 0);  // disk numbers
    Put16(end, static_cast<std::uint16_t>(members.size()));
    Put16(end, static_cast<std::uint16_t>(members.size()));
    Put32(end, static_cast<std::uint32_t>(central.size()));
    Put32(end, static_cast<std::uint32_t>(local.size()));
    Put16(end, 0);  // comment length
    return local + central + end;
}

}  // namespace ziptest
