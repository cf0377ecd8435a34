#include "core/checksum/md5.h"

#include <cstring>

namespace quibo {

namespace {

inline std::uint32_t RotateLeft(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// The four auxiliary functions. F saves an operation; G's two halves never
// share a bit, so adding them lets the second start before the first is done.
inline std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return z ^ (x & (y ^ z)); }
inline std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & z) + (y & ~z); }
inline std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
inline std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }

#define MD5_STEP(f, a, b, c, d, x, s, t) \
    a += f(b, c, d) + (x) + (t);         \
    a = RotateLeft(a, s) + b

inline std::uint32_t LoadLittleEndian(const std::uint8_t* p)
{
    std::uint32_t v;
    std::memcpy(&v, p, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    v = __builtin_bswap32(v);
#endif
    return v;
}

void StoreLittleEndian(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace

void Md5::Reset()
{
    state_[0] = 0x67452301;
    state_[1] = 0xefcdab89;
    state_[2] = 0x98badcfe;
    state_[3] = 0x10325476;
    length_ = 0;
    pendingSize_ = 0;
}

void Md5::Update(const void* data, std::size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    length_ += size;
    if (pendingSize_ > 0) {
        std::size_t take = 64 - pendingSize_;
        if (take > size) take = size;
        std::memcpy(pending_ + pendingSize_, p, take);
        pendingSize_ += take;
        p += take;
        size -= take;
        if (pendingSize_ < 64) return;
        Blocks(pending_, 1);
        pendingSize_ = 0;
    }
    // Whole blocks straight from the caller's buffer, without a copy.
    Blocks(p, size / 64);
    p += size / 64 * 64;
    size %= 64;
    std::memcpy(pending_, p, size);
    pendingSize_ = size;
}

Md5Digest Md5::Final()
{
    // One 0x80 byte, zeros up to 56 bytes modulo 64, then the bit length.
    std::uint64_t bits = length_ * 8;
    std::uint8_t padding[72] = {0x80};
    std::size_t padSize = (pendingSize_ < 56 ? 56 : 120) - pendingSize_;
    for (int i = 0; i < 8; ++i) padding[padSize + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    Update(padding, padSize + 8);

    Md5Digest digest;
    for (int i = 0; i < 4; ++i) StoreLittleEndian(digest.data() + 4 * i, state_[i]);
    return digest;
}

void Md5::Blocks(const std::uint8_t* data, std::size_t count)
{
    std::uint32_t a0 = state_[0], b0 = state_[1], c0 = state_[2], d0 = state_[3];
    for (; count > 0; --count, data += 64) {
        std::uint32_t x[16];
        for (int i = 0; i < 16; ++i) x[i] = LoadLittleEndian(data + 4 * i);
        std::uint32_t a = a0, b = b0, c = c0, d = d0;

        MD5_STEP(F, a, b, c, d, x[0], 7, 0xd76aa478);
        MD5_STEP(F, d, a, b, c, x[1], 12, 0xe8c7b756);
        MD5_STEP(F, c, d, a, b, x[2], 17, 0x242070db);
        MD5_STEP(F, b, c, d, a, x[3], 22, 0xc1bdceee);
        MD5_STEP(F, a, b, c, d, x[4], 7, 0xf57c0faf);
        MD5_STEP(F, d, a, b, c, x[5], 12, 0x4787c62a);
        MD5_STEP(F, c, d, a, b, x[6], 17, 0xa8304613);
        MD5_STEP(F, b, c, d, a, x[7], 22, 0xfd469501);
        MD5_STEP(F, a, b, c, d, x[8], 7, 0x698098d8);
        MD5_STEP(F, d, a, b, c, x[9], 12, 0x8b44f7af);
        MD5_STEP(F, c, d, a, b, x[10], 17, 0xffff5bb1);
        MD5_STEP(F, b, c, d, a, x[11], 22, 0x895cd7be);
        MD5_STEP(F, a, b, c, d, x[12], 7, 0x6b901122);
        MD5_STEP(F, d, a, b, c, x[13], 12, 0xfd987193);
        MD5_STEP(F, c, d, a, b, x[14], 17, 0xa679438e);
        MD5_STEP(F, b, c, d, a, x[15], 22, 0x49b40821);

        MD5_STEP(G, a, b, c, d, x[1], 5, 0xf61e2562);
        MD5_STEP(G, d, a, b, c, x[6], 9, 0xc040b340);
        MD5_STEP(G, c, d, a, b, x[11], 14, 0x265e5a51);
        MD5_STEP(G, b, c, d, a, x[0], 20, 0xe9b6c7aa);
        MD5_STEP(G, a, b, c, d, x[5], 5, 0xd62f105d);
        MD5_STEP(G, d, a, b, c, x[10], 9, 0x02441453);
        MD5_STEP(G, c, d, a, b, x[15], 14, 0xd8a1e681);
        MD5_STEP(G, b, c, d, a, x[4], 20, 0xe7d3fbc8);
        MD5_STEP(G, a, b, c, d, x[9], 5, 0x21e1cde6);
        MD5_STEP(G, d, a, b, c, x[14], 9, 0xc33707d6);
        MD5_STEP(G, c, d, a, b, x[3], 14, 0xf4d50d87);
        MD5_STEP(G, b, c, d, a, x[8], 20, 0x455a14ed);
        MD5_STEP(G, a, b, c, d, x[13], 5, 0xa9e3e905);
        MD5_STEP(G, d, a, b, c, x[2], 9, 0xfcefa3f8);
        MD5_STEP(G, c, d, a, b, x[7], 14, 0x676f02d9);
        MD5_STEP(G, b, c, d, a, x[12], 20, 0x8d2a4c8a);

        MD5_STEP(H, a, b, c, d, x[5], 4, 0xfffa3942);
        MD5_STEP(H, d, a, b, c, x[8], 11, 0x8771f681);
        MD5_STEP(H, c, d, a, b, x[11], 16, 0x6d9d6122);
        MD5_STEP(H, b, c, d, a, x[14], 23, 0xfde5380c);
        MD5_STEP(H, a, b, c, d, x[1], 4, 0xa4beea44);
        MD5_STEP(H, d, a, b, c, x[4], 11, 0x4bdecfa9);
        MD5_STEP(H, c, d, a, b, x[7], 16, 0xf6bb4b60);
        MD5_STEP(H, b, c, d, a, x[10], 23, 0xbebfbc70);
        MD5_STEP(H, a, b, c, d, x[13], 4, 0x289b7ec6);
        MD5_STEP(H, d, a, b, c, x[0], 11, 0xeaa127fa);
        MD5_STEP(H, c, d, a, b, x[3], 16, 0xd4ef3085);
        MD5_STEP(H, b, c, d, a, x[6], 23, 0x04881d05);
        MD5_STEP(H, a, b, c, d, x[9], 4, 0xd9d4d039);
        MD5_STEP(H, d, a, b, c, x[12], 11, 0xe6db99e5);
        MD5_STEP(H, c, d, a, b, x[15], 16, 0x1fa27cf8);
        MD5_STEP(H, b, c, d, a, x[2], 23, 0xc4ac5665);

        MD5_STEP(I, a, b, c, d, x[0], 6, 0xf4292244);
        MD5_STEP(I, d, a, b, c, x[7], 10, 0x432aff97);
        MD5_STEP(I, c, d, a, b, x[14], 15, 0xab9423a7);
        MD5_STEP(I, b, c, d, a, x[5], 21, 0xfc93a039);
        MD5_STEP(I, a, b, c, d, x[12], 6, 0x655b59c3);
        MD5_STEP(I, d, a, b, c, x[3], 10, 0x8f0ccc92);
        MD5_STEP(I, c, d, a, b, x[10], 15, 0xffeff47d);
        MD5_STEP(I, b, c, d, a, x[1], 21, 0x85845dd1);
        MD5_STEP(I, a, b, c, d, x[8], 6, 0x6fa87e4f);
        MD5_STEP(I, d, a, b, c, x[15], 10, 0xfe2ce6e0);
        MD5_STEP(I, c, d, a, b, x[6], 15, 0xa3014314);
        MD5_STEP(I, b, c, d, a, x[13], 21, 0x4e0811a1);
        MD5_STEP(I, a, b, c, d, x[4], 6, 0xf7537e82);
        MD5_STEP(I, d, a, b, c, x[11], 10, 0xbd3af235);
        MD5_STEP(I, c, d, a, b, x[2], 15, 0x2ad7d2bb);
        MD5_STEP(I, b, c, d, a, x[9], 21, 0xeb86d391);

        a0 += a;
        b0 += b;
        c0 += c;
        d0 += d;
    }
    state_[0] = a0;
    state_[1] = b0;
    state_[2] = c0;
    state_[3] = d0;
}

std::string Md5Hex(const Md5Digest& digest)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text(32, '0');
    for (std::size_t i = 0; i < digest.size(); ++i) {
        text[2 * i] = kDigits[digest[i] >> 4];
        text[2 * i + 1] = kDigits[digest[i] & 15];
    }
    return text;
}

std::string Md5HexOf(std::string_view data)
{
    Md5 md5;
    md5.Update(data.data(), data.size());
    return Md5Hex(md5.Final());
}

}  // namespace quibo
