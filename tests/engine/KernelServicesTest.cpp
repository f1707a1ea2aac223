// The kernel's services: keys and the focused edit, the cursor and the pointer, showing
// forms, the fonts of level sets and the music player.
#include "WidgetFixture.h"
#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/ObjectWriter.h"

#include "engine/gpLevel.h"
#include "engine/gpNation.h"
#include "engine/gpPaths.h"
#include "media/gpMidi.h"
#include "platform/display/Pointer.h"
#include "platform/midi/Sequencer.h"
#include "platform/text/Text.h"
#include "platform/text/TextSystem.h"
#include "rtl/StringList.h"
#include "tools/datagen/LevelSet.h"
#include "tools/datagen/MidiWriter.h"

#include <filesystem>
#include <fstream>

using namespace engine;
using enginetest::Props;

namespace {

class KernelServicesTest : public enginetest::WidgetFixture {
protected:
    KernelServicesTest() {
        Pictures({{"Menu", datagen::WidgetSheet(400, 300, 1, 1)}});
        menu = Make<TGPForm>(kernel.get(), {{"Name", "Menu"}, {"Paint", "Menu"}, {"PatternWidth", "400"},
                                            {"PatternHeight", "300"}, {"Visible", "False"}});
        menu->Left = 200, menu->Top = 100;
        edit = Make<TGPEdit>(menu, {{"Name", "Player"}, {"Enabled", "True"}});
        edit->Text.clear();
        edit->Focused = true;
        kernel->SetFocusControl(edit);
        platform::display::ClearPointerWarps();
        // The paddle's class, 64 by 17, as a loose description beside the program.
        datagen::UnitSlideDescription paddle{.patternWidth = 64, .patternHeight = 17, .baseRight = 64, .baseBottom = 17};
        datagen::WriteLooseDescription(dir.File("Resource/"), "Paddle", ".ss", datagen::UnitClassRecord(paddle));
    }
    ~KernelServicesTest() override { platform::display::ClearPointerWarps(); }
    uint16_t Key(uint16_t key, uint32_t shift = 0) {
        kernel->KeyDown(nullptr, key, shift);
        return key;
    }
    TGPForm* menu = nullptr;
    TGPEdit* edit = nullptr;
};

constexpr uint32_t kShift = 0x1, kAlt = 0x2, kCtrl = 0x4;

}  // namespace

// ---- Keys ----

TEST_F(KernelServicesTest, AFocusedEditTakesDigitsAndLettersUpperCaseOnlyForShiftAlone) {
    Key('A', kShift);
    Key('A');
    Key('A', kShift | kCtrl);
    Key('A', kShift | kAlt);
    Key('5', kShift);
    Key(0x100 | 'Q');  // the low byte counts
    Key(0xBD);         // no digit or letter: nothing
    Key(' ');
    EXPECT_EQ(edit->Text, "Aaaa5q");
    Key(8);
    EXPECT_EQ(edit->Text, "Aaaa5");
    edit->Text.clear();
    Key(8);  // nothing to delete
    EXPECT_EQ(edit->Text, "");
    Key(27);  // below 32 and no edit key: nothing
    EXPECT_TRUE(edit->Focused);
    Key(13);
    EXPECT_FALSE(edit->Focused);
    EXPECT_EQ(kernel->FocusControl, nullptr);
}

TEST_F(KernelServicesTest, AKeyTheShellConsumesReachesNeitherTheControlNorTheEdit) {
    std::vector<uint16_t> controlKeys;
    edit->OnGPKeyDown = [&](TObject* sender, uint16_t& key, uint32_t) {
        EXPECT_EQ(sender, edit);
        controlKeys.push_back(key);
        if (key == 'C') key = 266;
    };
    std::vector<uint16_t> shellKeys;
    kernel->OnGPKeyDown = [&](TObject*, uint16_t& key, uint32_t) {
        shellKeys.push_back(key);
        if (key == 'S') key = 266;
    };
    EXPECT_EQ(Key('S'), 266);
    EXPECT_EQ(Key('C'), 266);
    Key('E');
    EXPECT_EQ(shellKeys, (std::vector<uint16_t>{'S', 'C', 'E'}));
    EXPECT_EQ(controlKeys, (std::vector<uint16_t>{'C', 'E'}));
    EXPECT_EQ(edit->Text, "e");
    kernel->Condition = ck_Play;  // outside the interface only the shell hears keys
    Key('F');
    EXPECT_EQ(controlKeys.size(), 2u);
    EXPECT_EQ(shellKeys.size(), 4u);
    EXPECT_EQ(edit->Text, "e");
}

TEST_F(KernelServicesTest, TheFocusIsAControlOrNothing) {
    kernel->SetFocusControl(menu);  // a form is no control: ignored
    EXPECT_EQ(kernel->FocusControl, edit);
    auto* grid = Make<TGPCustomGrid>(menu, {});
    kernel->SetFocusControl(grid);
    EXPECT_EQ(kernel->FocusControl, grid);
    kernel->SetFocusControl(nullptr);
    EXPECT_EQ(kernel->FocusControl, nullptr);
}

// ---- Cursor and pointer ----

TEST_F(KernelServicesTest, TheMouseIsReadFromThePointerLessTheDisplaysPlace) {
    platform::display::ScriptPointer(130, 90);
    kernel->DXDrawLeft = 10, kernel->DXDrawTop = 20;
    kernel->ReadCursorPos();
    EXPECT_EQ(kernel->MouseX, 120);
    EXPECT_EQ(kernel->MouseY, 70);
    platform::display::ScriptPointer(100, 100);
    kernel->ReadCursorPos();
    EXPECT_EQ(kernel->OldMouseX, 120);
    EXPECT_EQ(kernel->MouseDX, -30);
    EXPECT_EQ(kernel->MouseDY, 10);
    EXPECT_EQ(kernel->WorldMouseX, 90);  // no map: the view is at 0
}

TEST_F(KernelServicesTest, ShowFormMovesTheCursorOntoTheFormOnlyFromOutsideWithItsEdgesInside) {
    MouseAt(600, 400);  // the bottom-right corner: inside
    kernel->ShowForm("Menu", nullptr);
    EXPECT_TRUE(platform::display::PointerWarps().empty());
    MouseAt(200, 100);  // the top-left corner
    kernel->ShowForm("Menu", nullptr);
    EXPECT_TRUE(platform::display::PointerWarps().empty());
    MouseAt(601, 250);
    kernel->ShowForm("Menu", nullptr);
    ASSERT_EQ(platform::display::PointerWarps().size(), 1u);
    EXPECT_EQ(platform::display::PointerWarps()[0], (platform::display::PointerPoint{400, 250}));
    EXPECT_EQ(kernel->ShowForm("NoSuchForm", nullptr), nullptr);
    // The warp moved the pointer the next read finds.
    kernel->ReadCursorPos();
    EXPECT_EQ(kernel->MouseX, 400);
}

TEST_F(KernelServicesTest, TheCursorGoesToTheCentreOfAGameObjectOrAWidgetOnScreen) {
    TGPNation* paddles = kernel->NationByKey(3);
    auto* paddle = static_cast<TGPObject*>(paddles->CreateObject(100, 400, 1));
    ASSERT_NE(paddle, nullptr);
    paddle->Width = 64, paddle->Height = 17;
    kernel->DXDrawLeft = 3;
    kernel->SetCursorToObject(paddle);
    kernel->SetCursorToObject(menu);
    auto* button = Make<TGPButton>(menu, {{"PatternWidth", "50"}, {"PatternHeight", "21"}, {"Left", "10"}, {"Top", "5"}});
    kernel->SetCursorToObject(button);
    kernel->SetCursorToObject(nullptr);
    const auto warps = platform::display::PointerWarps();
    ASSERT_EQ(warps.size(), 3u);
    EXPECT_EQ(warps[0], (platform::display::PointerPoint{100 + 3 + 32, 400 + 8}));
    EXPECT_EQ(warps[1], (platform::display::PointerPoint{200 + 200 + 3, 100 + 150}));
    EXPECT_EQ(warps[2], (platform::display::PointerPoint{210 + 25 + 3, 105 + 10}));
    EXPECT_TRUE(kernel->HasPlayerObject());
}

TEST_F(KernelServicesTest, WithMouseControlAndAPaddleTheCursorGoesOntoAFormShownAsAMenu) {
    MouseAt(600, 400);
    kernel->MouseControl = true;
    menu->ShowMain(nullptr);
    EXPECT_TRUE(platform::display::PointerWarps().empty());  // no player object
    TGPNation* paddles = kernel->NationByKey(3);
    paddles->CreateObject(100, 400, 1);
    menu->ShowMain(nullptr);
    EXPECT_EQ(platform::display::PointerWarps().size(), 1u);
}

// ---- Fonts ----

TEST_F(KernelServicesTest, FontsMergeLineByLineIgnoringCase) {
    rtl::StringList first;
    first.Add("Zeta:-zeta.ttf");
    first.Add("Alpha:-alpha.ttf");
    kernel->MergeFonts(first);
    rtl::StringList second;
    second.Add("ALPHA:-ALPHA.TTF");  // known: the list is not sorted, so a binary search misses it
    second.Add("Beta:-beta.ttf");
    kernel->MergeFonts(second);
    EXPECT_EQ(kernel->FontList->Text(), "Zeta:-zeta.ttf\r\nAlpha:-alpha.ttf\r\nBeta:-beta.ttf\r\n");
}

TEST_F(KernelServicesTest, ALevelSetHandsItsFontsToTheKernel) {
    datagen::LevelSet set = datagen::SampleLevelSet();
    set.descriptor.fonts = {"Digits:-Digits.ttf", "zeta:-zeta.ttf"};
    const std::string bytes = datagen::BuildLevelSet(set);
    rtl::MemoryStream in(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    TInterfaceHeader header = LevelSetHeader();
    auto stream = std::make_unique<TLevelStream>("set.ig", in, header);
    ASSERT_EQ(stream->Status(), 0);
    rtl::StringList known;
    known.Add("ZETA:-ZETA.TTF");
    kernel->MergeFonts(known);
    TLevelStream* taken = stream.get();
    kernel->SetLevelStream(std::move(stream));
    EXPECT_EQ(kernel->LevelStream.get(), taken);
    EXPECT_EQ(kernel->FontList->Text(), "ZETA:-ZETA.TTF\r\nDigits:-Digits.ttf\r\n");
    EXPECT_EQ(taken->Descriptor().FontList.Count(), 0);
    kernel->SetLevelStream(nullptr);  // nothing
    EXPECT_EQ(kernel->LevelStream.get(), taken);
}

TEST_F(KernelServicesTest, ReleasingTheFontsTwiceRemovesEachOnce) {
    std::filesystem::create_directories(dir.File("Resource/Fonts"));
    const std::string file = dir.File("Resource/Fonts/Level.ttf");
    std::filesystem::copy_file(platform::text::kDejaVuSans, file);
    ASSERT_EQ(platform::text::AddFontResource(file), 1);
    rtl::StringList fonts;
    fonts.Add("Level:-Level.ttf");
    fonts.Add("Sneaky:-..\\..\\Level.ttf");  // outside the fonts folder: left alone
    fonts.Add("Never:-Never.ttf");           // never added: removing it fails
    kernel->MergeFonts(fonts);
    kernel->ReleaseFonts();
    EXPECT_EQ((*kernel->FontList)[0], "Level:Level.ttf");
    EXPECT_EQ((*kernel->FontList)[1], "Sneaky:-..\\..\\Level.ttf");
    EXPECT_EQ((*kernel->FontList)[2], "Never:-Never.ttf");
    ASSERT_EQ(platform::text::AddFontResource(file), 1);  // added again by someone else
    kernel->ReleaseFonts();
    EXPECT_TRUE(platform::text::RemoveFontResource(file));  // the second release left it
    EXPECT_FALSE(platform::text::RemoveFontResource(file));
}

// ---- Music ----

namespace {
class KernelMusicTest : public KernelServicesTest {
protected:
    KernelMusicTest() {
        std::filesystem::create_directories(dir.File("Resource/MIDI"));
        std::ofstream out(dir.File("Resource/MIDI/Menu.mid"), std::ios::binary);
        const std::string bytes = datagen::WriteMidi(datagen::ScaleTune(1, 8, 120, false));
        out.write(bytes.data(), std::streamsize(bytes.size()));
    }
    void Open() {
        platform::midi::SequencerOptions options;
        options.clock = [this] { return clock.Now(); };
        kernel->CreateMidi(options, [this](int code) { notified.push_back(code); });
        kernel->Midi->SetEnabled(true);
        kernel->SetMidiAutoPlay(true);
    }
    std::vector<int> notified;
};
}  // namespace

TEST_F(KernelMusicTest, TheMidiFileOfAFormShownAsAMenuReachesTheSequencer) {
    Open();
    EXPECT_TRUE(kernel->SoundState->MidiReady);
    EXPECT_TRUE(kernel->SoundState->MidiAvailable);
    menu->MIDIFile = "Menu.mid";
    kernel->ShowForm("Menu", nullptr);
    Tick();
    platform::midi::Sequencer& sequencer = kernel->Midi->Sequencer();
    EXPECT_TRUE(sequencer.IsOpen());
    EXPECT_EQ(sequencer.GetMode(), platform::midi::Mode::Playing);
    EXPECT_TRUE(kernel->Midi->Loop);  // a form's music loops
    EXPECT_FALSE(kernel->PlayMidi("..\\Menu.mid", 1, 0));
    EXPECT_FALSE(kernel->PlayMidi("", 1, 0));
    kernel->SetMidiLoop(false);
    EXPECT_FALSE(kernel->Midi->Loop);
}

TEST_F(KernelMusicTest, OverTheGameThePlayerIsUpdatedWhateverPlayMidiAnsweredAsAMenuOnlyWhenItTookTheTune) {
    Open();
    menu->MIDIFile = "..\\Menu.mid";  // refused: PlayMidi answers false
    kernel->Midi->PlayTune(RealPath(ResourceFolders().Midi + "Menu.mid"), true, 0);  // queued, not started
    kernel->ShowForm("Menu", nullptr);
    Tick();
    EXPECT_FALSE(kernel->Midi->Sequencer().IsOpen());
    kernel->HideForm("Menu");
    Tick();
    kernel->ShowFormOverGame("Menu", nullptr);
    Tick();
    EXPECT_TRUE(kernel->Midi->Sequencer().IsOpen());
    EXPECT_EQ(kernel->Midi->Sequencer().GetMode(), platform::midi::Mode::Playing);
}

TEST_F(KernelMusicTest, WithoutAPlayerNothingPlaysAndAFailedCreationLeavesNoPlayer) {
    EXPECT_FALSE(kernel->PlayMidi("Menu.mid", 1, 0));
    kernel->UpdateMidi();
    kernel->SetMidiLoop(true);
    Open();
    ASSERT_NE(kernel->Midi, nullptr);
    auto failing = []() -> std::unique_ptr<platform::midi::Sequencer> { throw rtl::EInvalidOperation("no device"); };
    EXPECT_THROW(kernel->CreateMidi(failing, nullptr), rtl::EInvalidOperation);
    EXPECT_EQ(kernel->Midi, nullptr);
    EXPECT_FALSE(kernel->SoundState->MidiReady);
    EXPECT_FALSE(kernel->SoundState->MidiAvailable);
    EXPECT_FALSE(kernel->PlayMidi("Menu.mid", 1, 0));
}
