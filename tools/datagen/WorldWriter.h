// Writers of the world's data: the wave list, the descriptions of map elements, cursors and
// effects (records in the class library's component format), and their pictures.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace datagen {

// The wave list: seven group bases, then one container key of "Wav" per sound number.
struct WaveList {
    std::array<int32_t, 7> bases{};
    std::vector<std::string> names;
    int64_t lengthDelta = 0;  // stored length of the names minus the real one (container form)
};
// The container's form ("Strings"/"ListWave"): the bases, an int32 length, the names.
std::string WaveListEntry(const WaveList& list);
// The loose file's form ("ListWave.lw"): the bases, then the names to the end.
std::string WaveListFile(const WaveList& list);

// A map element's one slide.
struct MapElementDescription {
    int32_t idName = 1;  // the map-element class
    std::string picture;
    int32_t patternWidth = 64, patternHeight = 64;
    int32_t linesWidth = 1, linesHeight = 1;  // patterns per frame, frames
};
std::string MapElementRecord(const MapElementDescription& d);

struct CursorDescription {
    int32_t idName = 1;
    std::string picture;
    int32_t patternWidth = 16, patternHeight = 16;
    int32_t linesWidth = 1, linesHeight = 1;
    int32_t offsetX = 0, offsetY = 0;  // the hot spot
    int32_t hTicksPerChange = 0, timeLifes = 0, retIDName = 0;
};
std::string CursorRecord(const CursorDescription& d);

struct EffectDescription {
    int32_t idName = 1;
    std::string picture;
    int32_t patternWidth = 16, patternHeight = 16;
    int32_t linesWidth = 1, linesHeight = 1;
    int32_t hTicksPerChange = 0, timeLifes = 0, retIDName = 0;
    int32_t visibleForCursor = 0, systemCoordinate = 0;
    double fiReal = 0;
    std::string styleImposition = "siNo";  // siNo, siScaling, siStandart, siOffset
};
std::string EffectRecord(const EffectDescription& d);

// A 24-bit BMP of columns x rows patterns, each filled with colour(column, row) ($RRGGBB).
std::string PatternPicture(int patternWidth, int patternHeight, int columns, int rows,
                           const std::function<uint32_t(int column, int row)>& colour);
std::string SolidPicture(int width, int height, uint32_t rgb);

}  // namespace datagen
