#include "engine/gpDataStream.h"

#include <gtest/gtest.h>

#include "media/gpBitmap.h"
#include "tests/TempDir.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/RecordStream.h"

using namespace engine;

namespace {
const TDataStreamHeader kHeader{16, 0, 0, 0, 3, 'V', 'Q', 'M'};

std::vector<std::pair<int32_t, std::string>> ReadAll(TDataStream& s) {
    std::vector<std::pair<int32_t, std::string>> out;
    TDataRecordHeader h;
    std::vector<char> buffer(1024);
    for (int32_t id; (id = s.ReadRecordHeader(h)) != -1;) {
        const int32_t n = s.ReadData(buffer.data(), static_cast<int64_t>(buffer.size()));
        if (n < 0) break;
        out.emplace_back(id, std::string(buffer.data(), static_cast<size_t>(n)));
    }
    return out;
}
}  // namespace

TEST(TDataStream, OwnFileRoundTripWithAndWithoutChecksums) {
    TempDir dir;
    {
        TDataStream s(dir.File("r.dat"), nullptr, kHeader, rtl::fmCreate);
        TDataRecordHeader h;
        h.Id = 5, h.Length = 3, h.CheckFlag = 1;
        s.WriteRecord("abc", h);
        h.Id = 6, h.Length = 4, h.CheckFlag = 0;
        s.WriteRecord("wxyz", h);
    }
    const std::string bytes = dir.Read("r.dat");
    ASSERT_EQ(bytes.size(), 16u + 24 + 3 + 24 + 4);
    EXPECT_EQ(bytes.substr(16 + 20, 4), std::string("\x22\x88\0\0", 4));  // the checksum of "abc"
    TDataStream s(dir.File("r.dat"), nullptr, kHeader, rtl::fmOpenRead);
    EXPECT_FALSE(s.Error());
    EXPECT_EQ(ReadAll(s), (std::vector<std::pair<int32_t, std::string>>{{5, "abc"}, {6, "wxyz"}}));
}

TEST(TDataStream, FailuresAreStickyAndLengthsAreBounded) {
    TempDir dir;
    auto open = [&](const std::string& bytes) {
        dir.Write("s.dat", bytes);
        return std::make_unique<TDataStream>(dir.File("s.dat"), nullptr, kHeader, rtl::fmOpenRead);
    };
    // Checksum flag 0: whatever the field holds is accepted.
    auto s = open(datagen::BuildRecordStream({{1, 0, "data", false}}));
    EXPECT_EQ(ReadAll(*s).size(), 1u);
    // A wrong checksum.
    s = open(datagen::BuildRecordStream({{1, 0, "data", true, true}, {2, 0, "more"}}));
    EXPECT_TRUE(ReadAll(*s).empty());
    EXPECT_TRUE(s->Error());
    // One byte short of L: the next header fails although more data follows.
    s = open(datagen::BuildRecordStream({{1, 0, "data", true, false, 1}}) + std::string(40, '\0'));
    TDataRecordHeader h;
    char buffer[64];
    EXPECT_EQ(s->ReadRecordHeader(h), 1);
    EXPECT_EQ(s->ReadData(buffer, 4), -1);  // five bytes for a buffer of four
    EXPECT_EQ(s->ReadRecordHeader(h), -1);
    // Negative length.
    s = open(datagen::BuildRecordStream({{1, 0, "data", false, false, -100}}));
    EXPECT_EQ(s->ReadRecordHeader(h), 1);
    EXPECT_EQ(s->ReadData(buffer, sizeof buffer), -1);
    // Stream header: only the first int32 counts.
    std::string other = datagen::RecordStreamHeader();
    other[9] = 'X';
    s = open(other + datagen::BuildRecordStream({{3, 0, "x"}}).substr(16));
    EXPECT_EQ(ReadAll(*s).size(), 1u);
    other[0] = 17;
    s = open(other);
    EXPECT_TRUE(s->Error());
    EXPECT_EQ(s->ReadRecordHeader(h), -1);
    s->WriteRecord("x", h);  // does nothing
    // A missing file: no exception, only the flag.
    TDataStream missing(dir.File("none.dat"), nullptr, kHeader, rtl::fmOpenRead);
    EXPECT_TRUE(missing.Error());
}

TEST(TDataStream, InsideAContainerEntry) {
    TempDir dir;
    datagen::WriteContainer(dir.File("cfg.bif"), {{"Cfg", {{"DataStream", std::string(200, '\0')}, {"After", "tail"}}}});
    {
        TGPResource r(dir.File("cfg.bif"), rtl::fmOpenReadWrite);
        ASSERT_TRUE(r.Locate("Cfg", "DataStream"));
        TDataStream s("", &r, kHeader, rtl::fmCreate);
        TDataRecordHeader h;
        h.Id = 9, h.Length = 5, h.CheckFlag = 1;
        s.WriteRecord("12345", h);
    }
    TGPResource r(dir.File("cfg.bif"), rtl::fmOpenRead);
    ASSERT_TRUE(r.Locate("Cfg", "DataStream"));
    TDataStream s("", &r, kHeader, rtl::fmOpenRead);
    TDataRecordHeader h;
    char buffer[8];
    EXPECT_EQ(s.ReadRecordHeader(h), 9);
    EXPECT_EQ(s.ReadData(buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "12345");
}

TEST(TDataStream, InsideAContainerEntryItNeverWritesOrReadsIntoTheNextEntry) {
    TempDir dir;
    const std::string next = "the next entry stays";
    datagen::WriteContainer(dir.File("cfg.bif"), {{"Cfg", {{"Small", std::string(20, '\0')}, {"After", next}}}});
    {
        TGPResource r(dir.File("cfg.bif"), rtl::fmOpenReadWrite);
        ASSERT_TRUE(r.Locate("Cfg", "Small"));
        TDataStream s("", &r, kHeader, rtl::fmCreate);  // the 16-byte header fits in 20
        EXPECT_FALSE(s.Error());
        TDataRecordHeader h;
        h.Id = 1, h.Length = 8;
        s.WriteRecord("too long", h);  // 24 + 8 bytes do not fit in the 4 left
        EXPECT_TRUE(s.Error());
        h.Length = 0;
        s.WriteRecord("", h);  // sticky: nothing more is written
    }
    TGPResource r(dir.File("cfg.bif"), rtl::fmOpenRead);
    ASSERT_TRUE(r.Locate("Cfg", "After"));
    std::string after(next.size(), '\0');
    r.ReadBuffer(after.data(), static_cast<int64_t>(after.size()));
    EXPECT_EQ(after, next);
    ASSERT_TRUE(r.Locate("Cfg", "Small"));
    std::string small(20, '\0');
    r.ReadBuffer(small.data(), 20);
    EXPECT_EQ(small.substr(0, 16), std::string(kHeader.begin(), kHeader.end()));
    EXPECT_EQ(small.substr(16), std::string(4, '\0'));

    // A record that fits exactly is written; reading stops at the entry's end as well.
    const std::string exact = datagen::BuildRecordStream({{7, 0, "abcd"}});  // 16 + 24 + 4 bytes
    datagen::WriteContainer(dir.File("two.bif"), {{"Cfg", {{"A", std::string(44, '\0')}, {"B", exact.substr(16)}}}});
    {
        TGPResource w(dir.File("two.bif"), rtl::fmOpenReadWrite);
        ASSERT_TRUE(w.Locate("Cfg", "A"));
        TDataStream s("", &w, kHeader, rtl::fmCreate);
        TDataRecordHeader h;
        h.Id = 7, h.Length = 4;
        s.WriteRecord("abcd", h);
        EXPECT_FALSE(s.Error());
    }
    TGPResource two(dir.File("two.bif"), rtl::fmOpenRead);
    ASSERT_TRUE(two.Locate("Cfg", "A"));
    TDataStream s("", &two, kHeader, rtl::fmOpenRead);
    // The record that fills A ends the stream: the one after it lies in B, which the caller
    // did not locate.
    EXPECT_EQ(ReadAll(s), (std::vector<std::pair<int32_t, std::string>>{{7, "abcd"}}));
    EXPECT_TRUE(s.Error());
    // Located, B's record is read although it starts where A's ended; then B is done too.
    ASSERT_TRUE(two.Locate("Cfg", "A"));
    TDataStream t("", &two, kHeader, rtl::fmOpenRead);
    TDataRecordHeader h;
    char buffer[8];
    EXPECT_EQ(t.ReadRecordHeader(h), 7);
    EXPECT_EQ(t.ReadData(buffer, sizeof buffer), 4);
    ASSERT_TRUE(two.Locate("Cfg", "B"));
    EXPECT_EQ(ReadAll(t), (std::vector<std::pair<int32_t, std::string>>{{7, "abcd"}}));
    EXPECT_TRUE(t.Error());
    // A stream header cut short by its entry reads as zeros, as at the end of a file; the
    // records after it are not looked for in the next entry.
    datagen::WriteContainer(dir.File("short.bif"),
                            {{"Cfg", {{"Short", std::string("\x10\0\0\0", 4)}, {"Next", std::string(12, '\0') + exact.substr(16)}}}});
    TGPResource shortHeader(dir.File("short.bif"), rtl::fmOpenRead);
    ASSERT_TRUE(shortHeader.Locate("Cfg", "Short"));
    TDataStream u("", &shortHeader, kHeader, rtl::fmOpenRead);
    EXPECT_FALSE(u.Error());
    EXPECT_TRUE(ReadAll(u).empty());
}

TEST(CreateSaveFile, SlotsRecordsAndRedThumbnails) {
    TempDir dir;
    CreateSaveFile(dir.File("save.bif"), 0, false);
    {
        TGPResource r(dir.File("save.bif"), rtl::fmOpenRead);
        EXPECT_EQ(r.Status(), 0);
        TSaveRecord record;
        EXPECT_EQ(r.Read144("Save_User", "Save_0", record), 1);
        EXPECT_EQ(record, TSaveRecord{});
        EXPECT_FALSE(r.Locate("Save_User", "Save_1"));
        std::unique_ptr<media::TGPBitmap> picture;
        EXPECT_EQ(r.ReadBitmap("Save_BMP", "Save_0", picture), 0);
        EXPECT_EQ(picture->Width(), 160);
        EXPECT_EQ(picture->Height(), 120);
        EXPECT_EQ(picture->BitCount(), 8);
        EXPECT_EQ(picture->PixelColor(80, 60), 0xFF0000u);
    }
    const std::string before = dir.Read("save.bif");
    CreateSaveFile(dir.File("save.bif"), 6, false);
    EXPECT_EQ(dir.Read("save.bif"), before);
    CreateSaveFile(dir.File("save.bif"), 6, true);
    TGPResource r(dir.File("save.bif"), rtl::fmOpenRead);
    EXPECT_TRUE(r.Locate("Save_BMP", "Save_6"));
}
