// The network time one address may still take.
//
// Only time spent waiting on the network is spent from it: writing the file
// and a pause cost nothing. A transfer that keeps bringing data may earn its
// whole time afresh, so that only a server that stalls or trickles runs out.
#pragma once

#include <cstdint>

namespace quibo {

class TimeBudget {
public:
    // `ms` to spend; renewed whole with every `renewBytes` received (0: never).
    TimeBudget(std::uint32_t ms, std::uint32_t renewBytes)
        : whole_(std::uint64_t{ms} * 1000), left_(whole_), renewBytes_(renewBytes)
    {
    }

    void Spend(std::uint64_t microseconds) { left_ = microseconds < left_ ? left_ - microseconds : 0; }
    void Received(std::uint64_t bytes);

    // What is left, rounded up: a budget not yet spent is never 0.
    std::uint32_t LeftMs() const { return static_cast<std::uint32_t>((left_ + 999) / 1000); }
    bool Exhausted() const { return left_ == 0; }

private:
    std::uint64_t whole_;  // microseconds
    std::uint64_t left_;
    std::uint32_t renewBytes_;
    std::uint64_t sinceRenewal_ = 0;
};

}  // namespace quibo
