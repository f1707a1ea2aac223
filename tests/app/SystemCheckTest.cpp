#include <filesystem>
#include <fstream>

#include "app/SystemInfo.h"
#include "engine/gpUtils.h"
#include "tests/app/AppFixtures.h"
#include "tests/platform/SysInfoFixture.h"

namespace {

namespace pw = platform::window;

class SystemCheckTest : public apptest::AppTest {
protected:
    FakeMachine machine_;
};

TEST_F(SystemCheckTest, ASmallScreenStopsTheStartWithError10) {
    machine_.Screen = {800, 599};
    machine_.Apply();
    EXPECT_FALSE(form_->CheckSystemAndLanguage());
    ASSERT_EQ(pw::RecordedMessageBoxes().size(), 1u);
    EXPECT_NE(pw::RecordedMessageBoxes()[0].Text.find("800 x 600"), std::string::npos);
    EXPECT_TRUE(pw::TerminateRequested());
    EXPECT_EQ(form_->PlayAVI, 1);  // stopped before anything else
}

TEST_F(SystemCheckTest, TooLittleMemoryStopsTheStartWithError7) {
    machine_.Tree.memTotalKb = 14 * 1024;
    machine_.Tree.memAvailableKb = 2 * 1024;
    machine_.Apply();
    EXPECT_FALSE(form_->CheckSystemAndLanguage());
    ASSERT_EQ(pw::RecordedMessageBoxes().size(), 1u);
    EXPECT_NE(pw::RecordedMessageBoxes()[0].Text.find("15 MB"), std::string::npos);
}

TEST_F(SystemCheckTest, SixteenGibibytesWithoutSwapPass) {
    machine_.Tree.memTotalKb = 16ull * 1024 * 1024;
    machine_.Tree.memAvailableKb = 12ull * 1024 * 1024;
    machine_.Apply();
    EXPECT_TRUE(form_->CheckSystemAndLanguage());
    const app::TSystemInfo& info = form_->SystemInfo;
    EXPECT_EQ(info.TotalPhys, 16ull << 30);
    EXPECT_EQ(info.PhysUsedPercent, 25u);
    EXPECT_EQ(info.MemoryLoad, 25u);
    EXPECT_EQ(info.TotalPageFile, 0u);
    EXPECT_EQ(info.PageFileUsedPercent, 0u);
    EXPECT_EQ(form_->PlayAVI, 0);
    EXPECT_TRUE(pw::RecordedMessageBoxes().empty());
    EXPECT_EQ(Log(), "");
}

TEST_F(SystemCheckTest, AnOldProcessorIsOnlyLogged) {
    machine_.Machine = "i486";
    machine_.Apply();
    EXPECT_TRUE(form_->CheckSystemAndLanguage());
    EXPECT_TRUE(pw::RecordedMessageBoxes().empty());
    EXPECT_NE(Log().find("Pentium"), std::string::npos);
    EXPECT_EQ(form_->SystemInfo.ProcessorName, " 486");
}

TEST_F(SystemCheckTest, TheLanguageIsAlwaysTheEditions) {
    engine::SetParams({"Lang", "407"});
    form_->Language = "409";
    EXPECT_TRUE(form_->CheckSystemAndLanguage());
    EXPECT_EQ(form_->LanguageCode, "419");
    EXPECT_EQ(form_->TextCharset, 204);
    engine::SetParams({});
}

TEST_F(SystemCheckTest, TheVersionTextsOfTheStandIns) {
    EXPECT_TRUE(form_->CheckSystemAndLanguage());
    EXPECT_EQ(form_->DSoundVersion, "4.07.00.0700");
    EXPECT_EQ(form_->DDrawVersion, "4.07.00.0700");
    EXPECT_EQ(form_->DInputVersion, "4.07.00.0700");
}

class SystemReportTest : public ::testing::Test {
protected:
    FakeMachine machine_;
    TempDir dir_;
    testproc::ScopedEnv registry_{"SPRALLION_REGISTRY", dir_.File("registry")};  // no layouts stored
};

TEST_F(SystemReportTest, OperatingSystemAndProcessor) {
    app::TSystemInfo info;
    app::GetSystemReport(app::kReportOS | app::kReportProcessor, info);
    EXPECT_EQ(info.OSVersion, "6.1 (0.-18-amd64)");
    EXPECT_EQ(info.OSName, "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(app::LastPlatformId(), app::kPlatformLinux);
    EXPECT_EQ(info.ProcessorArchitecture, 9);
    EXPECT_EQ(info.ProcessorType, 8664);
    EXPECT_EQ(info.ProcessorName, "");
    EXPECT_EQ(info.ProcessorCount, 4);
    EXPECT_EQ(info.ProcessorLevel, "Level 6  Rev. 158.10");
    EXPECT_DOUBLE_EQ(info.ProcessorMHz, 3200.0);
    EXPECT_TRUE(info.TotalPhys == 0 && info.SystemLanguage.empty());  // parts not asked for

    machine_.Machine = "i686";
    machine_.Apply();
    app::GetSystemReport(app::kReportProcessor, info);
    EXPECT_EQ(info.ProcessorType, 586);
    EXPECT_EQ(info.ProcessorName, " Pentium");
}

TEST_F(SystemReportTest, MemoryAndAddressSpace) {
    machine_.Tree.memTotalKb = 4ull * 1024 * 1024;
    machine_.Tree.memAvailableKb = 1ull * 1024 * 1024;
    machine_.Tree.swapTotalKb = 2ull * 1024 * 1024;
    machine_.Tree.swapFreeKb = 1536ull * 1024;
    machine_.AddressSpace = 1ull << 32;
    machine_.Tree.vmSizeKb = 1024ull * 1024;
    machine_.Apply();
    app::TSystemInfo info;
    app::GetSystemReport(app::kReportMemory, info);
    EXPECT_EQ(info.PhysUsedPercent, 75u);
    EXPECT_EQ(info.UsedPageFile, 512ull << 20);
    EXPECT_EQ(info.PageFileUsedPercent, 25u);
    EXPECT_EQ(info.TotalVirtual, 1ull << 32);
    EXPECT_EQ(info.UsedVirtual, 1ull << 30);
    EXPECT_EQ(info.VirtualUsedPercent, 25u);
    EXPECT_EQ(app::UsedPercent(0, 0), 0u);
    EXPECT_EQ(app::UsedPercent(~0ull, 1), 100u);  // no overflow of avail x 100
    EXPECT_EQ(app::UsedPercent(~0ull, ~0ull), 0u);
}

TEST_F(SystemReportTest, LanguagesAndTheOwnerPart) {
    machine_.Env = {{"LANG", "ru_RU.UTF-8"}};
    machine_.Apply();
    app::TSystemInfo info;
    app::GetSystemReport(app::kReportLanguages | app::kReportOwner, info);
    EXPECT_EQ(info.SystemLanguage, "419");
    EXPECT_EQ(info.SystemLangID, "0419");
    EXPECT_EQ(info.UserLangID, "0419");
    EXPECT_EQ(info.RegisteredOwner, "");
    EXPECT_EQ(info.KeyboardLayoutText, "Russian");
    // The user's own choice is not the system's language.
    machine_.Env = {{"LANG", "fr_FR.UTF-8"}, {"LC_ALL", "en_GB.UTF-8"}};
    machine_.Apply();
    app::GetSystemReport(app::kReportLanguages, info);
    EXPECT_EQ(info.SystemLanguage, "40C");
    EXPECT_EQ(info.KeyboardLayoutText, "French");
    EXPECT_EQ(info.SystemLangID, "040C");
    EXPECT_EQ(info.UserLangID, "0809");
    // The system's locale settings come before the session's LANG.
    const std::string root = platform::sysinfo::Current().Root;
    std::filesystem::create_directories(root + "/etc/default");
    std::ofstream(root + "/etc/default/locale") << "LANG=\"de_DE.UTF-8\"\n";
    app::GetSystemReport(app::kReportLanguages, info);
    EXPECT_EQ(info.SystemLanguage, "407");
    EXPECT_EQ(info.KeyboardLayoutText, "German");
    std::ofstream(root + "/etc/locale.conf") << "LANG=en_US.UTF-8\n";
    app::GetSystemReport(app::kReportLanguages, info);
    EXPECT_EQ(info.SystemLangID, "0409");
    EXPECT_EQ(info.KeyboardLayoutText, "US");
    EXPECT_EQ(app::GetKeyboardLayoutName("00000809"), "United Kingdom");
    EXPECT_EQ(app::GetKeyboardLayoutName("12345"), "");
    EXPECT_EQ(app::GetWindowsName(0), "Win32s on Windows 3.1x");
    EXPECT_EQ(app::GetWindowsName(2), "Windows NT");
    EXPECT_EQ(app::GetWindowsName(app::kPlatformLinux), "Unknow");
}

}  // namespace
