#include "download/transfer_meter.h"

#include "download/progress_report.h"

namespace quibo {

namespace {

constexpr double kReportInterval = 0.05;  // seconds

}  // namespace

TransferMeter::TransferMeter(TransferControl& control, TransferView& view, std::uint64_t total, int row,
                             SpeedUnit unit, std::uint64_t already)
    : control_(control),
      view_(view),
      total_(total),
      row_(row),
      unit_(unit),
      start_(TransferControl::Now()),
      already_(already),
      done_(already)
{
    // Each file's progress is news to the host, even when the file before
    // it ended on the same percent.
    control_.lastPostedPercent = -1;
    if (already_ > 0) Report(start_);
}

void TransferMeter::Add(std::uint64_t bytes)
{
    done_ += bytes;
    LONGLONG now = TransferControl::Now();
    bool due = static_cast<double>(now - lastReport_) * control_.InverseFrequency() >= kReportInterval;
    if (due || ProgressPercent(done_, total_) != reportedPercent_) Report(now);
}

void TransferMeter::Finish()
{
    if (reportedPercent_ < 0 || reported_ != done_) Report(TransferControl::Now());
}

void TransferMeter::Report(LONGLONG now)
{
    double seconds = static_cast<double>(now - start_) * control_.InverseFrequency();
    speedText_ = SpeedText(static_cast<double>(done_ - already_), seconds, unit_, speedText_);
    ReportProgress(control_, view_, done_, total_, speedText_, row_);
    lastReport_ = now;
    reported_ = done_;
    reportedPercent_ = ProgressPercent(done_, total_);
}

}  // namespace quibo
