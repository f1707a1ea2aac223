#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>


#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/window/Application.h"
#include "rtl/Exceptions.h"
#include "tests/app/AppFixtures.h"

namespace {

using apptest::AppTest;
using LogTest = AppTest;

TEST_F(LogTest, LinesHaveTheExactFormat) {
    form_->WriteLog("----------------- BEGIN SESSION: ", "07.03.2024 09:05:03");
    try {
        throw rtl::EReadError("Stream read error");
    } catch (...) {
        form_->WriteLogException("LoadConfig");
    }
    try {
        throw std::runtime_error("plain");
    } catch (...) {
        form_->WriteLogException("Other");
    }
    form_->WriteLog("two\r\nlines", "and\nmore");
    EXPECT_EQ(Log(),
              "Class ----------------- BEGIN SESSION:  with message '07.03.2024 09:05:03'.\r\n"
              "Class LoadConfig with message 'EReadError:Stream read error'.\r\n"
              "Class Other with message 'std::runtime_error:plain'.\r\n"
              "Class two  lines with message 'and more'.\r\n");
}

TEST_F(LogTest, StartsAnewOnceItHasPassedOneMebibyte) {
    // 1,048,575 bytes: appended, and again at the next write.
    dir_.Write("game/Exception.Log", std::string((1 << 20) - 1, 'a'));
    form_->WriteLog("first", "");
    EXPECT_EQ(form_->LogSize, (1 << 20) - 1);
    const auto firstLine = std::filesystem::file_size(LogFile());
    form_->WriteLog("second", "");
    EXPECT_GT(std::filesystem::file_size(LogFile()), firstLine);

    // Exactly 1,048,576 bytes: appended once (the size is learned then), recreated next time.
    form_->LogSize = 0;
    dir_.Write("game/Exception.Log", std::string(1 << 20, 'a'));
    form_->WriteLog("third", "");
    EXPECT_EQ(form_->LogSize, 1 << 20);
    EXPECT_EQ(std::filesystem::file_size(LogFile()), (1u << 20) + std::string("Class third with message ''.\r\n").size());
    form_->WriteLog("fourth", "x");
    EXPECT_EQ(Log(), "Class fourth with message 'x'.\r\n");
    EXPECT_EQ(form_->LogSize, 0);
}

TEST_F(LogTest, AFailedWriteTurnsLoggingOffQuietly) {
    // A full disk: the open works, the write fails.
    dir_.Write("game/Exception.Log", "x");
    const pid_t child = testproc::Fork([this] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit full{1, 1};
        ::setrlimit(RLIMIT_FSIZE, &full);
        form_->WriteLog("lost", "");
        if (form_->LoggingEnabled) return 1;
        std::filesystem::remove(LogFile());
        form_->WriteLog("not retried", "");
        return std::filesystem::exists(LogFile()) ? 2 : 0;
    });
    EXPECT_EQ(testproc::WaitExit(child), 0);

    // A folder in the log's place: the open fails.
    auto other = NewForm();
    std::filesystem::create_directory(LogFile());
    EXPECT_NO_THROW(other->WriteLog("lost", ""));
    EXPECT_FALSE(other->LoggingEnabled);
}

TEST_F(LogTest, ALinkOrAFifoInTheLogsPlaceIsNeitherWrittenThroughNorWaitedFor) {
    // A link to a file of the user's, even when the log is due to start anew: the file stays.
    dir_.Write("precious", std::string(1000, 'p'));
    std::filesystem::create_symlink(dir_.File("precious"), LogFile());
    form_->LogSize = 1 << 20;
    form_->WriteLog("lost", "");
    EXPECT_EQ(dir_.Read("precious"), std::string(1000, 'p'));
    EXPECT_FALSE(form_->LoggingEnabled);
    // A FIFO: the open does not wait for a reader.
    std::filesystem::remove(LogFile());
    ASSERT_EQ(::mkfifo(LogFile().c_str(), 0600), 0);
    auto other = NewForm();
    const pid_t child = testproc::Fork([&other] {
        other->WriteLog("lost", "");
        return other->LoggingEnabled ? 1 : 0;
    });
    EXPECT_EQ(testproc::WaitExit(child, std::chrono::seconds(20)), 0);
}

TEST_F(LogTest, TwoCopiesDueToStartTheLogAnewKeepEachOthersLines) {
    // Both saw the log past 1 MiB at their previous write; the first to write starts it anew.
    dir_.Write("game/Exception.Log", std::string((1 << 20) + 10, 'a'));
    auto other = NewForm();
    form_->LogSize = other->LogSize = 1 << 20;
    form_->WriteLog("first", "");
    other->WriteLog("second", "");
    EXPECT_EQ(Log(), "Class first with message ''.\r\nClass second with message ''.\r\n");
    EXPECT_EQ(other->LogSize, static_cast<int64_t>(std::string("Class first with message ''.\r\n").size()));
}

TEST_F(LogTest, TwoProcessesLeaveWholeLines) {
    auto writer = [this](char mark) {
        return testproc::Fork([this, mark] {
            for (int i = 0; i < 1000; ++i) form_->WriteLog(std::string(40, mark), std::to_string(i));
            return form_->LoggingEnabled ? 0 : 1;
        });
    };
    const pid_t a = writer('a'), b = writer('b');
    EXPECT_EQ(testproc::WaitExit(a), 0);
    EXPECT_EQ(testproc::WaitExit(b), 0);
    std::istringstream lines(Log());
    std::string line;
    int count = 0;
    while (std::getline(lines, line, '\n')) {
        ++count;
        ASSERT_TRUE(line.rfind("Class aaaa", 0) == 0 || line.rfind("Class bbbb", 0) == 0) << line;
        ASSERT_EQ(line.substr(line.size() - 3), "'.\r") << line;
    }
    EXPECT_EQ(count, 2000);
}

TEST_F(LogTest, EscapedExceptionsAreLoggedNotShown) {
    form_->InstallExceptionHandler();
    platform::window::App().HandleException(std::make_exception_ptr(rtl::EListError("List index out of bounds (3)")));
    form_->OnApplicationException(nullptr, nullptr);
    EXPECT_EQ(Log(), "Class EListError with message 'Losing Message List index out of bounds (3).'.\r\n");
    EXPECT_TRUE(platform::window::RecordedMessageBoxes().empty());
}

}  // namespace
