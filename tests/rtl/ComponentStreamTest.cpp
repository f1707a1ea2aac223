// The component format: exact bytes as the class library writes them, round trips of every
// kind of value, extended floats, and hostile records.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "rtl/Collection.h"
#include "rtl/Component.h"
#include "rtl/ComponentStream.h"

namespace {

using Bytes = std::vector<uint8_t>;

enum class TKind : uint8_t { kNo, kDirection, kSize, kAll };
const rtl::EnumType TKindType("TKind", {"kNo", "kDirection", "kSize", "kAll"});
const rtl::EnumType TInputType("TInput", {"inUp", "inDown", "inLeft", "inRight", "inFire"});

class TFontPart : public rtl::Object {
    RTL_CLASS(TFontPart, rtl::Object)
public:
    int32_t Height = 0;
    std::string Face;
    static void DescribeClass(rtl::ClassBuilder<TFontPart>& c) {
        c.Property("Height", &TFontPart::Height).Property("Face", &TFontPart::Face);
    }
};

class TFrameItem : public rtl::Object {
    RTL_CLASS(TFrameItem, rtl::Object)
public:
    int32_t Ticks = 0;
    std::string Picture;
    static void DescribeClass(rtl::ClassBuilder<TFrameItem>& c) {
        c.Property("Ticks", &TFrameItem::Ticks).Property("Picture", &TFrameItem::Picture);
    }
};

class TStreamed : public rtl::Component {
    RTL_CLASS(TStreamed, rtl::Component)
public:
    int32_t IDName = 1;
    std::string IDSlide = "No";
    uint8_t HTicks = 0;
    int16_t Offset = 0;
    uint32_t Wide = 0;
    int64_t Huge = 0;
    char Letter = 'x';
    bool Enabled = false;
    TKind Kind = TKind::kNo;
    uint8_t Inputs = 0;
    double Real = 0;
    float Single = 0;
    TFontPart Font;
    rtl::Collection Frames{TFrameItem::StaticClassInfo()};
    std::function<void(rtl::Object*)> OnFire;
    int loadedCalls = 0;
    void Loaded() override { ++loadedCalls; }
    static void DescribeClass(rtl::ClassBuilder<TStreamed>& c) {
        c.Property("IDName", &TStreamed::IDName)
            .Property("IDSlide", &TStreamed::IDSlide)
            .Property("HTicks", &TStreamed::HTicks)
            .Property("Offset", &TStreamed::Offset)
            .Property("Wide", &TStreamed::Wide)
            .Property("Huge", &TStreamed::Huge)
            .Property("Letter", &TStreamed::Letter)
            .Property("Enabled", &TStreamed::Enabled)
            .Enum("Kind", &TStreamed::Kind, TKindType)
            .Set("Inputs", &TStreamed::Inputs, TInputType)
            .Property("Real", &TStreamed::Real)
            .Property("Single", &TStreamed::Single)
            .ObjectProperty<TFontPart>("Font", &TStreamed::Font)
            .Collection<rtl::Collection, TFrameItem>("Frames", &TStreamed::Frames)
            .Event("OnFire", &TStreamed::OnFire);
    }
};

class TTiny : public rtl::Component {
    RTL_CLASS(TTiny, rtl::Component)
public:
    int32_t IDName = 1;
    std::string IDSlide = "No";
    uint8_t HTicks = 0;
    bool Visible = false;
    TKind Kind = TKind::kNo;
    rtl::Object* fired = nullptr;
    std::function<void(rtl::Object*)> OnFire;
    void On_Fire(rtl::Object* sender) { fired = sender; }
    static void DescribeClass(rtl::ClassBuilder<TTiny>& c) {
        c.Property("IDName", &TTiny::IDName)
            .Property("IDSlide", &TTiny::IDSlide)
            .Property("HTicks", &TTiny::HTicks)
            .Property("Visible", &TTiny::Visible)
            .Enum("Kind", &TTiny::Kind, TKindType)
            .Event("OnFire", &TTiny::OnFire)
            .Method("On_Fire", &TTiny::On_Fire);
    }
};

RTL_REGISTER_CLASS(TStreamed);
RTL_REGISTER_CLASS(TTiny);
RTL_REGISTER_CLASS(TFrameItem);

Bytes Str(std::string_view s) {
    Bytes b;
    b.push_back(static_cast<uint8_t>(s.size()));
    for (char c : s) b.push_back(static_cast<uint8_t>(c));
    return b;
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        for (uint8_t b : p) out.push_back(b);
    }
    return out;
}

// TTiny "Slide1": IDName 1, IDSlide "Ball", HTicks 200, Visible True, Kind kSize, Tag 0 omitted.
Bytes TinyRecord() {
    return Cat({Str("TTiny"), Str("Slide1"),
                Str("IDName"), {0x02, 0x01},
                Str("IDSlide"), {0x06}, Str("Ball"),
                Str("HTicks"), {0x03, 0xC8, 0x00},
                Str("Visible"), {0x09},
                Str("Kind"), {0x07}, Str("kSize"),
                {0x00}, {0x00}});
}

std::string ReadError(const Bytes& bytes) {
    try {
        rtl::ComponentReader reader(bytes);
        reader.ReadComponent();
    } catch (const rtl::EReadError& e) {
        return e.message();
    }
    return "(no EReadError)";
}

TEST(ComponentStream, KnownBytesReadAndWritten) {
    const Bytes record = TinyRecord();
    rtl::ComponentReader reader(record);
    std::unique_ptr<rtl::Object> o = reader.ReadComponent();
    EXPECT_EQ(reader.Position(), record.size());
    auto& t = o->As<TTiny>();
    EXPECT_EQ(t.Name, "Slide1");
    EXPECT_EQ(t.IDName, 1);
    EXPECT_EQ(t.IDSlide, "Ball");
    EXPECT_EQ(t.HTicks, 200);
    EXPECT_TRUE(t.Visible);
    EXPECT_EQ(t.Kind, TKind::kSize);

    rtl::ComponentWriter writer;
    writer.WriteComponent(t);
    EXPECT_EQ(writer.Bytes(), record);

    // With the signature and a flags byte with a child position (int16 tag for 300).
    const Bytes flagged = Cat({{'T', 'P', 'F', '0', 0xF3, 0x03, 0x2C, 0x01}, TinyRecord()});
    rtl::ComponentReader r2(flagged);
    EXPECT_NO_THROW(r2.ReadComponent());
    const Bytes headed = Cat({{0xF3, 0x03, 0x2C, 0x01}, TinyRecord()});
    rtl::ComponentReader r3(headed);
    rtl::RecordHeader h = r3.ReadHeader();
    EXPECT_EQ(h.Flags, rtl::ffInherited | rtl::ffChildPos);
    EXPECT_EQ(h.ChildPos, 300);
    EXPECT_EQ(h.ClassName, "TTiny");
    rtl::ComponentWriter w2;
    w2.WriteHeader(h);
    EXPECT_EQ(Bytes(w2.Bytes().begin(), w2.Bytes().begin() + 4), (Bytes{0xF3, 0x03, 0x2C, 0x01}));
}

TEST(ComponentStream, WriterPicksTheClassLibrarysTags) {
    rtl::ComponentWriter w;
    w.WriteInteger(-128);
    w.WriteInteger(128);
    w.WriteInteger(-32769);
    w.WriteInteger(int64_t{1} << 31);
    w.WriteString(std::string(255, 'a'));
    w.WriteIdent("True");
    w.WriteIdent("nil");
    w.WriteSet({"inUp", "inFire"});
    const Bytes& b = w.Bytes();
    size_t i = 0;
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 2), (Bytes{0x02, 0x80})); i += 2;
    EXPECT_EQ(Bytes(b.begin() + i, b.begin() + i + 3), (Bytes{0x03, 0x80, 0x00})); i += 3;
    EXPECT_EQ(Bytes(b.begin() + i, b.begin() + i + 5), (Bytes{0x04, 0xFF, 0x7F, 0xFF, 0xFF})); i += 5;
    EXPECT_EQ(b[i], 0x13); i += 9;
    EXPECT_EQ(b[i], 0x06); EXPECT_EQ(b[i + 1], 255); i += 257;
    EXPECT_EQ(b[i], 0x09); EXPECT_EQ(b[i + 1], 0x0D); i += 2;
    EXPECT_EQ(Bytes(b.begin() + i, b.end()), Cat({{0x0B}, Str("inUp"), Str("inFire"), {0x00}}));
    rtl::ComponentWriter w2;
    w2.WriteString(std::string(256, 'b'));
    EXPECT_EQ(Bytes(w2.Bytes().begin(), w2.Bytes().begin() + 5), (Bytes{0x0C, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_THROW(w2.WriteStr(std::string(256, 'c')), rtl::EWriteError);
}

TEST(ComponentStream, RandomValuesOfEveryKindRoundTripExactly) {
    std::mt19937_64 rng(20261208);
    for (int round = 0; round < 200; ++round) {
        TStreamed a;
        a.Name = "Rec" + std::to_string(round);
        a.Tag = static_cast<int32_t>(rng());
        a.IDName = static_cast<int32_t>(rng());
        // Round 0: an empty string whose constructor default is not empty still comes back.
        a.IDSlide = round == 0 ? std::string() : std::string(rng() % 600, static_cast<char>('A' + rng() % 26));
        a.HTicks = static_cast<uint8_t>(rng());
        a.Offset = static_cast<int16_t>(rng());
        a.Wide = static_cast<uint32_t>(rng());
        a.Huge = static_cast<int64_t>(rng()) >> (rng() % 64);
        a.Letter = static_cast<char>(rng());
        a.Enabled = rng() & 1;
        a.Kind = static_cast<TKind>(rng() % 4);
        a.Inputs = static_cast<uint8_t>(rng() % 32);
        a.Real = std::bit_cast<double>(rng());
        if (std::isnan(a.Real)) a.Real = -1.5;
        a.Single = static_cast<float>(rng() % 100000) / 7.0f;
        a.Font.Height = static_cast<int32_t>(rng() % 100) - 50;
        a.Font.Face = "Face" + std::to_string(round);
        const int frames = static_cast<int>(rng() % 4);
        for (int f = 0; f < frames; ++f) {
            auto& item = a.Frames.Add().As<TFrameItem>();
            item.Ticks = static_cast<int32_t>(rng() % 1000);
            item.Picture = "P" + std::to_string(f);
        }
        auto& child = a.InsertComponent(std::make_unique<TTiny>()).As<TTiny>();
        child.Name = "Child";
        child.IDName = round;

        rtl::ComponentWriter writer;
        writer.WriteComponent(a);
        rtl::ComponentReader reader(writer.Bytes());
        std::unique_ptr<rtl::Object> o = reader.ReadComponent();
        ASSERT_EQ(reader.Position(), writer.Bytes().size());
        const auto& b = o->As<TStreamed>();
        EXPECT_EQ(b.Name, a.Name);
        EXPECT_EQ(b.Tag, a.Tag);
        EXPECT_EQ(b.IDName, a.IDName);
        EXPECT_EQ(b.IDSlide, a.IDSlide);
        EXPECT_EQ(b.HTicks, a.HTicks);
        EXPECT_EQ(b.Offset, a.Offset);
        EXPECT_EQ(b.Wide, a.Wide);
        EXPECT_EQ(b.Huge, a.Huge);
        EXPECT_EQ(b.Letter, a.Letter);
        EXPECT_EQ(b.Enabled, a.Enabled);
        EXPECT_EQ(b.Kind, a.Kind);
        EXPECT_EQ(b.Inputs, a.Inputs);
        EXPECT_EQ(std::bit_cast<uint64_t>(b.Real), std::bit_cast<uint64_t>(a.Real));
        EXPECT_EQ(b.Single, a.Single);
        EXPECT_EQ(b.Font.Height, a.Font.Height);
        EXPECT_EQ(b.Font.Face, a.Font.Face);
        ASSERT_EQ(b.Frames.Count(), frames);
        for (int f = 0; f < frames; ++f) {
            EXPECT_EQ(b.Frames.Items(f).As<TFrameItem>().Ticks, a.Frames.Items(f).As<TFrameItem>().Ticks);
            EXPECT_EQ(b.Frames.Items(f).As<TFrameItem>().Picture, "P" + std::to_string(f));
        }
        ASSERT_EQ(b.ComponentCount(), 1);
        EXPECT_EQ(b.Components(0).Name, "Child");
        EXPECT_EQ(b.Components(0).As<TTiny>().IDName, round);
        EXPECT_EQ(b.loadedCalls, 1);
        EXPECT_EQ(b.Components(0).Owner(), &b);
    }
}

TEST(ComponentStream, ValuesLandInPropertiesOfAnyWidth) {
    auto one = [](const std::string& prop, const Bytes& value) {
        return Cat({Str("TStreamed"), Str("S"), Str(prop), value, {0x00, 0x00}});
    };
    TStreamed s;
    rtl::ComponentReader(one("IDName", {0x02, 0xFF})).ReadComponent(s);
    EXPECT_EQ(s.IDName, -1);
    rtl::ComponentReader(one("HTicks", {0x13, 200, 0, 0, 0, 0, 0, 0, 0})).ReadComponent(s);
    EXPECT_EQ(s.HTicks, 200);
    rtl::ComponentReader(one("Huge", {0x02, 0x05})).ReadComponent(s);
    EXPECT_EQ(s.Huge, 5);
    rtl::ComponentReader(one("Real", {0x03, 0x10, 0x00})).ReadComponent(s);
    EXPECT_EQ(s.Real, 16.0);
    rtl::ComponentReader(one("Real", {0x0F, 0x00, 0x00, 0xC0, 0x3F})).ReadComponent(s);  // single 1.5
    EXPECT_EQ(s.Real, 1.5);
    rtl::ComponentReader(one("Real", {0x10, 0x10, 0x27, 0, 0, 0, 0, 0, 0})).ReadComponent(s);  // currency
    EXPECT_EQ(s.Real, 1.0);
    rtl::ComponentReader(one("Enabled", Cat({{0x07}, Str("true")}))).ReadComponent(s);
    EXPECT_TRUE(s.Enabled);
    rtl::ComponentReader(one("IDSlide", {0x12, 0x02, 0, 0, 0, 0x41, 0x00, 0x10, 0x04})).ReadComponent(s);
    EXPECT_EQ(s.IDSlide, std::string("A\xC0"));  // U+0410 is 1251 0xC0
    rtl::ComponentReader(one("IDSlide", Cat({{0x14, 0x02, 0, 0, 0}, {0xD0, 0x91}}))).ReadComponent(s);
    EXPECT_EQ(s.IDSlide, std::string("\xC1"));
    rtl::ComponentReader(one("Font.Height", {0x02, 0x0C})).ReadComponent(s);
    EXPECT_EQ(s.Font.Height, 12);
    EXPECT_EQ(s.Name, "S");
    // A value outside both readings of the property's bytes does not fit.
    EXPECT_EQ(ReadError(one("HTicks", {0x03, 0x00, 0x01})), "Error reading S.HTicks: Invalid property value");
    EXPECT_EQ(ReadError(one("IDName", {0x06, 0x01, 'a'})), "Error reading S.IDName: Invalid property value");
    EXPECT_EQ(ReadError(one("Kind", Cat({{0x07}, Str("kNone")}))), "Error reading S.Kind: Invalid property value");
    EXPECT_EQ(ReadError(one("Kind", {0x09})), "Error reading S.Kind: Invalid property value");
    EXPECT_EQ(ReadError(one("Inputs", Cat({{0x0B}, Str("inJump"), {0x00}}))),
              "Error reading S.Inputs: Invalid property value");
    EXPECT_EQ(ReadError(one("Nothing", {0x02, 0x01})), "Error reading S.Nothing: Property Nothing does not exist");
    EXPECT_EQ(ReadError(one("Font.Width", {0x02, 0x01})), "Error reading S.Font.Width: Property Width does not exist");
}

TEST(ComponentStream, MethodsBindByNameOnTheRoot) {
    const Bytes record = Cat({Str("TTiny"), Str("T"), Str("OnFire"), {0x07}, Str("on_fire"), {0x00, 0x00}});
    rtl::ComponentReader reader(record);
    auto o = reader.ReadComponent();
    auto& t = o->As<TTiny>();
    ASSERT_TRUE(t.OnFire);
    t.OnFire(&t);
    EXPECT_EQ(t.fired, &t);
    const Bytes missing = Cat({Str("TTiny"), Str("T"), Str("OnFire"), {0x07}, Str("On_Nothing"), {0x00, 0x00}});
    EXPECT_EQ(ReadError(missing), "Error reading T.OnFire: Invalid property value");
}

TEST(ComponentStream, RecordsFollowOneAnother) {
    Bytes all;
    for (int i = 0; i < 7; ++i) {
        TTiny t;
        t.IDName = i + 1;
        t.Name = "State" + std::to_string(i);
        rtl::ComponentWriter w;
        w.WriteComponent(t);
        all.insert(all.end(), w.Bytes().begin(), w.Bytes().end());
    }
    rtl::ComponentReader reader(all);
    for (int i = 0; i < 7; ++i) {
        auto o = reader.ReadComponent();
        EXPECT_EQ(o->As<TTiny>().IDName, i + 1);
    }
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_THROW(reader.ReadComponent(), rtl::EReadError);
}

TEST(ComponentStream, HostileRecordsRaiseReadErrors) {
    TStreamed s;
    s.IDSlide = std::string(300, 'z');
    s.Frames.Add();
    s.InsertComponent(std::make_unique<TTiny>());
    rtl::ComponentWriter w;
    w.WriteComponent(s);
    const Bytes whole = w.Bytes();
    // Every cut short record fails cleanly.
    for (size_t n = 0; n < whole.size(); ++n) {
        Bytes cut(whole.begin(), whole.begin() + static_cast<long>(n));
        EXPECT_THROW(rtl::ComponentReader(cut).ReadComponent(), rtl::EReadError) << n;
    }
    // Lengths beyond the data, negative lengths, unknown tags.
    auto prop = [](const Bytes& value) {
        return Cat({Str("TStreamed"), Str("S"), Str("IDSlide"), value, {0x00, 0x00}});
    };
    EXPECT_THROW(rtl::ComponentReader(prop({0x0C, 0xFF, 0xFF, 0xFF, 0x7F, 'a'})).ReadComponent(), rtl::EReadError);
    EXPECT_THROW(rtl::ComponentReader(prop({0x0C, 0xFF, 0xFF, 0xFF, 0xFF})).ReadComponent(), rtl::EReadError);
    EXPECT_THROW(rtl::ComponentReader(prop({0x12, 0x00, 0x00, 0x00, 0x40, 'a', 0})).ReadComponent(), rtl::EReadError);
    EXPECT_THROW(rtl::ComponentReader(prop({0x16})).ReadComponent(), rtl::EReadError);
    EXPECT_THROW(rtl::ComponentReader(prop({0xFF})).ReadComponent(), rtl::EReadError);
    // Children nested past any sane depth do not exhaust the stack.
    Bytes deep;
    for (int i = 0; i < 100000; ++i) {
        Bytes head = Cat({Str("TTiny"), Str("C"), {0x00}});
        deep.insert(deep.end(), head.begin(), head.end());
    }
    EXPECT_THROW(rtl::ComponentReader(deep).ReadComponent(), rtl::EReadError);
    // An unknown class is the class library's class error.
    EXPECT_THROW(rtl::ComponentReader(Cat({Str("TNobody"), Str("X"), {0, 0}})).ReadComponent(), rtl::EClassNotFound);
    // A collection whose items are not lists.
    EXPECT_THROW(rtl::ComponentReader(Cat({Str("TStreamed"), Str("S"), Str("Frames"), {0x0E, 0x02, 0x00, 0x00, 0x00, 0x00}}))
                     .ReadComponent(),
                 rtl::EReadError);
}

uint64_t Bits(double d) { return std::bit_cast<uint64_t>(d); }

TEST(ExtendedFloat, KnownPatternsAndRounding) {
    EXPECT_EQ(rtl::DoubleToExtended(1.0), (rtl::Extended{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    EXPECT_EQ(rtl::DoubleToExtended(-2.5), (rtl::Extended{0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}));
    EXPECT_EQ(rtl::DoubleToExtended(0.1), (rtl::Extended{0x00, 0xD0, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}));
    // The true extended 0.1 rounds to the double 0.1.
    EXPECT_EQ(rtl::ExtendedToDouble({0xCD, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xFB, 0x3F}), 0.1);
    for (double d : {1.0, -2.5, 0.1, 1e300, -1e-300, std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min(),
                     4.9406564584124654e-320, std::numeric_limits<double>::infinity(), -0.0, 0.0}) {
        EXPECT_EQ(Bits(rtl::ExtendedToDouble(rtl::DoubleToExtended(d))), Bits(d)) << d;
    }
    EXPECT_TRUE(std::isnan(rtl::ExtendedToDouble(rtl::DoubleToExtended(std::nan("")))));
    // Ties go to even: 1 + 2^-53 (halfway) -> 1; 1 + 3 * 2^-53 -> 1 + 2^-51.
    EXPECT_EQ(rtl::ExtendedToDouble({0, 0x04, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), 1.0);
    EXPECT_EQ(rtl::ExtendedToDouble({0, 0x0C, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), 1.0 + std::ldexp(1.0, -51));
    // Past the double range: infinity; far below: zero; just below min: subnormal.
    EXPECT_EQ(rtl::ExtendedToDouble({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F - 0x30}),
              std::numeric_limits<double>::infinity());
    EXPECT_EQ(Bits(rtl::ExtendedToDouble({0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x80})), Bits(-0.0));
    EXPECT_EQ(rtl::ExtendedToDouble(rtl::DoubleToExtended(std::ldexp(1.0, -1060))), std::ldexp(1.0, -1060));
    // An extended all ones below the smallest normal double rounds up into it.
    const double minNormal = std::numeric_limits<double>::min();
    rtl::Extended justBelow = rtl::DoubleToExtended(minNormal);
    justBelow[9] = 0x3C; justBelow[8] = 0x00;  // exponent 0x3C00 = -1023 unbiased
    for (int i = 0; i < 8; ++i) justBelow[i] = 0xFF;
    EXPECT_EQ(rtl::ExtendedToDouble(justBelow), minNormal);
    // Unnormal and pseudo-denormal patterns are read by their value.
    EXPECT_EQ(rtl::ExtendedToDouble({0, 0, 0, 0, 0, 0, 0, 0x40, 0x00, 0x40}), 1.0);
    // Infinity and NaN patterns.
    EXPECT_EQ(rtl::ExtendedToDouble({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(rtl::ExtendedToDouble({1, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F})));
    EXPECT_TRUE(std::isnan(rtl::ExtendedToDouble({1, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})));
}

}  // namespace

namespace {

TEST(ComponentStream, SkipValuePassesEveryTagExactly) {
    rtl::ComponentWriter w;
    w.WriteInteger(5);
    w.WriteInteger(-40000);
    w.WriteInt64(1);
    w.WriteFloat(2.0);
    w.WriteDouble(3.0);
    w.WriteSingle(4.0f);
    w.WriteCurrency(1);
    w.WriteDate(5.0);
    w.WriteString("short");
    w.WriteString(std::string(400, 'L'));
    w.WriteUtf8String("u");
    w.WriteWideString(u"wide");
    w.WriteIdent("Ident");
    w.WriteIdent("nil");
    w.WriteBoolean(false);
    w.WriteSet({"a", "b"});
    const uint8_t blob[3] = {1, 2, 3};
    w.WriteBinary(blob);
    w.WriteListBegin();
    w.WriteInteger(1);
    w.WriteString("x");
    w.WriteListEnd();
    w.WriteValue(rtl::ValueType::vaCollection);
    w.WriteInteger(0);  // an item index
    w.WriteListBegin();
    w.WriteStr("Ticks");
    w.WriteInteger(9);
    w.WriteListEnd();
    w.WriteListEnd();
    const size_t values = 19;
    rtl::ComponentReader r(w.Bytes());
    for (size_t i = 0; i < values; ++i) r.SkipValue();
    EXPECT_TRUE(r.AtEnd());
    // A binary length beyond the data is refused, not skipped over.
    const Bytes bad = {0x0A, 0x10, 0x00, 0x00, 0x00, 0x01};
    EXPECT_THROW(rtl::ComponentReader(bad).SkipValue(), rtl::EReadError);
    Bytes nested(200000, 0x01);  // lists inside lists
    EXPECT_THROW(rtl::ComponentReader(nested).SkipValue(), rtl::EReadError);
}

}  // namespace

#include "rtl/Streams.h"

namespace {

TEST(ComponentStream, StreamsStopRightAfterEachRecord) {
    rtl::MemoryStream stream;
    stream.WriteValue<uint32_t>(0xDEADBEEF);  // something before the records
    for (int i = 0; i < 3; ++i) {
        TTiny t;
        t.IDName = 10 + i;
        rtl::WriteComponent(stream, t);
    }
    stream.WriteValue<uint8_t>(0x77);  // and something after them
    stream.SetPosition(4);
    for (int i = 0; i < 3; ++i) {
        auto o = rtl::ReadComponent(stream);
        EXPECT_EQ(o->As<TTiny>().IDName, 10 + i);
    }
    EXPECT_EQ(stream.ReadValue<uint8_t>(), 0x77);
    // A bounded window ends the record early: a read error, not a read past the window.
    stream.SetPosition(4);
    rtl::SubStream window(stream, 4, 10);
    EXPECT_THROW(rtl::ReadComponent(window), rtl::EReadError);
    TTiny into;
    stream.SetPosition(4);
    rtl::ReadComponent(stream, into);
    EXPECT_EQ(into.IDName, 10);
}

}  // namespace
