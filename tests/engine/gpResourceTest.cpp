#include "engine/gpResource.h"

#include <gtest/gtest.h>

#include "media/gpBitmap.h"
#include "rtl/StringList.h"
#include "tests/TempDir.h"
#include "tools/datagen/Bmp.h"
#include "tools/datagen/Container.h"

using namespace engine;
using datagen::ContainerDamage;

namespace {

std::vector<datagen::ContainerSection> Sample() {
    return {{"Strings", {{"Title_409", datagen::LenString("Sprallion")}, {"Count", datagen::Int32Bytes(-42)}}},
            {"Cfg", {{"Save_0", std::string(144, '\x07')}, {"Empty", ""}}},
            {"BMP", {{"Pic", datagen::EncodeBmp(datagen::TestPicture(9, 5, 8))}}}};
}

// Two different names that fall into one bucket.
std::pair<std::string, std::string> SameBucket() {
    for (int i = 0;; ++i)
        for (int j = 0; j < i; ++j)
            if (NameHash("S" + std::to_string(i)) == NameHash("S" + std::to_string(j)))
                return {"S" + std::to_string(i), "S" + std::to_string(j)};
}

}  // namespace

TEST(ResourceChecksum, WorkedValues) {
    EXPECT_EQ(ResourceChecksum("abc"), 0x8822);
    EXPECT_EQ(NameHash("abc"), 34);
    EXPECT_EQ(ResourceChecksum(""), 0);
    EXPECT_EQ(NameHash(""), 0);
}

TEST(TGPResource, FreshContainerHoldsOnlyItsHeaderAndReopensWithStatusOne) {
    TempDir dir;
    { TGPResource created(dir.File("a.bif"), rtl::fmCreate); EXPECT_EQ(created.Status(), 1); }
    EXPECT_EQ(dir.Read("a.bif"), std::string("\x10\0\0\0\x03GPR\0\0\0\0\0\0\0\0", 16));
    TGPResource reopened(dir.File("a.bif"), rtl::fmOpenRead);
    EXPECT_EQ(reopened.Status(), 1);
    EXPECT_FALSE(reopened.Locate("Cfg", "Save_0"));
    EXPECT_EQ(reopened.GetSection("Cfg"), nullptr);
    TSaveRecord record;
    record.fill(9);
    EXPECT_EQ(reopened.Read144("Cfg", "Save_0", record), 0);
    EXPECT_EQ(record, TSaveRecord{});
    EXPECT_THROW(TGPResource(dir.File("missing.bif"), rtl::fmOpenRead), rtl::EFOpenError);
}

TEST(TGPResource, BuiltFinishedAndReopenedEveryEntryEqual) {
    TempDir dir;
    const auto [first, second] = SameBucket();
    TSaveRecord record;
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i * 7);
    {
        TGPResource r(dir.File("b.bif"), rtl::fmCreate);
        TGPHashCollection& a = r.AddSection(first);
        TGPHashCollection& b = r.AddSection(second);
        a.Add("Text");
        b.Add("Record");
        b.Add("Number");
        EXPECT_FALSE(a.SetOffset("Nowhere", 5));
        r.WriteDirectory();
        ASSERT_TRUE(a.SetOffset("Text", static_cast<int32_t>(r.Position())));
        r.WriteValue<int32_t>(5);
        r.WriteBuffer("hello", 5);
        b.SetOffset("Record", static_cast<int32_t>(r.Position()));
        r.WriteBuffer(record.data(), 144);
        b.SetOffset("Number", static_cast<int32_t>(r.Position()));
        r.WriteValue<int32_t>(123456);
        r.Finish();
    }
    TGPResource r(dir.File("b.bif"), rtl::fmOpenRead);
    EXPECT_EQ(r.Status(), 0);
    EXPECT_EQ(r.ReadString(first, "Text"), "hello");
    EXPECT_EQ(r.ReadInt(second, "Number"), 123456);
    TSaveRecord back;
    EXPECT_EQ(r.Read144(second, "Record", back), 1);
    EXPECT_EQ(back, record);
    EXPECT_EQ(r.ReadString(first, "Absent"), "");
    EXPECT_EQ(r.ReadInt("Absent", "Number"), 0);
}

TEST(TGPResource, ReadsWhatDatagenWritesIncludingCaseAndBuckets) {
    TempDir dir;
    datagen::WriteContainer(dir.File("c.bif"), Sample());
    TGPResource r(dir.File("c.bif"), rtl::fmOpenRead);
    ASSERT_EQ(r.Status(), 0);
    EXPECT_EQ(r.ReadString("Strings", "Title_409"), "Sprallion");
    EXPECT_EQ(r.ReadInt("Strings", "Count"), -42);
    TSaveRecord record;
    EXPECT_EQ(r.Read144("Cfg", "Save_0", record), 1);
    EXPECT_EQ(record[143], 7);
    std::unique_ptr<media::TGPBitmap> bitmap;
    EXPECT_EQ(r.ReadBitmap("BMP", "Pic", bitmap), media::gpbBMP);
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->Width(), 9);
    EXPECT_EQ(r.ReadBitmap("BMP", "None", bitmap), 3);
    // Another letter case is found only where both spellings share the bucket.
    const bool same = NameHash("strings") == NameHash("Strings");
    EXPECT_EQ(r.GetSection("strings") != nullptr, same);
    std::string buffer(8, 'x');
    EXPECT_FALSE(r.ReadBuffer("Strings", "Nope", 8, buffer.data()));
    EXPECT_EQ(buffer, "xxxxxxxx");
    EXPECT_TRUE(r.ReadBuffer("Strings", "Count", 4, buffer.data()));
}

TEST(TGPResource, DamagedContainersFailWithoutReadingPastTheEnd) {
    TempDir dir;
    auto status = [&](ContainerDamage damage) {
        dir.Write("d.bif", datagen::BuildContainer(Sample(), damage));
        TGPResource r(dir.File("d.bif"), rtl::fmOpenRead);
        int32_t worst = r.Status();
        for (const char* s : {"Strings", "Cfg", "BMP"}) {
            r.ReadString(s, "Title_409");
            if (r.Status() != -1 && r.GetSection(s) && r.GetSection(s)->Status != 0) worst = r.GetSection(s)->Status;
        }
        return worst;
    };
    EXPECT_EQ(status(ContainerDamage::BadMagic), -1);
    EXPECT_EQ(status(ContainerDamage::BadChecksum), -1);  // compared for directories of any size
    EXPECT_EQ(status(ContainerDamage::HugeFollowCount), -1);
    EXPECT_EQ(status(ContainerDamage::HugeNameLength), -1);
    EXPECT_NE(status(ContainerDamage::HugeCount), 0);
    EXPECT_NE(status(ContainerDamage::TruncatedDirectory), 0);
    // A bad header leaves the directory empty.
    dir.Write("e.bif", datagen::BuildContainer(Sample(), ContainerDamage::BadChecksum));
    TGPResource bad(dir.File("e.bif"), rtl::fmOpenRead);
    EXPECT_EQ(bad.Directory().ItemCount(), 0);
    // Duplicate names: both are stored, one is found.
    dir.Write("f.bif", datagen::BuildContainer({{"Wav", {{"Boom", "A"}, {"Boom", "B"}}}}));
    TGPResource dup(dir.File("f.bif"), rtl::fmOpenRead);
    ASSERT_NE(dup.GetSection("Wav"), nullptr);
    EXPECT_EQ(dup.GetSection("Wav")->ItemCount(), 2);
    EXPECT_TRUE(dup.Locate("Wav", "Boom"));
}

TEST(TGPResource, WriteBitmapRefusesAPictureThatWouldOverwriteTheNextEntry) {
    TempDir dir;
    datagen::WriteContainer(dir.File("g.bif"),
                            {{"Save_BMP", {{"Small", std::string(200, '\0')}, {"Next", datagen::LenString("keep")}}}});
    TGPResource r(dir.File("g.bif"), rtl::fmOpenReadWrite);
    media::TDIB big, small;
    big.SetSize(40, 40, 8);
    small.SetSize(4, 4, 24);
    small.SetPixel(1, 2, 0x123456);
    EXPECT_EQ(r.WriteBitmap("Save_BMP", "Small", big), 0);
    EXPECT_EQ(r.WriteBitmap("Save_BMP", "Small", small), 1);
    EXPECT_EQ(r.WriteBitmap("Save_BMP", "Absent", small), 0);
    EXPECT_EQ(r.ReadString("Save_BMP", "Next"), "keep");
    std::unique_ptr<media::TGPBitmap> back;
    EXPECT_EQ(r.ReadBitmap("Save_BMP", "Small", back), 0);
    EXPECT_EQ(back->Pixel(1, 2), 0x123456u);
}

TEST(TGPResource, FinishOnAnOpenedContainerKeepsSectionsThatWereNeverRead) {
    TempDir dir;
    datagen::WriteContainer(dir.File("h.bif"), Sample());
    {
        TGPResource r(dir.File("h.bif"), rtl::fmOpenReadWrite);
        TSaveRecord record{};
        record[0] = 0xAB;
        EXPECT_TRUE(r.Write144("Cfg", "Save_0", record));
        r.Finish();
    }
    TGPResource r(dir.File("h.bif"), rtl::fmOpenRead);
    EXPECT_EQ(r.Status(), 0);
    EXPECT_EQ(r.ReadString("Strings", "Title_409"), "Sprallion");
    TSaveRecord record;
    EXPECT_EQ(r.Read144("Cfg", "Save_0", record), 1);
    EXPECT_EQ(record[0], 0xAB);
    std::unique_ptr<media::TGPBitmap> bitmap;
    EXPECT_EQ(r.ReadBitmap("BMP", "Pic", bitmap), 0);
}

TEST(TGPResource, WritesLandAtomicallyOnCloseAndNotAfterAFailure) {
    TempDir dir;
    datagen::WriteContainer(dir.File("i.bif"), Sample());
    const std::string before = dir.Read("i.bif");
    try {
        TGPResource r(dir.File("i.bif"), rtl::fmOpenReadWrite);
        TSaveRecord record{};
        record.fill(1);
        r.Write144("Cfg", "Save_0", record);
        EXPECT_EQ(dir.Read("i.bif"), before);  // not yet visible
        throw std::runtime_error("interrupted");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(dir.Read("i.bif"), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("")), {}), 1);
}

TEST(TGPHashCollection, BucketsNamesAndIndexes) {
    TGPHashCollection c;
    const auto [first, second] = SameBucket();
    c.Add(first).Offset = 1;
    c.Add(second).Offset = 2;
    c.Add("Other").Offset = 3;
    EXPECT_EQ(c.Find(first)->Offset, 1);
    EXPECT_EQ(c.Find(second)->Offset, 2);
    EXPECT_EQ(c.Find(second)->Count(), 1);  // the newer item heads the chain
    EXPECT_EQ(c.OffsetOf("Missing"), -1);
    c.Item(2).SetName("Renamed");
    EXPECT_EQ(c.Find("Other"), nullptr);
    EXPECT_EQ(c.OffsetOf("Renamed"), 3);
    c.Delete(0);
    EXPECT_EQ(c.Item(1).Index(), 1);
    EXPECT_EQ(c.Find(first), nullptr);
    EXPECT_EQ(c.Find(second)->Count(), 0);
    EXPECT_THROW(c.Item(5), rtl::EListError);
    rtl::MemoryStream s;
    c.SetOffset(second, -1);
    EXPECT_FALSE(c.Locate(second, s));
}

TEST(ReadStringsText, SplitsLinesAndBoundsItsLength) {
    rtl::StringList list;
    rtl::MemoryStream s;
    const std::string text = datagen::LenString("one\r\ntwo\nthree");
    s.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    s.SetPosition(0);
    ReadStringsText(s, list);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list[2], "three");
    rtl::MemoryStream hostile(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 'a'});
    ReadStringsText(hostile, list);
    EXPECT_EQ(list.Count(), 0);

    // In a container a text is its entry's: a length that reaches into the next reads nothing.
    TempDir dir;
    datagen::WriteContainer(dir.File("t.bif"), {{"Strings", {{"Short", datagen::Int32Bytes(9) + "one"},
                                                             {"Next", datagen::LenString("two")}}}});
    TGPResource r(dir.File("t.bif"), rtl::fmOpenRead);
    EXPECT_EQ(r.ReadString("Strings", "Short"), "");
    EXPECT_EQ(r.ReadString("Strings", "Next"), "two");
    ASSERT_TRUE(r.Locate("Strings", "Short"));
    ReadStringsText(r, list);
    EXPECT_EQ(list.Count(), 0);
}

TEST(TMissionStream, ACreationInterruptedByAnExceptionLeavesNoFile) {
    TempDir dir;
    dir.Write("old.bif", "old contents");
    try {
        TGPResource r(dir.File("old.bif"), rtl::fmCreate);
        r.AddSection("Cfg").Add("X");
        r.WriteDirectory();
        throw std::runtime_error("disk full");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(dir.Read("old.bif"), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("")), {}), 1);
    EXPECT_THROW(TGPResource(dir.File("nofolder/x.bif"), rtl::fmCreate), rtl::EFCreateError);
}
