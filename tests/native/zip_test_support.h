// Shared by the zip and package tests: the fixture archives, the contents
// their members were made from (the same rules as tools/make_zip_fixtures.sh),
// and a temporary folder that cleans up after itself.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "core/zip/zip_exception.h"
#include "stored_archive.h"
#include "core/zip/zip_format.h"
#include "core/zip/zip_zlib.h"

using namespace quibo;

namespace ziptest {

namespace fs = std::filesystem;

inline std::string TextContent()
{
    std::string s;
    char line[80];
    for (int i = 0; i < 2000; ++i) {
        std::snprintf(line, sizeof line, "line %05d: the quick brown fox jumps over the lazy dog\n", i);
        s += line;
    }
    return s;
}

inline std::string BinaryContent(std::size_t n = 5000)
{
    std::string s;
    std::uint32_t x = 1;
    for (std::size_t i = 0; i < n; ++i) {
        x = (x * 1103515245u + 12345u) & 0x7FFFFFFFu;
        s += static_cast<char>((x >> 16) & 0xFF);
    }
    return s;
}

inline std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string FixturePath(const std::string& name) { return "fixtures/zip/" + name; }
inline std::string FixtureBytes(const std::string& name) { return ReadBytes(FixturePath(name)); }

// An archive without members: the end record alone.
inline std::string EmptyArchive() { return std::string("PK\x05\x06", 4) + std::string(18, '\0'); }

// Byte surgery on archives, for damaging them on purpose.
inline void Put32At(std::string& zip, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) zip[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::size_t EndRecordAt(const std::string& zip) { return zip.rfind(std::string("PK\x05\x06", 4)); }

// The central-directory entry of member `name`.
inline std::size_t CentralAt(const std::string& zip, const std::string& name)
{
    const std::string sig("PK\x01\x02", 4);
    for (std::size_t at = zip.find(sig); at != std::string::npos; at = zip.find(sig, at + 1))
        if (zipfmt::Get16(zip.data() + at + 28) == name.size() &&
            zip.compare(at + 46, name.size(), name) == 0)
            return at;
    throw std::runtime_error("no central entry " + name);
}

// The first byte of member `name`'s data.
inline std::size_t DataAt(const std::string& zip, const std::string& name)
{
    std::size_t local = zipfmt::Get32(zip.data() + CentralAt(zip, name) + 42);
    return local + 30 + zipfmt::Get16(zip.data() + local + 26) + zipfmt::Get16(zip.data() + local + 28);
}

class TempFolder {
public:
    TempFolder()
    {
        std::random_device seed;
        path_ = fs::temp_directory_path() / ("ziptest-" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::permissions(path_, fs::perms::all, ec);
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

// Runs `body` and returns the cause of the CZipException it throws; fails
// the test when it throws nothing.
template <typename Body>
CZipException::Cause CauseOf(Body body)
{
    try {
        body();
    } catch (const CZipException& e) {
        return e.GetCause();
    }
    ADD_FAILURE() << "no CZipException was thrown";
    return CZipException::badUse;
}

#ifndef _WIN32
// Runs a shell command quietly; true when it exits with 0.
inline bool Succeeds(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }
#endif

}  // namespace ziptest
