#include "tools/datagen/WorldWriter.h"

#include "tools/datagen/Bmp.h"
#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/Container.h"

namespace datagen {

namespace {
std::string Bases(const WaveList& list) {
    std::string out;
    for (const int32_t base : list.bases) out += Int32Bytes(base);
    return out;
}
std::string Names(const WaveList& list) {
    std::string text;
    for (const auto& name : list.names) text += name + "\r\n";
    return text;
}
}  // namespace

std::string WaveListEntry(const WaveList& list) {
    const std::string names = Names(list);
    return Bases(list) + Int32Bytes(static_cast<int32_t>(static_cast<int64_t>(names.size()) + list.lengthDelta)) + names;
}

std::string WaveListFile(const WaveList& list) { return Bases(list) + Names(list); }

namespace {
// The head every description shares: its class, the picture's name and the pattern grid.
RecordWriter Description(const char* className, const char* name, const char* pictureProperty, int32_t idName,
                         const std::string& picture, int32_t patternWidth, int32_t patternHeight, int32_t linesWidth,
                         int32_t linesHeight) {
    RecordWriter record(className, name + std::to_string(idName));
    record.Int("IDName", idName)
        .Str(pictureProperty, picture)
        .Int("PatternHeight", patternHeight)
        .Int("PatternWidth", patternWidth)
        .Int("LinesHeight", linesHeight)
        .Int("LinesWidth", linesWidth);
    return record;
}
}  // namespace

std::string MapElementRecord(const MapElementDescription& d) {
    return Description("TOneSlide", "Element", "IDSlide", d.idName, d.picture, d.patternWidth, d.patternHeight,
                       d.linesWidth, d.linesHeight)
        .Finish();
}

std::string CursorRecord(const CursorDescription& d) {
    return Description("TOneCursor", "Cursor", "IDClasse", d.idName, d.picture, d.patternWidth, d.patternHeight,
                       d.linesWidth, d.linesHeight)
        .Int("OffsetX", d.offsetX)
        .Int("OffsetY", d.offsetY)
        .Int("RetIDName", d.retIDName)
        .Int("HTicksPerChange", d.hTicksPerChange)
        .Int("TimeLifes", d.timeLifes)
        .Finish();
}

std::string EffectRecord(const EffectDescription& d) {
    return Description("TOneEffects", "Effect", "IDClasse", d.idName, d.picture, d.patternWidth, d.patternHeight,
                       d.linesWidth, d.linesHeight)
        .Int("RetIDName", d.retIDName)
        .Int("HTicksPerChange", d.hTicksPerChange)
        .Int("TimeLifes", d.timeLifes)
        .Int("VisibleForCursor", d.visibleForCursor)
        .Int("SystemCoordinate", d.systemCoordinate)
        .Real("fiReal", d.fiReal)
        .Ident("StyleImposition", d.styleImposition)
        .Finish();
}

std::string PatternPicture(int patternWidth, int patternHeight, int columns, int rows,
                           const std::function<uint32_t(int column, int row)>& colour) {
    BmpPicture p;
    p.width = patternWidth * columns;
    p.height = patternHeight * rows;
    p.bitCount = 24;
    p.pixels.resize(static_cast<size_t>(p.width) * static_cast<size_t>(p.height));
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.pixels[static_cast<size_t>(y) * static_cast<size_t>(p.width) + static_cast<size_t>(x)] =
                colour(x / patternWidth, y / patternHeight);
    return EncodeBmp(p);
}

std::string SolidPicture(int width, int height, uint32_t rgb) {
    return PatternPicture(width, height, 1, 1, [rgb](int, int) { return rgb; });
}

}  // namespace datagen
