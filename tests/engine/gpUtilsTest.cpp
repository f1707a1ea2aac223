// Engine helpers: directions, keys, scrambling, files, parameters and the game variables.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <limits>

#include "engine/gpData.h"
#include "engine/gpPaths.h"
#include "engine/gpUtils.h"
#include "platform/text/Font.h"
#include "rtl/Exceptions.h"
#include "rtl/TypeInfo.h"
#include "rtl/Numbers.h"
#include "rtl/Streams.h"

namespace {

using namespace engine;

TEST(Geometry, AngleOfAxesAndDiagonals) {
    EXPECT_EQ(AngleOf(0, 5), 256);
    EXPECT_EQ(AngleOf(5, 0), 64);
    EXPECT_EQ(AngleOf(0, -5), 128);
    EXPECT_EQ(AngleOf(-5, 0), 192);
    EXPECT_EQ(AngleOf(0, 0), 0);
    EXPECT_EQ(AngleOf(7, 7), 32);
    EXPECT_EQ(AngleOf(7, -7), 96);
    EXPECT_EQ(AngleOf(-7, -7), 160);
    EXPECT_EQ(AngleOf(-7, 7), 224);
    EXPECT_EQ(AngleOf(-1, 100000), 256);  // just below the axis rounds to the full turn
}

TEST(Geometry, RotatePointUsesTheTablesAndChecksTheRange) {
    // Angle 64: sin 1, cos 0 -> (DX + X0 + R1, DY + Y0 - R2).
    EXPECT_EQ(RotatePoint(10, 20, 5, 7, 100, 200, 64), rtl::Point(115, 213));
    // Angle 0: sin 0, cos 1 -> (DX + X0 - R1, DY + Y0 - R2).
    EXPECT_EQ(RotatePoint(0, 0, 3, 4, 0, 0, 0), rtl::Point(-3, -4));
    EXPECT_THROW(RotatePoint(0, 0, 3, 0, INT32_MAX, 0, 64), rtl::ERangeError);
    EXPECT_EQ(RotatePointF(0, 0, 3, 4, 0, 0, 64), rtl::Point(3, -4));
}

TEST(Geometry, DirectionBetweenCandidatesAndWideDistances) {
    const rtl::TRect a = rtl::Rect(0, 0, 10, 10);  // centre (5, 5)
    EXPECT_EQ(DirectionBetween(a, a, rtl::Rect(0, 0, 10, 10), 3, true), -1);
    EXPECT_EQ(DirectionBetween(a, a, rtl::Rect(100, 0, 110, 10), 0, false), 256);
    // Every candidate beyond 9,000,000 (squared): C's centre wins. In 32 bits these squares
    // would wrap and pick a wrong candidate.
    const rtl::TRect far = rtl::Rect(100000, 100000, 100010, 100010);
    EXPECT_EQ(DirectionBetween(a, rtl::Rect(-100000, 0, -99990, 10), far, 3, true), 32);
    // B near: move away from it.
    EXPECT_EQ(DirectionBetween(a, rtl::Rect(15, 0, 25, 10), rtl::Rect(0, 500, 10, 510), 1, true), 128);
    EXPECT_THROW(DirectionBetween(a, a, far, 4, true), rtl::ERangeError);
}

TEST(Geometry, RealsAreCheckedBeforeTheyBecomeIntegers) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_THROW(RotatePointF(nan, 0, 1, 1, 0, 0, 0), rtl::ERangeError);
    EXPECT_THROW(RotatePointF(0, 0, 1, 1, inf, 0, 0), rtl::ERangeError);
    EXPECT_THROW(RotatePointF(0, 0, 1, 1, 0, 0, nan), rtl::ERangeError);
    EXPECT_THROW(RotatePointF(3e9, 0, 0, 0, 0, 0, 0), rtl::ERangeError);
    EXPECT_THROW(RotatePointF(0, 0, 0, 0, 1e300, 0, 0), rtl::ERangeError);
    EXPECT_EQ(RotatePointF(0.4, 0, 0, 0, 0.4, 0, 0), rtl::Point(0, 0));  // 0.4 + round(0.4) rounds to 0
    EXPECT_THROW(RotatePoint(1, 0, INT32_MAX, 0, 0, 0, 64), rtl::ERangeError);
    EXPECT_THROW(ValueToInteger(nan), rtl::ERangeError);
    EXPECT_THROW(ValueToInteger(inf), rtl::ERangeError);
    EXPECT_THROW(ValueToInteger(1e10), rtl::ERangeError);  // never its low 32 bits
    EXPECT_THROW(ValueToInteger(2147483647.5 + 1), rtl::ERangeError);
    EXPECT_EQ(ValueToInteger(2147483647.0), INT32_MAX);
    EXPECT_EQ(ValueToInteger(-2147483648.4), INT32_MIN);
    TGPField score(ftInteger);
    EXPECT_THROW(score.WriteValue(1e12), rtl::ERangeError);
}

TEST(Geometry, DirectionBetweenKeepsSixtyFourBitDifferences) {
    // Centres 4e9 apart: the difference needs 33 bits. Narrowed to 32 it turns negative and
    // the direction would point the other way.
    const rtl::TRect a = rtl::Rect(-2000000010, 0, -1999999990, 10);
    const rtl::TRect c = rtl::Rect(1999999990, 0, 2000000010, 10);
    EXPECT_EQ(DirectionBetween(a, a, c, 0, false), 256);
    EXPECT_EQ(DirectionBetween(c, c, a, 0, false), 128);
    const rtl::TRect up = rtl::Rect(0, -2000000010, 10, -1999999990);
    const rtl::TRect down = rtl::Rect(0, 1999999990, 10, 2000000010);
    EXPECT_EQ(DirectionBetween(up, up, down, 0, false), 64);
    EXPECT_EQ(AngleOf(int64_t{4000000000}, int64_t{4000000000}), 32);
}

TEST(Geometry, RandomSignedSplitsTheRange) {
    rtl::RandSeed = 12345;
    int negatives = 0;
    for (int i = 0; i < 200; ++i) {
        const double v = RandomSigned(100, 10);
        EXPECT_LE(v, 4.9);
        EXPECT_GE(v, -9.9);
        negatives += v < 0;
    }
    EXPECT_GT(negatives, 50);
    EXPECT_THROW(RandomSigned(10, 0), rtl::EDivByZero);
    int32_t x = 5, y = 2;
    OrderSwap(x, y);
    EXPECT_EQ(x, 2);
    EXPECT_TRUE(RectInside(rtl::Rect(0, 0, 5, 5), rtl::Rect(0, 0, 5, 5)));
    rtl::List<int*> list;
    EXPECT_EQ(AddUnique(list, &x), 0);
    EXPECT_EQ(AddUnique(list, &y), 1);
    EXPECT_EQ(AddUnique(list, &x), -1);
    EXPECT_FALSE(RectInside(rtl::Rect(0, 0, 6, 5), rtl::Rect(0, 0, 5, 5)));
}

TEST(Keys, NameAndCodeOverTheWholeTable) {
    for (int code = -5; code < 300; ++code) {
        const std::string name = KeyName(code);
        const bool known = (code >= 16 && code <= 19) || code == 27 || code == 32 ||
                           (code >= 37 && code <= 40) || code == 46 || (code >= 48 && code <= 57) ||
                           (code >= 65 && code <= 90) || code == 106 || code == 107 ||
                           (code >= 109 && code <= 126);
        EXPECT_EQ(!name.empty(), known) << code;
        if (!known) continue;
        const int back = KeyCode(name);
        if (code == 27 || code == 46 || (code >= 112 && code <= 126)) EXPECT_EQ(back, -1) << name;
        else if (code >= 106 && code <= 111) EXPECT_EQ(back, static_cast<uint8_t>(name[0])) << name;
        else EXPECT_EQ(back, code) << name;
    }
    EXPECT_EQ(KeyName(106), "*");
    EXPECT_EQ(KeyCode("*"), 42);
    EXPECT_EQ(KeyName(126), "F15");
    EXPECT_EQ(KeyCode(""), -1);
    EXPECT_EQ(KeyCode("q"), 'q');
    EXPECT_EQ(KeyCode("Nothing"), -1);
}

TEST(Fonts, AFontTakesFaceStyleWeightPitchAndTheAngleInTenths) {
    namespace pt = platform::text;
    const pt::LogFont plain = FontDescription("Arial", -12, 0, TFontPitch::fpDefault, 0);
    EXPECT_EQ(plain.FaceName, "Arial");
    EXPECT_EQ(plain.Height, -12);
    EXPECT_EQ(plain.Weight, pt::FW_NORMAL);
    EXPECT_FALSE(plain.Italic || plain.Underline || plain.StrikeOut);
    EXPECT_EQ(plain.CharSet, pt::DEFAULT_CHARSET);
    EXPECT_EQ(plain.PitchAndFamily, pt::Pitch::Default);
    EXPECT_EQ(plain.Escapement, 0);
    const pt::LogFont all =
        FontDescription("Arial", 20, fsBold | fsItalic | fsUnderline | fsStrikeOut, TFontPitch::fpFixed, 90);
    EXPECT_EQ(all.Weight, pt::FW_BOLD);
    EXPECT_TRUE(all.Italic && all.Underline && all.StrikeOut);
    EXPECT_EQ(all.PitchAndFamily, pt::Pitch::Fixed);
    EXPECT_EQ(all.Escapement, 900);
    EXPECT_EQ(FontDescription("", 1, fsUnderline, TFontPitch::fpVariable, -45).PitchAndFamily, pt::Pitch::Variable);
    EXPECT_EQ(FontDescription("", 1, 0, TFontPitch::fpDefault, -45).Escapement, -450);
    EXPECT_THROW(FontDescription("", 1, 0, TFontPitch::fpDefault, INT32_MAX / 5), rtl::ERangeError);

    const pt::FontPtr font = FontToHandle("Arial", -16, fsBold, TFontPitch::fpDefault, 90);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Desc().Escapement, 900);
    EXPECT_GE(font->Desc().Weight, 600);
    EXPECT_GT(pt::GetTextMetrics(*font).Height, 0);  // a real face, drawn upwards
}

struct Counted : rtl::Object {
    explicit Counted(int& alive) : alive_(alive) { ++alive_; }
    ~Counted() override { --alive_; }
    int& alive_;
};

TEST(Lists, TheSoundListOwnsItsItemsAndChecksItsIndexes) {
    int alive = 0;
    {
        TAplicationListForSound list;
        for (int i = 0; i < 3; ++i) list.Add(std::make_unique<Counted>(alive));
        EXPECT_EQ(list.Count(), 3);
        EXPECT_EQ(alive, 3);
        list.Delete(1);
        EXPECT_EQ(alive, 2);
        try {
            list.Get(2);
            FAIL();
        } catch (const rtl::EListError& e) {
            EXPECT_EQ(e.message(), "List index out of bounds (2)");
        }
        EXPECT_THROW(list.Delete(-1), rtl::EListError);
        list.Clear();
        EXPECT_EQ(alive, 0);
        list.Add(std::make_unique<Counted>(alive));
    }
    EXPECT_EQ(alive, 0);  // destruction frees what is left
}

TEST(Scramble, KnownBytesRoundTripsAndShortBuffers) {
    EXPECT_EQ(ScrambleString("abc"), "\x87\xC3\x26");
    EXPECT_EQ(UnscrambleString("\x87\xC3\x26"), "abc");
    rtl::RandSeed = 7;
    for (size_t n = 0; n < 40; ++n) {
        std::string s;
        for (size_t i = 0; i < n; ++i) s += static_cast<char>(rtl::Random(256));
        EXPECT_EQ(UnscrambleString(ScrambleString(s)), s) << n;
    }
    EXPECT_EQ(ScrambleString("x"), "x");
    EXPECT_EQ(UnscrambleString(""), "");
}

TEST(TextHelpers, PathsTitlesValuesAndBuffers) {
    EXPECT_EQ(JoinDataPath("C:\\Game\\", "\\Resource"), "C:\\Game\\Resource");
    EXPECT_EQ(JoinDataPath("C:\\Game", "Resource"), "C:\\Game\\Resource");
    EXPECT_EQ(JoinDataPath("C:\\Game\\", "Resource"), "C:\\Game\\Resource");
    EXPECT_EQ(FileTitle("a\\b\\Level.set.ig"), "Level");
    EXPECT_EQ(FileTitle("name.123456789012345678901234"), "name01234");  // the dot and 19 more go
    EXPECT_EQ(FileTitle("plain"), "plain");
    EXPECT_EQ(ValueAfter("x=", "f(x=12;y=3)"), "12;y=3");
    EXPECT_EQ(ValueAfter("y=", "f(x=1,y=3)"), "3");
    EXPECT_EQ(ValueAfter("y=", "a,y=3;b"), "3");
    EXPECT_EQ(ValueAfter("z=", "a,y=3;b"), "");
    EXPECT_EQ(ValueAfter("y=", "y=tail"), "tail");
    char buf[6];
    CopyStrToBuffer(buf, "abcdefgh", 5);
    EXPECT_STREQ(buf, "abcde");
    CopyStrToBuffer(buf, "ab", 5);
    EXPECT_STREQ(buf, "ab");
    EXPECT_TRUE(MatchesMask("Level1.IG", "*.ig"));
    EXPECT_TRUE(MatchesMask("ab", "a?"));
    EXPECT_FALSE(MatchesMask("abc", "a?"));
    EXPECT_TRUE(MatchesMask("x.y.ig", "*.*"));
}

TEST(TextHelpers, LengthPrefixedStringsAreChecked) {
    rtl::MemoryStream m;
    m.WriteValue<int32_t>(2);
    m.WriteValue<int32_t>(3);
    m.WriteBuffer("abc", 3);
    m.WriteValue<int32_t>(0);
    m.SetPosition(0);
    rtl::StringList list;
    ReadStringList(m, list);
    EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"abc", ""}));

    rtl::MemoryStream bad;
    bad.WriteValue<int32_t>(1000);
    bad.WriteBuffer("ab", 2);
    bad.SetPosition(0);
    EXPECT_THROW(ReadLenString(bad), rtl::EReadError);
    bad.SetPosition(0);
    EXPECT_THROW(ReadStringList(bad, list), rtl::EReadError);
    rtl::MemoryStream negative;
    negative.WriteValue<int32_t>(-1);
    negative.SetPosition(0);
    EXPECT_THROW(ReadLenString(negative), rtl::EReadError);
}

TEST(Files, ListFilesKeepsTheCurrentFolderAndPutsLargeFilesFirst) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("gputils_" + std::to_string(getpid()));
    fs::create_directories(dir / "sub.ig");
    auto write = [&](const char* name, size_t size) {
        std::ofstream(dir / name, std::ios::binary) << std::string(size, 'x');
    };
    write("a.ig", 10);
    write("B.IG", 500);
    write("c.ig", 20);
    write("d.txt", 1);
    const fs::path before = fs::current_path();
    rtl::StringList list;
    list.Add("stale");
    ListFiles(dir.string(), "*.ig", list, 100);
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"B.IG", "a.ig", "c.ig"}));
    ListFiles(dir.string(), "*.IG", list, 0);
    EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"a.ig", "B.IG", "c.ig"}));
    ListFiles((dir / "missing").string(), "*", list, 0);
    EXPECT_EQ(list.Count(), 0);
    fs::remove_all(dir);
}

TEST(Params, FindParamAndFindParamValue) {
    const std::vector<std::string> p = {"-lang", "ru", "/Level=3", "next", "-LANG2"};
    EXPECT_EQ(FindParam(p, "lang"), "ru");
    EXPECT_EQ(FindParam(p, "LANG2"), "");  // last parameter: nothing follows
    EXPECT_EQ(FindParam(p, "absent"), "");
    EXPECT_EQ(FindParamValue(p, "level"), (std::pair<std::string, std::string>{"/Level=3", "NEXT"}));
    EXPECT_EQ(FindParamValue(p, "LANG"), (std::pair<std::string, std::string>{"-lang", "RU"}));
    SetParams(p);
    EXPECT_EQ(FindParam("Level"), "next");
    SetParams({});
}

struct Widget : GPFieldOwner {
    TGPField* link = nullptr;
    void FieldGone(TGPField* f) override {
        if (link == f) link = nullptr;
    }
};

TEST(GameVariables, ReadsWritesArraysAndNilSafety) {
    TGPField score(ftInteger);
    EXPECT_EQ(ValueToInteger(score.ReadValue()), 0);
    EXPECT_EQ(ValueToInteger(GetFieldValue(nullptr)), 1);
    EXPECT_FALSE(SetFieldValue(nullptr, 5));
    EXPECT_EQ(FieldCount(nullptr), -1);
    EXPECT_TRUE(SetFieldValue(&score, 2.5));  // reals round half to even
    EXPECT_TRUE(score.Changed());
    EXPECT_EQ(ValueToInteger(score.ReadValue()), 2);
    EXPECT_FALSE(score.Changed());
    EXPECT_EQ(score.AsString(), "2");

    TGPField arr(ftArray);
    for (int v : {5, 300, 5}) arr.WriteValue(v);
    EXPECT_EQ(arr.Count(), 3);
    EXPECT_EQ(arr.Size(), 12);
    EXPECT_EQ(arr.ReadItem(1), 300);
    EXPECT_EQ(arr.ReadItem(3), -1);
    EXPECT_EQ(arr.ReadItem(-1), -1);
    std::bitset<256> present;
    GetPresentSet(&arr, present);
    EXPECT_EQ(present.count(), 1u);
    EXPECT_TRUE(present.test(5));
    ClearField(&arr);
    EXPECT_EQ(arr.Count(), 0);
    EXPECT_TRUE(arr.Present().none());

    TGPField flag(ftBoolean);
    flag.WriteValue(0x100);  // the lowest byte decides
    EXPECT_EQ(flag.AsString(), "false");
    flag.WriteValue(true);
    EXPECT_EQ(flag.AsString(), "true");
    TGPField text(ftString);
    text.WriteValue(3);
    EXPECT_EQ(text.Count(), 0);
    EXPECT_EQ(text.AsString(), "");

    TGPData data;
    Widget w;
    EXPECT_EQ(data.AddField(&w, ftFloat, w.link), 0);
    ASSERT_NE(w.link, nullptr);
    EXPECT_EQ(data.Get(0), w.link);
    EXPECT_THROW(data.Get(1), rtl::EListError);
    data.Clear();
    EXPECT_EQ(w.link, nullptr);
    EXPECT_EQ(data.Count(), 0);
}

}  // namespace
