#include "tools/datagen/WidgetWriter.h"

#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/WorldWriter.h"

namespace datagen {

uint32_t PatternColour(int pattern) {
    // Four levels per channel, far apart so that 5-6-5 keeps them apart; index 0 is skipped
    // so that no pattern is black.
    const int i = (pattern & 63) + 1;
    const auto level = [](int v) { return uint32_t(0x20 + 0x48 * (v & 3)); };
    return level(i) << 16 | level(i >> 2) << 8 | level(i >> 4);
}

std::string WidgetSheet(int patternWidth, int patternHeight, int columns, int rows) {
    return PatternPicture(patternWidth, patternHeight, columns, rows,
                          [columns](int column, int row) { return PatternColour(row * columns + column); });
}

std::string InterfaceRecord(const InterfaceDescription& d) {
    return RecordWriter("TOneInterface", "Interface" + std::to_string(d.idName))
        .Int("IDName", d.idName)
        .Str("IDClasse", d.picture)
        .Int("PatternHeight", d.patternHeight)
        .Int("PatternWidth", d.patternWidth)
        .Int("LinesHeight", 1)
        .Int("LinesWidth", 1)
        .Int("Left", d.left)
        .Int("Top", d.top)
        .Int("Position", d.position)
        .Finish();
}

}  // namespace datagen
