// Label text broken into lines: at spaces, never inside a double-byte
// character, and never an endless run of empty lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/text/line_wrap.h"

using namespace quibo;

namespace {

// 10 pixels a byte: a double-byte character is 20 wide.
int TenPerByte(std::string_view text) { return static_cast<int>(text.size()) * 10; }

const std::string kZhong = "\xD6\xD0";    // a Chinese character in code page 936
const std::string kTrail5C = "\x81\x5C";  // its trail byte is "\"
const std::string kStop = "\xA1\xA3";     // the Chinese full stop
using Lines = std::vector<std::string>;

}  // namespace

TEST(LineWrap, BreaksAtSpacesAndCharacterBoundaries)
{
    struct Case {
        const char* what;
        std::string text;
        int width;
        Lines lines;
    };
    const Case cases[] = {
        {"before a word that does not fit", "hello world", 60, {"hello ", "world"}},
        {"at the last space inside the line", "hello world", 85, {"hello", "world"}},
        {"at the space nearest the edge", "a b cd ef", 50, {"a b", "cd ef"}},
        {"no space: before the character that does not fit", "abcdefgh", 30, {"abc", "def", "gh"}},
        {"a line ending in a space keeps it", "ab cd", 30, {"ab ", "cd"}},
        {"a leading space is no place to break", " abcd", 30, {" ab", "cd"}},
        {"double-byte characters stay whole", kZhong + kZhong + kZhong, 45, {kZhong + kZhong, kZhong}},
        {"a trail byte that looks like a backslash", "a" + kTrail5C + "b", 25, {"a", kTrail5C, "b"}},
        {"narrower than any character: one a line", "ab" + kZhong, 5, {"a", "b", kZhong}},
        {"a full stop takes the last character along", kZhong + kZhong + kZhong + kStop, 60,
         {kZhong + kZhong, kZhong + kStop}},
        {"a closing mark alone on a narrow line stays alone", kZhong + kStop, 20, {kZhong, kStop}},
        {"a zero width still places every character", "xy", 0, {"x", "y"}},
        {"line breaks of every kind", "a\r\nb\n\rc\nd\re", 100, {"a", "b", "c", "d", "e"}},
        {"an empty line between two breaks", "a\r\n\r\nb", 100, {"a", "", "b"}},
        {"a final break adds no line", "a\r\n", 100, {"a"}},
        {"empty text: one empty line", "", 100, {""}},
        {"a lone lead byte at the end", "ab\x81", 100, {"ab\x81"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WrapLines(c.text, c.width, TenPerByte, TextCharset::CodePage936), c.lines) << c.what;
    }
}

TEST(LineWrap, EveryByteIsKeptExceptBreaksAndTheSpacesBrokenAt)
{
    // A long mixed text: joining the lines gives the text back, less the
    // spaces that ended lines; no line is wider than the label unless it is
    // a single character.
    std::string text;
    for (int i = 0; i < 200; ++i) text += (i % 7 == 0 ? " " : (i % 3 == 0 ? kZhong : std::string("w")));
    for (int width : {15, 25, 40, 95}) {
        Lines lines = WrapLines(text, width, TenPerByte, TextCharset::CodePage936);
        std::string joined;
        for (const std::string& line : lines) {
            EXPECT_FALSE(line.empty()) << width;
            if (TenPerByte(line) > width) {
                EXPECT_TRUE(line.size() == 1 || line == kZhong) << width << ": " << line;
            }
            joined += line;
        }
        std::string withoutSpaces, joinedWithoutSpaces;
        for (char ch : text)
            if (ch != ' ') withoutSpaces += ch;
        for (char ch : joined)
            if (ch != ' ') joinedWithoutSpaces += ch;
        EXPECT_EQ(joinedWithoutSpaces, withoutSpaces) << width;
    }
}
