// SHA-256 and ECDSA P-256 verification through CNG, against published
// known answers: the release checks stand on these two calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/signing/hex_text.h"
#include "transfer_test_support.h"
#include "win/cng_crypto.h"
#include "win/scoped_handle.h"

using namespace quibo;

namespace {

// Typed hex of the right length (the constants below are made before any test runs).
template <typename Bytes>
Bytes Hex(const char* text)
{
    Bytes bytes{};
    if (!FromHex(text, bytes)) std::abort();
    return bytes;
}

Sha256Digest Sha256Of(const std::vector<std::string>& parts)
{
    CngCrypto crypto;
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    EXPECT_NE(hasher, nullptr);
    if (!hasher) return {};
    for (const std::string& part : parts) hasher->Add(part);
    return hasher->Finish();
}

TEST(CngSha256, KnownAnswers)
{
    const std::string oneMillionA(1000000, 'a');
    struct Case {
        const char* name;
        std::vector<std::string> parts;
        const char* digest;
    } cases[] = {
        {"empty", {}, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", {"abc"}, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"448 bits",
         {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"},
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        // In uneven pieces, so that the hash carries partial blocks between calls.
        {"a million a",
         {oneMillionA.substr(0, 1), oneMillionA.substr(1, 63), oneMillionA.substr(64, 499937),
          std::string(), oneMillionA.substr(500001)},
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) EXPECT_EQ(ToHex(Sha256Of(c.parts)), c.digest) << c.name;
}

TEST(CngSha256, AHasherMadeOnOneThreadIsFinishedOnAnother)
{
    CngCrypto crypto;
    std::unique_ptr<Sha256Hasher> hasher = crypto.NewSha256();
    ASSERT_NE(hasher, nullptr);
    hasher->Add("a");
    Sha256Digest digest{};
    std::thread([&] {
        hasher->Add("bc");
        digest = hasher->Finish();
    }).join();
    EXPECT_EQ(ToHex(digest), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// The P-256 key and the SHA-256 signatures of RFC 6979, A.2.5.
const PublicKey kRfcKey = Hex<PublicKey>(
    "60FED4BA255A9D31C961EB74C6356D68C049B8923B61FA6CE669622E60F29FB6"
    "7903FE1008B8BC99A41AE9E95628BC64F2F1B20C2D7E9F5177A3C294D4462299");
const SignatureBytes kSampleSignature = Hex<SignatureBytes>(
    "EFD48B2AACB6A8FD1140DD9CD45E81D69D2C877B56AAF991C34D0EA84EAF3716"
    "F7CB1C942D657C41D436C7A1B6E29F65F3E900DBB9AFF4064DC4AB2F843ACDA8");
const SignatureBytes kTestSignature = Hex<SignatureBytes>(
    "F1ABB023518351CD71D881567B1EA663ED3EFCF6C5132B354F28D3B0B7D38367"
    "019F4113742A2B14BD25926B49C649155F267E60D3814B4C0CC84250E46F0083");
// The curve's base point: a valid key, but not the one that signed.
const PublicKey kOtherKey = Hex<PublicKey>(
    "6B17D1F2E12C4247F8BCE6E563A440F277037D812DEB33A0F4A13945D898C296"
    "4FE342E2FE1A7F9B8EE7EB4A7C0F9E162BCE33576B315ECECBB6406837BF51F5");
// The order n of the curve's group.
const Sha256Digest kOrder = Hex<Sha256Digest>("FFFFFFFF00000000FFFFFFFFFFFFFFFFBCE6FAADA7179E84F3B9CAC2FC632551");

// (r, n - s): the other signature that ECDSA accepts for the same message.
SignatureBytes HighLowTwin(SignatureBytes signature)
{
    int borrow = 0;
    for (int i = 31; i >= 0; --i) {
        int difference = kOrder[i] - signature[32 + i] - borrow;
        borrow = difference < 0;
        signature[32 + i] = static_cast<std::uint8_t>(difference + (borrow ? 256 : 0));
    }
    return signature;
}

// r || s as DER: SEQUENCE { INTEGER r, INTEGER s }, each with its sign byte.
std::vector<std::uint8_t> Der(const SignatureBytes& signature)
{
    std::vector<std::uint8_t> integers;
    for (int half = 0; half < 2; ++half) {
        const std::uint8_t* value = signature.data() + 32 * half;
        bool sign = value[0] & 0x80;
        integers.push_back(0x02);
        integers.push_back(static_cast<std::uint8_t>(32 + sign));
        if (sign) integers.push_back(0);
        integers.insert(integers.end(), value, value + 32);
    }
    std::vector<std::uint8_t> der{0x30, static_cast<std::uint8_t>(integers.size())};
    der.insert(der.end(), integers.begin(), integers.end());
    return der;
}

TEST(CngP256, VerifiesKnownAnswersAndRefusesAnythingElse)
{
    const Sha256Digest sample = Sha256Of({"sample"});
    const Sha256Digest test = Sha256Of({"test"});
    Sha256Digest tampered = sample;
    tampered[31] ^= 1;
    PublicKey offCurve = kRfcKey;
    offCurve[63] ^= 1;
    const SignatureBytes twin = HighLowTwin(kSampleSignature);
    ASSERT_NE(twin, kSampleSignature);
    const std::vector<std::uint8_t> der = Der(kSampleSignature);

    struct Case {
        const char* name;
        PublicKey key;
        Sha256Digest digest;
        std::vector<std::uint8_t> signature;
        bool valid;
    } cases[] = {
        {"sample", kRfcKey, sample, {kSampleSignature.begin(), kSampleSignature.end()}, true},
        {"test", kRfcKey, test, {kTestSignature.begin(), kTestSignature.end()}, true},
        // ECDSA accepts (r, n - s) as well: a signature's bytes are therefore
        // never used to tell releases apart, only to accept or refuse them.
        {"(r, n - s) twin", kRfcKey, sample, {twin.begin(), twin.end()}, true},
        {"signature of another message", kRfcKey, test, {kSampleSignature.begin(), kSampleSignature.end()}, false},
        {"tampered digest", kRfcKey, tampered, {kSampleSignature.begin(), kSampleSignature.end()}, false},
        {"another key", kOtherKey, sample, {kSampleSignature.begin(), kSampleSignature.end()}, false},
        {"key not on the curve", offCurve, sample, {kSampleSignature.begin(), kSampleSignature.end()}, false},
        {"63 bytes", kRfcKey, sample, {kSampleSignature.begin(), kSampleSignature.end() - 1}, false},
        {"65 bytes", kRfcKey, sample, [] {
             std::vector<std::uint8_t> longer(kSampleSignature.begin(), kSampleSignature.end());
             longer.push_back(0);
             return longer;
         }(), false},
        {"DER", kRfcKey, sample, der, false},
        {"empty", kRfcKey, sample, {}, false},
    };
    CngCrypto crypto;
    for (const Case& c : cases) {
        EXPECT_EQ(crypto.VerifyP256(c.key, c.digest, c.signature.data(), c.signature.size()), c.valid) << c.name;
    }
}

// A file handle with its position moved to `offset`.
UniqueFileHandle OpenAt(const std::string& path, LONG offset)
{
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file.IsValid()) << path;
    EXPECT_NE(::SetFilePointer(file.Get(), offset, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    return file;
}

TEST(CngSha256, OfHandleHashesFromTheCurrentPositionToTheEnd)
{
    transfertest::ScratchDir scratch;
    // Longer than one read block, so that the blocks are joined.
    std::string bytes((3 << 20) + 12345, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + i / 4099);
    const std::string path = scratch / "data.bin";
    transfertest::WriteBytes(path, bytes);

    CngCrypto crypto;
    for (std::size_t offset : {std::size_t(0), std::size_t(1000), bytes.size()}) {
        UniqueFileHandle file = OpenAt(path, static_cast<LONG>(offset));
        Sha256Digest digest{};
        std::uint64_t size = 0;
        ASSERT_TRUE(Sha256OfHandle(file.Get(), crypto, digest, size)) << offset;
        EXPECT_EQ(size, bytes.size() - offset);
        EXPECT_EQ(digest, Sha256Of({bytes.substr(offset)})) << offset;
    }
}

TEST(CngSha256, OfHandleFailsWhenTheHandleCannotBeRead)
{
    transfertest::ScratchDir scratch;
    const std::string path = scratch / "write-only.bin";
    transfertest::WriteBytes(path, "abc");
    UniqueFileHandle file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.IsValid());
    CngCrypto crypto;
    Sha256Digest digest{};
    std::uint64_t size = 0;
    EXPECT_FALSE(Sha256OfHandle(file.Get(), crypto, digest, size));
}

}  // namespace
