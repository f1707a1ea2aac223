// The game's side of the internet library: creation with the built library in a private
// registry (registered or not), the settings it hands over, the hall-of-fame entry, the update
// check and the files an update leaves to start.
#include <sys/wait.h>

#include <filesystem>

#include "engine/gpResource.h"
#include "platform/com/ComObj.h"
#include "rtl/Text.h"
#include "tests/app/FakeInternetGame.h"
#include "tests/app/StartupFixture.h"
#include "tests/platform/ProcessHelpers.h"

namespace {

namespace com = platform::com;
using apptest::FakeInternetGame;
using apptest::StartupTest;
using testproc::BinDir;

std::string Text(com::BSTR s) { return rtl::Utf16ToAnsi(com::BstrToString(s)); }

class InternetBindingTest : public StartupTest {
protected:
    // The library registered in the test's registry, as the installer (or regsvr) does.
    static void Register() {
        const int status = std::system((BinDir() + "/regsvr -s " + BinDir() + "/libPalvrek.so").c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // The form with a kernel, the game data and the fake library, available.
    void WithFakeLibrary() {
        WriteGame();
        GiveDevices(*form_);
        form_->Resource = std::make_unique<engine::TGPResource>(Home() + "/Resource/Demo2.bif", rtl::fmOpenRead);
        internet.InstallIn(form_->InternetGame);
        form_->InternetAvailable = true;
    }
    void TearDown() override {
        // The fake goes before the form: the form lets it go first.
        if (form_) {
            form_->InternetGame.reset();
            DropDevices(*form_);
        }
    }

    FakeInternetGame internet;
};

TEST_F(InternetBindingTest, AnUnregisteredLibraryIsLoggedAndRegisteredForTheNextStartWhilePlayGoesOn) {
    WriteGame();
    Start();
    EXPECT_FALSE(form_->InternetAvailable);
    EXPECT_FALSE(form_->InternetGame);
    EXPECT_NE(Log().find("Class FormCreate with message 'CoCreateInstance'.\r\n"), std::string::npos);
    const auto recorded = Recorded();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0], BinDir() + "/regsvr -s libPalvrek.so");
    EXPECT_TRUE(form_->Kernel);  // the game goes on without internet services
    form_->FormDestroy(form_.get());
}

TEST_F(InternetBindingTest, ARegisteredLibraryTakesTheGamesSettings) {
    Register();
    WriteGame();
    Start();
    ASSERT_TRUE(form_->InternetAvailable);
    ASSERT_TRUE(form_->InternetGame);
    EXPECT_TRUE(Recorded().empty());
    EXPECT_EQ(Log().find("CoCreateInstance"), std::string::npos);

    palvrek::TInternetSetup setup;
    form_->InternetGame->GetSettings(setup);
    EXPECT_EQ(Text(setup.LanguageId), "0419");
    EXPECT_EQ(Text(setup.Project), "sprallion");
    EXPECT_EQ(Text(setup.RegistryKey), "\\SOFTWARE\\Quorvex\\Sprallion\\");
    EXPECT_EQ(Text(setup.Host), "www.quorvex.com/ru");
    EXPECT_EQ(Text(setup.DownloadDir), Home() + "/UpDate");
    palvrek::FreeRecord(setup);

    palvrek::TLocalTopListSetup top;
    form_->InternetGame->GetLocalTopListSettings(top);
    EXPECT_EQ(Text(top.HTMLDir), Home() + "/TopList");
    EXPECT_EQ(Text(top.FileName), "TopList.htm");
    EXPECT_EQ(Text(top.RanksDir), "Ranks");
    EXPECT_EQ(Text(top.MedalWidth), "34");
    palvrek::FreeRecord(top);

    // Released at the shut-down, after Finalize: the runtime may then unload the library.
    form_->FormDestroy(form_.get());
    EXPECT_FALSE(form_->InternetGame);
    EXPECT_EQ(com::CoGetLoadedExport(palvrek::CLSID_InternetGame, palvrek::kSetMessagePumpExport), nullptr);
}

TEST_F(InternetBindingTest, ARegisteredLibraryGetsTheGamesMessagePump) {
    Register();
    WriteGame();
    Start();
    ASSERT_TRUE(form_->InternetGame);
    EXPECT_NE(com::CoGetLoadedExport(palvrek::CLSID_InternetGame, palvrek::kSetMessagePumpExport), nullptr);
    form_->FormDestroy(form_.get());
}

TEST_F(InternetBindingTest, AScoreBelow200NeverAsksTheHallOfFame) {
    WithFakeLibrary();
    form_->PlayerRecord.Score = 199;
    form_->InsertToList();
    EXPECT_EQ(internet.isLocalRecordCalls, 0);
    EXPECT_EQ(internet.addLocalScoreCalls, 0);
    EXPECT_TRUE(form_->InternetAvailable);
}

TEST_F(InternetBindingTest, OnlyTheFirstEntryOfARunOpensThePage) {
    WithFakeLibrary();
    app::TPlayerRecord& r = form_->PlayerRecord;
    r.Name = "Ann";
    r.SubjectTitle = "Demo";
    r.Score = 1200;
    r.Difficulty = 3;
    r.Rank = 4;
    r.Medals = app::TPlayerRecord::Empty();
    r.Medals[0] = 3;
    r.Medals[1] = 0;    // no medal: skipped
    r.Medals[2] = 11;   // past the last medal: skipped
    r.Medals[3] = 10;
    form_->InsertToList();
    form_->InsertToList();
    EXPECT_EQ(internet.addLocalScoreCalls, 2);
    EXPECT_EQ(internet.showLocalTopListCalls, 1);
    EXPECT_TRUE(form_->HallOfFameShown);
    ASSERT_EQ(internet.added.size(), 2u);
    EXPECT_EQ(internet.added[0], "Ann|1200|Hard|Rank 4|Medal 3,Medal 10|Demo");
}

TEST_F(InternetBindingTest, ARankOutsideTheTableIsLoggedAndClamped) {
    WithFakeLibrary();
    form_->PlayerRecord.Score = 500;
    form_->PlayerRecord.Rank = 25;
    form_->InsertToList();
    EXPECT_NE(Log().find("Class InsertToList with message 'Rank=25'."), std::string::npos);
    EXPECT_EQ(form_->PlayerRecord.Rank, 19);
    ASSERT_EQ(internet.added.size(), 1u);
    EXPECT_NE(internet.added[0].find("|Rank 19|"), std::string::npos);
}

TEST_F(InternetBindingTest, AScoreThatIsNoRecordIsNotAdded) {
    internet.localRecord = false;
    WithFakeLibrary();
    form_->PlayerRecord.Score = 500;
    form_->InsertToList();
    EXPECT_EQ(internet.isLocalRecordCalls, 1);
    EXPECT_EQ(internet.addLocalScoreCalls, 0);
    EXPECT_FALSE(form_->HallOfFameShown);
}

TEST_F(InternetBindingTest, AFailureWhileInsertingEndsInternetUseForTheRun) {
    internet.isLocalRecordResult = com::E_FAIL;
    WithFakeLibrary();
    form_->PlayerRecord.Score = 500;
    form_->InsertToList();
    EXPECT_FALSE(form_->InternetAvailable);
    EXPECT_NE(Log().find("Class InsertToList with message 'EOleSysError:"), std::string::npos);
    form_->InsertToList();
    EXPECT_EQ(internet.isLocalRecordCalls, 1);  // no further use
}

TEST_F(InternetBindingTest, TheUpdateCheckOfTheButtonRunsWithTheKernelBusyAndOnceWhateverTheOption) {
    WithFakeLibrary();
    form_->AutoUpDate = 0;
    bool busyDuring = false;
    int32_t optionDuring = -1;
    internet.onQueryUpdates = [&] {
        busyDuring = form_->Kernel->Busy;
        optionDuring = form_->AutoUpDate;
    };
    form_->UpDataClick(form_.get());
    EXPECT_EQ(internet.queryUpdatesCalls, 1);
    EXPECT_TRUE(busyDuring);  // a tick inside the blocking call would do nothing
    EXPECT_EQ(optionDuring, 1);
    EXPECT_FALSE(form_->Kernel->Busy);
    EXPECT_EQ(form_->AutoUpDate, 0);
}

TEST_F(InternetBindingTest, WithTheOptionOffTheCheckOfItsOwnAsksNothing) {
    WithFakeLibrary();
    form_->AutoUpDate = 0;
    form_->CheckForUpdate();
    EXPECT_EQ(internet.queryUpdatesCalls, 0);
}

TEST_F(InternetBindingTest, OnlyPlainFilesOfTheUpdateFolderAreStarted) {
    const std::string folder = dir_.File("UpDate");
    std::filesystem::create_directories(folder + "/sub");
    dir_.Write("UpDate/setup.sh", "#!/bin/sh\n");
    dir_.Write("outside.sh", "#!/bin/sh\n");
    std::filesystem::create_symlink(dir_.File("outside.sh"), folder + "/link.sh");
    form_->RunUpdateFiles(folder, "setup.sh\r\n../outside.sh\r\n" + dir_.File("outside.sh") +
                                      "\r\nsub\r\nmissing.sh\r\nlink.sh\r\n..\r\n\r\n");
    EXPECT_EQ(Recorded(), std::vector<std::string>{folder + "/setup.sh"});
    EXPECT_NE(Log().find("../outside.sh is not a file of the update folder"), std::string::npos);
    EXPECT_NE(Log().find("link.sh is not a file of the update folder"), std::string::npos);
}

}  // namespace
