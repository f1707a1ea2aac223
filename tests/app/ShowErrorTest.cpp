#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/Scrambled.h"
#include "media/DXDrawsDisplay.h"
#include "media/GPTimer.h"
#include "platform/display/Display.h"
#include "tests/app/AppFixtures.h"

namespace {

using ShowErrorTest = apptest::AppTest;
namespace pw = platform::window;

TEST_F(ShowErrorTest, NumbersOutsideTheTableAndFailingFormatsSayError) {
    form_->ShowError(2, 19, "x");
    form_->ShowError(2, 0xFFFFFFFF, "x");
    EXPECT_EQ(Log(), "Class Error with message 'Message'.\r\nClass Error with message 'Message'.\r\n");
    EXPECT_TRUE(pw::RecordedMessageBoxes().empty());  // log only: no box, no termination
    EXPECT_FALSE(pw::TerminateRequested());
    EXPECT_EQ(app::FormatErrorText("Value %d", "text"), "Error");
    EXPECT_EQ(app::FormatErrorText("File %s is missing", "Demo2.bif"), "File Demo2.bif is missing");
}

TEST_F(ShowErrorTest, EveryNumberTheShellUsesHasItsOwnText) {
    ASSERT_EQ(app::ErrorTextCount(), 19u);
    for (uint32_t index : {0u, 2u, 3u, 4u, 6u, 7u, 8u, 10u}) {
        std::filesystem::remove(LogFile());
        form_->ShowError(2, index, "<ARG>");
        const std::string line = Log();
        EXPECT_EQ(line.find("Class Error with"), std::string::npos) << index;
        if (index == 0 || index == 2 || index == 3 || index == 4) {
            EXPECT_NE(line.find("<ARG>"), std::string::npos) << line;
        }
    }
}

TEST_F(ShowErrorTest, TheTextsAreKeptScrambledInTheProgram) {
    constexpr auto abc = app::Scramble("abc");
    EXPECT_EQ(abc.Stored(), std::string_view("\x87\xC3\x26", 3));
    EXPECT_EQ(abc.Plain(), "abc");
    EXPECT_EQ(app::Scramble("a").Plain(), "a");
    std::ifstream self("/proc/self/exe", std::ios::binary);
    const std::string program{std::istreambuf_iterator<char>(self), {}};
    ASSERT_GT(program.size(), 0u);
    // The texts looked for are spelt backwards here, so that this test does not hold them.
    for (std::string text : {"daer eb tonnac ro gnissim si", "vas.noillarpS"}) {
        std::reverse(text.begin(), text.end());
        EXPECT_EQ(program.find(text), std::string::npos) << text;
    }
}

TEST_F(ShowErrorTest, AFatalErrorShowsOneBoxLogsAndEndsTheGame) {
    GiveDevices(*form_);
    form_->Kernel->Timer->SetEnabled(true);
    form_->Presenter = std::make_unique<platform::display::HeadlessPresenter>();
    form_->DXDrawGP = std::make_unique<media::TDXDraw>(*form_->Presenter);
    form_->DXDrawGP->AutoInitialize = false;
    form_->DXDrawGP->SetParent(form_.get());
    form_->DXDrawGP->SetOptions(form_->DXDrawGP->Options() | media::doFullScreen);
    form_->DXDrawGP->Initialize();
    ASSERT_TRUE(form_->DXDrawGP->Initialized());

    form_->ShowError(-1, 0, "Demo2.bif");
    const auto shown = pw::RecordedMessageBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].Text.find("Demo2.bif"), std::string::npos);
    EXPECT_EQ(Log(), "Class " + shown[0].Text + " with message '" + shown[0].Caption + "'.\r\n");
    EXPECT_TRUE(pw::TerminateRequested());
    EXPECT_TRUE(form_->Kernel->Timer->Enabled());
    EXPECT_FALSE(form_->DXDrawGP->Initialized());
    EXPECT_EQ(form_->DXDrawGP->Options() & media::doFullScreen, 0);
    form_->Kernel->Timer->SetEnabled(false);
}

TEST_F(ShowErrorTest, AFatalErrorBeforeKernelAndDisplayExist) {
    form_->ShowError(-1, 6, "");
    EXPECT_EQ(pw::RecordedMessageBoxes().size(), 1u);
    EXPECT_TRUE(pw::TerminateRequested());
    EXPECT_NE(Log(), "");
}

}  // namespace
