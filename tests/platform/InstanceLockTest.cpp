#include "platform/instance/InstanceLock.h"
#include "platform/instance/RuntimeFolder.h"
#include "platform/shell/Shell.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

namespace inst = platform::instance;
using Lock = inst::InstanceLock;
using testproc::ScopedEnv;

namespace {
std::string RunFolder(const TempDir& dir) {
    std::filesystem::create_directory(dir.File("run"));
    return dir.File("run");
}
}  // namespace

TEST(RuntimeFolder, IsOnePerUserWhateverTheEnvironmentAndIsClosedToOthers) {
    TempDir dir;
    {
        ScopedEnv env("SPRALLION_RUNTIME_DIR", dir.File("run/"));
        EXPECT_EQ(inst::RuntimeFolder(), dir.File("run"));
        struct stat st {};
        ASSERT_EQ(::stat(dir.File("run").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    {
        // A session's runtime folder and temporary folder, or none of them: one place.
        const std::string user = "/tmp/sprallion-" + std::to_string(::geteuid());
        ScopedEnv env;
        env.Unset("SPRALLION_RUNTIME_DIR");
        for (const char* xdg : {"xdg", "other-xdg", ""})
            for (const char* tmp : {"tmp", ""}) {
                if (*xdg) env.Set("XDG_RUNTIME_DIR", dir.File(xdg)); else env.Unset("XDG_RUNTIME_DIR");
                if (*tmp) env.Set("TMPDIR", dir.File(tmp)); else env.Unset("TMPDIR");
                EXPECT_EQ(inst::RuntimeFolderPath(), user) << xdg << " " << tmp;
            }
    }
    // An open folder of ours is closed; links and files are refused.
    std::filesystem::create_directory(dir.File("open"));
    ::chmod(dir.File("open").c_str(), 0777);
    EXPECT_TRUE(inst::PrepareRuntimeFolder(dir.File("open")));
    struct stat st {};
    ::stat(dir.File("open").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::filesystem::create_directory_symlink(dir.File("open"), dir.File("link"));
    std::string error;
    EXPECT_FALSE(inst::PrepareRuntimeFolder(dir.File("link"), &error));
    EXPECT_NE(error.find("link"), std::string::npos);
    dir.Write("file", "x");
    EXPECT_FALSE(inst::PrepareRuntimeFolder(dir.File("file")));
    if (::geteuid() == 0) {
        std::filesystem::create_directory(dir.File("theirs"));
        ASSERT_EQ(::chown(dir.File("theirs").c_str(), 65534, 65534), 0);
        EXPECT_FALSE(inst::PrepareRuntimeFolder(dir.File("theirs"), &error));
        EXPECT_NE(error.find("another user"), std::string::npos);
    }
}

TEST(InstanceLock, OneHolderAtATimeAndPlainNamesOnly) {
    TempDir dir;
    const std::string run = RunFolder(dir);
    std::unique_ptr<Lock> first, second;
    ASSERT_EQ(Lock::TryAcquire(run, "sprallion", first), Lock::Result::Acquired);
    EXPECT_EQ(first->Path(), run + "/sprallion.lock");
    {  // the system's cleaner of temporary files cannot take the folder while the lock is held
        const int folder = ::open(run.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        EXPECT_NE(::flock(folder, LOCK_SH | LOCK_NB), 0);
        ::close(folder);
    }
    EXPECT_EQ(Lock::TryAcquire(run, "sprallion", second), Lock::Result::HeldElsewhere);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(Lock::TryAcquire(run, "other", second), Lock::Result::Acquired);
    first.reset();
    EXPECT_EQ(Lock::TryAcquire(run, "sprallion", first), Lock::Result::Acquired);
    for (const char* bad : {"", ".", "..", "a/b"}) EXPECT_EQ(Lock::TryAcquire(run, bad, second), Lock::Result::Failed) << bad;
    EXPECT_EQ(Lock::TryAcquire("", "sprallion", second), Lock::Result::Failed);
    EXPECT_EQ(Lock::TryAcquire(dir.File("missing"), "sprallion", second), Lock::Result::Failed);
}

TEST(InstanceLock, DiesWithAKilledHolder) {
    TempDir dir;
    const std::string run = RunFolder(dir);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = testproc::Fork([&] {
        std::unique_ptr<Lock> lock;
        if (Lock::TryAcquire(run, "sprallion", lock) != Lock::Result::Acquired) return 1;
        if (::write(ready[1], "x", 1) != 1) return 2;
        ::pause();
        return 0;
    });
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    std::unique_ptr<Lock> lock;
    EXPECT_EQ(Lock::TryAcquire(run, "sprallion", lock), Lock::Result::HeldElsewhere);
    ::kill(holder, SIGKILL);
    EXPECT_EQ(testproc::WaitExit(holder), -SIGKILL);
    EXPECT_EQ(Lock::TryAcquire(run, "sprallion", lock), Lock::Result::Acquired);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(InstanceLock, OfTwentySimultaneousStartsOneIsFirst) {
    TempDir dir;
    const std::string run = RunFolder(dir);
    int gate[2], release[2];
    ASSERT_EQ(::pipe(gate), 0);
    ASSERT_EQ(::pipe(release), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < 20; ++i)
        children.push_back(testproc::Fork([&] {
            ::close(gate[1]);
            ::close(release[1]);
            char byte;
            if (::read(gate[0], &byte, 1) != 0) return 3;  // all start when the gate closes
            std::unique_ptr<Lock> lock;
            switch (Lock::TryAcquire(run, "sprallion", lock)) {
                // The first holds on until every other one has ended, however slowly they run.
                case Lock::Result::Acquired: return ::read(release[0], &byte, 1) == 0 ? 0 : 4;
                case Lock::Result::HeldElsewhere: return 1;
                default: return 2;
            }
        }));
    ::close(gate[0]);
    ::close(gate[1]);
    ::close(release[0]);
    std::vector<int> codes;
    EXPECT_TRUE(testproc::CollectExits(children, codes, [&] { return codes.size() >= 19; }));
    ::close(release[1]);
    EXPECT_TRUE(testproc::CollectExits(children, codes, [&] { return children.empty(); }));
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0), 1);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 1), 19);
}

TEST(InstanceLock, ProgramsStartedThroughTheShellDoNotKeepIt) {
    TempDir dir;
    const std::string run = RunFolder(dir);
    // An opener that stays running long after the game let the lock go.
    std::filesystem::create_directory(dir.File("bin"));
    std::ofstream(dir.File("bin/xdg-open")) << "#!/bin/sh\ntouch '" << dir.File("started") << "'\nexec sleep 5\n";
    ::chmod(dir.File("bin/xdg-open").c_str(), 0755);
    ScopedEnv env("PATH", dir.File("bin") + ":" + std::getenv("PATH"));
    env.Unset("SPRALLION_SHELL");

    std::unique_ptr<Lock> lock;
    ASSERT_EQ(Lock::TryAcquire(run, "sprallion", lock), Lock::Result::Acquired);
    ASSERT_TRUE(platform::shell::ShellOpen("https://example.org/"));
    ASSERT_TRUE(testproc::WaitFor([&] { return std::filesystem::exists(dir.File("started")); }));
    lock.reset();
    EXPECT_EQ(Lock::TryAcquire(run, "sprallion", lock), Lock::Result::Acquired);
}
