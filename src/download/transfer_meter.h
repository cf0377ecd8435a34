// The running count of one transfer: its speed, and when to show progress.
#pragma once

#include <cstdint>
#include <string>

#include "core/transfer/transfer_text.h"
#include "download/transfer_control.h"
#include "download/transfer_view.h"

namespace quibo {

class TransferMeter {
public:
    // Starts the clock of a new transfer of `total` bytes shown in `row`.
    // `already` bytes of them were there before (a continued file): they
    // count towards the progress, shown at once, but not towards the speed.
    TransferMeter(TransferControl& control, TransferView& view, std::uint64_t total, int row, SpeedUnit unit,
                  std::uint64_t already = 0);

    // Counts a block. Progress is shown when the whole percent changed or a
    // short interval has passed, so that large fast transfers do not flood
    // the page and slow ones still show their speed.
    void Add(std::uint64_t bytes);
    // Shows the final count unless it was the last one shown.
    void Finish();

    std::uint64_t Done() const { return done_; }

private:
    void Report(LONGLONG now);

    TransferControl& control_;
    TransferView& view_;
    std::uint64_t total_;
    int row_;
    SpeedUnit unit_;
    LONGLONG start_;
    LONGLONG lastReport_ = 0;
    std::uint64_t already_;
    std::uint64_t done_;
    std::uint64_t reported_ = 0;
    int reportedPercent_ = -1;
    std::string speedText_;
};

}  // namespace quibo
