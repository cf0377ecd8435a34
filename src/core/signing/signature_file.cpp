#include "core/signing/signature_file.h"

#include <array>
#include <cstdint>

#include "core/signing/hex_text.h"
#include "core/text/trim.h"

namespace quibo {

namespace {

// A key id names its key by the first 8 bytes of the key's SHA-256.
using KeyIdBytes = std::array<std::uint8_t, 8>;

// "[sigN]" with N a decimal number from 1.
bool IsSignatureHeader(std::string_view line)
{
    if (line.size() < 6 || line.substr(0, 4) != "[sig" || line.back() != ']') return false;
    std::string_view number = line.substr(4, line.size() - 5);
    if (number.empty() || number.size() > 3 || number[0] == '0') return false;
    for (char c : number)
        if (c < '0' || c > '9') return false;
    return true;
}

struct Section {
    std::string key;
    std::string sig;
    bool seenKey = false;
    bool seenSig = false;
};

bool Finish(const Section& section, std::vector<SignatureEntry>& entries, std::string& error)
{
    SignatureEntry entry;
    KeyIdBytes keyId{};
    if (!section.seenKey || !FromHex(section.key, keyId)) {
        error = "a signature has no key of 16 hex digits";
        return false;
    }
    if (!section.seenSig || !FromHex(section.sig, entry.signature)) {
        error = "a signature is not 128 hex digits";
        return false;
    }
    entry.keyId = ToHex(keyId);
    entries.push_back(entry);
    return true;
}

}  // namespace

std::string FormatSignatureFile(const std::vector<SignatureEntry>& entries)
{
    std::string text;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        text += "[sig" + std::to_string(i + 1) + "]\r\n";
        text += "key=" + entries[i].keyId + "\r\n";
        text += "sig=" + ToHex(entries[i].signature) + "\r\n";
    }
    return text;
}

bool ParseSignatureFile(std::string_view text, std::vector<SignatureEntry>& entries, std::string& error)
{
    entries.clear();
    error.clear();
    Section section;
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (!IsSignatureHeader(line)) {
                error = "a section that is not [sigN]";
                return false;
            }
            if (inSection && !Finish(section, entries, error)) return false;
            if (entries.size() == kMaxPackageSignatures) {
                error = "more than " + std::to_string(kMaxPackageSignatures) + " signatures";
                return false;
            }
            section = Section();
            inSection = true;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos) {
            error = "a line outside a [sigN] section or without \"=\"";
            return false;
        }
        const std::string_view name = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        bool& seen = name == "key" ? section.seenKey : section.seenSig;
        if ((name != "key" && name != "sig") || seen) {
            error = "an unknown or repeated key in a signature";
            return false;
        }
        seen = true;
        (name == "key" ? section.key : section.sig) = std::string(value);
    }
    if (inSection && !Finish(section, entries, error)) return false;
    if (entries.empty()) {
        error = "no signature";
        return false;
    }
    return true;
}

}  // namespace quibo
