// The sprallion program itself, started as a user or a check starts it: headless on the
// smallest game data, ended by a signal or by its test script.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/TempDir.h"
#include "tests/app/SessionBus.h"
#include "tests/platform/ProcessHelpers.h"
#include "tools/datagen/MinimalGame.h"

extern char** environ;

namespace {

class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() { datagen::WriteMinimalGame(dir_.File("game")); }
    ~ProgramTest() override {
        if (pid_ > 0) testproc::WaitExit(pid_, std::chrono::seconds(1));
    }

    // Starts the program with the headless backends and private folders; `extra` adds
    // NAME=VALUE settings.
    void Start(const std::vector<std::string>& extra = {}) {
        std::vector<std::string> settings{
            "SPRALLION_HOME=" + dir_.File("game"), "SPRALLION_REGISTRY=" + dir_.File("registry"),
            "SPRALLION_RUNTIME_DIR=" + dir_.File("run"), "SPRALLION_SHELL=record:" + dir_.File("shell"),
            "SPRALLION_VIDEO=headless", "SPRALLION_AUDIO=null", "SPRALLION_MIDI=null", "SPRALLION_TEXT=headless"};
        settings.insert(settings.end(), extra.begin(), extra.end());
        pid_ = testproc::SpawnProgram("sprallion", settings, dir_.File("stderr"));
        ASSERT_GT(pid_, 0);
    }
    std::string Log() const { return dir_.Read("game/Exception.Log"); }
    bool LogHas(const std::string& text) const { return Log().find(text) != std::string::npos; }
    std::optional<int> Exit(std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto code = testproc::WaitExit(pid_, limit);
        pid_ = -1;
        return code;
    }
    void WriteScript(const std::string& text) const { dir_.Write("script", text); }

    TempDir dir_;
    pid_t pid_ = -1;
};

TEST_F(ProgramTest, SigtermEndsTheRunningGameInOrder) {
    Start();
    ASSERT_TRUE(testproc::WaitFor([&] { return LogHas("Class CreateGameKernel with message ''."); }, std::chrono::seconds(30)));
    ::kill(pid_, SIGTERM);
    EXPECT_EQ(Exit(), 0);
    const std::string log = Log();
    EXPECT_EQ(log.rfind("Class ----------------- END SESSION: "), log.rfind("Class "));  // the last line
    EXPECT_LT(log.find("BEGIN SESSION"), log.find("END SESSION"));
    EXPECT_EQ(log.find("Losing Message"), std::string::npos);
}

TEST_F(ProgramTest, SigintDoesTheSame) {
    Start();
    ASSERT_TRUE(testproc::WaitFor([&] { return LogHas("Class CreateGameKernel with message ''."); }, std::chrono::seconds(30)));
    ::kill(pid_, SIGINT);
    EXPECT_EQ(Exit(), 0);
    EXPECT_TRUE(LogHas("END SESSION"));
}

TEST_F(ProgramTest, ASignalDuringTheStartStillEndsTheSession) {
    Start();
    ASSERT_TRUE(testproc::WaitFor([&] { return LogHas("BEGIN SESSION"); }, std::chrono::seconds(30)));
    ::kill(pid_, SIGTERM);
    EXPECT_EQ(Exit(), 0);
    EXPECT_TRUE(LogHas("END SESSION"));
}

TEST_F(ProgramTest, AHungSessionBusNeitherStallsTheStartNorKeepsASignalOut) {
    bustest::SilentBus hung(dir_.File("bus"));
    testproc::ScopedEnv env("DBUS_SESSION_BUS_ADDRESS", hung.Address());
    const std::vector<std::string> withTheBus{"SPRALLION_TRAY=dbus"};
    // The start runs through to the main menu's turn (a generous bound: it takes well under a
    // second).
    Start(withTheBus);
    EXPECT_TRUE(testproc::WaitFor([&] { return LogHas("Class CreateGameKernel with message ''."); }, std::chrono::seconds(5)));
    ::kill(pid_, SIGTERM);
    EXPECT_EQ(Exit(), 0);
    // A signal as soon as the start begins ends the program in order.
    std::filesystem::remove(dir_.File("game/Exception.Log"));
    Start(withTheBus);
    ASSERT_TRUE(testproc::WaitFor([&] { return LogHas("BEGIN SESSION"); }, std::chrono::seconds(30)));
    ::kill(pid_, SIGTERM);
    EXPECT_EQ(Exit(std::chrono::seconds(10)), 0);
    const std::string log = Log();
    EXPECT_EQ(log.rfind("Class ----------------- END SESSION: "), log.rfind("Class "));
}

TEST_F(ProgramTest, WithoutGameDataTheProgramEndsByItselfAfterTheFatalErrorWithAFailure) {
    std::filesystem::remove(dir_.File("game/Resource/Demo2.bif"));
    Start();
    EXPECT_EQ(Exit(), 1);
    EXPECT_TRUE(LogHas("Demo2.bif"));
    EXPECT_TRUE(LogHas("END SESSION"));
}

TEST_F(ProgramTest, GameDataCutShortOrNoFileAtAllIsErrorZero) {
    const std::string data = dir_.File("game/Resource/Demo2.bif");
    const std::string whole = dir_.Read("game/Resource/Demo2.bif");
    for (const size_t keep : {whole.size() * 53 / 100, size_t{1000}, size_t{0}}) {  // 0: a FIFO
        std::filesystem::remove(data);
        std::filesystem::remove(dir_.File("game/Exception.Log"));
        if (keep > 0)
            dir_.Write("game/Resource/Demo2.bif", whole.substr(0, keep));
        else
            ASSERT_EQ(::mkfifo(data.c_str(), 0600), 0);
        Start();
        EXPECT_EQ(Exit(), 1) << keep;
        // Error 0 (its caption; the texts themselves exist only scrambled), not error 2.
        EXPECT_TRUE(LogHas("Demo2.bif") && LogHas(" with message 'Game data'.")) << keep;
        EXPECT_FALSE(LogHas("with message 'Interface'.") || LogHas("CreateGameKernel")) << keep;
    }
}

TEST_F(ProgramTest, FifosOrCopiesLeftInPlaceOfItsFilesNeitherHangTheStartNorStay) {
    const std::string saves = std::string("game/Resource/Sprallion") + ".sav";  // never whole in the program
    ASSERT_EQ(::mkfifo(dir_.File(saves).c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(dir_.File("registry").c_str(), 0600), 0);
    const pid_t ended = testproc::Fork([] { return 0; });
    testproc::WaitExit(ended);
    const std::string copy = "game/Resource/Demo2.bif.~" + std::to_string(ended) + ".3";
    dir_.Write(copy, std::string(100000, 'c'));
    Start();
    ASSERT_TRUE(testproc::WaitFor([&] { return LogHas("Class CreateGameKernel with message ''."); }, std::chrono::seconds(30)));
    ::kill(pid_, SIGTERM);
    EXPECT_EQ(Exit(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir_.File(copy)));
    EXPECT_TRUE(LogHas("removed the stale temporary file " + dir_.File(copy)));
}

TEST_F(ProgramTest, AScriptCheckThatFailsEndsTheProgramWithStatus3) {
    WriteScript("wait 10\nuntil fd_Difficulty = 1 within 0\nuntil panel NoSuchPanel within 25\n");
    Start({"SPRALLION_CLOCK=virtual", "SPRALLION_SCRIPT=" + dir_.File("script")});
    EXPECT_EQ(Exit(), 3);
    EXPECT_TRUE(LogHas("Class Script with message 'line 3: panel NoSuchPanel not shown within 25 ticks'."));
    EXPECT_TRUE(LogHas("END SESSION"));
    EXPECT_NE(dir_.Read("stderr").find("line 3: panel NoSuchPanel"), std::string::npos);
}

TEST_F(ProgramTest, AScriptThatIsNoScriptEndsBeforeTheGameStarts) {
    WriteScript("wait 10\nfly away\n");
    Start({"SPRALLION_SCRIPT=" + dir_.File("script")});
    EXPECT_EQ(Exit(), 2);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("game/Exception.Log")));
    EXPECT_NE(dir_.Read("stderr").find("line 2: unknown command"), std::string::npos);
}

TEST_F(ProgramTest, AFinishedScriptLeavesTheGameRunningOnTheVirtualClock) {
    WriteScript("wait 200\nkey Enter\nuntil fd_Difficulty = 1 within 0\n");
    Start({"SPRALLION_CLOCK=virtual", "SPRALLION_SCRIPT=" + dir_.File("script")});
    ASSERT_TRUE(testproc::WaitFor([&] { return LogHas("Class CreateGameKernel with message ''."); }, std::chrono::seconds(30)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid_, SIGTERM);
    EXPECT_EQ(Exit(), 0);
    EXPECT_FALSE(LogHas("Class Script"));
}

}  // namespace
