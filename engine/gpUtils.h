// The engine's general helpers: constant tables, geometry on 1/256-turn angles, text and
// file helpers, command-line look-ups, key names and the scrambling of small buffers.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rtl/Lists.h"
#include "rtl/StringList.h"
#include "rtl/Types.h"
#include "platform/text/Text.h"

namespace rtl {
class Object;
class Stream;
}
namespace platform::window {
class Region;
}

namespace engine {

class TGPStructure;

// ---- Constant tables (position 1 is element 0) ----
extern const std::array<const char*, 19> RankNames;
extern const std::array<const char*, 10> AwardNames;
extern const std::array<const char*, 8> ShotNames;  // weapon identifiers 1..8
inline constexpr const char* sUpDate = "UpDate";
inline constexpr const char* sDefaultFontName = "Arial";
inline constexpr const char* sListWaveFile = "ListWave.lw";

// ---- Geometry; angles 0..255 for a full turn, 0 along +X, 64 along +Y ----

// X = DX + round(X0 + R1*(sin A - cos A)), Y = DY + round(Y0 - R2*(sin A + cos A)) with the
// table sine and cosine; ERangeError when a result leaves 32 bits.
rtl::TPoint RotatePoint(int32_t x0, int32_t y0, int32_t r1, int32_t r2, int32_t dx, int32_t dy,
                        uint8_t angle);
// The same with exact sine and cosine of angle/256 of a turn.
rtl::TPoint RotatePointF(double x0, double y0, double r1, double r2, double dx, double dy,
                         double angle);
double CosAngle256(double a);
double SinAngle256(double a);
// Direction of (dx, dy) in 1/256 turns, 1..256 (the +X axis gives 256); 0 for the zero vector.
int32_t AngleOf(int64_t dy, int64_t dx);
// A inside B, edges may touch.
bool RectInside(const rtl::TRect& a, const rtl::TRect& b);
// A and B share an area (touching edges do not count).
constexpr bool RectsMeet(const rtl::TRect& a, const rtl::TRect& b) noexcept {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}
// Direction for mover A toward target C (or away from B); -1 when A's centre is C's.
// count is 0..3 (ERangeError beyond). Squared distances are 64-bit.
int32_t DirectionBetween(const rtl::TRect& a, const rtl::TRect& b, const rtl::TRect& c,
                         int32_t count, bool flag);
// r := Random(range); r/divisor when r < range div 2, else -r/divisor.
double RandomSigned(int32_t range, int32_t divisor);
void OrderSwap(int32_t& a, int32_t& b);

// ---- Text and files ----

// int32 length, then that many bytes; EReadError when the length is negative or runs past
// the end of the stream.
std::string ReadLenString(rtl::Stream& stream);
// int32 count, then that many strings appended to list (the count is checked likewise).
void ReadStringList(rtl::Stream& stream, rtl::StringList& list);
// The file name without folder, cut at its first '.' (at most 20 characters removed).
std::string FileTitle(std::string_view path);
// The text after key up to the first ',', else ')', else ';', or to the end; "" without key.
std::string ValueAfter(std::string_view key, std::string_view text);
// The plain files of folder matching mask (* and ?, any case) into list (cleared), in name
// order; when minSize != 0 a file larger than minSize goes to the front. Leaves the
// process's current folder alone.
void ListFiles(const std::string& folder, std::string_view mask, rtl::StringList& list,
               int64_t minSize);
bool MatchesMask(std::string_view name, std::string_view mask);
// A window region stored at the stream's position: a 16-bit byte count, then the region data
// (32-byte header: size 32, type 1, rectangle count, byte count, bounds; then the rectangles
// as four int32). Every count and coordinate is checked against the byte count and what the
// stream holds; damaged data raises EReadError. Leaves the position after the byte count.
platform::window::Region RegionFromStream(rtl::Stream& stream);
// Copies at most n characters and a terminating zero (buffer holds n + 1 bytes).
void CopyStrToBuffer(char* buffer, std::string_view text, size_t n);

// ---- Fonts ----

// A font's style bits and pitch, as text widgets keep them.
inline constexpr uint8_t fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;
enum class TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };

// The description of a font turned by an angle (in degrees): its face and height, weight 700
// when bold (else 400), italic, underline and strike-out, its pitch, the default character
// set and an escapement of angle * 10 tenths of a degree. ERangeError when that leaves 32 bits.
platform::text::LogFont FontDescription(std::string faceName, int32_t height, uint8_t style, TFontPitch pitch,
                                        int32_t angle);
// The text system's font of that description.
platform::text::FontPtr FontToHandle(std::string faceName, int32_t height, uint8_t style, TFontPitch pitch,
                                     int32_t angle);

// ---- Command line ----

// The parameters after the program name; the shell sets them at start.
void SetParams(std::vector<std::string> params);
const std::vector<std::string>& Params();
// The parameter after the first that contains key (case-sensitive); "" when none.
std::string FindParam(std::string_view key);
std::string FindParam(const std::vector<std::string>& params, std::string_view key);
// The first parameter containing key in any case, and the one after it in capitals.
std::pair<std::string, std::string> FindParamValue(std::string_view key);
std::pair<std::string, std::string> FindParamValue(const std::vector<std::string>& params,
                                                   std::string_view key);

// ---- Version information ----

// A file's version information: the fixed numbers, the flags and the version strings of its
// first translation.
struct TFileVersionInfo {
    uint32_t Signature = 0;
    int16_t MajorVersion = 0, MinorVersion = 0, ReleaseVersion = 0, BuildVersion = 0;
    bool DebugInfo = false, PreRelease = false, PrivateBuild = false, SpecialBuild = false;
    std::string CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright,
        ProductName, ProductVersion, Comments, ProductDescription, LegalTrademark;
    std::string Locale;  // language and code page, eight hexadecimal digits ("040904E4")
};

// Major, minor, release, build; all -1 when the file has no version information.
std::array<int16_t, 4> FileVersion4(const std::string& fileName);
// The version of a file as "%D.%0.2D.%0.2D.%0.4D"; "" when it has none.
std::string FormattedFileVersion(const std::string& fileName);
// The versions of "DDraw.dll", "DSound.dll", "DInput.dll" beside the program ("" when absent).
std::string DirectDrawVersion();
std::string DirectSoundVersion();
std::string DirectInputVersion();
// Fills info from the file; false (info cleared) when it has no version information. With
// describe set, also appends the lines of DescribeFileVersion to lines when given.
bool ReadFileVersionInfo(const std::string& fileName, bool describe, TFileVersionInfo& info,
                         rtl::StringList* lines = nullptr);
// One line per field, each label followed by its value; the flags only when set.
void DescribeFileVersion(const TFileVersionInfo& info, rtl::StringList& lines);
// The display name ("layout text") of a keyboard layout, code padded to 8 digits with zeros;
// "" when the system does not know it.
std::string KeyboardLayoutName(std::string_view code);

// ---- Keys (Windows virtual-key codes) ----
std::string KeyName(int32_t code);
int32_t KeyCode(std::string_view text);

// ---- Lists ----
// Adds item unless the list holds it already: its new index, or -1.
template <typename T> int AddUnique(rtl::List<T>& list, const T& item) {
    return list.IndexOf(item) >= 0 ? -1 : list.Add(item);
}

// ---- Mouse cursor ----
// When the kernel has a mouse sprite: sets its cursor class (the kernel's SetMouseKind) and
// the sprite the cursor refers to. Defined with the mouse sprite.
void SetMouseCursor(int32_t kind, TGPStructure* sprite);

// An owning list of objects with checked access ("List index out of bounds (%d)"); Clear
// and destruction free the items. The command executor keeps one.
class TAplicationListForSound {
public:
    TAplicationListForSound();
    ~TAplicationListForSound();
    TAplicationListForSound(const TAplicationListForSound&) = delete;
    TAplicationListForSound& operator=(const TAplicationListForSound&) = delete;

    int Count() const noexcept { return items_.Count(); }
    rtl::Object* Get(int index) const { return items_[index].get(); }
    int Add(std::unique_ptr<rtl::Object> item);
    void Delete(int index);  // frees the item
    void Clear();

private:
    rtl::List<std::unique_ptr<rtl::Object>> items_;
};

// ---- Scrambling of small buffers ----
// A running sum from the second byte on, then the first byte adds the new last byte.
// Buffers shorter than 2 bytes are left unchanged.
void ScrambleBuffer(uint8_t* buffer, size_t n);
void UnscrambleBuffer(uint8_t* buffer, size_t n);
std::string UnscrambleString(std::string_view text);
std::string ScrambleString(std::string_view text);

}  // namespace engine
