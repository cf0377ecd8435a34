// Whether the answer to a request for the rest of a file may be appended to
// the bytes already there: anything but a piece that starts at the local
// file's end and runs, with lengths that agree, to the file's end must never
// be joined to them.
#include <gtest/gtest.h>

#include "core/transfer/range_answer.h"

using namespace quibo;

TEST(RangeAnswer, OnlyTheExactRestOfTheFileIsAppended)
{
    const struct {
        const char* what;
        unsigned status;
        const char* contentRange;
        std::uint64_t from, length;
        RangeAnswer answer;
    } cases[] = {
        {"the rest", 206, "bytes 1000-4999/5000", 1000, 4000, RangeAnswer::Append},
        {"unit in capitals, blanks around", 206, " BYTES 1000-4999/5000 ", 1000, 4000, RangeAnswer::Append},
        {"past 4 GiB", 206, "bytes 4294967296-4294967395/4294967396", 4294967296u, 100, RangeAnswer::Append},
        {"server ignored the range", 200, "", 1000, 5000, RangeAnswer::Afresh},
        {"other success status", 203, "", 1000, 5000, RangeAnswer::Afresh},
        {"local file whole or longer", 416, "bytes */5000", 5000, 0, RangeAnswer::Refetch},
        {"piece from the start", 206, "bytes 0-4999/5000", 1000, 5000, RangeAnswer::Refetch},
        {"piece from further on", 206, "bytes 2000-4999/5000", 1000, 3000, RangeAnswer::Refetch},
        {"piece short of the end", 206, "bytes 1000-3999/5000", 1000, 3000, RangeAnswer::Refetch},
        {"body length disagrees", 206, "bytes 1000-4999/5000", 1000, 3999, RangeAnswer::Refetch},
        {"total unknown", 206, "bytes 1000-4999/*", 1000, 4000, RangeAnswer::Refetch},
        {"last before first", 206, "bytes 1000-999/1000", 1000, 0, RangeAnswer::Refetch},
        {"no Content-Range", 206, "", 1000, 4000, RangeAnswer::Refetch},
        {"other unit", 206, "items 1000-4999/5000", 1000, 4000, RangeAnswer::Refetch},
        {"trailing text", 206, "bytes 1000-4999/5000x", 1000, 4000, RangeAnswer::Refetch},
        {"number too large", 206, "bytes 1000-99999999999999999999/5000", 1000, 4000, RangeAnswer::Refetch},
        {"multiple choices: no file at all", 300, "", 1000, 100, RangeAnswer::Fail},
        {"not found", 404, "", 1000, 100, RangeAnswer::Fail},
        {"server error", 500, "", 1000, 100, RangeAnswer::Fail},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JudgeRangeAnswer(c.status, c.contentRange, c.from, c.length), c.answer) << c.what;
}
