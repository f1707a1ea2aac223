// The message box and the window messages: buttons and keys, kinds, pictures and layout from
// the game data, the connection check, a box opened while one shows, and the help file.
#include <gtest/gtest.h>

#include "app/SystemCursor.h"
#include "app/fmGPMessageBox.h"
#include "rtl/StringList.h"
#include "tests/app/DialogFixtures.h"

namespace {

using namespace apptest;

class MessageBoxTest : public DialogTest {
protected:
    MessageBoxTest() {
        data_.MessageBoxPictures();
        data_.Picture("MessageImage_3", datagen::PlainPicture(64, 48, 0x336699));
    }
    int32_t Box(int32_t buttons, int32_t image, int32_t kind, std::string_view text = "text") {
        if (!opened_) OpenData(data_), opened_ = true;
        return app::GPMessageBox(*form_, "Title", text, form_->Resource.get(), buttons, image, kind);
    }
    app::TDlg_GPMessage& Dialog() { return *form_->MessageDialog; }
    GameData data_;
    bool opened_ = false;
};

TEST_F(MessageBoxTest, ButtonsAndKeysGiveTheirResults) {
    // Buttons 0: Ok alone; Enter presses it.
    Then(10, [&] {
        EXPECT_TRUE(Dialog().DB_Ok.Enabled());
        EXPECT_FALSE(Dialog().DB_Cancel.Enabled());
        Key(vk::Return);
    });
    EXPECT_EQ(Box(0, -1, 1), 1);
    // Buttons odd: both; Cancel's click gives 2, Ok's 1.
    Then(10, [&] { ClickOn(Dialog().DB_Cancel); });
    EXPECT_EQ(Box(1, -1, 1), 2);
    Then(10, [&] { ClickOn(Dialog().DB_Ok); });
    EXPECT_EQ(Box(3, -1, 1), 1);
    // Tab moves to Cancel, and Enter presses the button with the focus.
    Then(10, [] {
        Key(vk::Tab);
        Key(vk::Return);
    });
    EXPECT_EQ(Box(1, -1, 1), 2);
    // Buttons -1: nothing to press; Enter does nothing, Esc still leaves with 2.
    bool stillShown = false;
    Then(10, [&] {
        EXPECT_FALSE(Dialog().DB_Ok.Enabled());
        EXPECT_FALSE(Dialog().DB_Cancel.Enabled());
        Key(vk::Return);
        ClickOn(Dialog().DB_Ok);
    });
    Then(10, [&] {
        stillShown = Dialog().Showing();
        Key(vk::Escape);
    });
    EXPECT_EQ(Box(-1, -1, 1), 2);
    EXPECT_TRUE(stillShown);
}

TEST_F(MessageBoxTest, TheBoxIsSkinnedAndHidesTheGamesPointerWhileItShows) {
    engine::TGPMouse& mouse = GiveMouse();
    bool mouseHidden = false, cursorShown = false;
    pw::DialogFrame frame;
    Then(10, [&] {
        mouseHidden = mouse.Hidden();
        cursorShown = app::SystemCursorVisible();
        frame = Dialog().Window().Frame();
        Key(vk::Escape);
    });
    Box(0, 3, 1);
    EXPECT_TRUE(mouseHidden);
    EXPECT_TRUE(cursorShown);
    EXPECT_FALSE(mouse.Hidden());
    EXPECT_FALSE(app::SystemCursorVisible());
    // The frame: the background's shape, the buttons' first frames, the picture.
    ASSERT_EQ(frame.Width, 433);
    ASSERT_EQ(frame.Height, 290);
    EXPECT_TRUE(Dialog().Window().Shape().Contains(216, 145));
    EXPECT_FALSE(Dialog().Window().Shape().Contains(1, 1));
    EXPECT_EQ(Dialog().DB_Ok.Width(), 96);
    EXPECT_EQ(Dialog().DB_Ok.Height(), 30);
    EXPECT_EQ(frame.At(Dialog().DB_Ok.Left() + 48, Dialog().DB_Ok.Top() + 15), datagen::ButtonFrameColor(0));
    EXPECT_EQ(frame.At(Dialog().DB_Cancel.Left() + 48, Dialog().DB_Cancel.Top() + 15), datagen::ButtonFrameColor(1))
        << "Cancel is disabled with buttons 0";
    const app::TImage& image = Dialog().MessageImage;
    EXPECT_EQ(image.Picture().Width, 64);
    EXPECT_EQ(frame.At(image.Left() + image.Width() / 2, image.Top() + image.Height() / 2), 0x336699u);
    // The title's text is drawn: its band holds other colours than the background's.
    const app::TLabel& title = Dialog().MessageTitle;
    const pw::DialogFrame plain = [&] {
        pw::DialogFrame f;
        app::TBitmap32 background = app::TBitmap32::FromDIB(*Dialog().Bitmap);
        f.Width = background.Width, f.Height = background.Height, f.Pixels = background.Pixels;
        return f;
    }();
    int inked = 0;
    for (int y = title.Top(); y < title.Top() + title.Height(); ++y)
        for (int x = title.Left(); x < title.Left() + title.Width(); ++x) inked += frame.At(x, y) != plain.At(x, y);
    EXPECT_GT(inked, 20);
    // No picture for -1, and none for a number without one.
    Then(10, [] { Key(vk::Escape); });
    Box(0, -1, 1);
    EXPECT_TRUE(Dialog().MessageImage.Picture().Empty());
    Then(10, [] { Key(vk::Escape); });
    Box(0, 3, 1);
    Then(10, [] { Key(vk::Escape); });
    Box(0, 4, 1);
    EXPECT_TRUE(Dialog().MessageImage.Picture().Empty()) << "the previous message's picture does not stay";
}

TEST_F(MessageBoxTest, WithoutItsBackgroundTheBoxShowsNothingAndAnswers0) {
    engine::TGPMouse& mouse = GiveMouse();
    mouse.Hide();
    OpenData(GameData{});
    opened_ = true;
    EXPECT_EQ(Box(0, -1, 1), 0);
    EXPECT_FALSE(Dialog().HasWindow());
    EXPECT_FALSE(mouse.Hidden()) << "the game's pointer is shown again";
    EXPECT_FALSE(app::SystemCursorVisible());
    form_->Resource.reset();
    EXPECT_EQ(Box(0, -1, 1), 0);
}

TEST_F(MessageBoxTest, Kind13EndsTheProgramAfterTheBoxAndKind15IsTheAbout) {
    Then(10, [&] {
        EXPECT_FALSE(pw::TerminateRequested());
        Key(vk::Return);
    });
    EXPECT_EQ(Box(0, -1, 13), 1);
    EXPECT_TRUE(pw::TerminateRequested());
    pw::ClearTerminateRequest();

    bool centred = false, link = false;
    Then(10, [&] {
        centred = Dialog().MessageText.Alignment == app::TAlignment::taCenter;
        link = Dialog().QuorvexUrlLabel.Visible();
        ClickOn(Dialog().QuorvexUrlLabel);
    });
    Then(10, [] { Key(vk::Escape); });
    Box(0, -1, 15);
    EXPECT_TRUE(centred);
    EXPECT_TRUE(link);
    EXPECT_EQ(Opened(), std::string("http://") + app::kMakerWebSite + "\n");
    Then(10, [&] {
        centred = Dialog().MessageText.Alignment == app::TAlignment::taCenter;
        link = Dialog().QuorvexUrlLabel.Visible();
        Key(vk::Escape);
    });
    Box(0, -1, 2);
    EXPECT_FALSE(centred);
    EXPECT_FALSE(link);
}

TEST_F(MessageBoxTest, Kind37AsksTheInternetObjectWhetherTheConnectionWorks) {
    FakeInternet& internet = GiveInternet();
    EXPECT_EQ(Box(-1, -1, 37), 1);
    EXPECT_EQ(internet.Checks, 1);
    internet.Connected = false;
    EXPECT_EQ(Box(-1, -1, 37), 2);
    // Cancel pressed while the question waits: the late answer does not turn it into Ok.
    internet.Connected = true;
    internet.WhileChecking = [&] { Key(vk::Escape); };
    EXPECT_EQ(Box(1, -1, 37), 2);
    EXPECT_EQ(internet.Checks, 3);
    // Without an internet object the answer is no.
    form_->InternetGame.reset();
    EXPECT_EQ(Box(-1, -1, 37), 2);
}

TEST_F(MessageBoxTest, TheLayoutRecordPlacesTheTaggedComponents) {
    datagen::MsgPosRecord layout{};
    for (int i = 0; i < 13; ++i) layout[size_t(i)] = {10 + i, 20 + i, 30 + i, 40 + i};
    layout[1] = {5, 6, -7, -8};  // negative sizes become 0
    data_.Entry("Cfg", "MsgPos", datagen::MsgPosBytes(layout));
    Then(10, [] { Key(vk::Escape); });
    Box(1, -1, 1);
    const app::TDlg_GPMessage& d = Dialog();
    EXPECT_EQ(d.MessageTitle.BoundsRect(), (rtl::TRect{10, 20, 40, 60}));
    EXPECT_EQ(d.MessageText.BoundsRect(), (rtl::TRect{5, 6, 5, 6}));
    EXPECT_EQ(d.MessageImage.BoundsRect(), (rtl::TRect{12, 22, 44, 64}));
    EXPECT_EQ(d.DB_Ok.BoundsRect(), (rtl::TRect{13, 23, 46, 66}));
    EXPECT_EQ(d.DB_Cancel.BoundsRect(), (rtl::TRect{14, 24, 48, 68}));
    EXPECT_EQ(d.QuorvexUrlLabel.Left(), 128) << "hidden: not placed";
}

TEST_F(MessageBoxTest, AShortLayoutRecordIsIgnoredWhole) {
    datagen::MsgPosRecord layout{};
    for (auto& e : layout) e = {1, 2, 3, 4};
    data_.Entry("Cfg", "MsgPos", datagen::MsgPosBytes(layout).substr(0, 207));
    Then(10, [] { Key(vk::Escape); });
    Box(1, -1, 1);
    EXPECT_EQ(Dialog().MessageTitle.Left(), 40);
    EXPECT_EQ(Dialog().DB_Ok.Top(), 236);
}

TEST_F(MessageBoxTest, ABoxOpenedWhileOneShowsIsASecondOne) {
    uint32_t first = 0, second = 0;
    int32_t inner = -1;
    Then(10, [&] {
        first = pw::MainPump().ModalWindow();
        // A tick asks for a message while the box shows.
        pw::After(10, [&] {
            second = pw::MainPump().ModalWindow();
            Key(vk::Return);
        });
        inner = Box(0, -1, 1, "inner");
        EXPECT_EQ(Dialog().MessageText.Caption(), "outer") << "the shown box keeps its text";
    });
    Then(30, [] { Key(vk::Escape); });
    EXPECT_EQ(Box(1, -1, 1, "outer"), 2);
    EXPECT_EQ(inner, 1);
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(pw::MainPump().ModalWindow(), 0u);
}

class WindowMessageTest : public MessageBoxTest {
protected:
    WindowMessageTest() {
        data_.Text("Message_19_419", "Offered: %s")
            .Text("Title_Message_19_419", "Updates")
            .Text("Message_19_409", "wrong language")
            .Text("Message_5_419", "%d items")
            .Text("Message_10_419", "Leave the game?")
            .Picture("MessageImage_7", datagen::PlainPicture(20, 20, 0x00FF00));
        OpenData(data_);
        opened_ = true;
        form_->LanguageCode = "419";
        form_->VersionInfo.ProductVersion = "1.1.0";
        form_->VersionInfo.LegalCopyright = "(c) Quorvex";
    }
    // Shows a message and answers what the box showed: title, text, picture width, kind.
    std::tuple<std::string, std::string, int32_t, int32_t> Shown(int32_t n, int32_t kind,
                                                                std::initializer_list<rtl::FormatArg> args) {
        std::tuple<std::string, std::string, int32_t, int32_t> seen;
        Then(10, [&] {
            seen = {Dialog().MessageTitle.Caption(), Dialog().MessageText.Caption(), Dialog().MessageImage.Picture().Width,
                    Dialog().Kind};
            Key(vk::Return);
        });
        EXPECT_EQ(form_->ShowWindowMessage(n, kind, std::span<const rtl::FormatArg>(args.begin(), args.size()), 0), 1);
        return seen;
    }
};

TEST_F(WindowMessageTest, TextsAndTitlesComeInTheGamesLanguageAndTheKindPicksThePicture) {
    const auto [title, text, picture, kind] = Shown(19, 7, {"A, B"});
    EXPECT_EQ(title, "Updates");
    EXPECT_EQ(text, "Offered: A, B");
    EXPECT_EQ(picture, 20) << "the window message's kind is the picture's number";
    EXPECT_EQ(kind, 19) << "and its number the box's kind";
    const auto [title5, text5, picture5, kind5] = Shown(5, 1, {"not a number"});
    EXPECT_EQ(title5, "Message") << "no title entry";
    EXPECT_EQ(text5, "%d items") << "a failing format shows as it stands";
    EXPECT_EQ(picture5, 0);
}

TEST_F(WindowMessageTest, Message15IsTheAboutLines) {
    rtl::StringList lines;
    form_->FillAboutLines(lines);
    EXPECT_EQ(lines.Text(), "Sprallion\r\n\r\nVersion 1.1.0\r\n\r\n(c) Quorvex\r\n\r\n\r\n");
    const auto [title, text, picture, kind] = Shown(15, 0, {});
    EXPECT_EQ(text, lines.Text());
    EXPECT_EQ(kind, 15);
}

TEST_F(WindowMessageTest, CloseAsksFirst) {
    Then(10, [] { Key(vk::Escape); });
    form_->Close1Click();
    EXPECT_FALSE(form_->Destroyed());
    EXPECT_FALSE(pw::TerminateRequested());
    Then(10, [&] {
        EXPECT_EQ(Dialog().MessageText.Caption(), "Leave the game?");
        Key(vk::Return);
    });
    form_->Close1Click();
    EXPECT_TRUE(form_->Destroyed());
    EXPECT_TRUE(pw::TerminateRequested());
}

TEST_F(WindowMessageTest, AnUpdateCheckWithoutAnAnswerSaysSoAndAsksNothingMore) {
    FakeInternet& internet = GiveInternet();
    internet.Connected = false;
    form_->InternetAvailable = true;
    form_->CurrentVersion = "1.1";
    form_->AutoUpDate = 1;
    int32_t shown = 0;
    Then(500, [&] {  // the connection check's box closed itself meanwhile
        shown = Dialog().Kind;
        Key(vk::Return);
    });
    form_->CheckForUpdate();  // asking for the updates would fail: the fake has none
    EXPECT_EQ(internet.Checks, 1);
    EXPECT_EQ(shown, 35);
}

TEST_F(WindowMessageTest, TheHelpPageElseTheHelpTextEachFailureLogged) {
    std::filesystem::create_directories(dir_.File("game/Help"));
    dir_.Write("game/index.HTM", "<html></html>");  // found whatever its letter case
    dir_.Write("game/Help/Sprallion_419.TXT", "help");
    form_->OpenHelpFile();
    EXPECT_EQ(Opened(), dir_.File("game/index.HTM") + "\n");
    EXPECT_EQ(Log(), "");

    std::filesystem::remove(dir_.File("game/index.HTM"));
    form_->OpenHelpFile();
    EXPECT_EQ(Opened(), dir_.File("game/index.HTM") + "\n" + dir_.File("game/Help/Sprallion_419.TXT") + "\n");
    EXPECT_NE(Log().find("<Help page> The system cannot find the file specified."), std::string::npos) << Log();

    std::filesystem::remove(LogFile());
    std::filesystem::remove(dir_.File("game/Help/Sprallion_419.TXT"));
    form_->OpenHelpFile();
    const std::string log = Log();
    EXPECT_NE(log.find("<Help page>"), std::string::npos);
    EXPECT_NE(log.find("<Help text>"), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

}  // namespace
