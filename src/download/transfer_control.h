// The shared state of the transfers of one download page: the stop and pause
// flags the user sets, the event a paused transfer waits on, the open-file
// registry, the timer frequency and the host window that receives progress.
#pragma once

#include <windows.h>

#include <atomic>

#include "download/open_file_registry.h"
#include "win/scoped_handle.h"

namespace quibo {

class TransferControl {
public:
    TransferControl();  // an auto-reset pause event, not signalled

    std::atomic<int> stop{0};    // every read loop ends at its next block
    std::atomic<int> paused{0};  // transfers wait on the pause event after a block

    // Blocks the calling transfer while the paused flag is set.
    void WaitIfPaused();
    void Pause() { paused = 1; }
    void Continue();  // clears the flag and wakes the waiting transfer
    // Sets the stop flag and wakes a paused transfer, which then ends.
    void Stop();
    HANDLE PauseEvent() const { return pauseEvent_.Get(); }

    OpenFileRegistry& Files() { return files_; }

    double InverseFrequency() const { return inverseFrequency_; }
    // Seconds since `startCount` (a QueryPerformanceCounter value).
    double ElapsedSeconds(LONGLONG startCount) const;
    static LONGLONG Now();

    HWND hostWindow = nullptr;   // receives 2020 and 2021; none when null
    int lastPostedPercent = -1;  // the host hears of each whole percent once

private:
    UniqueHandle pauseEvent_;
    OpenFileRegistry files_;
    double inverseFrequency_ = 0;
};

}  // namespace quibo
