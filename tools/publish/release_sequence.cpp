#include "publish/release_sequence.h"

#include <filesystem>

#include "core/package/package.h"
#include "core/signing/release_meta.h"

namespace quibo::publish {

std::uint64_t PreviousSequence(const std::string& out)
{
    const std::string text = ReadPackageMember((std::filesystem::path(out) / "server.bin").string(), "server.dat", "");
    ReleaseMeta meta;
    return ParseReleaseMeta(text, meta) ? meta.sequence : 0;
}

std::optional<std::uint64_t> ChooseSequence(std::uint64_t previous, std::optional<std::uint64_t> requested,
                                            std::string& error)
{
    if (!requested) return previous + 1;
    // Equal is refused too: of two releases under one number anyone could
    // serve the older to a client that installed the newer, and it would be
    // taken.
    if (*requested <= previous) {
        error = "--sequence " + std::to_string(*requested) + " is not above " + std::to_string(previous) +
                ", the sequence of the release in --out: clients that installed it refuse a lower one";
        return std::nullopt;
    }
    return requested;
}

}  // namespace quibo::publish
