// The widgets end to end, headless: a kernel on a display component, an interface built as
// the interface reader builds it (classes by name, properties from name/value strings,
// events bound by name to the main form's published handlers), a virtual clock, a scripted
// pointer and keys. Everything is read back from the presented frames.
#include "WidgetFixture.h"

#include "engine/gpPaths.h"
#include "media/gpMidi.h"
#include "platform/display/Pointer.h"
#include "platform/midi/Sequencer.h"
#include "tools/datagen/MidiWriter.h"

#include <filesystem>
#include <fstream>

using namespace engine;
using enginetest::Props;
using enginetest::To565;

namespace {

// The program's main form: the handlers the interface names.
class WidgetShell : public rtl::Object {
    RTL_CLASS(WidgetShell, rtl::Object)
public:
    void On_Link_Main_Enter(TObject* sender) { log.push_back("enter " + Name(sender)); }
    void On_Link_Main_Exit(TObject* sender) { log.push_back("exit " + Name(sender)); }
    void On_Link_Main_Sound(TObject*) { ++sounds; }
    void On_Link_Main_Volume(TObject*) { ++volumes; }
    void On_Link_Main_Options(TObject* sender) {
        if (!kernel->FindChild("Options")->Visible) kernel->ShowFormOverGame("Options", sender);
    }
    void On_Link_Options_Close(TObject*) { kernel->HideForm("Options"); }
    void On_Link_Main_GridKey(TObject*, uint16_t& key, uint32_t) { gridKeys.push_back(key); }
    void On_Link_Main_Key(TObject*, uint16_t&, uint32_t) { log.push_back("key handler"); }

    static void DescribeClass(rtl::ClassBuilder<WidgetShell>& c) {
        c.Method("On_Link_Main_Enter", &WidgetShell::On_Link_Main_Enter)
            .Method("On_Link_Main_Exit", &WidgetShell::On_Link_Main_Exit)
            .Method("On_Link_Main_Sound", &WidgetShell::On_Link_Main_Sound)
            .Method("On_Link_Main_Volume", &WidgetShell::On_Link_Main_Volume)
            .Method("On_Link_Main_Options", &WidgetShell::On_Link_Main_Options)
            .Method("On_Link_Options_Close", &WidgetShell::On_Link_Options_Close)
            .Method("On_Link_Main_GridKey", &WidgetShell::On_Link_Main_GridKey)
            .Method("On_Link_Main_Key", &WidgetShell::On_Link_Main_Key);
    }
    static std::string Name(TObject* o) {
        auto* s = dynamic_cast<TGPStructure*>(o);
        return s ? s->Name : "?";
    }

    TGPKernel* kernel = nullptr;
    std::vector<std::string> log;
    std::vector<uint16_t> gridKeys;
    int sounds = 0, volumes = 0;
};

// One widget record of an interface description: its class, its pairs and its children.
struct Record {
    std::string cls;
    Props props;
    std::vector<Record> children;
};

constexpr uint32_t kBack = 0x303030, kOptions = 0x505050;
constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000;  // TColor

class WidgetEndToEndTest : public enginetest::WidgetFixture {
protected:
    WidgetEndToEndTest() {
        Pictures({{"MainPic", datagen::SolidPicture(500, 400, kBack)},
                  {"OptionsPic", datagen::SolidPicture(200, 100, kOptions)},
                  {"Button", datagen::WidgetSheet(100, 30, 1, 4)},
                  {"Check", datagen::WidgetSheet(20, 20, 1, 5)},
                  {"Track", datagen::WidgetSheet(20, 20, 12, 1)}});
        std::filesystem::create_directories(dir.File("Resource/MIDI"));
        std::ofstream midi(dir.File("Resource/MIDI/Options.mid"), std::ios::binary);
        const std::string tune = datagen::WriteMidi(datagen::ScaleTune(0, 16, 120, false));
        midi.write(tune.data(), std::streamsize(tune.size()));
        midi.close();
        platform::midi::SequencerOptions options;
        options.clock = [this] { return clock.Now(); };
        kernel->CreateMidi(options, nullptr);
        kernel->Midi->SetEnabled(true);
        kernel->SetMidiAutoPlay(true);
        shell.kernel = kernel.get();

        const Props control{{"Enabled", "True"}};
        auto with = [&](Props props) {
            props.insert(props.end(), control.begin(), control.end());
            return props;
        };
        const std::vector<Record> description{
            {"TGPForm",
             {{"Name", "Main"}, {"Paint", "MainPic"}, {"PatternWidth", "500"}, {"PatternHeight", "400"},
              {"Alignment", "gaCenter"}, {"Condition", "ck_MainInterface"}, {"Visible", "False"},
              {"OnGPEnter", "On_Link_Main_Enter"}, {"OnGPExit", "On_Link_Main_Exit"}},
             {{"TGPButton",
               with({{"Name", "Ok"}, {"Paint", "Button"}, {"PatternWidth", "100"}, {"PatternHeight", "30"},
                     {"Left", "20"}, {"Top", "20"}, {"OnGPEnter", "On_Link_Main_Enter"},
                     {"OnGPExit", "On_Link_Main_Exit"}, {"OnGPMouseDown", "On_Link_Main_Options"},
                     {"OnGPClick", "On_Link_Main_Key"}}),  // a key handler: refused
               {}},
              {"TGPCheckBox",
               with({{"Name", "CB_cWav"}, {"Paint", "Check"}, {"PatternWidth", "20"}, {"PatternHeight", "20"},
                     {"Left", "20"}, {"Top", "70"}, {"OnGPClick", "On_Link_Main_Sound"}}),
               {}},
              {"TGPTrackBar",
               with({{"Name", "Volume"}, {"Paint", "Track"}, {"PatternWidth", "20"}, {"PatternHeight", "20"},
                     {"Left", "20"}, {"Top", "110"}, {"Width", "200"}, {"Height", "20"}, {"Min", "0"},
                     {"Max", "10"}, {"Value", "5"}, {"OnGPClick", "On_Link_Main_Volume"}}),
               {}},
              {"TGPEdit",
               with({{"Name", "Player"}, {"Left", "20"}, {"Top", "260"}, {"PatternWidth", "200"},
                     {"PatternHeight", "40"}, {"FontName", "Arial"}, {"FontSize", "20"},
                     {"FontColorFront", std::to_string(kRed)}, {"FontColorBackground", std::to_string(kBlue)}}),
               {}},
              {"TGPCustomGrid",
               with({{"Name", "Scores"}, {"Left", "300"}, {"Top", "20"}, {"PatternWidth", "60"},
                     {"PatternHeight", "20"}, {"ColCount", "2"}, {"RowCount", "2"}, {"NameEdit", "Cell"},
                     {"FontName", "Arial"}, {"FontSize", "12"}, {"OnGPKeyDown", "On_Link_Main_GridKey"}}),
               {}},
              {"TGPEdit", with({{"Name", "Cell"}, {"PatternWidth", "60"}, {"PatternHeight", "20"}}), {}}}},
            {"TGPForm",
             {{"Name", "Options"}, {"Paint", "OptionsPic"}, {"PatternWidth", "200"}, {"PatternHeight", "100"},
              {"Condition", "ck_Interface"}, {"MIDIFile", "Options.mid"}, {"Visible", "False"},
              {"OnGPHide", "On_Link_Options_Close"}},
             {}}};
        for (const Record& r : description) Build(r, kernel.get());
        main = &kernel->FindChild("Main")->As<TGPForm>();
        main->OnGPShow = [this](TObject*) { kernel->FindChild("Main")->FindChild("Cell")->Visible = false; };
        kernel->ShowForm("Main", &shell);
        Step();
    }

    TGPBaseInterface* Build(const Record& r, rtl::Object* parent) {
        TGPBaseInterface* w = CreateWidget(r.cls, parent, 200);
        enginetest::ApplyProps(*w, shell, r.props);
        for (const Record& c : r.children) Build(c, w);
        return w;
    }
    template <class W> W& Widget(const char* name) { return main->FindChild(name)->As<W>(); }

    // One tick: the shell reads the pointer, the kernel runs.
    void Step(uint32_t ms = 22) {
        clock.Advance(ms);
        kernel->ReadCursorPos();
        dxdraw.Surface()->Fill(0);
        kernel->Tick();
    }
    void PointerAt(int x, int y) { platform::display::ScriptPointer(x, y); }
    void Key(uint16_t key, uint32_t shift = 0) { kernel->KeyDown(&shell, key, shift); }

    WidgetShell shell;
    TGPForm* main = nullptr;
};

}  // namespace

TEST_F(WidgetEndToEndTest, AButtonGoesNormalHoveredPressedNormalWithEnterAndExitInOrder) {
    ASSERT_TRUE(main->Visible);
    EXPECT_FALSE(Widget<TGPButton>("Ok").OnGPClick);
    PointerAt(160, 110);  // on the form, off the button
    Step();
    EXPECT_EQ(main->Left, 150);  // centred when it drew
    EXPECT_EQ(Pixel(180, 130), Colour565(2));
    PointerAt(180, 130);
    Step();
    EXPECT_EQ(Pixel(180, 130), Colour565(1));
    mouse->Pressed = true;
    Step();
    EXPECT_EQ(Pixel(180, 130), Colour565(3));
    mouse->Pressed = false;
    PointerAt(160, 110);
    Step();
    EXPECT_EQ(Pixel(180, 130), Colour565(2));
    EXPECT_EQ(shell.log, (std::vector<std::string>{"enter Main", "enter Ok", "exit Main"}));
}

TEST_F(WidgetEndToEndTest, FormsShowAndHideOneTickAfterTheHandlerAndTheFormsMusicReachesTheSequencer) {
    PointerAt(180, 130);
    Step();
    mouse->Pressed = true;
    Step();  // the handler queues the show
    auto& options = kernel->FindChild("Options")->As<TGPForm>();
    EXPECT_TRUE(options.Visible);
    EXPECT_EQ(kernel->Condition, ck_Interface);
    EXPECT_EQ(kernel->FocusForm, &options);
    EXPECT_EQ(Pixel(5, 5), 0);  // not yet drawn: shown at the end of the tick
    platform::midi::Sequencer& sequencer = kernel->Midi->Sequencer();
    EXPECT_TRUE(sequencer.IsOpen());
    EXPECT_EQ(sequencer.GetMode(), platform::midi::Mode::Playing);
    mouse->Pressed = false;
    Step();
    EXPECT_EQ(Pixel(5, 5), To565(kOptions));
    EXPECT_EQ(Pixel(180, 130), Colour565(2));  // the menu behind still draws, without hover
    kernel->HideForm("Options");
    Step();
    EXPECT_FALSE(options.Visible);
    EXPECT_EQ(kernel->Condition, ck_MainInterface);  // the menu's condition again
    EXPECT_EQ(kernel->FocusForm, main);
    Step();
    EXPECT_EQ(Pixel(5, 5), 0);
}

TEST_F(WidgetEndToEndTest, ACheckBoxAndATrackBarTakeTheHeldPointer) {
    PointerAt(175, 175);
    Step();
    mouse->Pressed = true;
    Step();
    EXPECT_EQ(shell.sounds, 1);
    EXPECT_EQ(Pixel(175, 175), Colour565(3));
    for (int i = 0; i < 10; ++i) Step();
    EXPECT_EQ(shell.sounds, 1);
    mouse->Pressed = false;

    const int x = 170, y = 215;
    EXPECT_EQ(Pixel(250 + 3, y), Colour565(11));  // the thumb at value 5
    PointerAt(x + 180, y);
    Step();
    mouse->Pressed = true;
    std::vector<int> values;
    for (int i = 0; i < 30; ++i) {
        Step();
        values.push_back(Widget<TGPTrackBar>("Volume").Value);
    }
    // A step at once, then one after each 308 ms (14 ticks).
    EXPECT_EQ(values[0], 6);
    EXPECT_EQ(values[13], 6);
    EXPECT_EQ(values[14], 7);
    EXPECT_EQ(values[28], 8);
    EXPECT_EQ(shell.volumes, 3);
    // The thumb where the formula puts it: round(x + 200 - 40 - 14 (10 - 8)) - 10.
    EXPECT_EQ(Pixel(x + 200 - 40 - 28 - 10 + 2, y), Colour565(11));
}

TEST_F(WidgetEndToEndTest, AnEditIsFocusedByAClickTypedIntoAndBlinksItsCaret) {
    auto& edit = Widget<TGPEdit>("Player");
    edit.Text = "Ab";
    PointerAt(175, 370);  // the form's place plus the edit's
    Step();
    mouse->Pressed = true;
    Step();
    mouse->Pressed = false;
    ASSERT_TRUE(edit.Focused);
    const uint16_t red = To565(0xFF0000);
    // Its text in its own rectangle (its Left and Top), in the front colour while focused.
    auto ink = [&] { return Count(red, 20, 260, 220, 300); };
    const int withCaret = ink();
    EXPECT_GT(withCaret, 0);
    std::vector<int> caret;
    for (int i = 0; i < 56; ++i) {
        Step();
        caret.push_back(ink() == withCaret);
    }
    EXPECT_EQ(caret[26], 1);
    EXPECT_EQ(caret[27], 0);  // 616 ms: the caret is off
    EXPECT_EQ(caret[54], 0);
    EXPECT_EQ(caret[55], 1);  // and on again
    Key('C', 0x1);
    Key('9');
    Key(8);
    Key(8);
    Key('D');
    EXPECT_EQ(edit.Text, "Abd");
    Key(13);
    EXPECT_FALSE(edit.Focused);
    Step();
    EXPECT_EQ(Count(red, 20, 260, 220, 300), 0);
    EXPECT_GT(Count(To565(0x0000FF), 20, 260, 220, 300), 0);  // the back colour, unfocused
}

TEST_F(WidgetEndToEndTest, AnEditOfAHiddenFormTakesNoMoreKeys) {
    auto& edit = Widget<TGPEdit>("Player");
    edit.Text = "Ab";
    PointerAt(175, 370);
    Step();
    mouse->Pressed = true;
    Step();
    mouse->Pressed = false;
    ASSERT_TRUE(edit.Focused);
    kernel->ShowForm("Options", &shell);  // the next panel, where keys still go to the focus
    kernel->HideForm("Main");
    Step();
    Key('Z');
    EXPECT_EQ(edit.Text, "Ab");
    EXPECT_FALSE(edit.Focused);
    EXPECT_EQ(kernel->FocusControl, nullptr);
}

TEST_F(WidgetEndToEndTest, AnEditHoldingCyrillicDrawsItsLetters) {
    kernel->FontCharset = 204;
    auto& edit = Widget<TGPEdit>("Player");
    const uint16_t blue = To565(0x0000FF);
    edit.Text = "\x98\x98\x98\x98\x98";  // unassigned in 1251: five missing-glyph boxes
    Step();
    const int boxes = Count(blue, 20, 260, 220, 300);
    edit.Text = "\xC8\xE3\xF0\xEE\xEA";  // "Игрок"
    Step();
    const int word = Count(blue, 20, 260, 220, 300);
    EXPECT_GT(word, 0);
    EXPECT_NE(word, boxes);
    edit.Focused = true;
    kernel->SetFocusControl(&edit);
    Key(8);
    EXPECT_EQ(edit.Text, "\xC8\xE3\xF0\xEE");
}

TEST_F(WidgetEndToEndTest, KeysReachTheGridsHandlerWhileItsCellIsOpen) {
    PointerAt(455, 125);  // cell (0, 0)
    Step();
    mouse->Pressed = true;
    Step();
    mouse->Pressed = false;
    auto& grid = Widget<TGPCustomGrid>("Scores");
    auto& cell = Widget<TGPEdit>("Cell");
    ASSERT_TRUE(cell.Visible);
    EXPECT_EQ(kernel->FocusControl, &grid);
    Key('7');
    Key(13);
    EXPECT_EQ(shell.gridKeys, (std::vector<uint16_t>{'7', 13}));
    cell.Text = "77";
    Step(700);
    mouse->Pressed = true;
    Step();
    EXPECT_EQ(grid.GetCell(0, 0), "77");
    EXPECT_FALSE(cell.Visible);
}
