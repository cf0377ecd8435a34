#include "core/transfer/download_names.h"

#include "core/text/safe_name.h"

namespace quibo {

namespace {

bool IsForbiddenChar(unsigned char c)
{
    return c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*';
}

void AppendEscaped(std::string& out, std::string_view part, LeadByteRule rule)
{
    for (size_t pos = 0; pos < part.size();) {
        size_t next = NextCharPos(part, pos, rule);
        if (next - pos == 1) {
            switch (part[pos]) {
            case '_': out += "__"; break;
            case '.': out += "_d"; break;
            case '\\':
            case '/': out += "_s"; break;
            case ':': out += "_c"; break;
            default: out += part[pos];
            }
        } else {
            out.append(part.substr(pos, next - pos));
        }
        pos = next;
    }
}

}  // namespace

std::string UnsafeNameReason(std::string_view name, TextCharset charset)
{
    if (name.empty()) return "文件名为空";
    if (!IsPlainName(name, charset)) return "文件名含有路径：" + std::string(name);
    for (size_t pos = 0; pos < name.size(); pos = NextCharPos(name, pos, charset))
        if (IsForbiddenChar(static_cast<unsigned char>(name[pos]))) return "文件名含有非法字符：" + std::string(name);
    if (IsReservedWindowsName(name, charset)) return "文件名是设备名或以点、空格结尾：" + std::string(name);
    return {};
}

std::string UnsafeRecordReason(const DownloadRecord& record, TextCharset charset)
{
    std::string reason = UnsafeNameReason(record.targetName, charset);
    if (!reason.empty()) return reason;
    const std::string& sub = record.subfolder;
    size_t start = 0;
    for (size_t pos = 0; pos <= sub.size() && !sub.empty();) {
        bool end = pos == sub.size();
        if (end || sub[pos] == '\\' || sub[pos] == '/') {
            reason = UnsafeNameReason(std::string_view(sub).substr(start, pos - start), charset);
            if (!reason.empty()) return "子文件夹“" + sub + "”：" + reason;
            if (end) break;
            start = ++pos;
        } else {
            pos = NextCharPos(sub, pos, charset);
        }
    }
    return {};
}

std::string FlattenedName(std::string_view folder, std::string_view name, LeadByteRule rule)
{
    std::string out;
    AppendEscaped(out, folder, rule);
    out += '.';
    AppendEscaped(out, name, rule);
    return out;
}

}  // namespace quibo
