// In-game messages in the kernel's "MessageBox" panel: texts, titles and pictures from the game
// data, the handlers of its buttons, the medal and rank announcements, and the way back.
#include <gtest/gtest.h>

#include "engine/gpInterface.h"
#include "engine/gpInterfaceControls.h"
#include "engine/gpInterfaceImage.h"
#include "tests/app/DialogFixtures.h"

namespace {

using namespace apptest;

class InGameMessageTest : public DialogTest {
protected:
    InGameMessageTest() {
        data_.Text("Message_3_419", "%s: %s").Text("Title_Message_3_419", "First level");
        data_.Text("Message_7_419", "Medal: %s").Text("Title_Message_7_419", "A medal");
        data_.Text("Medal_2_419", "Crafty paddle").Text("Rank_4_419", "Sergeant");
        data_.Text("Message_15_419", "about");
        GiveDevices(*form_);
    }
    // The panel as the interface description builds it, over the form "Pause".
    void BuildPanel() {
        pause_ = Widget<engine::TGPForm>(form_->Kernel.get(), "Pause");
        panel_ = Widget<engine::TGPForm>(form_->Kernel.get(), "MessageBox");
        text_ = Widget<engine::TGPLabel>(panel_, "Ed_Text");
        title_ = Widget<engine::TGPLabel>(panel_, "Ed_Title");
        image_ = Widget<engine::TGPImage>(panel_, "Image_Message");
        ok_ = Widget<engine::TGPButton>(panel_, "Ok_Message");
        cancel_ = Widget<engine::TGPButton>(panel_, "Cancel_Message");
        cancel_->Visible = false;
        panel_->Visible = pause_->Visible = false;
    }
    // "Pause" shown over the game, the focused form.
    void ShowPause() {
        form_->Kernel->ShowFormOverGame("Pause", 0);
        EndOfTick();
        ASSERT_TRUE(pause_->Visible);
    }
    template <class W> W* Widget(rtl::Object* owner, const std::string& name) {
        W* w = engine::CreateWidget<W>(owner, 200);
        rtl::SetPropValue(*w, *rtl::GetPropInfo(*w, "Name"), rtl::PropValue{name});
        return w;
    }
    void Open() { OpenData(data_); }
    // The commands the tick queued, carried out.
    void EndOfTick() { form_->Kernel->RunCommands(); }

    GameData data_;
    engine::TGPForm *pause_ = nullptr, *panel_ = nullptr;
    engine::TGPLabel *text_ = nullptr, *title_ = nullptr;
    engine::TGPImage* image_ = nullptr;
    engine::TGPButton *ok_ = nullptr, *cancel_ = nullptr;
};

TEST_F(InGameMessageTest, AMessageFillsThePanelShowsAtTheEndOfTheTickAndGoesBackToThePanelBefore) {
    Open();
    BuildPanel();
    ShowPause();
    const rtl::FormatArg args[] = {"Demo", "Level 1"};
    form_->ShowMessageBox(3, 3, args, nullptr, nullptr, 1);
    EXPECT_EQ(text_->Text, "Demo: Level 1");
    EXPECT_EQ(text_->Alignment, engine::gaLeftJustify);
    EXPECT_EQ(title_->Text, "First level");
    EXPECT_EQ(image_->GetPaint(), "MessageImage_3");
    EXPECT_TRUE(cancel_->Visible);
    EXPECT_FALSE(panel_->Visible) << "shown only at the end of the tick";
    EndOfTick();
    EXPECT_TRUE(panel_->Visible);
    EXPECT_EQ(panel_->ParentForm, pause_);

    // Without handlers both buttons lead back to the panel the box was shown over.
    ASSERT_TRUE(ok_->OnGPMouseDown);
    ok_->OnGPMouseDown(ok_);
    EndOfTick();
    EXPECT_FALSE(panel_->Visible);
    EXPECT_TRUE(pause_->Visible);
    EXPECT_EQ(form_->Kernel->FocusForm, pause_);
}

TEST_F(InGameMessageTest, TheButtonsCallTheirHandlersAndAMissingTextOrPanelAnswersAtOnce) {
    Open();
    BuildPanel();
    int oks = 0, cancels = 0;
    auto ok = [&](rtl::Object*) { ++oks; };
    auto cancel = [&](rtl::Object*) { ++cancels; };
    const rtl::FormatArg args[] = {"Demo", "Level 1"};
    form_->ShowMessageBox(3, 3, args, cancel, ok, 0);
    EXPECT_EQ(oks + cancels, 0);
    cancel_->OnGPMouseDown(cancel_);
    ok_->OnGPMouseDown(ok_);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(oks, 1);

    // No text for message 2 (game over): the Ok handler runs at once, so the game still ends.
    form_->ShowMessageBox(2, 0, {}, cancel, ok, 0);
    EXPECT_EQ(oks, 2);
    // Out of range: likewise; without an Ok handler the Cancel one.
    form_->ShowMessageBox(48, 0, {}, cancel, nullptr, 0);
    EXPECT_EQ(cancels, 2);
    // A format that does not fit its arguments shows as it stands.
    form_->ShowMessageBox(3, 3, {}, cancel, ok, 0);
    EXPECT_EQ(text_->Text, "%s: %s");
}

TEST_F(InGameMessageTest, WithoutThePanelTheOkHandlerRunsAtOnce) {
    Open();
    int oks = 0;
    form_->ShowMessageBox(3, 3, {}, nullptr, [&](rtl::Object*) { ++oks; }, 0);
    EXPECT_EQ(oks, 1);
    form_->ShowMessageBox(3, 3, {}, nullptr, nullptr, 0);  // nothing to call: nothing happens
}

TEST_F(InGameMessageTest, TheAboutLinesAreCentred) {
    form_->VersionInfo.ProductVersion = "1.1.0";
    Open();
    BuildPanel();
    form_->ShowMessageBox(15, 1, {}, nullptr, nullptr, 0);
    EXPECT_NE(text_->Text.find("Version 1.1.0"), std::string::npos);
    EXPECT_EQ(text_->Alignment, engine::gaCenter);
}

TEST_F(InGameMessageTest, MedalsAndRanksShowTheirNamesAndPicturesWithOkAlone) {
    Open();
    BuildPanel();
    form_->ShowMedalMessage(2);
    EXPECT_EQ(text_->Text, "Medal: Crafty paddle");
    EXPECT_EQ(title_->Text, "A medal");
    EXPECT_EQ(image_->GetPaint(), "Crafty_paddle");
    EndOfTick();
    EXPECT_TRUE(panel_->Visible);
    EXPECT_TRUE(ok_->Visible);
    EXPECT_FALSE(cancel_->Visible) << "the panel's show hid it no more";
    ok_->OnGPMouseDown(ok_);
    EndOfTick();
    EXPECT_FALSE(panel_->Visible);

    // Rank 4 has a name but message 8 no text: the name alone.
    form_->ShowRankMessage(4);
    EXPECT_EQ(text_->Text, "Sergeant");
    EXPECT_EQ(image_->GetPaint(), "sergeant");
}

TEST_F(InGameMessageTest, MedalsAndRanksOutsideTheirRangesOrWithoutANameShowNothing) {
    data_.Text("Message_8_419", "Rank!");  // a format without a placeholder shows unchanged
    data_.Text("Rank_19_419", "Generalissimo");
    Open();
    BuildPanel();
    text_->Text = "before";
    form_->ShowMedalMessage(0);
    form_->ShowMedalMessage(11);
    form_->ShowRankMessage(20);
    form_->ShowMedalMessage(3);  // no name for medal 3
    EXPECT_EQ(text_->Text, "before");
    EndOfTick();
    EXPECT_FALSE(panel_->Visible);
    EXPECT_NE(Log().find("Medal=0"), std::string::npos);
    EXPECT_NE(Log().find("Rank=20"), std::string::npos);
    form_->ShowRankMessage(19);
    EXPECT_EQ(text_->Text, "Rank!");
    EXPECT_EQ(image_->GetPaint(), "generalissimo");
}

TEST_F(InGameMessageTest, ReturningWithNoPanelRememberedReopensNothing) {
    Open();
    BuildPanel();
    form_->ShowMessageBox(3, 3, {}, nullptr, nullptr, 0);
    EndOfTick();
    form_->ReturnFromMessageBox();
    EndOfTick();
    EXPECT_FALSE(panel_->Visible);
    EXPECT_FALSE(pause_->Visible);
}

}  // namespace
