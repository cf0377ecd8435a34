// CConfigIni: INI-style configuration text, kept as an ordered list of lines.
//
// Every query scans the lines from the top; nothing is indexed. The object works
// either bound to a file (re-read on every query, rewritten on every change) or,
// after LoadText, on text held in memory. Text is 8-bit (code page 936) and is
// compared byte for byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quibo {

class CConfigIni {
public:
    CConfigIni();
    explicit CConfigIni(std::string fileName);

    // Appends the lines of `text` and switches to memory mode; false for empty text.
    bool LoadText(std::string_view text);
    // File mode: re-reads the bound file; false when it cannot be opened.
    bool LoadFile();

    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue = {},
                          int occurrence = 1);
    // Whether a header names `section`, as GetString finds it.
    bool HasSection(std::string_view section);
    int GetInt(std::string_view section, std::string_view key, int defaultValue);

    // Sets, adds or (with an empty value) removes one entry.
    void SetValue(std::string_view section, std::string_view key, std::string_view value);
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool Save();

    // Memory mode: every line followed by CR LF. File mode: empty.
    std::string ToText() const;

    const std::vector<std::string>& Lines() const { return lines_; }
    bool IsFileMode() const { return fileMode_; }
    bool OpenResult() const { return openResult_; }

private:
    std::string fileName_;
    bool openResult_ = false;
    std::vector<std::string> lines_;
    bool fileMode_ = true;
};

}  // namespace quibo
