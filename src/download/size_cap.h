// The most bytes a transfer may write for a signed file: its size. What a
// server sends past it is never written, and the transfer fails at once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace quibo {

class SizeCap {
public:
    SizeCap() = default;  // no limit: an unsigned file
    SizeCap(std::uint64_t bytes, std::string name) : limited_(true), bytes_(bytes), name_(std::move(name)) {}

    bool Limited() const { return limited_; }

    // False, with the log line, when a transfer of `total` bytes (as a
    // server or a listing announces it) would go past the cap.
    bool Allows(std::uint64_t total) const;
    // How many of `size` bytes arriving after `done` may be written; when
    // that is not all of them the log line is written.
    DWORD Fitting(std::uint64_t done, DWORD size) const;
    // Writes the log line.
    void Exceeded() const;

private:
    bool limited_ = false;
    std::uint64_t bytes_ = 0;
    std::string name_;  // as the log line names the file
};

}  // namespace quibo
