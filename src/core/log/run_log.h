// The run log "client.log": one time-stamped line per event, appended.
//
// One process-wide log, written from the main thread and the worker threads.
// Each line is built completely and written with a single append, so lines
// from different threads never interleave.
//
// Texts come partly from outside (server values, addresses), so a line can
// never be more than one line: control characters are written escaped ("\r",
// "\n", "\t", "\x1B"), and a text is cut after kMaxLogText bytes. The file is
// kept bounded too: once it holds kMaxLogFileSize bytes it is started anew,
// the previous one kept beside it as "client.old.log".
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace quibo {

constexpr size_t kMaxLogText = 4096;
constexpr std::uint64_t kMaxLogFileSize = 4u * 1024 * 1024;

class RunLog {
public:
    static RunLog& Instance();

    // Opens `path` for appending, creating it when missing (never truncating).
    // A failure is not reported: writes then go nowhere.
    void Open(const std::string& path = "client.log");
    // Closes the file when open; with logging disabled, deletes a non-empty
    // file at `path` instead, so a run with logging off removes an old log.
    void Close(const std::string& path = "client.log");
    bool IsOpen() const;
    // Closes the file when open and turns logging off, leaving the file on
    // disk: another process (the self-update's copy) takes over the log.
    void Disable();

    // "log enabled": fixed per pass by the pre-settings.
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Enabled() const { return enabled_; }
    // "log allowed": cleared while the skin is read so that it writes nothing.
    void SetAllowed(bool allowed) { allowed_ = allowed; }
    bool Allowed() const { return allowed_; }

    // Test hook: the size at which the file is started anew.
    void SetFileSizeLimit(std::uint64_t bytes) { sizeLimit_ = bytes; }

    void Write(std::string_view text);

    // "HH:MM:SS    " + text + CR LF, for the given local time; the text with
    // its control characters escaped and cut after kMaxLogText bytes.
    static std::string FormatLine(int hour, int minute, int second, std::string_view text);
    // Where the previous log is kept: "client.log" -> "client.old.log".
    static std::string PreviousPath(const std::string& path);

private:
    RunLog() = default;
    void OpenLocked();
    void StartAnewLocked();
    void CloseLocked();

    mutable std::mutex mutex_;
    std::FILE* file_ = nullptr;
    std::string path_;
    std::uint64_t size_ = 0;
    std::uint64_t sizeLimit_ = kMaxLogFileSize;
    std::atomic<bool> enabled_{false};
    std::atomic<bool> allowed_{true};
};

// Writes one line to the process-wide run log.
void WriteLog(std::string_view text);

// Mutes the run log for the lifetime of the object and then restores it.
class LogMute {
public:
    LogMute() : previous_(RunLog::Instance().Allowed()) { RunLog::Instance().SetAllowed(false); }
    ~LogMute() { RunLog::Instance().SetAllowed(previous_); }
    LogMute(const LogMute&) = delete;
    LogMute& operator=(const LogMute&) = delete;

private:
    bool previous_;
};

}  // namespace quibo
