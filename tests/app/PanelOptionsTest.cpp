// The options panel: volumes between the devices and the track bars, and editing the first
// key of the six movement and action states in the key grid.
#include <gtest/gtest.h>

#include "media/DXSounds.h"
#include "media/gpMidi.h"
#include "tests/app/PanelFixtures.h"

namespace {

using engine::TGPButton;
using engine::TGPCheckBox;
using engine::TGPCustomGrid;
using engine::TGPEdit;
using engine::TGPTrackBar;

class OptionPanelTest : public apptest::PanelTest {
protected:
    OptionPanelTest() {
        panel = Form("OptionPanel");
        grid = Child<TGPCustomGrid>(panel, "CG_KeyAssigns");
        grid->ColCount = 1;
        grid->RowCount = 6;
        grid->NameEdit = "Ed_KeyAssign";
        editor = Child<TGPEdit>(panel, "Ed_KeyAssign");
        start = Child<TGPButton>(panel, "TB_Start_Option");
        wav = Child<TGPCheckBox>(panel, "CB_cWav");
        midi = Child<TGPCheckBox>(panel, "CB_cMIDI");
        wavValue = Child<TGPTrackBar>(panel, "TB_WavValue");
        midiValue = Child<TGPTrackBar>(panel, "TB_MIDIValue");
        for (TGPTrackBar* bar : {wavValue, midiValue}) {
            bar->Min = 0;
            bar->Max = 100;
        }
        midi_->SetEnabled(true);
    }

    // A press on row `row` of the grid opens its editor, as the player's click does.
    void EditRow(int32_t row) {
        grid->HoverCol = 0;
        grid->HoverRow = row;
        grid->LastPress.Reset();
        mouse_->Pressed = true;
        grid->Move(0, {}, nullptr);
        mouse_->Pressed = false;
        ASSERT_TRUE(editor->Focused);
    }
    uint16_t Press(uint16_t key) {
        form_->On_Link_KeyDown_SetKey(grid, key, 0);
        return key;
    }
    uint32_t FirstKey(int state) const { return form_->Input->Keyboard().KeyAssigns[size_t(state)][0]; }

    engine::TGPForm* panel;
    TGPCustomGrid* grid;
    TGPEdit* editor;
    TGPButton* start;
    TGPCheckBox *wav, *midi;
    TGPTrackBar *wavValue, *midiValue;
};

TEST_F(OptionPanelTest, TrackBarsAndVolumesConvertBothWays) {
    wavValue->Value = 50;
    form_->On_Link_OptionPanel_Wav_Value(wavValue);
    EXPECT_EQ(waves_->GetVolume(), -1000);

    waves_->SetVolume(-200);
    midi_->SetVolume(26106);
    form_->On_Link_OptionPanel_Show(panel);
    EXPECT_EQ(wavValue->Value, 90);
    EXPECT_EQ(midiValue->Value, 40);
    EXPECT_TRUE(wav->Checked);
    EXPECT_TRUE(midi->Checked);

    midiValue->Value = 40;
    form_->On_Link_OptionPanel_MIDI_Value(midiValue);
    EXPECT_EQ(midi_->GetVolume(), 26214u);
}

TEST_F(OptionPanelTest, WaveBoxMutesBothSoundCommandsAndTheBarFollows) {
    form_->On_Link_OptionPanel_Show(panel);
    wav->Checked = false;
    form_->On_Link_cWav_cMIDI_Button(wav);
    EXPECT_EQ(form_->Kernel->CommandLine->SuppressMask & 0x60, 0x60);
    EXPECT_FALSE(wavValue->Enabled);
    wav->Checked = true;
    form_->On_Link_cWav_cMIDI_Button(wav);
    EXPECT_EQ(form_->Kernel->CommandLine->SuppressMask & 0x60, 0);
    EXPECT_TRUE(wavValue->Enabled);
}

TEST_F(OptionPanelTest, WithoutSoundOrMusicTheirControlsAreDisabled) {
    form_->Kernel->SoundState->WaveAvailable = false;
    form_->Kernel->SoundState->MidiAvailable = false;
    form_->On_Link_OptionPanel_Show(panel);
    EXPECT_FALSE(wav->Enabled);
    EXPECT_FALSE(wavValue->Enabled);
    EXPECT_FALSE(midi->Enabled);
    EXPECT_FALSE(midiValue->Enabled);
}

TEST_F(OptionPanelTest, AFreeKeyIsAssignedAndKeptAfterOk) {
    form_->On_Link_OptionPanel_Show(panel);
    EXPECT_EQ(grid->GetCell(0, 0), "Up");
    EditRow(0);
    EXPECT_EQ(Press('W'), 266);
    EXPECT_EQ(grid->GetCell(0, 0), "W");
    EXPECT_FALSE(editor->Focused);
    EXPECT_TRUE(start->Enabled);

    form_->On_Link_OptionPanel_Ok(start);
    EXPECT_EQ(FirstKey(0), 87u);
    EXPECT_EQ(form_->KeyAssigns[0][0], 87u);
    EXPECT_EQ(FirstKey(1), 40u);  // the other states are left alone
}

TEST_F(OptionPanelTest, TakenUnassignableAndUnnamedKeysLeaveTheEditorOpen) {
    form_->On_Link_OptionPanel_Show(panel);
    EditRow(0);
    EXPECT_EQ(Press(37), 266);  // Left: held by state 2
    EXPECT_TRUE(editor->Focused);
    EXPECT_EQ(editor->Text, "?");
    EXPECT_EQ(grid->GetCell(0, 0), "Up");

    EXPECT_EQ(Press(9), 9);  // Tab stays with the kernel
    EXPECT_EQ(Press(0xE8), 0xE8);  // a key without a name could not be read back
    EXPECT_TRUE(editor->Focused);
    EXPECT_EQ(grid->GetCell(0, 0), "Up");
}

TEST_F(OptionPanelTest, EscRestoresTheNameAndDoesNotAlsoCloseThePanel) {
    form_->On_Link_OptionPanel_Show(panel);
    EditRow(3);
    form_->Input->States.set(14);
    EXPECT_EQ(Press(27), 266);
    EXPECT_FALSE(editor->Focused);
    EXPECT_EQ(grid->GetCell(0, 3), "Right");
    EXPECT_FALSE(form_->Input->States.test(14));
    EXPECT_TRUE(start->Enabled);
}

TEST_F(OptionPanelTest, ACellThatNamesNoKeyKeepsTheOldKey) {
    form_->On_Link_OptionPanel_Show(panel);
    grid->SetCell(0, 2, "");
    grid->SetCell(0, 4, "NoSuchKey");
    form_->On_Link_OptionPanel_Hide(panel);
    EXPECT_EQ(FirstKey(2), 37u);
    EXPECT_EQ(FirstKey(4), 32u);
}

TEST_F(OptionPanelTest, ResetRestoresEveryState) {
    form_->On_Link_OptionPanel_Show(panel);
    EditRow(0);
    Press('W');
    form_->Input->Keyboard().KeyAssigns[20][1] = 'Q';
    form_->On_Link_OptionPanel_Hide(panel);
    form_->On_Link_OptionPanel_Reset(start);
    const char* names[] = {"Up", "Down", "Left", "Right", "Space", "Shift"};
    for (int row = 0; row < 6; ++row) EXPECT_EQ(grid->GetCell(0, row), names[row]);
    media::TKeyAssignList defaults;
    app::TDlg_Sprallion::SetDefaultKeyAssignments(defaults);
    EXPECT_EQ(form_->Input->Keyboard().KeyAssigns, defaults);
}

TEST_F(OptionPanelTest, EnterOnThePanelIsOk) {
    form_->On_Link_OptionPanel_Show(panel);
    grid->SetCell(0, 5, "Z");
    engine::TDXInputStates keys;
    keys.set(16);
    keys.set(4);
    form_->On_Link_Option_DXKey_Ok(start, keys);  // not Enter alone
    EXPECT_EQ(FirstKey(5), 16u);
    keys.reset(4);
    form_->On_Link_Option_DXKey_Ok(start, keys);
    EXPECT_TRUE(keys.none());
    EXPECT_EQ(FirstKey(5), uint32_t('Z'));
}

TEST_F(OptionPanelTest, HandlersAreBoundByName) {
    for (const char* name : {"On_Link_OptionPanel_Show", "On_Link_KeyDown_SetKey", "On_Link_Option_DXKey_Ok",
                             "On_Link_Save_Games", "On_Link_Load_Create", "On_Link_Save_Create"})
        EXPECT_NE(form_->ClassInfo().FindMethod(name), nullptr) << name;
    EXPECT_TRUE(engine::BindEvent(*form_, *grid, "On_Link_KeyDown_SetKey", "OnGPKeyDown"));
    EXPECT_TRUE(engine::BindEvent(*form_, *start, "On_Link_Option_DXKey_Ok", "OnDXKeyDown"));
}

}  // namespace
