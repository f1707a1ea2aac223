// The options dialog: the game data files of the resource folder with their previews, the
// internet options, the window's stored outline, and what Ok and Cancel do to the options.
#include <gtest/gtest.h>

#include <unistd.h>

#include "app/fmDrawOption.h"
#include "app/fmGPMessageBox.h"
#include "tests/app/DialogFixtures.h"

namespace {

using namespace apptest;

constexpr uint32_t kPreviewColor = 0x40C080;

class OptionDialogTest : public DialogTest {
protected:
    OptionDialogTest() {
        // The dialog's outline as stored: a box with a notch, not the background's ellipse.
        region_ = {{0, 10, 535, 447}, {100, 0, 435, 10}};
        data_.Picture("Pal_Option_Win", datagen::EllipseBackground(535, 447), datagen::RegionBytes(region_))
            .Picture("Win_Option_Ok", datagen::ButtonSheet(96, 30))
            .Picture("Win_Option_Cancel", datagen::ButtonSheet(96, 30))
            .Text("OptionBox_Title_419", "Options")
            .Text("CB_AutoCheck_419", "Use the internet")
            .Text("CB_Top_419", "Hall of fame")
            .Text("CB_UpData_419", "Look for updates")
            .Text("L_Internet_419", "Internet")
            .Text("L_ListBif_419", "Game data")
            .Text("Message_18_419", "The new game data is used from the next start.");
        data_.MessageBoxPictures();
        // The other files of the resource folder.
        GameData other;
        other.Picture("PreViewBif", datagen::PlainPicture(160, 120, kPreviewColor));
        datagen::WriteContainer(dir_.File("game/Resource/Other.bif"), other.sections);
        GameData plain;
        plain.Text("Something", "else");
        datagen::WriteContainer(dir_.File("game/Resource/NoPreview.bif"), plain.sections);
        dir_.Write("game/Resource/Broken.bif", "not a container");
        std::ofstream(form_->SaveContainerFile()) << "saved games";
        dir_.Write("game/Resource/readme.txt", "text");
        form_->Bif = "Demo2.bif";
    }
    void Open() { OpenData(data_); }
    static app::TGlg_DrawOption& Dialog() { return *dynamic_cast<app::TGlg_DrawOption*>(app::ActiveForm()); }
    // The preview's middle pixel as the dialog shows it.
    static uint32_t Preview() {
        const app::TImage& image = Dialog().ImageBif;
        pw::DialogFrame frame;
        Dialog().PaintTo(frame);
        return frame.At(image.Left() + image.Width() / 2, image.Top() + image.Height() / 2);
    }
    // Files of the resource folder this process holds open.
    static int OpenFilesNamed(const std::string& name) {
        int count = 0;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code ec;
            const auto target = std::filesystem::read_symlink(fd.path(), ec);
            count += !ec && target.filename() == name;
        }
        return count;
    }
    void Choose(const std::string& name) {
        app::TListBox& list = Dialog().ListBoxBif;
        const int row = list.Items.IndexOf(name);
        ASSERT_GE(row, 0) << name;
        list.SetTopIndex(row);
        Click(list.Left() + 20, list.Top() + 2 + (row - list.TopIndex()) * list.ItemHeight() + list.ItemHeight() / 2);
    }

    GameData data_;
    std::vector<datagen::RegionRectangle> region_;
};

TEST_F(OptionDialogTest, TheListHoldsTheGameDataFilesWithTheirPreviews) {
    Open();
    std::vector<std::string> items;
    uint32_t inUse = 0, other = 0, none = 0, broken = 0;
    int held = -1;
    Then(10, [&] {
        for (int i = 0; i < Dialog().ListBoxBif.Items.Count(); ++i) items.push_back(Dialog().ListBoxBif.Items[i]);
        EXPECT_EQ(Dialog().ListBoxBif.ItemIndex(), Dialog().ListBoxBif.Items.IndexOf("Demo2.bif"));
        inUse = Preview();
        Choose("Other.bif");
    });
    Then(10, [&] {
        EXPECT_EQ(Dialog().BifFile, "Other.bif");
        other = Preview();
        held = OpenFilesNamed("Other.bif");
        Choose("NoPreview.bif");
    });
    Then(10, [&] {
        none = Preview();
        Choose("Broken.bif");
    });
    Then(10, [&] {
        broken = Preview();
        Key(vk::Escape);
    });
    EXPECT_EQ(app::ShowDrawOptionDialog(*form_), 0);
    EXPECT_EQ(items, (std::vector<std::string>{"Broken.bif", "Demo2.bif", "NoPreview.bif", "Other.bif"}))
        << "the saved games and other files are not game data";
    EXPECT_EQ(inUse, 0xFFFFFFu) << "the data in use has no preview: blank";
    EXPECT_EQ(other, kPreviewColor);
    EXPECT_EQ(held, 0) << "the file is closed once its preview is read";
    EXPECT_EQ(none, 0xFFFFFFu);
    EXPECT_EQ(broken, 0xFFFFFFu);
    EXPECT_EQ(form_->Bif, "Demo2.bif") << "Cancel changes nothing";
}

TEST_F(OptionDialogTest, TheStoredOutlineShapesTheWindowAndTheTextsAreTheGamesLanguage) {
    Open();
    Then(10, [&] {
        app::TGlg_DrawOption& d = Dialog();
        EXPECT_EQ(d.Window().Shape(), pw::Region::FromRects(std::vector<pw::RegionRect>{{0, 10, 535, 447}, {100, 0, 435, 10}}));
        EXPECT_EQ(d.ClientWidth(), 535);
        EXPECT_EQ(d.L_AutoCheck.Caption(), "Use the internet");
        EXPECT_EQ(d.L_ListBif.Caption(), "Game data");
        EXPECT_EQ(d.MessageTitle.Caption(), "Options");
        EXPECT_FALSE(d.MessageTitle.Visible());
        EXPECT_EQ(d.L_Top.Font.Height, -11);
        EXPECT_EQ(d.DB_Ok.Width(), 96);
        Key(vk::Escape);
    });
    app::ShowDrawOptionDialog(*form_);
    EXPECT_EQ(Log(), "");
}

TEST_F(OptionDialogTest, DamagedOutlineDataFallsBackToTheBackgroundsShape) {
    data_.sections.clear();
    data_.Picture("Pal_Option_Win", datagen::EllipseBackground(535, 447), datagen::RegionBytes(region_, {.count = 900}));
    Open();
    Then(10, [&] {
        EXPECT_FALSE(Dialog().Window().Shape().Contains(1, 1));
        EXPECT_TRUE(Dialog().Window().Shape().Contains(267, 223));
        EXPECT_FALSE(Dialog().Window().Shape().Contains(100, 5)) << "the ellipse, not the stored box";
        Key(vk::Escape);
    });
    app::ShowDrawOptionDialog(*form_);
    EXPECT_NE(Log().find("Class ShowDrawOptionDialog with message 'Pal_Option_Win: Region data"), std::string::npos) << Log();
}

TEST_F(OptionDialogTest, WithoutItsBackgroundNothingIsShown) {
    data_.sections.clear();
    Open();
    EXPECT_EQ(app::ShowDrawOptionDialog(*form_), 0);
    EXPECT_EQ(pw::MainPump().ModalWindow(), 0u);
}

TEST_F(OptionDialogTest, TheInternetOptionsApplyOnlyWhileTheCheckIsOn) {
    Open();
    form_->CheckInternet = 0;
    form_->InsertTopList = 1;
    form_->AutoUpDate = 0;
    Then(10, [&] {
        app::TGlg_DrawOption& d = Dialog();
        EXPECT_FALSE(d.CB_AutoCheck.Checked());
        EXPECT_TRUE(d.CB_Top.Checked());
        EXPECT_FALSE(d.CB_Top.Enabled());
        EXPECT_FALSE(d.CB_UpData.Enabled());
        ClickOn(d.CB_Top);  // disabled: nothing
        ClickOn(d.CB_AutoCheck);
    });
    Then(10, [&] {
        app::TGlg_DrawOption& d = Dialog();
        EXPECT_TRUE(d.CB_AutoCheck.Checked());
        EXPECT_TRUE(d.CB_Top.Enabled());
        EXPECT_TRUE(d.CB_UpData.Enabled());
        EXPECT_TRUE(d.CB_Top.Checked());
        ClickOn(d.CB_UpData);
        ClickOn(d.DB_Ok);
    });
    app::ShowDrawOptionDialog(*form_);
    EXPECT_EQ(form_->CheckInternet, 1);
    EXPECT_EQ(form_->InsertTopList, 1);
    EXPECT_EQ(form_->AutoUpDate, 1);
    EXPECT_EQ(form_->Bif, "Demo2.bif");
}

TEST_F(OptionDialogTest, AnotherGameDataFileIsAnnouncedTheSameOneInAnyCaseIsNot) {
    Open();
    // The same file named in another letter case: no message, the choice stands as it was.
    form_->Bif = "DEMO2.BIF";
    uint32_t optionsWindow = 0, afterOk = 0;
    Then(10, [&] {
        optionsWindow = pw::MainPump().ModalWindow();
        Choose("Demo2.bif");
    });
    Then(10, [&] { ClickOn(Dialog().DB_Ok); });
    Then(10, [&] { afterOk = pw::MainPump().ModalWindow(); });
    app::ShowDrawOptionDialog(*form_);
    EXPECT_EQ(afterOk, 0u) << "no message 18";
    EXPECT_EQ(form_->Bif, "DEMO2.BIF");

    std::string message;
    Then(10, [&] { Choose("Other.bif"); });
    Then(10, [&] { ClickOn(Dialog().DB_Ok); });
    Then(10, [&] {
        afterOk = pw::MainPump().ModalWindow();
        message = form_->MessageDialog ? form_->MessageDialog->MessageText.Caption() : "";
        Key(vk::Return);
    });
    app::ShowDrawOptionDialog(*form_);
    EXPECT_NE(afterOk, 0u);
    EXPECT_NE(afterOk, optionsWindow);
    EXPECT_EQ(message, "The new game data is used from the next start.");
    EXPECT_EQ(form_->Bif, "Other.bif");
}

TEST_F(OptionDialogTest, TheListTakesKeysTheWheelAndItsScrollBar) {
    for (int i = 0; i < 20; ++i) {
        GameData extra;
        extra.Text("x", "y");
        datagen::WriteContainer(dir_.File("game/Resource/Set" + std::to_string(10 + i) + ".bif"), extra.sections);
    }
    Open();
    Then(10, [&] {
        app::TListBox& list = Dialog().ListBoxBif;
        EXPECT_EQ(list.Items.Count(), 24);
        EXPECT_TRUE(Dialog().ListBoxBif.Focused()) << "the first control that takes the focus";
        Key(vk::Home);
    });
    Then(10, [&] {
        EXPECT_EQ(Dialog().BifFile, "Broken.bif");
        Key(vk::Down);
        Key(vk::Down);
    });
    Then(10, [&] {
        EXPECT_EQ(Dialog().BifFile, "NoPreview.bif");
        Key(vk::End);
    });
    Then(10, [&] {
        app::TListBox& list = Dialog().ListBoxBif;
        EXPECT_EQ(Dialog().BifFile, "Set29.bif");
        EXPECT_EQ(list.TopIndex(), 24 - list.VisibleRows()) << "the selection scrolled into view";
        Post(pw::EventType::MouseWheel, 0, 2);  // two steps up: six rows
    });
    Then(10, [&] {
        app::TListBox& list = Dialog().ListBoxBif;
        EXPECT_EQ(list.TopIndex(), 24 - list.VisibleRows() - 6);
        // The scroll bar's upper arrow, then the track below the thumb (a page down).
        Click(list.Left() + list.Width() - 10, list.Top() + 8);
    });
    Then(10, [&] {
        app::TListBox& list = Dialog().ListBoxBif;
        const int top = list.TopIndex();
        EXPECT_EQ(top, 24 - list.VisibleRows() - 7);
        Click(list.Left() + list.Width() - 10, list.Top() + 22);  // above the thumb: a page up
    });
    Then(10, [&] {
        app::TListBox& list = Dialog().ListBoxBif;
        EXPECT_EQ(list.TopIndex(), std::max(0, 24 - 2 * list.VisibleRows() - 7));
        EXPECT_EQ(Dialog().BifFile, "Set29.bif") << "scrolling selects nothing";
        Key(vk::Tab);
    });
    Then(10, [&] {
        EXPECT_TRUE(Dialog().CB_AutoCheck.Focused());
        Key(vk::Space);
    });
    Then(10, [&] {
        EXPECT_TRUE(Dialog().CB_AutoCheck.Checked());
        Key(vk::Tab, pw::kShiftKey);
    });
    Then(10, [&] {
        EXPECT_TRUE(Dialog().ListBoxBif.Focused());
        Key(vk::Return);  // the default button
    });
    Then(10, [] { Key(vk::Return); });  // the announcement of the new game data
    app::ShowDrawOptionDialog(*form_);
    EXPECT_EQ(form_->CheckInternet, 1);
    EXPECT_EQ(form_->Bif, "Set29.bif");
}

}  // namespace
