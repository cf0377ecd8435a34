#include "download/local_copy.h"

#include <memory>

#include "core/log/run_log.h"
#include "download/free_space.h"
#include "download/progress_report.h"
#include "download/target_file.h"
#include "download/transfer_meter.h"
#include "win/scoped_handle.h"

namespace quibo {

namespace {

constexpr DWORD kBlockSize = 1 << 20;

}  // namespace

bool CopyLocalFile(TransferControl& control, TransferView& view, const std::string& sourcePath,
                   const std::string& localPath, int row, const SizeCap& cap)
{
    // A source that someone else still has open for writing is copied as it is.
    UniqueFileHandle source(::CreateFileA(sourcePath.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER length{};
    if (!source || !::GetFileSizeEx(source.Get(), &length)) {
        WriteLog("读文件失败！" + sourcePath);
        return false;
    }
    if (!cap.Allows(static_cast<std::uint64_t>(length.QuadPart))) return false;
    if (!HasRoomFor(view, localPath, static_cast<std::uint64_t>(length.QuadPart))) return false;
    TargetFile file(control.Files(), localPath);
    if (!file.IsOpen()) {
        WriteLog("创建文件失败！");
        return false;
    }
    AppendSizeSuffix(view, row, length.QuadPart);
    view.SetFileProgress(0);

    std::unique_ptr<char[]> buffer(new char[kBlockSize]);
    TransferMeter meter(control, view, length.QuadPart, row, SpeedUnit::MegaBytes);
    bool failed = false;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(source.Get(), buffer.get(), kBlockSize, &got, nullptr) || control.stop) {
            failed = true;
            break;
        }
        if (got == 0) break;
        // A source that grows past its signed size while it is copied.
        const DWORD fitting = cap.Fitting(meter.Done(), got);
        if (!file.Write(buffer.get(), fitting) || fitting < got) {
            failed = true;
            break;
        }
        meter.Add(got);
        control.WaitIfPaused();
    }
    bool closed = file.Close();
    if (failed || !closed || control.stop) return false;
    meter.Finish();
    view.SetStatus("OK!");
    return true;
}

}  // namespace quibo
