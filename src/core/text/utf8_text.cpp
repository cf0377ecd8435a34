#include "core/text/utf8_text.h"

namespace quibo {

bool IsValidUtf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        // Length of the sequence and the range its second byte must lie in;
        // the narrow ranges rule out overlong forms, surrogates and values
        // past U+10FFFF.
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        unsigned char second = static_cast<unsigned char>(text[i + 1]);
        if (second < low || second > high) return false;
        for (size_t k = 2; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if (next < 0x80 || next > 0xBF) return false;
        }
        i += length;
    }
    return true;
}

}  // namespace quibo
