#include "publish/publish_options.h"

#include <set>

namespace quibo::publish {

const char* const kPublishUsage =
    "usage: quibo-publish --release DIR --url BASE --out DIR [--describe FILE] [--ver V]\n"
    "                     [--client] [--client-ver V] [--skin DIR]\n"
    "                     [--key FILE]... [--product NAME] [--sequence N] [--expires-days N]\n"
    "       quibo-publish keygen --out DIR\n"
    "keygen writes DIR/release.key (the private key: keep it off the server, back it up; encrypted\n"
    "with QUIBO_KEY_PASSPHRASE when that is set) and DIR/release.pub, and never replaces them.\n"
    "--key signs server.bin (give it twice to sign with an old and a new key); with --client the\n"
    "client package then trusts exactly those keys. --product defaults to the release folder's\n"
    "name, --sequence to the previous release's in --out plus one.";

namespace {

// A decimal number from `least` to `most`.
bool ParseNumber(const std::string& text, std::uint64_t least, std::uint64_t most, std::uint64_t& value)
{
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::stoull(text);
    return value >= least && value <= most;
}

// A client lets a release be at most a century old, and a sequence stays
// far below what its 64-bit record holds.
constexpr std::uint64_t kMaxExpiresDays = 36500;
constexpr std::uint64_t kMaxSequence = 999999999999999999ull;

}  // namespace

bool ParsePublishArgs(const std::vector<std::string>& args, PublishOptions& options, std::string& error)
{
    std::string key, sequence, expiresDays;
    struct Valued {
        const char* flag;
        std::string* target;
    } const valued[] = {
        {"--release", &options.releaseDir}, {"--url", &options.baseUrl},       {"--out", &options.outDir},
        {"--describe", &options.describeFile}, {"--skin", &options.skinDir}, {"--ver", &options.defaultVer},
        {"--client-ver", &options.clientVer},  {"--key", &key},               {"--product", &options.product},
        {"--sequence", &sequence},             {"--expires-days", &expiresDays},
    };
    std::set<std::string> seen;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // Signing with several keys is how keys are rotated.
        if (!seen.insert(arg).second && arg != "--key") {
            error = "flag " + arg + " given twice";
            return false;
        }
        if (arg == "--client") {
            options.client = true;
            continue;
        }
        const Valued* match = nullptr;
        for (const Valued& v : valued)
            if (arg == v.flag) match = &v;
        if (!match) {
            error = "unknown argument: " + arg;
            return false;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = "flag " + arg + " needs a value";
            return false;
        }
        *match->target = args[++i];
        if (match->target == &key) options.keyFiles.push_back(key);
    }
    for (const char* required : {"--release", "--url", "--out"})
        if (!seen.count(required)) {
            error = std::string("missing ") + required;
            return false;
        }
    std::uint64_t number = 0;
    if (seen.count("--sequence")) {
        if (!ParseNumber(sequence, 1, kMaxSequence, number)) {
            error = "--sequence must be a whole number from 1, not \"" + sequence + "\"";
            return false;
        }
        options.sequence = number;
    }
    if (seen.count("--expires-days")) {
        if (!ParseNumber(expiresDays, 1, kMaxExpiresDays, number)) {
            error = "--expires-days must be a whole number of days from 1 to " + std::to_string(kMaxExpiresDays) +
                    ", not \"" + expiresDays + "\"";
            return false;
        }
        options.expiresDays = static_cast<int>(number);
    }
    return true;
}

bool ParseKeygenArgs(const std::vector<std::string>& args, std::string& outDir, std::string& error)
{
    if (args.size() != 2 || args[0] != "--out" || args[1].empty()) {
        error = "keygen takes --out DIR and nothing else";
        return false;
    }
    outDir = args[1];
    return true;
}

}  // namespace quibo::publish
