// quibo-publish: prepares a release folder for serving, and makes the keys
// that sign releases (see README.md, "Preparing a release").
#include <cstdlib>
#include <iostream>

#include "publish/key_generation.h"
#include "publish/publish_options.h"
#include "publish/publish_run.h"
#include "publish/signing_key.h"

int main(int argc, char** argv)
{
    using namespace quibo::publish;
    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> passphrase;
    if (const char* text = std::getenv(kPassphraseVariable)) passphrase = text;
    std::string error;
    PublishResult result;
    if (!args.empty() && args[0] == "keygen") {
        std::string outDir;
        if (!ParseKeygenArgs({args.begin() + 1, args.end()}, outDir, error)) {
            std::cerr << "quibo-publish: " << error << "\n" << kPublishUsage << "\n";
            return static_cast<int>(PublishResult::BadInput);
        }
        result = GenerateKeyPair(outDir, passphrase, error);
    } else {
        PublishOptions options;
        if (!ParsePublishArgs(args, options, error)) {
            std::cerr << "quibo-publish: " << error << "\n" << kPublishUsage << "\n";
            return static_cast<int>(PublishResult::BadInput);
        }
        if (options.skinDir.empty()) options.skinDir = UPDATER_DEFAULT_SKIN_DIR;
        options.passphrase = passphrase;
        result = Publish(options, error);
    }
    if (result != PublishResult::Published) std::cerr << "quibo-publish: " << error << "\n";
    return static_cast<int>(result);
}
