#include "download/progress_report.h"

#include "core/transfer/transfer_text.h"
#include "win/host_messages.h"

namespace quibo {

void ReportProgress(TransferControl& control, TransferView& view, std::uint64_t done, std::uint64_t total,
                    const std::string& speedText, int row)
{
    int percent = ProgressPercent(done, total);
    bool newPercent = percent != control.lastPostedPercent;
    view.SetFileProgress(percent);
    if (!view.IsFolderRow(row)) view.SetRowProgress(row, percent);
    if (newPercent && control.hostWindow)
        ::PostMessageA(control.hostWindow, kHostPercentMessage, 100, percent);

    std::string size = SizeText(total);
    view.SetRowSpeed(row, speedText);
    view.SetInfoText(ProgressInfoText(size, speedText));
    view.SetTrayText(TrayProgressText(size, percent, speedText));

    if (newPercent) {
        // Win32 message parameters are 32 bits wide, as the sizes the host knows.
        if (control.hostWindow)
            ::PostMessageA(control.hostWindow, kHostBytesMessage, static_cast<WPARAM>(total),
                           static_cast<LPARAM>(done));
        control.lastPostedPercent = percent;
    }
}

void AppendSizeSuffix(TransferView& view, int row, std::uint64_t size)
{
    if (!view.IsFolderRow(row)) view.AppendToRowName(row, "(" + SizeText(size) + ")");
}

}  // namespace quibo
