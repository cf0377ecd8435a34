// The publisher's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quibo::publish {

struct PublishOptions {
    std::string releaseDir;    // the files to publish and, by default, release.ini
    std::string baseUrl;       // where OUT will be served (a trailing "/" is dropped)
    std::string outDir;        // receives server.bin, the files and update.bin
    std::string describeFile;  // empty: releaseDir/release.ini
    bool client = false;       // also write the client package update.bin
    std::string skinDir;       // the folder of ui.dat and its BMP pictures
    std::string defaultVer;    // "ver" of items whose section gives none
    std::string clientVer = "0.0.0";  // installed version written into client.dat
    std::vector<std::string> keyFiles;     // --key: sign with each, in this order
    std::string product;                   // empty: the release folder's name
    std::optional<std::uint64_t> sequence;  // empty: the previous release's in OUT + 1
    std::optional<int> expiresDays;        // the release expires this many days after publication
    std::optional<std::string> passphrase;  // opens encrypted keys (QUIBO_KEY_PASSPHRASE)
    int failingWrite = 0;      // tests only: this write (1 = the first file or package) fails
};

// False with a one-line reason for an unknown, repeated or incomplete flag.
bool ParsePublishArgs(const std::vector<std::string>& args, PublishOptions& options, std::string& error);

// "keygen --out DIR": false with a one-line reason for anything else.
bool ParseKeygenArgs(const std::vector<std::string>& args, std::string& outDir, std::string& error);

extern const char* const kPublishUsage;

}  // namespace quibo::publish
