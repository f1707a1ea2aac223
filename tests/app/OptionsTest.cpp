#include "platform/registry/Registry.h"
#include "rtl/DateTime.h"
#include "tests/app/AppFixtures.h"

namespace {

namespace reg = platform::registry;
using OptionsTest = apptest::AppTest;

const char* kKey = "\\SOFTWARE\\Quorvex\\Sprallion";

reg::Registry OpenOptions() {
    reg::Registry r(reg::RootKey::HKEY_CURRENT_USER);
    r.OpenKey(kKey, true);
    return r;
}

TEST_F(OptionsTest, AFreshRegistryGivesTheDefaults) {
    form_->LoadOptionsProject();
    EXPECT_EQ(form_->Bif, "");
    EXPECT_EQ(form_->CheckInternet, 0);
    EXPECT_EQ(form_->InsertTopList, 0);
    EXPECT_EQ(form_->AutoUpDate, 0);
    EXPECT_EQ(form_->PlayAVI, 1);
    EXPECT_EQ(form_->Language, "");
    EXPECT_FALSE(form_->InternetAvailable);
    EXPECT_EQ(Log(), "");
}

TEST_F(OptionsTest, SavedOptionsComeBack) {
    form_->Bif = "Demo2.bif";
    form_->CheckInternet = 1;
    form_->InsertTopList = 1;
    form_->PlayAVI = 0;
    form_->SaveOptionsProject();
    auto registry = OpenOptions();
    EXPECT_EQ(registry.ReadString("Bif"), "Demo2.bif");
    EXPECT_EQ(registry.ReadString("Language"), "419");
    EXPECT_EQ(registry.ReadInteger("PlayAVI"), 0);
    auto again = NewForm();
    again->LoadOptionsProject();
    EXPECT_EQ(again->Bif, "Demo2.bif");
    EXPECT_EQ(again->CheckInternet, 1);
    EXPECT_EQ(again->InsertTopList, 1);
    EXPECT_EQ(again->PlayAVI, 0);
    EXPECT_EQ(again->Language, "419");
    EXPECT_EQ(registry.GetValueNames().size(), 6u);  // no update date: AutoUpDate is 0
}

TEST_F(OptionsTest, TheUpdateDateIsKeptOnlyWhenBothInternetOptionsAreOn) {
    OpenOptions().WriteString("DateLastUpData", "01.02.2003");
    form_->CheckInternet = 1;
    form_->AutoUpDate = 0;
    form_->SaveOptionsProject();
    EXPECT_EQ(OpenOptions().ReadString("DateLastUpData"), "01.02.2003");  // not written
    form_->DateLastUpData = 7;
    form_->LoadOptionsProject();
    EXPECT_EQ(form_->DateLastUpData, 7);  // not read

    OpenOptions().WriteInteger("AutoUpDate", 1);
    form_->LoadOptionsProject();
    EXPECT_EQ(form_->DateLastUpData, rtl::EncodeDate(2003, 2, 1));
    form_->SaveOptionsProject();
    EXPECT_EQ(OpenOptions().ReadString("DateLastUpData"), rtl::DateToStr(rtl::Date()));

    OpenOptions().WriteString("DateLastUpData", "no date");
    form_->LoadOptionsProject();
    EXPECT_EQ(form_->DateLastUpData, 0);  // a conversion error is ignored
    EXPECT_EQ(Log(), "");
}

TEST_F(OptionsTest, AWronglyTypedValueTakesTheFallbackAndIsLogged) {
    OpenOptions().WriteString("CheckInternet", "yes");
    form_->LoadOptionsProject();
    EXPECT_EQ(form_->Bif, "Sprallion2.bif");
    EXPECT_EQ(form_->CheckInternet, 0);
    EXPECT_EQ(form_->PlayAVI, 0);
    EXPECT_EQ(form_->Language, "419");
    EXPECT_EQ(Log(), "Class LoadOptionsProject with message 'ERegistryException:Invalid data type for 'CheckInternet''.\r\n");
}

TEST_F(OptionsTest, TheProjectFolderGoesInAndTheCurrentVersionComesOut) {
    OpenOptions().WriteString("CurrentVersion", "1.1.0");
    OpenOptions().WriteString("ProjectDir", "\\opt\\old\\");  // as earlier builds kept it
    form_->SetProjectDir("Quorvex", "Sprallion", "/opt/sprallion", "");
    EXPECT_EQ(form_->CurrentVersion, "1.1.0");
    EXPECT_EQ(OpenOptions().ReadString(""), "/opt/sprallion");
    EXPECT_FALSE(OpenOptions().ValueExists("ProjectDir"));
}

TEST_F(OptionsTest, ADamagedRegistryFileIsReportedInTheLog) {
    OpenOptions().WriteString("Bif", "Demo2.bif");
    const std::string text = dir_.Read("registry");
    dir_.Write("registry", text.substr(0, text.size() - 4));  // "END" cut off
    form_->InstallExceptionHandler();
    form_->LoadOptionsProject();
    EXPECT_EQ(form_->Bif, "Demo2.bif");  // what was sound is read
    EXPECT_NE(Log().find("Class Registry with message 'the registry file " + dir_.File("registry") + " is damaged"),
              std::string::npos);
}

TEST_F(OptionsTest, TheSavedGamesContainerIsMadeOnceWithSevenSlots) {
    form_->InitSaveContainer();
    const std::string file = form_->SaveContainerFile();
    EXPECT_EQ(std::filesystem::path(file).parent_path(), dir_.File("game/Resource"));
    engine::TGPResource saves(file, rtl::fmOpenRead);
    EXPECT_EQ(saves.Status(), 0);
    engine::TSaveRecord record;
    EXPECT_EQ(saves.Read144("Save_User", "Save_6", record), 1);
    EXPECT_EQ(saves.Read144("Save_User", "Save_7", record), 0);
    const auto written = std::filesystem::last_write_time(file);
    form_->InitSaveContainer();
    EXPECT_EQ(std::filesystem::last_write_time(file), written);
}

}  // namespace
