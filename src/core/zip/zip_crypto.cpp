#include "core/zip/zip_crypto.h"

#include <random>

#include <zlib.h>

#include "core/zip/zip_format.h"

namespace quibo {

namespace {

std::uint32_t CrcStep(std::uint32_t crc, unsigned char byte)
{
    static const auto* table = get_crc_table();
    return static_cast<std::uint32_t>(table[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
}

}  // namespace

CZipCrypto::CZipCrypto(std::string_view password) : keys_{305419896u, 591751049u, 878082192u}
{
    for (char c : password) Update(static_cast<unsigned char>(c));
}

void CZipCrypto::Update(unsigned char plain)
{
    keys_[0] = CrcStep(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = CrcStep(keys_[2], static_cast<unsigned char>(keys_[1] >> 24));
}

unsigned char CZipCrypto::KeyStream() const
{
    std::uint32_t t = (keys_[2] | 2) & 0xFFFF;
    return static_cast<unsigned char>((t * (t ^ 1)) >> 8);
}

void CZipCrypto::Decrypt(char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        unsigned char plain = static_cast<unsigned char>(data[i]) ^ KeyStream();
        Update(plain);
        data[i] = static_cast<char>(plain);
    }
}

void CZipCrypto::Encrypt(char* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        unsigned char plain = static_cast<unsigned char>(data[i]);
        data[i] = static_cast<char>(plain ^ KeyStream());
        Update(plain);
    }
}

bool CZipCrypto::DecryptHeader(char* header, unsigned char check)
{
    Decrypt(header, zipfmt::kEncryptionHeader);
    return static_cast<unsigned char>(header[zipfmt::kEncryptionHeader - 1]) == check;
}

std::string CZipCrypto::EncryptHeader(unsigned char check)
{
    // The first 11 bytes only need to differ between archives.
    std::random_device seed;
    std::mt19937 random(seed());
    std::string header(zipfmt::kEncryptionHeader, '\0');
    for (std::size_t i = 0; i + 1 < header.size(); ++i) header[i] = static_cast<char>(random() & 0xFF);
    header.back() = static_cast<char>(check);
    Encrypt(header.data(), header.size());
    return header;
}

}  // namespace quibo
