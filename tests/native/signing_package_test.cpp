// Which server packages a client accepts, and why it refuses the others.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/signing/server_package.h"
#include "signed_package_support.h"

using namespace quibo;
using namespace signedtest;

namespace {

constexpr UtcSeconds k2030 = 1893456000;  // the release's expiry
const PublicKey kKey = fakecrypto::FakeKey(1);
const PublicKey kOtherKey = fakecrypto::FakeKey(2);

ReleaseTrust Trust(std::vector<PublicKey> keys = {kKey}, std::uint64_t sequence = 4)
{
    ReleaseTrust trust;
    trust.keys = std::move(keys);
    trust.product = "Acme";
    trust.sequence = sequence;
    return trust;
}

std::string Good() { return Pack(WithSignature(ReleaseMembers(), {kKey})); }

TEST(ServerPackage, AClientWithKeysTakesOnlyWhatItsPublisherSigned)
{
    ReleaseTrust malformed = Trust({});
    malformed.keysMalformed = true;
    const std::string sig = SignatureFileFor(ReleaseMembers(), {kKey});

    struct Case {
        const char* name;
        std::string package;
        ReleaseTrust trust;
        UtcSeconds now;
        PackageCheck expected;
        std::string log;
    } cases[] = {
        {"good", Good(), Trust(), 0, PackageCheck::Accepted, ""},
        {"equal sequence", Good(), Trust({kKey}, 5), 0, PackageCheck::Accepted, ""},
        {"two keys, the second signs", Good(), Trust({kOtherKey, kKey}), 0, PackageCheck::Accepted, ""},
        {"signed by both keys", Pack(WithSignature(ReleaseMembers(), {kOtherKey, kKey})), Trust(), 0,
         PackageCheck::Accepted, ""},
        {"no signature", Pack(ReleaseMembers()), Trust(), 0, PackageCheck::NoSignature,
         "错误：服务器端配置包没有签名！"},
        {"signature not a signature file", Pack({{"server.dat", ServerDat()}, {"server.sig", "[sig1]\r\nkey=1\r\n"}}),
         Trust(), 0, PackageCheck::NoSignature, "错误：服务器端配置包没有签名！"},
        {"other key", Pack(WithSignature(ReleaseMembers(), {kOtherKey})), Trust(), 0, PackageCheck::BadSignature,
         "错误：服务器端配置包的签名验证失败！"},
        // Changed after signing into what would be refused for another
        // reason: the signature is checked first.
        {"changed member", Pack({{"server.dat", ServerDat("[meta]\r\nproduct=Evil\r\nsequence=5\r\n")},
                                 {"dir0.lst", Dir0List()}, {"server.sig", sig}}),
         Trust(), 0, PackageCheck::BadSignature, "错误：服务器端配置包的签名验证失败！"},
        {"added member", Pack({{"server.dat", ServerDat()}, {"dir0.lst", Dir0List()}, {"run.exe", "MZ"},
                               {"server.sig", sig}}),
         Trust(), 0, PackageCheck::BadSignature, "错误：服务器端配置包的签名验证失败！"},
        {"removed member", Pack({{"server.dat", ServerDat()}, {"server.sig", sig}}), Trust(), 0,
         PackageCheck::BadSignature, "错误：服务器端配置包的签名验证失败！"},
        {"duplicate", Pack(WithSignature({{"server.dat", ServerDat()}, {"Server.dat", ServerDat()}}, {kKey})),
         Trust(), 0, PackageCheck::DuplicateMember, "错误：服务器端配置文件包中有重名的文件：Server.dat！"},
        {"missing meta", Pack(WithSignature(ReleaseMembers(ServerDat("")), {kKey})), Trust(), 0,
         PackageCheck::BadMeta, "错误：服务器端配置包缺少[meta]或其内容有误！"},
        {"other product", Pack(WithSignature(ReleaseMembers(ServerDat("[meta]\r\nproduct=Acme Pro\r\nsequence=5\r\n")), {kKey})),
         Trust(), 0, PackageCheck::OtherProduct, "错误：服务器端配置包属于其他产品：Acme Pro！"},
        {"older sequence", Good(), Trust({kKey}, 6), 0, PackageCheck::OlderSequence,
         "错误：服务器端配置包的序号5小于已安装的序号6！"},
        {"expired", Good(), Trust(), k2030 + 1, PackageCheck::Expired,
         "错误：服务器端配置包已过期：2030-01-01T00:00:00Z！"},
        {"file item without size", Pack(WithSignature(ReleaseMembers(ServerDat(
                                                          "[meta]\r\nproduct=Acme\r\nsequence=5\r\n",
                                                          "sha256=" + kSha + "\r\n")),
                                                      {kKey})),
         Trust(), 0, PackageCheck::IncompleteFile, "错误：服务器端配置包中[file0]缺少sha256或size！"},
        {"file item with a short sha256", Pack(WithSignature(ReleaseMembers(ServerDat(
                                                                 "[meta]\r\nproduct=Acme\r\nsequence=5\r\n",
                                                                 "sha256=abc\r\nsize=1\r\n")),
                                                             {kKey})),
         Trust(), 0, PackageCheck::IncompleteFile, "错误：服务器端配置包中[file0]缺少sha256或size！"},
        {"folder item without its list", Pack(WithSignature({{"server.dat", ServerDat()}}, {kKey})), Trust(), 0,
         PackageCheck::IncompleteFolder, "错误：服务器端配置包中缺少dir0.lst或其内容有误！"},
        {"folder list malformed", Pack(WithSignature({{"server.dat", ServerDat()}, {"dir0.lst", "a.bmp\r\n"}}, {kKey})),
         Trust(), 0, PackageCheck::IncompleteFolder, "错误：服务器端配置包中缺少dir0.lst或其内容有误！"},
        {"not an archive", "<html>404</html>", Trust(), 0, PackageCheck::Unreadable, ""},
        {"malformed client key", Good(), malformed, 0, PackageCheck::UntrustedKeys,
         "错误：客户端配置中的公钥有误，不接受任何服务器端配置包！"},
        {"malformed client key, unsigned package", Pack(ReleaseMembers()), malformed, 0,
         PackageCheck::UntrustedKeys, "错误：客户端配置中的公钥有误，不接受任何服务器端配置包！"},
    };
    for (const Case& c : cases) {
        fakecrypto::FakeCrypto crypto;
        const PackageVerdict verdict = OpenServerPackage(c.package, c.trust, crypto, c.now);
        EXPECT_EQ(verdict.check, c.expected) << c.name;
        EXPECT_EQ(RefusalText(verdict, c.trust), c.log) << c.name;
        if (verdict.Accepted()) {
            EXPECT_EQ(verdict.package.serverText, ServerDat()) << c.name;
            ASSERT_TRUE(verdict.package.meta) << c.name;
            EXPECT_EQ(verdict.package.meta->sequence, 5u) << c.name;
            ASSERT_EQ(verdict.package.lists.count(0), 1u) << c.name;
            EXPECT_EQ(verdict.package.lists.at(0).size(), 2u) << c.name;
        }
    }
}

TEST(ServerPackage, AClientWithoutKeysTakesServerDatAsBefore)
{
    fakecrypto::FakeCrypto crypto;
    const ReleaseTrust none;
    struct Case {
        const char* name;
        std::string package;
        PackageCheck expected;
    } cases[] = {
        {"unsigned", Pack({{"server.dat", "[file0]\r\nver=1\r\n"}}), PackageCheck::Accepted},
        {"signed by anyone", Pack(WithSignature({{"server.dat", "[file0]\r\nver=1\r\n"}}, {kOtherKey})),
         PackageCheck::Accepted},
        {"no server.dat", Pack({{"client.dat", "[system]\r\n"}}), PackageCheck::Unreadable},
        {"duplicate", Pack({{"server.dat", "a"}, {"SERVER.DAT", "b"}}), PackageCheck::DuplicateMember},
    };
    for (const Case& c : cases) {
        const PackageVerdict verdict = OpenServerPackage(c.package, none, crypto, 0);
        EXPECT_EQ(verdict.check, c.expected) << c.name;
        if (verdict.Accepted()) {
            EXPECT_EQ(verdict.package.serverText, "[file0]\r\nver=1\r\n") << c.name;
            EXPECT_FALSE(verdict.package.meta) << c.name;
        }
    }
    EXPECT_EQ(crypto.verifications, 0);
}

}  // namespace
