#include "publish/release_sequence.h"

#include <filesystem>

#include "core/config/config_ini.h"
#include "core/package/package.h"

namespace quibo::publish {

std::uint64_t PreviousSequence(const std::string& out)
{
    const std::string text = ReadPackageMember((std::filesystem::path(out) / "server.bin").string(), "server.dat", "");
    CConfigIni ini;
    if (!ini.LoadText(text)) return 0;
    const std::string sequence = ini.GetString("meta", "sequence");
    if (sequence.empty() || sequence.size() > 19 || sequence.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoull(sequence);
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
