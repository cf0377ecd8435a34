// The [meta] section a signed server package says of itself, and what a
// client makes of it: a release of its own product, not older than the one
// installed, and not past its date.
#pragma once

#include <string_view>

#include "core/signing/release_trust.h"

namespace quibo {

enum class MetaCheck { Accepted, Malformed, OtherProduct, OlderSequence, Expired };

// The [meta] of `serverText`. False when there is no [meta], `sequence` is
// missing or not a decimal number, or `expires` is present and not a UTC
// time. A missing `product` reads as empty.
bool ParseReleaseMeta(std::string_view serverText, ReleaseMeta& meta);

// Whether a client with `trust` takes a release with `meta` at `now`: the
// product must be the client's, byte for byte; the sequence may equal the
// recorded one (the same release fetched again) but not be below it; the
// release expires once `now` is later than `expires`.
MetaCheck CheckReleaseMeta(const ReleaseMeta& meta, const ReleaseTrust& trust, UtcSeconds now);

}  // namespace quibo
