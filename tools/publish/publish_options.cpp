#include "publish/publish_options.h"

#include <set>

namespace quibo::publish {

const char* const kPublishUsage =
    "usage: quibo-publish --release DIR --url BASE --out DIR [--describe FILE] [--ver V]\n"
    "                     [--client] [--client-ver V] [--skin DIR]";

bool ParsePublishArgs(const std::vector<std::string>& args, PublishOptions& options, std::string& error)
{
    struct Valued {
        const char* flag;
        std::string* target;
    } const valued[] = {
        {"--release", &options.releaseDir}, {"--url", &options.baseUrl},       {"--out", &options.outDir},
        {"--describe", &options.describeFile}, {"--skin", &options.skinDir}, {"--ver", &options.defaultVer},
        {"--client-ver", &options.clientVer},
    };
    std::set<std::string> seen;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!seen.insert(arg).second) {
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
    }
    for (const char* required : {"--release", "--url", "--out"})
        if (!seen.count(required)) {
            error = std::string("missing ") + required;
            return false;
        }
    return true;
}

}  // namespace quibo::publish
