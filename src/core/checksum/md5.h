// The MD5 message digest (RFC 1321), fed in pieces of any size.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quibo {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
public:
    Md5() { Reset(); }

    void Reset();
    void Update(const void* data, std::size_t size);
    // Pads, appends the bit length and returns the digest; Reset before reuse.
    Md5Digest Final();

private:
    // Compresses `count` whole 64-byte blocks into the state.
    void Blocks(const std::uint8_t* data, std::size_t count);

    std::uint32_t state_[4];
    std::uint64_t length_;  // bytes so far
    std::uint8_t pending_[64];
    std::size_t pendingSize_;
};

// 32 lower-case hex digits.
std::string Md5Hex(const Md5Digest& digest);

// Digest text of a whole byte string.
std::string Md5HexOf(std::string_view data);

}  // namespace quibo
