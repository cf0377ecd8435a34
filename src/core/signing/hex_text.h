// Bytes written as hexadecimal digits, the way keys, digests and signatures
// stand in the configuration texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quibo {

// Two lower-case digits per byte.
std::string ToHex(const std::uint8_t* bytes, std::size_t size);

template <typename Bytes>
std::string ToHex(const Bytes& bytes)
{
    return ToHex(bytes.data(), bytes.size());
}

// Exactly 2 * `size` digits of either case into `out`; false (and `out`
// undefined) for any other text.
bool FromHex(std::string_view text, std::uint8_t* out, std::size_t size);

template <typename Bytes>
bool FromHex(std::string_view text, Bytes& out)
{
    return FromHex(text, out.data(), out.size());
}

}  // namespace quibo
