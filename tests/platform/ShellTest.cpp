// Opening documents and URLs: the recorder, files that do not exist, and openers and
// programs that cannot be started.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/shell/Shell.h"
#include "tests/TempDir.h"
#include "tests/platform/ProcessHelpers.h"

namespace shell = platform::shell;

namespace {

// A folder of programs that stands for PATH: the test decides what exists.
struct FakePath {
    TempDir dir;
    testproc::ScopedEnv env;
    FakePath() {
        std::filesystem::create_directory(dir.File("bin"));
        env.Set("PATH", dir.File("bin"));
        env.Unset("SPRALLION_SHELL");
    }
    // A program that writes its argument to "<name>.ran" (whole, by a rename).
    void Add(const std::string& name) {
        const std::string path = dir.File("bin/" + name), ran = dir.File(name + ".ran");
        std::ofstream(path) << "#!/bin/sh\necho \"$1\" > '" << ran << ".part' && /bin/mv '" << ran << ".part' '" << ran << "'\n";
        ::chmod(path.c_str(), 0755);
    }
    std::string Ran(const std::string& name) {
        testproc::WaitFor([&] { return std::filesystem::exists(dir.File(name + ".ran")); });
        return dir.Read(name + ".ran");
    }
};

TEST(ShellTest, TheRecorderKeepsEveryTargetThatCanBeOpened) {
    TempDir dir;
    dir.Write("page.html", "<html></html>");
    testproc::ScopedEnv env("SPRALLION_SHELL", "record:" + dir.File("opened"));
    EXPECT_TRUE(shell::ShellOpen("http://example.invalid/a?b=c"));
    EXPECT_TRUE(shell::ShellOpen(dir.File("page.html")));
    EXPECT_TRUE(shell::ShellOpen("mailto:x?subject=y"));
    EXPECT_EQ(shell::ShellExecuteProgram("x-www-browser", "http://a/"), shell::kShellStarted);
    // Nothing to open, and files that are not there, fail before anything is recorded.
    EXPECT_EQ(shell::ShellExecute(""), shell::SE_ERR_FNF);
    EXPECT_EQ(shell::ShellExecute(dir.File("missing.htm")), shell::SE_ERR_FNF);
    EXPECT_EQ(shell::ShellExecute("file://" + dir.File("missing.htm")), shell::SE_ERR_FNF);
    EXPECT_EQ(shell::ShellExecute("relative/missing.txt"), shell::SE_ERR_FNF);
    EXPECT_EQ(dir.Read("opened"), "http://example.invalid/a?b=c\n" + dir.File("page.html") +
                                      "\nmailto:x?subject=y\nx-www-browser http://a/\n");
}

TEST(ShellTest, AnOpenerThatCannotStartIsAFailureNotASuccess) {
    FakePath path;  // no xdg-open on the path
    const int result = shell::ShellExecute("http://example.invalid/");
    EXPECT_EQ(result, shell::SE_ERR_NOASSOC);
    EXPECT_NE(shell::ShellErrorText(result).find("No application"), std::string::npos);
    EXPECT_EQ(shell::ShellExecuteProgram("no-such-browser", "http://example.invalid/"), shell::SE_ERR_FNF);
    // A program file that may not be run.
    std::ofstream(path.dir.File("bin/locked")) << "#!/bin/sh\n";
    EXPECT_EQ(shell::ShellExecuteProgram("locked", "x"), shell::SE_ERR_ACCESSDENIED);
}

TEST(ShellTest, AnOpenerThatStartsGetsTheTarget) {
    FakePath path;
    path.Add("xdg-open");
    path.Add("x-www-browser");
    EXPECT_EQ(shell::ShellExecute("http://example.invalid/page"), shell::kShellStarted);
    EXPECT_EQ(path.Ran("xdg-open"), "http://example.invalid/page\n");
    EXPECT_EQ(shell::ShellExecuteProgram("x-www-browser", "http://b/"), shell::kShellStarted);
    EXPECT_EQ(path.Ran("x-www-browser"), "http://b/\n");
}

TEST(ShellTest, ErrorsHaveTheSystemsTexts) {
    EXPECT_EQ(shell::ShellErrorText(shell::SE_ERR_FNF), "The system cannot find the file specified.");
    EXPECT_EQ(shell::ShellErrorText(shell::SE_ERR_ACCESSDENIED), "Access is denied.");
    EXPECT_EQ(shell::ShellErrorText(7), "Unknown error.");
}

}  // namespace
