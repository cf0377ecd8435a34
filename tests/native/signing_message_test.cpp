// The message a release signature covers, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/signing/signed_message.h"
#include "fake_release_crypto.h"

using namespace quibo;

namespace {

std::string MessageOf(const std::vector<PackageMember>& members)
{
    std::string message;
    fakecrypto::RecordingHasher hasher(&message);
    AddSignedMessage(members, hasher);
    return message;
}

std::string Le64(std::uint64_t n)
{
    std::string bytes;
    for (int i = 0; i < 8; ++i, n >>= 8) bytes += static_cast<char>(n & 0xFF);
    return bytes;
}

TEST(SignedMessage, EveryMemberButTheSignatureIsFramedInDirectoryOrder)
{
    const std::string big(300, 'x');  // a length with a second byte
    const std::vector<PackageMember> members = {
        {"server.dat", "[meta]"}, {"SERVER.SIG", "[sig1]"}, {"dir0.lst", big}, {"empty", ""}};
    const std::string expected = std::string("server.dat") + '\0' + Le64(6) + "[meta]" +  //
                                 std::string("dir0.lst") + '\0' + Le64(300) + big +        //
                                 std::string("empty") + '\0' + Le64(0);
    EXPECT_EQ(MessageOf(members), expected);
    EXPECT_EQ(Le64(300), std::string("\x2c\x01\0\0\0\0\0\0", 8));
}

TEST(SignedMessage, NoChangeToThePackageKeepsTheMessage)
{
    const std::vector<PackageMember> base = {{"a", "12"}, {"b", "345"}};
    struct Case {
        const char* name;
        std::vector<PackageMember> members;
    } cases[] = {
        {"a byte moved to the next member", {{"a", "1"}, {"b", "2345"}}},
        {"a name byte moved into the bytes", {{"a", "12"}, {"", "b345"}}},
        {"order changed", {{"b", "345"}, {"a", "12"}}},
        {"member added", {{"a", "12"}, {"b", "345"}, {"c", ""}}},
        {"member removed", {{"a", "12"}}},
        {"name changed", {{"a", "12"}, {"B", "345"}}},
    };
    const std::string message = MessageOf(base);
    for (const Case& c : cases) EXPECT_NE(MessageOf(c.members), message) << c.name;
    // The signature member is outside the message, whatever it holds.
    EXPECT_EQ(MessageOf({{"a", "12"}, {"server.sig", "anything"}, {"b", "345"}}), message);
}

}  // namespace
