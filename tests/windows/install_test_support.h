// What the installation tests share: a view that records what the user would
// see, a scratch folder that is removed with everything in it, and snapshots
// of a folder tree (every name and every byte) to compare before and after.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "install/install_view.h"
#include "transfer_test_support.h"

namespace installtest {

using namespace quibo;

class RecordingInstallView : public InstallView {
public:
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void SetTrayStage(const std::string& stage) override { stages.push_back(stage); }
    void SetProgressRange(int) override {}
    void SetProgress(int) override {}
    void ShowInfo(const std::string& text) override { boxes.push_back(text); }
    bool AskRetry(const std::string& text) override
    {
        boxes.push_back(text);
        return false;
    }

    std::vector<std::string> statuses, stages, boxes;
};

// Removes `path` with everything below it (the tests' own clean-up, kept
// apart from the code under test).
inline void RemoveAll(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string entry = path + "\\" + name;
            ::SetFileAttributesA(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                RemoveAll(entry);
            else if (!::DeleteFileA(entry.c_str()))
                ::RemoveDirectoryA(entry.c_str());
        } while (::FindNextFileA(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryA(path.c_str());
}

// A fresh folder under the temporary path; its path ends in "\".
class Scratch {
public:
    explicit Scratch(const std::string& tag = "install")
    {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        path_ = std::string(temp) + tag + "_test_" + std::to_string(::GetCurrentProcessId()) + "_" +
                std::to_string(++counter) + "\\";
        RemoveAll(path_.substr(0, path_.size() - 1));
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~Scratch() { RemoveAll(path_.substr(0, path_.size() - 1)); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    std::string operator/(const std::string& name) const { return path_ + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Relative name -> bytes; a folder is "<folder>".
using Tree = std::map<std::string, std::string>;
inline const std::string kFolder = "<folder>";

inline void Snap(const std::string& root, const std::string& prefix, Tree& tree)
{
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((root + prefix + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[prefix + name] = kFolder;
            Snap(root, prefix + name + "\\", tree);
        } else {
            tree[prefix + name] = transfertest::ReadBytes(root + prefix + name);
        }
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
}

// Every name and every byte below `root` (ending in "\").
inline Tree Snapshot(const std::string& root)
{
    Tree tree;
    Snap(root, "", tree);
    return tree;
}

// Makes the files (and their folders) of `tree` below `root`.
inline void MakeTree(const std::string& root, const Tree& tree)
{
    for (const auto& [name, bytes] : tree) {
        for (size_t at = name.find('\\'); at != std::string::npos; at = name.find('\\', at + 1))
            ::CreateDirectoryA((root + name.substr(0, at)).c_str(), nullptr);
        if (bytes == kFolder)
            ::CreateDirectoryA((root + name).c_str(), nullptr);
        else
            transfertest::WriteBytes(root + name, bytes);
    }
}

inline std::string Show(const Tree& tree)
{
    std::string text;
    for (const auto& [name, bytes] : tree)
        text += name + " = " + (bytes.size() > 40 ? std::to_string(bytes.size()) + " bytes" : bytes) + "\n";
    return text;
}

// Holds a file open without sharing, as a running program holds its files.
class FileLock {
public:
    explicit FileLock(const std::string& path)
        : handle_(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~FileLock() { Release(); }
    void Release()
    {
        if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// The lines of a captured run log without their time stamps.
inline std::vector<std::string> LogLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        lines.push_back(line.size() > 12 ? line.substr(12) : line);  // "HH:MM:SS    "
        start = end + 2;
    }
    return lines;
}

}  // namespace installtest
