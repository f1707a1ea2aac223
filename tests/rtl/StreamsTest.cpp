#include "rtl/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

std::filesystem::path TempDir() {
    auto dir = std::filesystem::temp_directory_path() / ("rtl-streams-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(MemoryStream, ShortReadAnswersCountAndReadBufferRaises) {
    rtl::MemoryStream s(std::vector<uint8_t>{1, 2, 3});
    uint8_t buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 3);
    EXPECT_EQ(s.Read(buf, 8), 0);
    s.SetPosition(1);
    EXPECT_THROW(s.ReadBuffer(buf, 3), rtl::EReadError);
    s.SetPosition(0);
    EXPECT_EQ(s.Read(buf, -5), 0);
    // Seeking past the end is allowed; writing there fills the gap with zeros.
    s.Seek(5, rtl::SeekOrigin::soBeginning);
    s.WriteValue<uint16_t>(0xBEEF);
    EXPECT_EQ(s.Size(), 7);
    EXPECT_EQ(s.Bytes()[3], 0);
    EXPECT_EQ(s.Bytes()[5], 0xEF);
    EXPECT_EQ(s.Bytes()[6], 0xBE);
}

TEST(MemoryStream, LittleEndianValuesRoundTrip) {
    rtl::MemoryStream s;
    s.WriteValue<int32_t>(-2);
    s.WriteValue<double>(2.5);
    s.WriteValue<int64_t>(0x0102030405060708);
    EXPECT_EQ(s.Bytes()[0], 0xFE);
    EXPECT_EQ(s.Bytes()[3], 0xFF);
    s.SetPosition(0);
    EXPECT_EQ(s.ReadValue<int32_t>(), -2);
    EXPECT_EQ(s.ReadValue<double>(), 2.5);
    EXPECT_EQ(s.ReadValue<int64_t>(), 0x0102030405060708);
    EXPECT_THROW(s.ReadValue<uint8_t>(), rtl::EReadError);
}

TEST(SubStream, NeverCrossesItsWindow) {
    rtl::MemoryStream parent(std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    rtl::SubStream view(parent, 3, 4);
    EXPECT_EQ(view.Size(), 4);
    uint8_t buf[10] = {};
    EXPECT_EQ(view.Read(buf, 10), 4);
    EXPECT_EQ(buf[0], 3);
    EXPECT_EQ(buf[3], 6);
    EXPECT_EQ(view.Read(buf, 1), 0);
    view.SetPosition(2);
    uint8_t patch[5] = {90, 91, 92, 93, 94};
    EXPECT_EQ(view.Write(patch, 5), 2);  // only what is left of the window
    EXPECT_EQ(parent.Bytes()[5], 90);
    EXPECT_EQ(parent.Bytes()[6], 91);
    EXPECT_EQ(parent.Bytes()[7], 7);
    // A window reaching past its parent's end reads only what the parent holds.
    rtl::SubStream tail(parent, 8, 100);
    EXPECT_EQ(tail.Read(buf, 10), 2);
}

TEST(FileStream, OpenModesAndErrorsNameTheFile) {
    auto dir = TempDir();
    std::string name = (dir / "data.bin").string();
    {
        rtl::FileStream f(name, rtl::fmCreate);
        f.WriteValue<uint32_t>(0x11223344);
        EXPECT_EQ(f.Size(), 4);
    }
    {
        rtl::FileStream f(name, rtl::fmOpenRead);
        EXPECT_EQ(f.ReadValue<uint32_t>(), 0x11223344u);
        EXPECT_EQ(f.Write("x", 1), 0);  // read-only: nothing written
    }
    {
        rtl::FileStream f(name, rtl::fmOpenReadWrite);
        f.Seek(0, rtl::SeekOrigin::soEnd);
        f.WriteValue<uint8_t>(7);
        f.SetSize(2);
        EXPECT_EQ(f.Size(), 2);
    }
    std::string missing = (dir / "missing.bin").string();
    try {
        rtl::FileStream f(missing, rtl::fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const rtl::EFOpenError& e) {
        EXPECT_STREQ(e.className(), "EFOpenError");
        EXPECT_EQ(e.message(), "Cannot open file " + missing);
    }
    EXPECT_THROW(rtl::FileStream((dir / "no" / "such" / "x").string(), rtl::fmCreate), rtl::EFCreateError);
    EXPECT_THROW(rtl::FileStream(dir.string(), rtl::fmOpenRead), rtl::EFOpenError);
    {
        rtl::FileStream holder(name, rtl::fmOpenRead | rtl::fmShareExclusive);
        EXPECT_THROW(rtl::FileStream(name, rtl::fmOpenRead | rtl::fmShareExclusive), rtl::EFOpenError);
    }
    std::filesystem::remove_all(dir);
}

TEST(WriteFileAtomically, ReplacesWholeOrLeavesTheOldFile) {
    auto dir = TempDir();
    std::string name = (dir / "list.txt").string();
    rtl::WriteFileAtomically(name, "old", 3);
    rtl::WriteFileAtomically(name, "newer", 5);
    std::ifstream in(name);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "newer");
    // A folder that cannot take the temporary file: the write fails, nothing is left behind.
    EXPECT_THROW(rtl::WriteFileAtomically((dir / "absent" / "x").string(), "a", 1), rtl::EFCreateError);
    size_t files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir)) ++files;
    EXPECT_EQ(files, 1u);
    std::filesystem::remove_all(dir);
}

}  // namespace
