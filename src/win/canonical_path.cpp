#include "win/canonical_path.h"

#include <windows.h>

#include <vector>

#include "core/text/case_fold.h"
#include "core/text/code_page.h"
#include "core/text/path_text.h"
#include "win/system_code_page.h"

namespace quibo {

namespace {

// Calls `get` with a growing buffer until the answer fits; empty on failure.
template <typename Get>
std::string AskWithBuffer(Get get)
{
    std::vector<char> buffer(MAX_PATH);
    for (int tries = 0; tries < 4; ++tries) {
        const DWORD length = get(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(length + 1);
    }
    return {};
}

std::string FullPath(const std::string& path)
{
    return AskWithBuffer([&](char* out, DWORD size) { return ::GetFullPathNameA(path.c_str(), size, out, nullptr); });
}

// The long name of the longest existing head of `full`; the rest, which does
// not exist (yet), is kept as it is.
std::string LongPath(const std::string& full, LeadByteRule rule)
{
    std::string head = full;
    std::string tail;
    for (;;) {
        std::string longHead =
            AskWithBuffer([&](char* out, DWORD size) { return ::GetLongPathNameA(head.c_str(), out, size); });
        if (!longHead.empty()) return longHead + tail;
        const std::string_view trimmed = StripTrailingBackslash(head, rule);
        const size_t cut = FindLastChar(trimmed, '\\', rule);
        if (cut == std::string_view::npos || cut + 1 >= trimmed.size()) return full;
        tail = std::string(trimmed.substr(cut + 1)) + (trimmed.size() < head.size() ? "\\" : "") + tail;
        head = std::string(trimmed.substr(0, cut + 1));
    }
}

}  // namespace

std::string CanonicalPath(const std::string& path)
{
    if (path.empty()) return {};
    const LeadByteRule rule = SystemLeadBytes();
    std::string full = FullPath(path);
    if (full.empty()) full = path;
    std::string canonical = ToLowerAscii(LongPath(full, rule), rule);
    std::string_view trimmed = StripTrailingBackslash(canonical, rule);
    // "c:\" stays a root; "c:" alone would name the drive's current folder.
    if (!trimmed.empty() && trimmed.back() == ':') return canonical;
    return std::string(trimmed);
}

bool SamePath(const std::string& a, const std::string& b) { return CanonicalPath(a) == CanonicalPath(b); }

}  // namespace quibo
