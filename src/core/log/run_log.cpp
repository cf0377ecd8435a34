#include "core/log/run_log.h"

#include <ctime>

#include "core/text/code_page.h"

namespace quibo {

namespace {

constexpr char kCutMark[] = "……";

// Control characters shown as escapes: a text from outside can never start
// a line of its own. Lead and trail bytes of double-byte characters are never
// below 0x40, so the bytes can be looked at one by one.
void AppendEscaped(std::string& line, std::string_view text)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            line += c;
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\t') {
            line += "\\t";
        } else {
            line += "\\x";
            line += kHex[u >> 4];
            line += kHex[u & 0xF];
        }
    }
}

std::uint64_t FileSize(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0) return 0;
    long size = std::ftell(file);
    return size < 0 ? 0 : static_cast<std::uint64_t>(size);
}

}  // namespace

RunLog& RunLog::Instance()
{
    static RunLog log;
    return log;
}

std::string RunLog::PreviousPath(const std::string& path)
{
    const std::string ext = ".log";
    if (path.size() > ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0)
        return path.substr(0, path.size() - ext.size()) + ".old" + ext;
    return path + ".old";
}

void RunLog::Open(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_) return;
    path_ = path;
    OpenLocked();
    if (file_ && size_ >= sizeLimit_) StartAnewLocked();
}

void RunLog::OpenLocked()
{
    // Append mode: every write lands at the current end of the file, whoever
    // else has written to it meanwhile.
    file_ = std::fopen(path_.c_str(), "ab");
    size_ = file_ ? FileSize(file_) : 0;
}

void RunLog::StartAnewLocked()
{
    CloseLocked();
    std::string previous = PreviousPath(path_);
    std::remove(previous.c_str());
    // Should the rename fail, the old file is dropped rather than grown.
    if (std::rename(path_.c_str(), previous.c_str()) != 0) std::remove(path_.c_str());
    OpenLocked();
}

void RunLog::CloseLocked()
{
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

void RunLog::Close(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex_);
    // Disabled while open (self-update hand-over): the file is still released.
    CloseLocked();
    if (enabled_) return;
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
    CloseLocked();
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
    std::string_view shown = HeadWithin(text, kMaxLogText);
    std::string line;
    line.reserve(12 + shown.size() + 8);
    line += stamp;
    AppendEscaped(line, shown);
    if (shown.size() < text.size()) line += kCutMark;
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
    std::string line =
        local ? FormatLine(local->tm_hour, local->tm_min, local->tm_sec, text) : FormatLine(0, 0, 0, text);
    if (size_ > 0 && size_ + line.size() > sizeLimit_) {
        StartAnewLocked();
        if (!file_) return;
    }
    size_ += std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

void WriteLog(std::string_view text) { RunLog::Instance().Write(text); }

}  // namespace quibo
