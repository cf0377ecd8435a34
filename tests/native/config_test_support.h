// Shared pieces of the configuration tests: a scripted platform seam and a
// capture of the run log.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/config/config_context.h"
#include "core/config/config_seam.h"
#include "core/log/run_log.h"
#include "fake_release_crypto.h"
#include "stored_archive.h"

using namespace quibo;

// A server package holding `serverText` as its "server.dat"; no package for
// empty text.
inline std::string ServerPackageOf(const std::string& serverText)
{
    if (serverText.empty()) return {};
    return ziptest::StoredArchive({{"server.dat", serverText}});
}

// Answers fetches from tables and records every call in order.
class FakeSeam : public ConfigSeam {
public:
    std::string productName = "Acme";
    std::string fileVersion = "2.1";
    // Address or path -> the "server.dat" text of a package, or with a
    // "PK" head the bytes of a whole package.
    std::map<std::string, std::string> http, ftp, local;
    fakecrypto::FakeCrypto crypto;
    UtcSeconds now = 1700000000;
    std::vector<int> randoms;                             // handed out in turn, then 0
    std::vector<std::string> calls;                       // "http url", "ftp url user pw", "local path"
    std::vector<std::string> boxes;

    std::string ProductName() override { return productName; }
    std::string FileVersionText() override { return fileVersion; }
    std::string FetchConfigHttp(const std::string& url) override
    {
        calls.push_back("http " + url);
        return Answer(http, url);
    }
    std::string FetchConfigFtp(const std::string& url, const std::string& user,
                               const std::string& password) override
    {
        calls.push_back("ftp " + url + " " + user + " " + password);
        return Answer(ftp, url);
    }
    std::string FetchConfigLocal(const std::string& path) override
    {
        calls.push_back("local " + path);
        return Answer(local, path);
    }
    ReleaseCrypto& Crypto() override { return crypto; }
    UtcSeconds Now() override { return now; }
    int Random() override { return next_ < randoms.size() ? randoms[next_++] : 0; }
    void ShowInfoBox(const std::string& text) override { boxes.push_back(text); }

private:
    static std::string Answer(const std::map<std::string, std::string>& table, const std::string& key)
    {
        auto it = table.find(key);
        if (it == table.end()) return {};
        return it->second.rfind("PK", 0) == 0 ? it->second : ServerPackageOf(it->second);
    }
    size_t next_ = 0;
};

// A program installed as C:\Acme\App\update.exe on a typical machine.
inline ConfigContext TestContext()
{
    ConfigContext context;
    context.programFolder = "C:\\Acme\\App\\";
    context.programFileName = "update.exe";
    context.packageName = "update.bin";
    context.dirs.values = {"C:",         "C:\\Acme",          "C:\\Windows",        "C:\\Windows\\system32",
                           "C:\\Temp",   "C:\\Program Files", "C:\\Windows\\Fonts", "C:\\Docs",
                           "C:\\Desktop"};
    return context;
}

// Sends the run log to a file of its own for the lifetime of the object.
class LogCapture {
public:
    explicit LogCapture(std::string path) : path_(std::move(path))
    {
        std::remove(path_.c_str());
        RunLog::Instance().SetEnabled(true);
        RunLog::Instance().Open(path_);
    }
    ~LogCapture()
    {
        Finish();
        std::remove(path_.c_str());
    }

    // Everything written so far, with each "HH:MM:SS" stamp shown as "hh:mm:ss".
    std::string Text()
    {
        Finish();
        std::ifstream in(path_, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return MaskStamps(text);
    }

    // The logged texts alone, one per line.
    std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        std::string text = Text();
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start + kStampSize, end - start - kStampSize));
        return lines;
    }

private:
    static constexpr size_t kStampSize = 12;  // "HH:MM:SS" and four blanks

    void Finish()
    {
        if (finished_) return;
        finished_ = true;
        RunLog::Instance().Close(path_);
        RunLog::Instance().SetEnabled(false);
    }

    static std::string MaskStamps(std::string text)
    {
        for (size_t line = 0; line < text.size();) {
            if (text.size() - line >= 8 && text[line + 2] == ':' && text[line + 5] == ':')
                text.replace(line, 8, "hh:mm:ss");
            size_t end = text.find("\r\n", line);
            if (end == std::string::npos) break;
            line = end + 2;
        }
        return text;
    }

    std::string path_;
    bool finished_ = false;
};
