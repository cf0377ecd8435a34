#include "core/log/run_log.h"

#include <ctime>

RunLog& RunLog::Instance()
{
    static RunLog log;
    return log;
}

void RunLog::Open(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_) return;
    // Append mode: every write lands at the current end of the file, whoever
    // else has written to it meanwhile.
    file_ = std::fopen(path.c_str(), "ab");
}

void RunLog::Close(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (enabled_) {
        if (file_) std::fclose(file_);
        file_ = nullptr;
        return;
    }
    if (file_) {  // disabled while open (self-update hand-over): still release it
        std::fclose(file_);
        file_ = nullptr;
    }
    if (std::FILE* old = std::fopen(path.c_str(), "rb")) {
        bool nonEmpty = std::fgetc(old) != EOF;
        std::fclose(old);
        if (nonEmpty) std::remove(path.c_str());
    }
}

void RunLog::Disable()
{
    std::lock_guard<std::mutex> lock(mutex_);
    enabled_ = false;
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

bool RunLog::IsOpen() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return file_ != nullptr;
}

std::string RunLog::FormatLine(int hour, int minute, int second, std::string_view text)
{
    char stamp[16];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d    ", hour, minute, second);
    std::string line;
    line.reserve(12 + text.size() + 2);
    line += stamp;
    line += text;
    line += "\r\n";
    return line;
}

void RunLog::Write(std::string_view text)
{
    if (!allowed_ || !enabled_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!file_) return;
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);  // guarded by the lock
    std::string line = local ? FormatLine(local->tm_hour, local->tm_min, local->tm_sec, text)
                             : FormatLine(0, 0, 0, text);
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

void WriteLog(std::string_view text) { RunLog::Instance().Write(text); }
