// A release's [meta]: how it is read and what a client accepts.
#include <gtest/gtest.h>

#include <string>

#include "core/signing/release_meta.h"

using namespace quibo;

namespace {

constexpr UtcSeconds k2030 = 1893456000;  // 2030-01-01T00:00:00Z

TEST(ReleaseMeta, ReadsProductSequenceAndExpiry)
{
    struct Case {
        const char* name;
        const char* text;
        bool ok;
        const char* product;
        std::uint64_t sequence;
        std::optional<UtcSeconds> expires;
    } cases[] = {
        {"all three", "[file0]\nver=1\n[meta]\nproduct=Acme Office\nsequence=42\nexpires=2030-01-01T00:00:00Z\n",
         true, "Acme Office", 42, k2030},
        {"no expiry", "[meta]\nproduct=Acme\nsequence=0\n", true, "Acme", 0, std::nullopt},
        {"no product", "[meta]\nsequence=7\n", true, "", 7, std::nullopt},
        {"largest sequence", "[meta]\nsequence=9999999999999999999\n", true, "", 9999999999999999999ull,
         std::nullopt},
        {"no [meta]", "[system]\nproduct=Acme\nsequence=3\n", false, "", 0, std::nullopt},
        {"no sequence", "[meta]\nproduct=Acme\n", false, "", 0, std::nullopt},
        {"empty sequence", "[meta]\nsequence=\n", false, "", 0, std::nullopt},
        {"negative sequence", "[meta]\nsequence=-1\n", false, "", 0, std::nullopt},
        {"sequence with text", "[meta]\nsequence=3a\n", false, "", 0, std::nullopt},
        {"sequence too long", "[meta]\nsequence=18446744073709551616\n", false, "", 0, std::nullopt},
        {"expiry without Z", "[meta]\nsequence=1\nexpires=2030-01-01T00:00:00\n", false, "", 0, std::nullopt},
        {"expiry not a day", "[meta]\nsequence=1\nexpires=2030-02-30T00:00:00Z\n", false, "", 0, std::nullopt},
    };
    for (const Case& c : cases) {
        ReleaseMeta meta;
        ASSERT_EQ(ParseReleaseMeta(c.text, meta), c.ok) << c.name;
        if (!c.ok) continue;
        EXPECT_EQ(meta.product, c.product) << c.name;
        EXPECT_EQ(meta.sequence, c.sequence) << c.name;
        EXPECT_EQ(meta.expires, c.expires) << c.name;
    }
}

TEST(ReleaseMeta, AClientTakesItsOwnProductNotOlderAndNotExpired)
{
    ReleaseTrust trust;
    trust.product = "Acme";
    trust.sequence = 5;
    struct Case {
        const char* name;
        ReleaseMeta meta;
        UtcSeconds now;
        MetaCheck expected;
    } cases[] = {
        {"newer", {"Acme", 6, k2030}, k2030 - 1, MetaCheck::Accepted},
        {"equal sequence", {"Acme", 5, std::nullopt}, k2030, MetaCheck::Accepted},
        {"at the expiry second", {"Acme", 6, k2030}, k2030, MetaCheck::Accepted},
        {"a second past expiry", {"Acme", 6, k2030}, k2030 + 1, MetaCheck::Expired},
        {"older", {"Acme", 4, std::nullopt}, 0, MetaCheck::OlderSequence},
        {"other product", {"Acme2", 6, std::nullopt}, 0, MetaCheck::OtherProduct},
        {"product in other case", {"acme", 6, std::nullopt}, 0, MetaCheck::OtherProduct},
        {"no product", {"", 6, std::nullopt}, 0, MetaCheck::OtherProduct},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckReleaseMeta(c.meta, trust, c.now), c.expected) << c.name;
}

}  // namespace
