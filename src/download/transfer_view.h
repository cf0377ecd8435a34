// What a transfer shows while it runs. The download page implements it with
// its controls; tests implement it by recording the calls.
#pragma once

#include <string>

namespace quibo {

class TransferView {
public:
    virtual ~TransferView() = default;

    // The current-file progress bar, 0 to 100.
    virtual void SetFileProgress(int percent) = 0;
    // Rows of the item list: a row whose name begins with "<" is a folder row.
    virtual bool IsFolderRow(int row) = 0;
    virtual void AppendToRowName(int row, const std::string& text) = 0;
    virtual void SetRowProgress(int row, int percent) = 0;
    virtual void SetRowSpeed(int row, const std::string& speedText) = 0;
    // The info label under the bars: size and speed of the current file.
    virtual void SetInfoText(const std::string& text) = 0;
    // The tray tip's text after the window title ("\n下载文件(...)：n% speed").
    virtual void SetTrayText(const std::string& text) = 0;
    // A status line, also written to the run log.
    virtual void SetStatus(const std::string& text) = 0;
};

}  // namespace quibo
