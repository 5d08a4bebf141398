#include "grid/core/clipboard_text.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

using namespace tnv;

using Lines = std::vector<std::vector<std::string>>;

TEST(PasteSplit, LinesAndFields) {
    struct Case {
        const char* name;
        std::string text;
        Lines lines;
    } cases[] = {
        {"leading separators skipped", "\t,a", {{"a"}}},
        {"blank field trims to empty", "  \tb", {{"", "b"}}},
        {"spaces inside a field stay", " two words ,x", {{"two words", "x"}}},
        {"only separators", "\t\t", {{}}},
        {"nothing", "", {{}}},
        {"text ends at a zero byte", std::string("a\tb\0c\td", 7), {{"a", "b"}}},
        {"8-bit bytes kept", "caf\xe9\t\x81\xff", {{"caf\xe9", "\x81\xff"}}},
        {"a copied block", "a\tb\nc\td", {{"a", "b"}, {"c", "d"}}}, // made below: same shape
    };
    for (const Case& c : cases)
        EXPECT_EQ(cliptext::SplitPastedText(c.text), c.lines) << c.name;
}

namespace {

// A 3 x 4 table: text "rc", picked where the map says, no cell where it says "absent".
cliptext::CellCopy cellOf(const std::map<std::pair<int, int>, const char*>& picked, int r, int c) {
    cliptext::CellCopy copy;
    auto it = picked.find({r, c});
    if (it == picked.end()) {
        copy.exists = true;
        copy.text = std::to_string(r) + std::to_string(c);
        return copy;
    }
    copy.exists = std::string(it->second) != "absent";
    copy.picked = copy.exists;
    copy.text = copy.exists ? it->second : "";
    return copy;
}

} // namespace

TEST(CopyText, FieldsOfTheBoundingRange) {
    struct Case {
        const char* name;
        CGridSpan range;
        std::map<std::pair<int, int>, const char*> picked;
        std::string expect;
    } cases[] = {
        {"corners only: unselected cells are empty fields",
         CGridSpan(1, 1, 2, 3),
         {{{1, 1}, "x"}, {{2, 3}, "y"}},
         "x\t\t\n\t\ty"},
        {"one cell", CGridSpan(2, 2, 2, 2), {{{2, 2}, "only"}}, "only"},
        {"a position without a cell object",
         CGridSpan(0, 0, 0, 1),
         {{{0, 0}, "absent"}, {{0, 1}, "b"}},
         "\tb"},
        {"not a span", CGridSpan(), {}, ""},
        {"a block",
         CGridSpan(0, 0, 1, 1),
         {{{0, 0}, "a"}, {{0, 1}, "b"}, {{1, 0}, "c"}, {{1, 1}, "d"}},
         "a\tb\nc\td"},
    };
    for (const Case& c : cases) {
        std::string text = cliptext::BuildSelectionText(
            c.range, [&](int r, int col) { return cellOf(c.picked, r, col); });
        EXPECT_EQ(text, c.expect) << c.name;
    }
}
