// CZipCrypto: the traditional PKWARE stream cipher. Weak by today's
// measure, but it is what encrypted members of ordinary zip tools use.
// Each member's data starts with a 12-byte encryption header whose last
// byte, once decrypted, tells a wrong password from the right one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quibo {

class CZipCrypto {
public:
    explicit CZipCrypto(std::string_view password);

    void Decrypt(char* data, std::size_t size);
    void Encrypt(char* data, std::size_t size);

    // Decrypts the 12-byte header in place; false when its last byte is not
    // `check`, which means the password is wrong.
    bool DecryptHeader(char* header, unsigned char check);
    // A new encrypted header ending in `check`.
    std::string EncryptHeader(unsigned char check);

private:
    void Update(unsigned char plain);
    unsigned char KeyStream() const;

    std::uint32_t keys_[3];
};

}  // namespace quibo
