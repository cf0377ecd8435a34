#include "publish/release_description.h"

#include <algorithm>
#include <optional>
#include <set>

#include "core/config/version_compare.h"
#include "core/text/trim.h"
#include "core/text/utf8_text.h"
#include "core/transfer/download_names.h"
#include "publish/publish_text.h"

namespace quibo::publish {

namespace {

enum class ValueForm { Text, Number };

struct KeyRule {
    const char* key;
    ValueForm form;
};

// What the updater reads from each kind of section of the server configuration.
const KeyRule kFileKeys[] = {
    {"randomsel", ValueForm::Number}, {"path", ValueForm::Text},        {"modify_ver", ValueForm::Number},
    {"show_type", ValueForm::Number}, {"op_mode", ValueForm::Number},   {"uncompress", ValueForm::Number},
    {"runme", ValueForm::Number},     {"runme_pause", ValueForm::Number}, {"runme_param", ValueForm::Text},
    {"rename", ValueForm::Text},      {"describe", ValueForm::Text},
};
const KeyRule kDirKeys[] = {
    {"randomsel", ValueForm::Number}, {"path", ValueForm::Text},      {"filter", ValueForm::Text},
    {"modify_ver", ValueForm::Number}, {"show_type", ValueForm::Number}, {"op_mode", ValueForm::Number},
    {"is_inc_subdir", ValueForm::Number}, {"describe", ValueForm::Text},
};
const KeyRule kSystemKeys[] = {
    {"run_before", ValueForm::Text},   {"run_before_pause", ValueForm::Number}, {"run_after", ValueForm::Text},
    {"run_after_pause", ValueForm::Number}, {"run_nonetwork", ValueForm::Text}, {"run_udbefore", ValueForm::Text},
    {"run_udafters", ValueForm::Text}, {"run_udafterf", ValueForm::Text},       {"run_dlbefore", ValueForm::Text},
    {"run_dlafters", ValueForm::Text}, {"run_dlafterf", ValueForm::Text},       {"close_proc1", ValueForm::Text},
    {"close_proc2", ValueForm::Text},  {"close_proc3", ValueForm::Text},        {"close_items", ValueForm::Text},
};
const KeyRule kUiKeys[] = {
    {"noupdate_win", ValueForm::Number}, {"noupdate_win_msg", ValueForm::Text}, {"start_win", ValueForm::Number},
    {"start_win_msg", ValueForm::Text},  {"close_win", ValueForm::Number},      {"close_win_msg", ValueForm::Text},
    {"dl_win", ValueForm::Number},       {"dl_win_msg", ValueForm::Text},       {"end_win1", ValueForm::Number},
    {"end_win2", ValueForm::Number},     {"end_win1_msg", ValueForm::Text},     {"end_win2_msg", ValueForm::Text},
};

bool IsNumber(std::string_view text)
{
    if (!text.empty() && text[0] == '-') text.remove_prefix(1);
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "file7" -> 7 when `name` is `prefix` and a plain decimal number.
std::optional<int> SectionNumber(std::string_view name, std::string_view prefix)
{
    if (name.substr(0, prefix.size()) != prefix) return std::nullopt;
    std::string_view digits = name.substr(prefix.size());
    if (digits.empty() || digits.size() > 6 || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoi(std::string(digits));
}

// Where the lines of the section being read go.
struct Target {
    KeyValues* keys = nullptr;
    ReleaseItem* item = nullptr;
    const KeyRule* rules = nullptr;
    size_t ruleCount = 0;
};

template <size_t N>
Target MakeTarget(KeyValues* keys, ReleaseItem* item, const KeyRule (&rules)[N])
{
    return Target{keys, item, rules, N};
}

class DescriptionParser {
public:
    DescriptionParser(const std::string& defaultVer, Release& release) : defaultVer_(defaultVer), release_(release) {}

    bool Parse(std::string_view text, std::string& error)
    {
        int lineNo = 0;
        while (!text.empty() || lineNo == 0) {
            ++lineNo;
            size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
            std::string message;
            if (!Line(Trim(line), message)) {
                error = "line " + std::to_string(lineNo) + ": " + message;
                return false;
            }
            if (text.empty()) break;
        }
        return Finish(error);
    }

private:
    bool Line(std::string_view line, std::string& error)
    {
        if (line.empty() || line[0] == ';' || line[0] == '#') return true;
        if (line.front() == '[' && line.back() == ']') return Section(Trim(line.substr(1, line.size() - 2)), error);
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            error = "neither a [section] nor key=value: " + std::string(line);
            return false;
        }
        return Entry(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)), error);
    }

    bool Section(std::string_view name, std::string& error)
    {
        if (!sections_.insert(std::string(name)).second) {
            error = "section [" + std::string(name) + "] given twice";
            return false;
        }
        if (name == "system") {
            target_ = MakeTarget(&release_.system, nullptr, kSystemKeys);
            return true;
        }
        if (name == "UI") {
            target_ = MakeTarget(&release_.ui, nullptr, kUiKeys);
            return true;
        }
        struct Kind {
            const char* prefix;
            ItemKind kind;
            int count;
        } const kinds[] = {{"file", ItemKind::File, kFileItemCount}, {"dir", ItemKind::Dir, kDirItemCount}};
        for (const Kind& k : kinds) {
            std::optional<int> n = SectionNumber(name, k.prefix);
            if (!n) continue;
            if (*n >= k.count) {
                error = "too many items: [" + std::string(name) + "] (the updater reads " + k.prefix + "0 to " +
                        k.prefix + std::to_string(k.count - 1) + ")";
                return false;
            }
            release_.items.push_back(ReleaseItem{k.kind, *n, {}, {}, {}});
            ReleaseItem* item = &release_.items.back();
            target_ = k.kind == ItemKind::File ? MakeTarget(&item->keys, item, kFileKeys)
                                                : MakeTarget(&item->keys, item, kDirKeys);
            return true;
        }
        error = "unknown section [" + std::string(name) + "]";
        return false;
    }

    bool Entry(std::string_view key, std::string_view value, std::string& error)
    {
        if (!target_.keys) {
            error = "key " + std::string(key) + " before any section";
            return false;
        }
        if (!keysSeen_.insert(std::to_string(release_.items.size()) + "/" + std::to_string(sections_.size()) +
                              "/" + std::string(key))
                 .second) {
            error = "key " + std::string(key) + " given twice in one section";
            return false;
        }
        std::optional<std::string> cp936 = Utf8ToCp936(value);
        if (!cp936) {
            error = "value of " + std::string(key) + " is not UTF-8 text code page 936 can hold";
            return false;
        }
        if (target_.item && (key == "file" || key == "folder" || key == "ver"))
            return ItemEntry(*target_.item, key, std::string(value), error);
        const KeyRule* rule = nullptr;
        for (size_t i = 0; i < target_.ruleCount; ++i)
            if (key == target_.rules[i].key) rule = &target_.rules[i];
        if (!rule) {
            error = "unknown key " + std::string(key) +
                    (key == "urls" || key == "md5" ? " (the publisher writes it)" : "");
            return false;
        }
        if (rule->form == ValueForm::Number && !IsNumber(value)) {
            error = std::string(key) + " must be a number, not \"" + std::string(value) + "\"";
            return false;
        }
        target_.keys->emplace_back(std::string(key), *cp936);
        return true;
    }

    static bool ItemEntry(ReleaseItem& item, std::string_view key, std::string value, std::string& error)
    {
        const char* sourceKey = item.kind == ItemKind::File ? "file" : "folder";
        if (key == "ver") {
            item.ver = std::move(value);
            return true;
        }
        if (key != sourceKey) {
            error = std::string(key) + "= belongs to a " + (item.kind == ItemKind::File ? "dir" : "file") +
                    " section";
            return false;
        }
        item.source = std::move(value);
        return true;
    }

    bool Finish(std::string& error)
    {
        if (release_.items.empty()) {
            error = "no [fileN] or [dirN] item is described";
            return false;
        }
        for (ReleaseItem& item : release_.items) {
            const std::string section = "[" + ItemSection(item.kind, item.index) + "] ";
            if (item.ver.empty()) item.ver = defaultVer_;
            if (item.ver.empty()) {
                error = section + "has no ver (and no --ver was given)";
                return false;
            }
            if (!IsDottedVersion(item.ver) || !IsVersionNewer(item.ver, "0.0.0")) {
                error = section + "ver \"" + item.ver + "\" is not a version above 0 such as 1.2.0";
                return false;
            }
            const char* sourceKey = item.kind == ItemKind::File ? "file" : "folder";
            if (item.source.empty()) {
                error = section + "names no " + sourceKey + "=";
                return false;
            }
            std::string reason = UnsafeNameReason(*Utf8ToCp936(item.source), TextCharset::CodePage936);
            if (!reason.empty()) {
                error = section + sourceKey + "=" + item.source + " is a name the updater refuses: " + reason;
                return false;
            }
        }
        return true;
    }

    const std::string& defaultVer_;
    Release& release_;
    Target target_;
    std::set<std::string> sections_;
    std::set<std::string> keysSeen_;
};

}  // namespace

bool ParseReleaseDescription(std::string_view text, const std::string& defaultVer, Release& release,
                             std::string& error)
{
    release = Release{};
    // Items point into the list; keep it from moving while it fills.
    release.items.reserve(kFileItemCount + kDirItemCount);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (!IsValidUtf8(text)) {
        error = "not UTF-8 text";
        return false;
    }
    return DescriptionParser(defaultVer, release).Parse(text, error);
}

}  // namespace quibo::publish
