// Widget data for tests: pattern sheets whose every pattern is one distinct solid colour
// (so a presented frame tells which pattern a widget drew), and the interface descriptions
// of heads-up panels.
#pragma once

#include <cstdint>
#include <string>

namespace datagen {

// The colour of pattern i ($RRGGBB): 64 colours that stay distinct at 16 bits, none black
// (the game's transparent colour).
uint32_t PatternColour(int pattern);

// A 24-bit BMP of columns x rows patterns, pattern i (counted row by row) in PatternColour(i).
std::string WidgetSheet(int patternWidth, int patternHeight, int columns, int rows);

// A heads-up panel's description (TOneInterface); Position 0 places the panel at Left, Top.
struct InterfaceDescription {
    int32_t idName = 1;
    std::string picture;
    int32_t patternWidth = 64, patternHeight = 32;
    int32_t left = 0, top = 0, position = 0;
};
std::string InterfaceRecord(const InterfaceDescription& d);

}  // namespace datagen
