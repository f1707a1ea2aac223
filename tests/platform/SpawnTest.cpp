// Programs started hidden: in a session of their own, nothing of ours inherited, nobody
// waiting for them; the answers of the system's shell; the recorder.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include "platform/shell/Spawn.h"
#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

namespace {

namespace shell = platform::shell;

class SpawnTest : public ::testing::Test {
protected:
    SpawnTest() { env_.Unset("SPRALLION_SHELL"); }
    TempDir dir_;
    testproc::ScopedEnv env_;
};

TEST_F(SpawnTest, AProgramStartsInASessionOfItsOwnWithNothingOfOurs) {
    // A descriptor of ours that is not close-on-exec, and blocked signals: neither reaches it.
    const int leaked = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(leaked, 3);
    sigset_t block, old;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &block, &old);
    const std::string out = dir_.File("out");
    const int result = shell::StartHidden(
        "/bin/sh", {"-c", "{ ls /proc/self/fd | tr '\\n' ' '; echo; grep SigBlk /proc/self/status; "
                          "read -r a b c d e sid rest < /proc/$$/stat; echo $sid; echo $$; } > " + out + ".tmp; mv " + out + ".tmp " + out});
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ::close(leaked);
    EXPECT_GT(result, 32);
    ASSERT_TRUE(testproc::WaitFor([&] { return std::filesystem::exists(out); }));
    std::istringstream lines(dir_.Read("out"));
    std::string fds, mask, sid, pid;
    std::getline(lines, fds);
    std::getline(lines, mask);
    std::getline(lines, sid);
    std::getline(lines, pid);
    EXPECT_EQ(fds, "0 1 2 3 ");  // 3 is ls's own look at the folder
    EXPECT_EQ(mask, "SigBlk:\t0000000000000000");
    EXPECT_EQ(sid, pid);  // the leader of a session of its own
}

TEST_F(SpawnTest, TheAnswersAreTheShellsOnes) {
    EXPECT_EQ(shell::StartHidden(dir_.File("absent"), {}), 2);
    EXPECT_EQ(shell::StartHidden("no-such-program-of-sprallion", {}), 2);
    dir_.Write("plain", "not executable");
    EXPECT_EQ(shell::StartHidden(dir_.File("plain"), {}), 5);
    EXPECT_EQ(shell::StartHidden("", {}), 2);
    EXPECT_GT(shell::StartHidden("true", {}), 32);  // found in PATH
}

TEST_F(SpawnTest, TheRecorderWritesTheCommandLineInsteadOfStartingIt) {
    env_.Set("SPRALLION_SHELL", "record:" + dir_.File("recorded"));
    const std::string marker = dir_.File("started");
    EXPECT_GT(shell::StartHidden("/bin/sh", {"-c", "touch " + marker}), 32);
    EXPECT_EQ(shell::StartHidden(dir_.File("absent"), {"-s"}), 2);  // the same check first
    EXPECT_EQ(dir_.Read("recorded"), "/bin/sh -c touch " + marker + "\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(std::filesystem::exists(marker));
}

}  // namespace
