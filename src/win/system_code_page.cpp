#include "win/system_code_page.h"

#include <windows.h>

namespace quibo {

namespace {

LeadByteRule ReadSystemLeadBytes()
{
    const UINT codePage = ::GetACP();
    LeadByteRule rule = LeadByteRule::SingleByte();
    for (unsigned first = 0; first < 256;) {
        if (!::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(first))) {
            ++first;
            continue;
        }
        unsigned last = first;
        while (last + 1 < 256 && ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(last + 1))) ++last;
        rule.AddRange(static_cast<unsigned char>(first), static_cast<unsigned char>(last));
        first = last + 1;
    }
    return rule;
}

}  // namespace

LeadByteRule SystemLeadBytes()
{
    // The code page is fixed for the life of the process.
    static const LeadByteRule rule = ReadSystemLeadBytes();
    return rule;
}

std::wstring WideFromSystem(const std::string& text)
{
    const int size = static_cast<int>(text.size());
    const int n = text.empty() ? 0 : ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], n);
    return wide;
}

}  // namespace quibo
