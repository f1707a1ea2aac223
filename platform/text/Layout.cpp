#include "platform/text/Layout.h"

#include <algorithm>

namespace platform::text {

namespace {

struct Cell {
    uint8_t Byte;
    bool Marked;
};

bool IsLineEnd(uint8_t b) { return b == '\r' || b == '\n'; }
bool IsBreakSpace(uint8_t b) { return b == ' ' || b == '\t'; }

// "&&" is "&"; "&x" marks x; an "&" before a line end or at the end marks nothing and goes.
std::vector<Cell> StripPrefixes(std::string_view text, bool prefix) {
    std::vector<Cell> cells;
    cells.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<uint8_t>(text[i]);
        if (!prefix || b != '&') {
            cells.push_back({b, false});
            continue;
        }
        if (i + 1 == text.size()) break;
        const auto next = static_cast<uint8_t>(text[i + 1]);
        if (IsLineEnd(next)) continue;
        cells.push_back({next, next != '&'});
        ++i;
    }
    return cells;
}

class Builder {
public:
    Builder(const LayoutRules& rules, const AdvanceOf& advance, size_t reserve) : rules_(rules), advance_(advance) {
        layout_.Bytes.reserve(reserve);
    }

    void Paragraph(const Cell* cells, size_t count) {
        if (!rules_.WordBreak) {
            Place(cells, count);
            EndLine();
            return;
        }
        bool hasWord = false;
        size_t i = 0;
        while (i < count) {
            size_t wordStart = i;
            while (wordStart < count && IsBreakSpace(cells[wordStart].Byte)) ++wordStart;
            size_t wordEnd = wordStart;
            while (wordEnd < count && !IsBreakSpace(cells[wordEnd].Byte)) ++wordEnd;
            if (hasWord && wordEnd > wordStart && Measure(cells + i, wordEnd - i) > rules_.MaxWidth) {
                // The spaces before a word that goes to the next line are not drawn.
                EndLine();
                i = wordStart;
            }
            Place(cells + i, wordEnd - i);
            hasWord = hasWord || wordEnd > wordStart;
            i = wordEnd;
        }
        EndLine();
    }

    TextLayout Take() { return std::move(layout_); }

private:
    // The pen after `b` drawn at `x`; `drawn` tells whether b has a glyph.
    int64_t Step(int64_t x, uint8_t b, int32_t& width, bool& drawn) const {
        drawn = false;
        width = 0;
        if (b == '\t' && rules_.ExpandTabs && rules_.TabWidth > 0) return (x / rules_.TabWidth + 1) * rules_.TabWidth;
        if (b < 0x20) return x;
        drawn = true;
        width = std::max(advance_(b), 0);
        return x + width;
    }

    int64_t Measure(const Cell* cells, size_t count) const {
        int64_t x = x_;
        int32_t width;
        bool drawn;
        for (size_t k = 0; k < count; ++k) x = Step(x, cells[k].Byte, width, drawn);
        return x;
    }

    void Place(const Cell* cells, size_t count) {
        int32_t width;
        bool drawn;
        for (size_t k = 0; k < count; ++k) {
            const int64_t next = Step(x_, cells[k].Byte, width, drawn);
            if (drawn) layout_.Bytes.push_back({cells[k].Byte, cells[k].Marked, x_, width});
            x_ = next;
        }
    }

    void EndLine() {
        layout_.Lines.push_back({lineFirst_, layout_.Bytes.size() - lineFirst_, x_});
        layout_.Width = std::max(layout_.Width, x_);
        lineFirst_ = layout_.Bytes.size();
        x_ = 0;
    }

    const LayoutRules& rules_;
    const AdvanceOf& advance_;
    TextLayout layout_;
    size_t lineFirst_ = 0;
    int64_t x_ = 0;
};

}  // namespace

TextLayout LayOutText(std::string_view text, const LayoutRules& rules, const AdvanceOf& advance) {
    const std::vector<Cell> cells = StripPrefixes(text, rules.Prefix);
    Builder builder(rules, advance, cells.size());
    if (cells.empty()) return builder.Take();
    if (rules.SingleLine) {
        builder.Paragraph(cells.data(), cells.size());
        return builder.Take();
    }
    // Each line end closes a line; a pair of different ones (CR LF or LF CR) is one end.
    size_t start = 0;
    size_t i = 0;
    while (i < cells.size()) {
        const uint8_t b = cells[i].Byte;
        if (!IsLineEnd(b)) {
            ++i;
            continue;
        }
        builder.Paragraph(cells.data() + start, i - start);
        ++i;
        if (i < cells.size() && IsLineEnd(cells[i].Byte) && cells[i].Byte != b) ++i;
        start = i;
    }
    if (start < cells.size()) builder.Paragraph(cells.data() + start, cells.size() - start);
    return builder.Take();
}

}  // namespace platform::text
