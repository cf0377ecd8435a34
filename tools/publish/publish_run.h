// One publishing run: check the input, write the release's files into a
// folder of their own and its packages beside their final names, read it all
// back, and only then make it public by renaming the server package into
// place.
#pragma once

#include <string>

#include "publish/publish_options.h"

namespace quibo::publish {

// Exit codes of the publisher.
enum class PublishResult : int {
    Published = 0,
    WriteFailed = 1,  // the output folder could not be written
    BadInput = 2,     // nothing was written
    CheckFailed = 3,  // what was written did not read back right and was removed
};

// `error` receives one line when the result is not Published.
PublishResult Publish(const PublishOptions& options, std::string& error);

}  // namespace quibo::publish
