// The sequence number of a release: it only grows from one release in an
// output folder to the next, since a client refuses a server package whose
// sequence is below the one it installed last.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quibo::publish {

// The [meta] sequence of the server package in `out`; 0 when there is no
// package or it carries none (one published before releases were signed).
std::uint64_t PreviousSequence(const std::string& out);

// `requested` when given and above `previous`, else previous + 1; nullopt
// with the reason when `requested` is not above `previous`.
std::optional<std::uint64_t> ChooseSequence(std::uint64_t previous, std::optional<std::uint64_t> requested,
                                            std::string& error);

}  // namespace quibo::publish
