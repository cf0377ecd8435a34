// What the transfer tests share: the addresses and folders of the local test
// servers (tools/test-servers), test files, a scratch folder and the run log.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/log/run_log.h"
#include "download/transfer_limits.h"
#include "win/internet_handle.h"

using namespace quibo;

namespace transfertest {

// The port of one test server: the variable that tools/wine-run sets from the
// tree's build/servers/ports.env, or the fixed number of a tree that never
// gave out ports.
inline int ServerPort(const char* variable, int fallback)
{
    char value[16] = {};
    DWORD length = ::GetEnvironmentVariableA(variable, value, sizeof value);
    int port = length > 0 && length < sizeof value ? std::atoi(value) : 0;
    return port > 0 && port < 65536 ? port : fallback;
}

// "SCHEME://HOST:PORT/", kept for the whole run.
inline const char* ServerUrl(const char* scheme, const char* host, int port)
{
    static std::deque<std::string> urls;  // a deque never moves what it holds
    urls.push_back(std::string(scheme) + "://" + host + ":" + std::to_string(port) + "/");
    return urls.back().c_str();
}

inline const int kHttpPort = ServerPort("UPDATER_HTTP_PORT", 18080);
inline const int kHttpsPort = ServerPort("UPDATER_HTTPS_PORT", 18443);
inline const char* const kHttp = ServerUrl("http", "127.0.0.1", kHttpPort);
inline const char* const kHttps = ServerUrl("https", "127.0.0.1", kHttpsPort);
inline const char* const kHttpsLocalhost = ServerUrl("https", "localhost", kHttpsPort);
// Certificate for wrong.example.
inline const char* const kHttpsWrongName =
    ServerUrl("https", "127.0.0.1", ServerPort("UPDATER_HTTPS_WRONG_NAME_PORT", 18444));
// Signed by an untrusted CA.
inline const char* const kHttpsUnknownCa =
    ServerUrl("https", "127.0.0.1", ServerPort("UPDATER_HTTPS_UNKNOWN_CA_PORT", 18445));
// tests/servers/odd_http.py
inline const char* const kOdd = ServerUrl("http", "127.0.0.1", ServerPort("UPDATER_ODD_HTTP_PORT", 18081));
// Nothing listens there.
inline const char* const kClosed = ServerUrl("http", "127.0.0.1", ServerPort("UPDATER_CLOSED_PORT", 18099));
// The odd server never greets an FTP client: a server that keeps it waiting.
inline const std::string kSilentFtp =
    "ftp://127.0.0.1:" + std::to_string(ServerPort("UPDATER_ODD_HTTP_PORT", 18081));

// Limits that let the tests of stalling servers run in seconds: one second
// per call, two per address (renewed with every 4 KiB of a download), two
// per FTP login.
constexpr HttpLimits kQuickHttp{1000, 2000, 4096, kHttpLimits.redirects};
constexpr HttpLimits kQuickConfigHttp{1000, 2000, 0, kHttpLimits.redirects};
constexpr FtpLimits kQuickFtp{2000};
// Well past every quick limit, and well before the same fetch took without
// them (minutes): the bound of "ends in time".
constexpr double kEndsWithin = 60;

// build/servers, found from the test program in build/win.
inline std::string ServersDir()
{
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    dir.erase(dir.find_last_of('\\'));  // build\win
    return dir.substr(0, dir.find_last_of('\\')) + "\\servers\\";
}
inline std::string WwwDir() { return ServersDir() + "www\\"; }
inline std::string FtpDir() { return ServersDir() + "ftp\\"; }

// Byte i is i % 251, as in the bodies of odd_http.py: a piece that lands at
// the wrong offset does not match.
inline std::string PatternBytes(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool FileExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline long long LocalFileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// A name no earlier run used, for served files and request ids whose traces
// in the servers' logs must be this run's alone.
inline std::string UniqueName(const std::string& prefix)
{
    return prefix + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(::GetTickCount());
}

// The body sizes nginx logged for its answers with `status` to "GET /`path`".
inline std::vector<long long> NginxBodySizes(const std::string& path, int status)
{
    const std::string log = ReadBytes(ServersDir() + "logs\\nginx-access.log");
    const std::string key = "\"GET /" + path + " HTTP/1.1\" " + std::to_string(status) + " ";
    std::vector<long long> sizes;
    for (size_t at = log.find(key); at != std::string::npos; at = log.find(key, at + 1))
        sizes.push_back(std::atoll(log.c_str() + at + key.size()));
    return sizes;
}

// Bytes that do not compress: a package member of them keeps its size.
inline std::string NoiseBytes(size_t size)
{
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

// The body of a short answer, read with WinINet directly; empty on failure.
inline std::string FetchText(const std::string& url)
{
    UniqueInternetHandle session(
        ::InternetOpenA("transfer test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    UniqueInternetHandle request(
        ::InternetOpenUrlA(session.Get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (request && ::InternetReadFile(request.Get(), buffer, sizeof buffer, &got) && got > 0)
        text.append(buffer, got);
    return text;
}

// A fresh folder under the temporary path, removed with its files at the end.
class ScratchDir {
public:
    ScratchDir()
    {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        path_ = std::string(temp) + "transfer_test_" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(++counter) + "\\";
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchDir()
    {
        WIN32_FIND_DATAA found;
        HANDLE find = ::FindFirstFileA((path_ + "*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    ::DeleteFileA((path_ + found.cFileName).c_str());
            } while (::FindNextFileA(find, &found));
            ::FindClose(find);
        }
        ::RemoveDirectoryA(path_.c_str());
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string operator/(const std::string& name) const { return path_ + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A file placed in the nginx root for the length of a test.
class ServedFile {
public:
    ServedFile(const std::string& name, const std::string& bytes) : path_(WwwDir() + name)
    {
        WriteBytes(path_, bytes);
    }
    ~ServedFile() { ::DeleteFileA(path_.c_str()); }
    ServedFile(const ServedFile&) = delete;
    ServedFile& operator=(const ServedFile&) = delete;

private:
    std::string path_;
};

// Turns the run log on into a scratch file for the length of a test.
class LogCapture {
public:
    LogCapture() : path_(scratch_ / "client.log")
    {
        RunLog::Instance().SetEnabled(true);
        RunLog::Instance().Open(path_);
    }
    ~LogCapture() { Stop(); }

    // Everything logged so far; the log is closed from here on.
    std::string Text()
    {
        Stop();
        return ReadBytes(path_);
    }

private:
    void Stop()
    {
        if (!RunLog::Instance().IsOpen()) return;
        RunLog::Instance().Close(path_);
        RunLog::Instance().SetEnabled(false);
    }

    ScratchDir scratch_;
    std::string path_;
};

// Waits up to `seconds` for `condition`; false when it never held.
template <typename Condition>
bool WaitFor(Condition condition, double seconds = 10)
{
    for (int i = 0; i < seconds * 100; ++i) {
        if (condition()) return true;
        ::Sleep(10);
    }
    return condition();
}

// Runs `call` on a thread of its own and waits up to `seconds` for its
// result; nothing when it is still running then. It is left to end on its
// own, so it must own everything it uses (capture by value).
template <typename Result>
std::optional<Result> ResultWithin(double seconds, std::function<Result()> call)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        std::optional<Result> result;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, call] {
        Result result = call();
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->result = std::move(result);
        shared->done.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(shared->mutex);
    shared->done.wait_for(lock, std::chrono::duration<double>(seconds),
                          [&] { return shared->result.has_value(); });
    return shared->result;
}

}  // namespace transfertest
