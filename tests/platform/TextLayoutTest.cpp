// The layout rules of DrawText with made-up advances: every byte is 10 pixels wide.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text/Layout.h"

namespace txt = platform::text;

namespace {

const txt::AdvanceOf kTen = [](uint8_t) { return 10; };

txt::TextLayout Lay(std::string_view text, txt::LayoutRules rules = {}) { return txt::LayOutText(text, rules, kTen); }

std::vector<std::string> LinesOf(const txt::TextLayout& layout) {
    std::vector<std::string> lines;
    for (const auto& line : layout.Lines) {
        std::string s;
        for (size_t k = line.First; k < line.First + line.Count; ++k) s += char(layout.Bytes[k].Byte);
        lines.push_back(s);
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(TextLayout, LineEndsCrLfAndBothPairs) {
    EXPECT_EQ(LinesOf(Lay("a\rb\nc\r\nd\n\re")), (Lines{"a", "b", "c", "d", "e"}));
    // Name and score as the heads-up text joins them: two lines.
    EXPECT_EQ(LinesOf(Lay("Player\n\r120")), (Lines{"Player", "120"}));
    EXPECT_EQ(LinesOf(Lay("a\n\nb")), (Lines{"a", "", "b"}));
    EXPECT_EQ(LinesOf(Lay("a\r\n\r\nb")), (Lines{"a", "", "b"}));
    EXPECT_EQ(LinesOf(Lay("a\n\r\nb")), (Lines{"a", "", "b"}));
    EXPECT_EQ(LinesOf(Lay("a\n")), (Lines{"a"}));
    EXPECT_EQ(LinesOf(Lay("\n")), (Lines{""}));
    EXPECT_TRUE(Lay("").Lines.empty());
}

TEST(TextLayout, SingleLineDrawsNoLineEnds) {
    txt::LayoutRules rules;
    rules.SingleLine = true;
    const auto layout = Lay("ab\r\ncd", rules);
    EXPECT_EQ(LinesOf(layout), (Lines{"abcd"}));
    EXPECT_EQ(layout.Width, 40);
    EXPECT_EQ(layout.Bytes[2].X, 20);
}

TEST(TextLayout, PrefixesMarkTheNextByte) {
    txt::LayoutRules rules;
    rules.Prefix = true;
    auto layout = Lay("&File && &x&", rules);
    EXPECT_EQ(LinesOf(layout), (Lines{"File & x"}));
    std::string marks;
    for (const auto& b : layout.Bytes) marks += b.Marked ? '^' : ' ';
    EXPECT_EQ(marks, "^      ^");
    // An ampersand before a line end marks nothing and goes.
    EXPECT_EQ(LinesOf(Lay("a&\nb", rules)), (Lines{"a", "b"}));
    for (const auto& b : Lay("a&\nb", rules).Bytes) EXPECT_FALSE(b.Marked);
    rules.Prefix = false;
    EXPECT_EQ(LinesOf(Lay("&File &&", rules)), (Lines{"&File &&"}));
}

TEST(TextLayout, WordBreakKeepsLinesWithinTheWidth) {
    txt::LayoutRules rules;
    rules.WordBreak = true;
    rules.MaxWidth = 50;
    auto layout = Lay("aaa bbb cc", rules);
    EXPECT_EQ(LinesOf(layout), (Lines{"aaa", "bbb", "cc"}));
    for (const auto& line : layout.Lines) EXPECT_LE(line.Width, 50);
    // Exactly the width still fits; the spaces at a break are not drawn.
    EXPECT_EQ(LinesOf(Lay("aa bb c", rules)), (Lines{"aa bb", "c"}));
    EXPECT_EQ(Lay("aa bb c", rules).Bytes[5].X, 0);
    // A word wider than the box stands alone; leading spaces stay.
    EXPECT_EQ(LinesOf(Lay("aaaaaaaa b", rules)), (Lines{"aaaaaaaa", "b"}));
    EXPECT_EQ(LinesOf(Lay("  aa", rules)), (Lines{"  aa"}));
    EXPECT_EQ(Lay("  aa", rules).Lines[0].Width, 40);
    // Paragraphs break on their own.
    EXPECT_EQ(LinesOf(Lay("aaa bbb\ncc dd", rules)), (Lines{"aaa", "bbb", "cc dd"}));
    // No room at all: a word per line.
    rules.MaxWidth = 0;
    EXPECT_EQ(LinesOf(Lay("a b c", rules)), (Lines{"a", "b", "c"}));
    // Without the flag nothing breaks.
    rules.WordBreak = false;
    EXPECT_EQ(LinesOf(Lay("aaa bbb cc", rules)), (Lines{"aaa bbb cc"}));
}

TEST(TextLayout, TabsStopFromTheLineStart) {
    txt::LayoutRules rules;
    rules.ExpandTabs = true;
    rules.TabWidth = 80;
    auto layout = Lay("a\tb\ncccccccc\td", rules);
    EXPECT_EQ(LinesOf(layout), (Lines{"ab", "ccccccccd"}));
    EXPECT_EQ(layout.Bytes[1].X, 80);
    EXPECT_EQ(layout.Bytes.back().X, 160);  // a tab at a stop goes to the next one
    // Word breaking measures tabs where the line starts anew.
    rules.WordBreak = true;
    rules.MaxWidth = 100;
    layout = Lay("aaaa\tbb\tc", rules);
    EXPECT_EQ(LinesOf(layout), (Lines{"aaaabb", "c"}));
    EXPECT_EQ(layout.Bytes[4].X, 80);
    EXPECT_EQ(layout.Bytes.back().X, 0);
    // Without expansion a tab is a control character: it draws and measures nothing.
    rules = {};
    layout = Lay("a\tb", rules);
    EXPECT_EQ(LinesOf(layout), (Lines{"ab"}));
    EXPECT_EQ(layout.Width, 20);
}

TEST(TextLayout, ControlBytesTakeNoRoom) {
    const auto layout = Lay(std::string("a\x01\x1F" "b", 4));
    EXPECT_EQ(LinesOf(layout), (Lines{"ab"}));
    EXPECT_EQ(layout.Width, 20);
}

}  // namespace
