// Files of our own: only regular files open (nothing waits for a FIFO's writer), reads stay
// within their bound, and a replacement keeps the file's mode, owner and links, never leaves
// half a file, and is tidied or finished at the next start.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "rtl/Streams.h"
#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

namespace {

namespace fs = std::filesystem;

size_t EntriesIn(const std::string& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
    return n;
}

pid_t DeadProcess() {
    const pid_t pid = testproc::Fork([] { return 0; });
    testproc::WaitExit(pid);
    return pid;
}

TEST(Files, OnlyRegularFilesOpenAndNothingWaitsForAWriter) {
    TempDir dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Each of these waited for a writer or a reader that never comes.
    const pid_t child = testproc::Fork([&] {
        for (uint16_t mode : {rtl::fmOpenRead, rtl::fmOpenReadWrite, rtl::fmCreate}) {
            try {
                rtl::FileStream stream(fifo, mode);
                return 1;
            } catch (const rtl::EStreamError&) {
            }
        }
        return rtl::OpenRegularFile(fifo, O_WRONLY) == -1 && errno == ENXIO ? 0 : 2;
    });
    EXPECT_EQ(testproc::WaitExit(child, std::chrono::seconds(20)), 0);
    EXPECT_EQ(rtl::OpenRegularFile("/dev/zero", O_RDONLY), -1);
    EXPECT_EQ(rtl::FileErrorText(errno), "not a regular file");
    EXPECT_THROW(rtl::FileStream(dir.File(""), rtl::fmOpenRead), rtl::EFOpenError);

    dir.Write("ten", "0123456789");
    std::string bytes;
    bool cut = false;
    ASSERT_TRUE(rtl::ReadRegularFile(dir.File("ten"), bytes, 4, cut));
    EXPECT_EQ(bytes, "0123");
    EXPECT_TRUE(cut);
    ASSERT_TRUE(rtl::ReadRegularFile(dir.File("ten"), bytes, 10, cut));
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_FALSE(cut);
    EXPECT_FALSE(rtl::ReadRegularFile("/dev/zero", bytes, 4, cut));
}

TEST(FileReplacement, KeepsModeOwnerAndEveryLink) {
    TempDir dir;
    fs::create_directories(dir.File("data"));
    // Through a symbolic link: the file it leads to gets the new bytes, the link stays.
    dir.Write("data/real.bin", "old");
    ::chmod(dir.File("data/real.bin").c_str(), 0600);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(dir.File("data/real.bin").c_str(), 4321, 8765), 0);
    }
    fs::create_symlink("data/real.bin", dir.File("link.bin"));
    rtl::WriteFileAtomically(dir.File("link.bin"), "newer", 5);
    EXPECT_TRUE(fs::is_symlink(dir.File("link.bin")));
    EXPECT_EQ(dir.Read("data/real.bin"), "newer");
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("data/real.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    if (root) {
        EXPECT_EQ(std::pair(st.st_uid, st.st_gid), std::pair(uid_t{4321}, gid_t{8765}));
    }

    // With a second hard link: both names keep seeing one file.
    dir.Write("solo.bin", "old");
    ::chmod(dir.File("solo.bin").c_str(), 0640);
    fs::create_hard_link(dir.File("solo.bin"), dir.File("twin.bin"));
    rtl::WriteFileAtomically(dir.File("solo.bin"), "fresh", 5);
    EXPECT_EQ(dir.Read("twin.bin"), "fresh");
    ASSERT_EQ(::stat(dir.File("solo.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 2u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // A new file gets the mode asked for; nothing else is left beside them.
    rtl::WriteFileAtomically(dir.File("new.bin"), "n", 1, 0600);
    ASSERT_EQ(::stat(dir.File("new.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(EntriesIn(dir.File("")), 5u);
    EXPECT_EQ(EntriesIn(dir.File("data")), 1u);
}

TEST(FileReplacement, AFailureKeepsTheOldFileAndTheNextStartFinishesOrTidies) {
    TempDir dir;
    const std::string file = dir.File("store.bin");
    const std::string old(3000, 'o'), fresh(5000, 'n');
    dir.Write("store.bin", old);
    for (const char* step : {"write", "flush", "rename"}) {
        rtl::SetAtomicWriteFault([step](std::string_view s) { return s == step; });
        try {
            rtl::WriteFileAtomically(file, fresh.data(), fresh.size());
            ADD_FAILURE() << step;
        } catch (const rtl::EWriteError& e) {
            const std::string reason = std::string_view(step) == "write" ? std::strerror(ENOSPC) : ": ";
            EXPECT_NE(e.message().find(reason), std::string::npos) << e.message();
        }
        EXPECT_EQ(dir.Read("store.bin"), old) << step;
        EXPECT_EQ(EntriesIn(dir.File("")), 1u) << step;
    }

    // A rewrite in place (a hard-linked file) cut half-way by a crash is finished from its
    // journal at the next start.
    fs::create_hard_link(file, dir.File("twin.bin"));
    rtl::SetAtomicWriteFault([](std::string_view s) { return s == "copy"; });
    EXPECT_THROW(rtl::WriteFileAtomically(file, fresh.data(), fresh.size()), rtl::EWriteError);
    rtl::SetAtomicWriteFault(nullptr);
    EXPECT_NE(dir.Read("store.bin"), fresh);
    // Temporary files of copies that ended go too; a running copy's and another file's stay.
    const std::string dead = "store.bin.~" + std::to_string(DeadProcess()) + ".AbC123";
    const std::string running = "store.bin.~" + std::to_string(::getpid()) + ".1";
    const std::string other = "other.bin.~" + std::to_string(DeadProcess()) + ".1";
    for (const std::string& name : {dead, running, other}) dir.Write(name, "x");
    const std::vector<std::string> done = rtl::RecoverReplacement(file);
    EXPECT_EQ(done, (std::vector<std::string>{"finished the interrupted rewrite of " + file,
                                              "removed the stale temporary file " + dir.File(dead)}));
    EXPECT_EQ(dir.Read("store.bin"), fresh);
    EXPECT_EQ(dir.Read("twin.bin"), fresh);
    EXPECT_FALSE(fs::exists(dir.File(dead)));
    EXPECT_TRUE(fs::exists(dir.File(running)) && fs::exists(dir.File(other)));
    EXPECT_TRUE(rtl::RecoverReplacement(file).empty());
}

}  // namespace
