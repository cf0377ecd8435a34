// A TransferView that records every call, for the transfer tests; and a hidden
// window whose queue collects the progress messages posted to the host.
#pragma once

#include <windows.h>

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "download/transfer_view.h"

using namespace quibo;

class RecordingView : public TransferView {
public:
    // Rows whose name begins with "<" are folder rows, as on the page.
    explicit RecordingView(std::vector<std::string> rowNames = {"file.bin"}) : rows_(std::move(rowNames)) {}

    void SetFileProgress(int percent) override
    {
        Lock l(m_);
        fileProgress.push_back(percent);
    }
    bool IsFolderRow(int row) override
    {
        Lock l(m_);
        return row >= 0 && row < static_cast<int>(rows_.size()) && !rows_[row].empty() &&
               rows_[row][0] == '<';
    }
    void AppendToRowName(int row, const std::string& text) override
    {
        Lock l(m_);
        rows_.at(row) += text;
    }
    void SetRowProgress(int row, int percent) override
    {
        Lock l(m_);
        rowProgress[row].push_back(percent);
    }
    void SetRowSpeed(int row, const std::string& text) override
    {
        Lock l(m_);
        rowSpeed[row].push_back(text);
    }
    void SetInfoText(const std::string& text) override
    {
        Lock l(m_);
        infoTexts.push_back(text);
    }
    void SetTrayText(const std::string& text) override
    {
        Lock l(m_);
        trayTexts.push_back(text);
    }
    void SetStatus(const std::string& text) override
    {
        Lock l(m_);
        statuses.push_back(text);
    }

    std::string RowName(int row)
    {
        Lock l(m_);
        return rows_.at(row);
    }
    int LastFileProgress()
    {
        Lock l(m_);
        return fileProgress.empty() ? -1 : fileProgress.back();
    }
    int LastRowProgress(int row)
    {
        Lock l(m_);
        auto it = rowProgress.find(row);
        return it == rowProgress.end() || it->second.empty() ? -1 : it->second.back();
    }
    size_t ReportCount()
    {
        Lock l(m_);
        return infoTexts.size();
    }

    // Read these only while no transfer runs on another thread.
    std::vector<int> fileProgress;
    std::map<int, std::vector<int>> rowProgress;
    std::map<int, std::vector<std::string>> rowSpeed;
    std::vector<std::string> infoTexts;
    std::vector<std::string> trayTexts;
    std::vector<std::string> statuses;

private:
    using Lock = std::lock_guard<std::mutex>;
    std::mutex m_;
    std::vector<std::string> rows_;
};

// A message-only window standing in for the host program. It must be created
// on the thread that later reads its messages; posted messages wait in that
// thread's queue until Take() collects them.
class HostWindow {
public:
    struct Message {
        UINT id;
        WPARAM wParam;
        LPARAM lParam;
    };

    HostWindow()
        : hwnd_(
              ::CreateWindowExA(0, "STATIC", "host", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr))
    {
    }
    ~HostWindow()
    {
        if (hwnd_) ::DestroyWindow(hwnd_);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Handle() const { return hwnd_; }

    // The messages with numbers in [first, last] posted so far, in order.
    std::vector<Message> Take(UINT first = 2020, UINT last = 2023)
    {
        std::vector<Message> out;
        MSG msg;
        while (::PeekMessageA(&msg, hwnd_, first, last, PM_REMOVE))
            out.push_back({msg.message, msg.wParam, msg.lParam});
        return out;
    }

private:
    HWND hwnd_;
};
