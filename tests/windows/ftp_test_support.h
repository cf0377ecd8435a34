// What the FTP tests share: the test server's account, a folder of test
// files in its root, and the server's own record of refused logins.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "download/ftp_connection.h"
#include "transfer_test_support.h"

using namespace quibo;

namespace ftptest {

using namespace transfertest;

constexpr char kServer[] = "127.0.0.1";
inline const int kPort = ServerPort("UPDATER_FTP_PORT", 18021);
constexpr char kUser[] = "updater";
constexpr char kPassword[] = "secret";
// Refused four times in a row, then let in (tests/servers/ftp_server.py).
constexpr char kFlakyUser[] = "flaky";
// "ftp://127.0.0.1:PORT", without a closing "/".
inline const std::string kBaseUrlText = "ftp://127.0.0.1:" + std::to_string(kPort);
inline const char* const kBaseUrl = kBaseUrlText.c_str();

// Deletes a local folder with everything in it.
inline void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(folder.c_str());
}

inline std::string ToBackslashes(std::string path)
{
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// A folder "/<name>" in the server's root for the length of a test.
class FtpTree {
public:
    explicit FtpTree(const std::string& name) : name_(name), local_(FtpDir() + name)
    {
        RemoveTree(local_);
        ::CreateDirectoryA(local_.c_str(), nullptr);
    }
    ~FtpTree() { RemoveTree(local_); }
    FtpTree(const FtpTree&) = delete;
    FtpTree& operator=(const FtpTree&) = delete;

    // Places a file at `relative` ("a/b.txt"), making its folders.
    void Put(const std::string& relative, const std::string& bytes) const
    {
        std::string path = local_ + "\\" + ToBackslashes(relative);
        MakeFolders(path.substr(0, path.find_last_of('\\')));
        WriteBytes(path, bytes);
    }
    void Folder(const std::string& relative) const { MakeFolders(local_ + "\\" + ToBackslashes(relative)); }

    // The path on the server: "/<name>/<relative>".
    std::string Remote(const std::string& relative = "") const
    {
        return relative.empty() ? "/" + name_ : "/" + name_ + "/" + relative;
    }

private:
    static void MakeFolders(const std::string& path)
    {
        for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
            ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        ::CreateDirectoryA(path.c_str(), nullptr);
    }

    std::string name_;
    std::string local_;
};

// How many times the server has refused `user` so far, from its log.
inline int RefusedLogins(const std::string& user)
{
    std::string log = ReadBytes(ServersDir() + "logs\\ftp.log");
    std::string line = "USER '" + user + "' failed login.";
    int count = 0;
    for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
    return count;
}

// A user name no other test uses, for counting its refused logins.
inline std::string UniqueUser(const std::string& prefix)
{
    return UniqueName(prefix);
}

inline bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace ftptest
