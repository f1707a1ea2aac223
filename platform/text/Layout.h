// The layout of DrawText, apart from any font or pixel: prefixes, line ends, word breaks
// and tab stops turn a text into lines of placed bytes. Advances come from a callback, so
// the rules can be checked with any widths.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace platform::text {

struct LayoutRules {
    bool SingleLine = false;  // CR and LF end nothing (and draw nothing)
    bool WordBreak = false;   // break between words to stay within MaxWidth
    bool ExpandTabs = false;  // tabs move to the next stop; otherwise they draw nothing
    bool Prefix = false;      // "&x" marks x, "&&" is "&"
    int64_t MaxWidth = 0;     // the width lines break at (WordBreak only)
    int32_t TabWidth = 0;     // distance between tab stops, from the line's start
};

// One byte to draw, with its pen position from the start of its line.
struct PlacedByte {
    uint8_t Byte = 0;
    bool Marked = false;  // underlined as a prefix
    int64_t X = 0;
    int32_t Advance = 0;
};

struct LayoutLine {
    size_t First = 0;  // index of the line's first byte in TextLayout::Bytes
    size_t Count = 0;
    int64_t Width = 0;  // pen position after the line's last byte
};

struct TextLayout {
    std::vector<PlacedByte> Bytes;
    std::vector<LayoutLine> Lines;
    int64_t Width = 0;  // of the widest line
};

// Advance in pixels of a byte that is drawn (never called for control bytes).
using AdvanceOf = std::function<int32_t(uint8_t)>;

TextLayout LayOutText(std::string_view text, const LayoutRules& rules, const AdvanceOf& advance);

}  // namespace platform::text
