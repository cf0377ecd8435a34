#include "core/transfer/time_budget.h"

namespace quibo {

void TimeBudget::Received(std::uint64_t bytes)
{
    if (renewBytes_ == 0 || left_ == 0) return;
    sinceRenewal_ += bytes;
    if (sinceRenewal_ < renewBytes_) return;
    sinceRenewal_ = 0;
    left_ = whole_;
}

}  // namespace quibo
