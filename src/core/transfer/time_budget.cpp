#include "core/transfer/time_budget.h"

void TimeBudget::Received(std::uint64_t bytes)
{
    if (renewBytes_ == 0 || left_ == 0) return;
    sinceRenewal_ += bytes;
    if (sinceRenewal_ < renewBytes_) return;
    sinceRenewal_ = 0;
    left_ = whole_;
}
