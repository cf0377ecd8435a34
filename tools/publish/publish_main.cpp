// quibo-publish: prepares a release folder for serving (see README.md,
// "Preparing a release").
#include <iostream>

#include "publish/publish_options.h"
#include "publish/publish_run.h"

int main(int argc, char** argv)
{
    using namespace quibo::publish;
    PublishOptions options;
    std::string error;
    if (!ParsePublishArgs(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "quibo-publish: " << error << "\n" << kPublishUsage << "\n";
        return static_cast<int>(PublishResult::BadInput);
    }
    if (options.skinDir.empty()) options.skinDir = UPDATER_DEFAULT_SKIN_DIR;
    PublishResult result = Publish(options, error);
    if (result != PublishResult::Published) std::cerr << "quibo-publish: " << error << "\n";
    return static_cast<int>(result);
}
