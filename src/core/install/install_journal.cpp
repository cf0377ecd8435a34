#include "core/install/install_journal.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "core/install/install_names.h"
#include "core/zip/zip_zlib.h"

namespace quibo {

namespace {

constexpr std::string_view kHeader = "quibo-install 1";

struct TagName {
    JournalTag tag;
    std::string_view name;
    int fields;
};
constexpr TagName kTags[] = {
    {JournalTag::BackupStart, "backup-start", 1}, {JournalTag::Backup, "backup", 1},
    {JournalTag::Empty, "empty", 1},              {JournalTag::Write, "write", 1},
    {JournalTag::Wrote, "wrote", 1},              {JournalTag::Forget, "forget", 1},
    {JournalTag::Folder, "folder", 1},            {JournalTag::Version, "ver", 2},
    {JournalTag::Sequence, "sequence", 1},
    {JournalTag::Placed, "placed", 0},            {JournalTag::Restored, "restored", 1},
    {JournalTag::ReadOnly, "readonly", 1},        {JournalTag::Run, "run", 2},
    {JournalTag::CloseExe, "close-exe", 1},       {JournalTag::CloseTitle, "close-title", 1},
    {JournalTag::CloseClass, "close-class", 1},   {JournalTag::Held, "held", 1},
    {JournalTag::Warn, "warn", 1},                {JournalTag::Silent, "silent", 0},
};

const TagName& Describe(JournalTag tag)
{
    for (const TagName& t : kTags)
        if (t.tag == tag) return t;
    return kTags[0];
}

bool MustEscape(unsigned char c) { return c < 0x21 || c == 0x7F || c == '%'; }

std::string Escape(std::string_view field)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : field) {
        auto c = static_cast<unsigned char>(ch);
        if (MustEscape(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// False for a field that Escape could not have written.
bool Unescape(std::string_view field, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < field.size(); ++i) {
        auto c = static_cast<unsigned char>(field[i]);
        if (c == '%') {
            if (i + 2 >= field.size()) return false;
            int high = HexDigit(field[i + 1]), low = HexDigit(field[i + 2]);
            if (high < 0 || low < 0) return false;
            auto value = static_cast<unsigned char>(high * 16 + low);
            if (!MustEscape(value)) return false;
            out += static_cast<char>(value);
            i += 2;
        } else if (MustEscape(c)) {
            return false;
        } else {
            out += field[i];
        }
    }
    return true;
}

// The text after the checksum, when the line (without its LF) carries a
// matching one.
bool CheckedBody(std::string_view line, std::string_view& body)
{
    if (line.size() < 9 || line[8] != ' ') return false;
    for (size_t i = 0; i < 8; ++i) {
        char c = line[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    body = line.substr(9);
    return ChecksummedLine(body) == std::string(line) + "\n";
}

bool ParseBody(std::string_view body, JournalRecord& record)
{
    std::vector<std::string_view> words;
    size_t start = 0;
    while (true) {
        size_t blank = body.find(' ', start);
        words.push_back(body.substr(start, blank == std::string_view::npos ? blank : blank - start));
        if (blank == std::string_view::npos) break;
        start = blank + 1;
    }
    for (const TagName& t : kTags) {
        if (words[0] != t.name) continue;
        if (static_cast<int>(words.size()) != t.fields + 1) return false;
        record = JournalRecord{t.tag, {}, {}};
        if (t.fields >= 1 && (!Unescape(words[1], record.path) || record.path.empty())) return false;
        if (t.fields >= 2 && !Unescape(words[2], record.version)) return false;
        return true;
    }
    return false;
}

void AddOnce(std::vector<std::string>& list, std::set<std::string>& seen, const std::string& item)
{
    if (seen.insert(item).second) list.push_back(item);
}

// A record on a line of its own, with a matching checksum.
bool ReadLine(std::string_view line, JournalRecord& record)
{
    std::string_view body;
    return CheckedBody(line, body) && ParseBody(body, record);
}

// A record that confirms a step comes after the record that announced it;
// when that one is not among `records`, a lost line announced it.
bool Announced(const std::vector<JournalRecord>& records, const JournalRecord& confirming)
{
    JournalTag announcing;
    switch (confirming.tag) {
    case JournalTag::Wrote:
    case JournalTag::Forget: announcing = JournalTag::Write; break;
    case JournalTag::Backup: announcing = JournalTag::BackupStart; break;
    default: return true;
    }
    return std::any_of(records.begin(), records.end(), [&](const JournalRecord& r) {
        return r.tag == announcing && r.path == confirming.path;
    });
}

}  // namespace

bool IsFlushedOnItsOwn(JournalTag tag)
{
    switch (tag) {
    case JournalTag::Wrote:
    case JournalTag::Backup:
    case JournalTag::Empty:
    case JournalTag::Forget:
    case JournalTag::Version:
    case JournalTag::Sequence:
    case JournalTag::Run: return false;
    default: return true;
    }
}

std::string ChecksummedLine(std::string_view body)
{
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08lx", ZipCrc(0, body.data(), body.size()) & 0xFFFFFFFFul);
    return std::string(crc) + " " + std::string(body) + "\n";
}

std::string JournalHeader() { return ChecksummedLine(kHeader); }

std::string JournalLine(const JournalRecord& record)
{
    const TagName& t = Describe(record.tag);
    std::string body(t.name);
    if (t.fields >= 1) body += " " + Escape(record.path);
    if (t.fields >= 2) body += " " + Escape(record.version);
    return ChecksummedLine(body);
}

ParsedJournal ParseJournal(std::string_view text)
{
    ParsedJournal parsed;
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) break;  // a torn last line: never written
        lines.push_back(text.substr(start, lf - start));
        start = lf + 1;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        std::string_view body;
        if (!CheckedBody(lines[i], body)) {
            if (last) {  // torn on its way to the disk
                lines.pop_back();
                break;
            }
            // Damage among the records the next flush would have carried:
            // nothing after it was done on their word, so the records before
            // it are the journal. A flushed record after it, or a damaged line
            // that still reads as one, is another matter.
            JournalRecord itself;
            if (lines[i].size() > 9 && ParseBody(lines[i].substr(9), itself) && IsFlushedOnItsOwn(itself.tag)) {
                parsed.error = "line " + std::to_string(i + 1) + ": damaged";
                return parsed;
            }
            for (size_t j = i + 1; j < lines.size(); ++j) {
                JournalRecord later;
                if (ReadLine(lines[j], later) &&
                    (IsFlushedOnItsOwn(later.tag) || !Announced(parsed.records, later))) {
                    parsed.error = "line " + std::to_string(i + 1) + ": damaged";
                    return parsed;
                }
            }
            if (i == 0) {
                parsed.error = "line 1: damaged";
                return parsed;
            }
            parsed.droppedLines = lines.size() - i;
            lines.resize(i);
            break;
        }
        if (i == 0) {
            if (body != kHeader) {
                parsed.error = "unknown header";
                return parsed;
            }
            continue;
        }
        JournalRecord record;
        if (!ParseBody(body, record)) {
            parsed.error = "line " + std::to_string(i + 1) + ": unknown record";
            return parsed;
        }
        parsed.records.push_back(std::move(record));
    }
    for (std::string_view line : lines) parsed.validLength += line.size() + 1;
    parsed.ok = true;
    return parsed;
}

RecoveryPlan PlanRecovery(const std::vector<JournalRecord>& records)
{
    RecoveryPlan plan;
    std::vector<std::string> started, made, empties, folders;
    std::set<std::string> startedSet, madeSet, emptySet, restored, everWritten, folderSet;
    std::map<std::string, size_t> lastWrite;  // written and not forgotten since
    std::map<std::string, std::string> versions;
    std::vector<std::string> versionOrder;
    std::string sequence;
    std::set<std::string> versionSeen, readOnlySet;

    for (size_t i = 0; i < records.size(); ++i) {
        const JournalRecord& r = records[i];
        switch (r.tag) {
        case JournalTag::BackupStart: AddOnce(started, startedSet, r.path); break;
        case JournalTag::Backup: AddOnce(made, madeSet, r.path); break;
        case JournalTag::Empty: AddOnce(empties, emptySet, r.path); break;
        case JournalTag::Write:
            lastWrite[r.path] = i;
            everWritten.insert(r.path);
            break;
        case JournalTag::Wrote: break;
        case JournalTag::Forget: lastWrite.erase(r.path); break;
        case JournalTag::Folder: AddOnce(folders, folderSet, r.path); break;
        case JournalTag::Version:
            versions[r.path] = r.version;
            if (versionSeen.insert(r.path).second) versionOrder.push_back(r.path);
            break;
        case JournalTag::Sequence: sequence = r.path; break;
        case JournalTag::Placed: plan.finish = true; break;
        case JournalTag::Restored: restored.insert(r.path); break;
        case JournalTag::ReadOnly: AddOnce(plan.readOnly, readOnlySet, r.path); break;
        case JournalTag::Run: plan.programs.push_back({r.path, r.version == "1"}); break;
        case JournalTag::CloseExe: plan.closing.byExecutable.push_back(r.path); break;
        case JournalTag::CloseTitle: plan.closing.byTitle.push_back(r.path); break;
        case JournalTag::CloseClass: plan.closing.byClass.push_back(r.path); break;
        case JournalTag::Held: plan.closing.heldTargets.push_back(r.path); break;
        case JournalTag::Warn:
            plan.closing.warn = true;
            plan.closing.warning = r.path;
            break;
        case JournalTag::Silent: plan.closing.silent = true; break;
        }
    }

    std::vector<std::pair<size_t, std::string>> written;
    for (const auto& [path, at] : lastWrite) written.emplace_back(at, path);
    std::sort(written.rbegin(), written.rend());  // newest first

    std::set<std::string> temporarySeen, backupSeen;
    for (const auto& [at, path] : written) AddOnce(plan.deleteTemporary, temporarySeen, CopyTempPath(path));
    for (const std::string& path : started)
        AddOnce(plan.deleteTemporary, temporarySeen, CopyTempPath(BackupPath(path)));

    if (plan.finish) {
        for (const std::string& section : versionOrder) plan.versions.emplace_back(section, versions[section]);
        plan.sequence = sequence;
        for (const std::string& path : started) AddOnce(plan.deleteBackups, backupSeen, BackupPath(path));
        for (const std::string& path : made) AddOnce(plan.deleteBackups, backupSeen, BackupPath(path));
        return plan;
    }
    plan.programs.clear();

    for (const std::string& path : made)
        if (!restored.count(path)) AddOnce(plan.deleteTemporary, temporarySeen, CopyTempPath(path));
    // A file with old content is replaced by it, never deleted first: a
    // backup that cannot be copied back then leaves the new file, not none.
    for (const std::string& path : made)
        if (!restored.count(path)) plan.restoreBackups.push_back(path);
    for (const std::string& path : empties)
        if (everWritten.count(path) && !restored.count(path)) plan.restoreEmpty.push_back(path);
    for (const auto& [at, path] : written)
        if (!restored.count(path) && !madeSet.count(path) && !emptySet.count(path))
            plan.deleteWritten.push_back(path);
    for (const std::string& path : started)
        if (!madeSet.count(path) || restored.count(path)) AddOnce(plan.deleteBackups, backupSeen, BackupPath(path));
    for (const std::string& path : made)
        if (restored.count(path)) AddOnce(plan.deleteBackups, backupSeen, BackupPath(path));
    plan.removeFolders.assign(folders.rbegin(), folders.rend());
    return plan;
}

}  // namespace quibo
