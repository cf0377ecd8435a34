#include "core/config/config_ini.h"

#include <cstdio>
#include <memory>

#include "core/text/decimal.h"
#include "core/text/trim.h"

namespace quibo {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

std::string_view StripLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return line;
}

// A left-trimmed line that starts with "[": the text between the first "[" and
// the first "]", trimmed. A header without "]" has an empty name.
std::string_view SectionName(std::string_view trimmedLine)
{
    size_t close = trimmedLine.find(']');
    if (close == std::string_view::npos) return {};
    return Trim(trimmedLine.substr(1, close - 1));
}

bool IsHeader(std::string_view trimmedLine) { return !trimmedLine.empty() && trimmedLine[0] == '['; }

// Key and value of an entry line; a line without "=" has an empty key.
std::string_view EntryKey(std::string_view line)
{
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    return Trim(line.substr(0, eq));
}

std::string_view EntryValue(std::string_view line)
{
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    return Trim(line.substr(eq + 1));
}

}  // namespace

CConfigIni::CConfigIni() : fileName_("my.ini") {}

CConfigIni::CConfigIni(std::string fileName) : fileName_(std::move(fileName)) {}

bool CConfigIni::LoadText(std::string_view text)
{
    if (text.empty()) return false;
    if (text.back() == '\0') text.remove_suffix(1);

    size_t start = 0;
    while (start <= text.size()) {
        size_t lf = text.find('\n', start);
        size_t end = (lf == std::string_view::npos) ? text.size() : lf;
        std::string_view piece = text.substr(start, end - start);
        if (!piece.empty()) lines_.emplace_back(StripLineEnd(piece));
        if (lf == std::string_view::npos) break;
        start = lf + 1;
    }
    fileMode_ = false;
    return true;
}

bool CConfigIni::LoadFile()
{
    UniqueFile file(std::fopen(fileName_.c_str(), "rb"));
    openResult_ = file != nullptr;
    if (!file) return false;

    lines_.clear();
    std::string line;
    int c;
    bool pending = false;
    while ((c = std::fgetc(file.get())) != EOF) {
        pending = true;
        if (c == '\n') {
            lines_.emplace_back(StripLineEnd(line));
            line.clear();
            pending = false;
        } else {
            line.push_back(static_cast<char>(c));
        }
    }
    if (pending) lines_.emplace_back(StripLineEnd(line));
    return true;
}

std::string CConfigIni::GetString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue, int occurrence)
{
    if (fileMode_ && !LoadFile()) return std::string(defaultValue);

    size_t i = 0;
    for (; i < lines_.size(); ++i) {
        std::string_view line = TrimLeft(lines_[i]);
        if (IsHeader(line) && SectionName(line) == section) break;
    }
    if (i == lines_.size()) return std::string(defaultValue);

    int matches = 0;
    for (++i; i < lines_.size(); ++i) {
        std::string_view line = TrimLeft(lines_[i]);
        if (line.empty()) continue;
        if (IsHeader(line)) break;
        if (EntryKey(line) == key && ++matches == occurrence) return std::string(EntryValue(line));
    }
    return std::string(defaultValue);
}

bool CConfigIni::HasSection(std::string_view section)
{
    if (fileMode_ && !LoadFile()) return false;
    for (const std::string& text : lines_) {
        std::string_view line = TrimLeft(text);
        if (IsHeader(line) && SectionName(line) == section) return true;
    }
    return false;
}

int CConfigIni::GetInt(std::string_view section, std::string_view key, int defaultValue)
{
    return ParseDecimal(GetString(section, key, std::to_string(defaultValue)));
}

void CConfigIni::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    std::string newLine = std::string(key) + "=" + std::string(value);

    size_t i = 0;
    for (; i < lines_.size(); ++i) {
        std::string_view line = TrimLeft(lines_[i]);
        if (IsHeader(line) && SectionName(line) == section) break;
    }

    if (i == lines_.size()) {
        if (value.empty()) return;
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::move(newLine));
        return;
    }

    for (++i; i < lines_.size(); ++i) {
        std::string_view line = TrimLeft(lines_[i]);
        if (line.empty()) continue;
        if (IsHeader(line)) {
            if (!value.empty())
                lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(i), std::move(newLine));
            return;
        }
        if (EntryKey(line) == key) {
            if (value.empty())
                lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
            else
                lines_[i] = std::move(newLine);
            return;
        }
    }
    if (!value.empty()) lines_.push_back(std::move(newLine));
}

bool CConfigIni::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    SetValue(section, key, value);
    return Save();
}

bool CConfigIni::Save()
{
    if (!fileMode_) return true;
    UniqueFile file(std::fopen(fileName_.c_str(), "wb"));
    if (!file) return false;
    // Text files on this platform end their lines with CR LF.
    bool ok = true;
    for (const std::string& line : lines_) {
        ok = ok && std::fwrite(line.data(), 1, line.size(), file.get()) == line.size();
        ok = ok && std::fwrite("\r\n", 1, 2, file.get()) == 2;
    }
    return std::fclose(file.release()) == 0 && ok;
}

std::string CConfigIni::ToText() const
{
    if (fileMode_) return {};
    size_t size = 0;
    for (const std::string& line : lines_) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

}  // namespace quibo
