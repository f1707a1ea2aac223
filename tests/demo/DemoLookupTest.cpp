// Every name the shell and the engine look up in the demo data, from one table taken from
// what the shell and engine ask for: panels, widgets and the handlers they bind, language
// texts with the arguments their callers format them with, configuration records, pictures,
// cursors, effects, heads-up panels, classes, sounds and tunes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "rtl/Format.h"
#include "rtl/StringList.h"
#include "rtl/Text.h"
#include "tests/demo/DemoFixture.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoDialogs.h"
#include "tools/datagen/demo/DemoInterface.h"
#include "tools/datagen/demo/DemoNames.h"
#include "tools/datagen/demo/DemoTexts.h"

using demotest::DemoData;
using namespace datagen::demo;

namespace {

// ---- The table ----

struct PanelLookup {
    std::string panel;
    std::vector<std::pair<std::string, std::string>> widgets;  // name, class
};

const std::vector<PanelLookup>& Panels() {
    static const std::vector<PanelLookup> panels = [] {
        std::vector<PanelLookup> p{
            {"MainPanel", {{"BT_Hall_of_glory", "TGPButton"}, {"TB_Updata", "TGPButton"}}},
            {"NewGames",
             {{"L_CurrentSubject", "TGPLabel"}, {"Ed_User_Name", "TGPEdit"}, {"CB_Difficulty_1", "TGPCheckBox"},
              {"CB_Difficulty_2", "TGPCheckBox"}, {"CB_Difficulty_3", "TGPCheckBox"}, {"TB_Start_NewGame", "TGPButton"},
              {"Lb_Subject", "TGPLabel"}, {"Lb_Player", "TGPLabel"}, {"Lb_Difficulty", "TGPLabel"},
              {"TL_MsgSubject", "TGPLabel"}, {"Im_PreViewSubject", "TGPImage"}, {"CG_ListSubject", "TGPCustomGrid"}}},
            {"OptionPanel",
             {{"CG_KeyAssigns", "TGPCustomGrid"}, {"CB_cWav", "TGPCheckBox"}, {"CB_cMIDI", "TGPCheckBox"},
              {"CB_cMouse", "TGPCheckBox"}, {"CB_cJoystick", "TGPCheckBox"}, {"TB_WavValue", "TGPTrackBar"},
              {"TB_MIDIValue", "TGPTrackBar"}, {"TB_Start_Option", "TGPButton"}, {"TB_Option_Option", "TGPButton"}}},
            {"Help", {{"CG_KeyHelp", "TGPCustomGrid"}, {"CG_ExpanKeyHelp", "TGPCustomGrid"}}},
            {"Credits", {{"TGrid_Credits", "TGPCustomGrid"}}},
            {"MessageBox",
             {{"Ed_Text", "TGPLabel"}, {"Ed_Title", "TGPLabel"}, {"Image_Message", "TGPImage"},
              {"Ok_Message", "TGPButton"}, {"Cancel_Message", "TGPButton"}}},
            {"Load_Games", {}},
            {"Save_Games", {}},
            {"Pause", {}},
            {"Spr_Logo", {{"Log_Mirel", "TGPLogo"}, {"Log_Quor", "TGPLogo"}}},
            {"Spr2_Logo_", {}},
        };
        for (int s = 1; s <= 6; ++s) {
            const std::string n = std::to_string(s);
            p[6].widgets.insert(p[6].widgets.end(), {{"Im_Load_" + n, "TGPImage"}, {"Lb_Load_" + n, "TGPLabel"},
                                                     {"Lb_Load_Count_" + n, "TGPLabel"}, {"Lb_Load_Level_" + n, "TGPLabel"}});
            p[7].widgets.insert(p[7].widgets.end(), {{"Im_Save_" + n, "TGPImage"}, {"Save_Name_" + n, "TGPLabel"},
                                                     {"Save_Count_" + n, "TGPLabel"}, {"Save_Level_" + n, "TGPLabel"}});
        }
        return p;
    }();
    return panels;
}

// The main form's handlers that widgets bind by name.
const std::set<std::string> kHandlers = {
    "On_Link_About_Show", "On_Link_CallBackMain", "On_Link_Credits_Create", "On_Link_Credits_Show",
    "On_Link_DXKeyDown", "On_Link_Difficulty_CheckBox", "On_Link_Enter_Button", "On_Link_Enter_ImageLoad",
    "On_Link_Enter_ImageSave", "On_Link_Exit_Button", "On_Link_Help", "On_Link_HelpHTML", "On_Link_KeyDown_SetKey",
    "On_Link_LoadSave_Show", "On_Link_Load_Games", "On_Link_Load_Show", "On_Link_MainPanel_Show",
    "On_Link_MainPanel_ShowLocalTopList", "On_Link_Main_DXKey_Cancel", "On_Link_Main_DXKey_Ok",
    "On_Link_Message_DXKey_Ok", "On_Link_Mirel_BeginStand", "On_Link_Mirel_HideStand", "On_Link_NewGame_DXKey_Ok",
    "On_Link_NewGame_Hide", "On_Link_NewGame_Show", "On_Link_OnClick_Concel", "On_Link_OnClick_Halt",
    "On_Link_OnClick_Option", "On_Link_OnClick_StartNewGame", "On_Link_OnClick_Tema", "On_Link_OptionGrid_Click",
    "On_Link_OptionGrid_Exit", "On_Link_OptionPanel_Hide", "On_Link_OptionPanel_MIDI_Value", "On_Link_OptionPanel_Ok",
    "On_Link_OptionPanel_Reset", "On_Link_OptionPanel_Show", "On_Link_OptionPanel_Wav_Value", "On_Link_Option_DXKey_Ok",
    "On_Link_Option_Option_Show", "On_Link_Quor_BeginStand", "On_Link_Save_Games", "On_Link_ShowHelp",
    "On_Link_Spr_Logo_DXKey", "On_Link_Spr_Logo_F_DXKey", "On_Link_Spr_Logo_F_Hide", "On_Link_Spr_Logo_Hide",
    "On_Link_Spr_Logo_Move", "On_Link_Spr_Logo_Show", "On_Link_Sprallion_Exit", "On_Link_Updata_Show",
    "On_Link_cWav_cMIDI_Button", "OnClick_Quorvex"};
// Handlers the shell calls itself rather than binding them to a widget.
const std::set<std::string> kCalledByTheShell = {"On_Link_OnClick_Concel", "On_Link_OnClick_Halt"};
// Handlers the data binds beyond those: the main menu's load and save buttons open their
// panels (the main form publishes them beside On_Link_Credits_Create).
const std::set<std::string> kMenuOpeners = {"On_Link_Load_Create", "On_Link_Save_Create"};

// Messages and the number of arguments their callers pass.
const std::map<int, int> kMessages = {{2, 0},  {3, 2},  {4, 1},  {7, 1},  {8, 1},  {9, 0},  {10, 0},
                                      {14, 0}, {15, 0}, {18, 0}, {19, 1}, {20, 0}, {21, 0}, {25, 0},
                                      {26, 1}, {27, 0}, {35, 0}, {37, 0}, {38, 0}};
// Texts formatted with one number, texts shown as they are.
const std::vector<std::string> kNumberFormats = {"Count_", "Level_"};
const std::vector<std::string> kPlainTexts = {"Subject_", "Player_", "Difficulty_", "TL_MsgSubject_", "OptionBox_Title_",
                                              "CB_AutoCheck_", "CB_Top_", "CB_UpData_", "L_Internet_", "L_ListBif_",
                                              "Title_Key_"};

const std::vector<std::string> kMedalPictures = {"Score_stealer", "Crafty_paddle", "Gilded_cannon-ball",
                                                 "Fortunate_hunt", "Thirst_for_life", "Step_ahead", "Famous_hunter",
                                                 "Unique_fortune", "Clean_sheet", "Better_then_best"};
const std::vector<std::string> kRankPictures = {
    "private", "corporal", "second_sergeant", "sergeant", "sergent-chief", "master_sergeant", "second_lieutenant",
    "first_lieutenant", "captain", "major", "lt_colonel", "colonel", "master_colonel", "brigadier_general",
    "major_general", "general", "general_of_the_rocket", "marshal", "generalissimo"};
// Message pictures: a level begins (3), questions (9, 10), an extra life (27), the window
// boxes' kinds (7, 10, 11) and the about box (15).
const std::vector<int> kMessagePictures = {3, 7, 9, 10, 11, 15, 27};
const std::vector<std::string> kDialogPictures = {"Pal_MessageBox", "Win_Button_Ok", "Win_Button_Cancel", "Win_Option_Ok",
                                                  "Win_Option_Cancel", "Pal_Option_Win", "PreViewBif", "Save_Default"};
const std::vector<int> kCursors = {1, 2, 8, 9};
// Effects the engine and shell start: the closed floor's splash (1), the split flash (3),
// the paddle's skins (4, 8, 9), its explosion (12), the floor row (16) and the fixed
// heads-up pictures.
const std::vector<int> kEffects = {1, 2, 3, 4, 8, 9, 12, 16, 17, 18, 19, 23, 24, 25, 26, 27};
const std::vector<std::string> kHudSections = {"TGPDataText.Create", "TGPText.Create", "TGPProgress.Create",
                                               "TGPIcon.Create", "TGPCountArray.Create", "TGPCount.Create"};
const std::vector<std::string> kCfgRecords = {"DataStream", "GPCfg", "KeyAssignList", "KeyChange_Mouse",
                                              "KeyChange_Joystick", "MsgPos"};

// What each widget class publishes (inherited properties included), so that the
// description names only properties and events its reader sets.
const std::map<std::string, std::set<std::string>>& Published() {
    static const std::map<std::string, std::set<std::string>> classes = [] {
        const std::set<std::string> base = {"PatternWidth", "PatternHeight", "Name", "Paint", "Transparent",
                                            "TransparentColor", "Visible", "Cursor", "OnGPClick", "OnGPExit",
                                            "OnGPEnter", "OnGPMove", "OnDXKeyDown", "OnGPMouseDown"};
        auto with = [](std::set<std::string> a, std::initializer_list<const char*> more) {
            a.insert(more.begin(), more.end());
            return a;
        };
        const auto form = with(base, {"Alignment", "Condition", "MIDIFile", "TimeShow", "TicksShow", "OnGPCreate",
                                      "OnGPShow", "OnGPHide"});
        const auto button = with(form, {"Enabled", "Left", "Top", "FocusAnimat"});
        const auto controls = with(button, {"Font", "FontName", "FontSize", "FontColorFront", "FontColorBackground",
                                            "OnGPKeyDown"});
        const auto image = with(base, {"Alignment", "Left", "Top"});
        return std::map<std::string, std::set<std::string>>{
            {"TGPForm", form},
            {"TGPButton", button},
            {"TGPCheckBox", with(button, {"Checked"})},
            {"TGPTrackBar", with(button, {"Min", "Max", "Value", "Width", "Height"})},
            {"TGPEdit", controls},
            {"TGPCustomGrid", with(controls, {"ColCount", "RowCount", "FixedCols", "FixedRows", "ColPaint", "RowPaint", "NameEdit"})},
            {"TGPLabel", with(base, {"Text", "Font", "Left", "Top", "Alignment", "PaintAlways", "Twinkle", "FontName",
                                     "FontSize", "FontCopies", "FontCopiesDirection", "FontDX", "FontDY", "FontRotated",
                                     "FontColorFront", "FontColorBackground", "FontDirection"})},
            {"TGPImage", image},
            {"TGPLogo", with(image, {"StepUp", "Stand", "StepDown", "OnBeginStand", "OnEndStand", "OnGPHide"})},
        };
    }();
    return classes;
}

// ---- Helpers ----

void Walk(const WidgetEntry& w, const std::function<void(const WidgetEntry&)>& visit) {
    visit(w);
    for (const WidgetEntry& c : w.children) Walk(c, visit);
}

std::string Text(const std::string& stored) { return DemoData::StoredText(stored); }

const std::vector<datagen::ContainerSection>& GameData() { return DemoData::Get().set.gameData; }

}  // namespace

TEST(DemoLookups, PanelsHoldTheWidgetsTheShellNamesWithTheirClasses) {
    for (const PanelLookup& p : Panels()) {
        const WidgetEntry* form = DemoForm(p.panel);
        ASSERT_NE(form, nullptr) << p.panel;
        EXPECT_EQ(form->className, "TGPForm");
        std::map<std::string, std::string> widgets;
        Walk(*form, [&](const WidgetEntry& w) { widgets[w.name] = w.className; });
        for (const auto& [name, cls] : p.widgets) {
            ASSERT_TRUE(widgets.count(name)) << p.panel << " lacks " << name;
            EXPECT_EQ(widgets[name], cls) << name;
        }
    }
    // Names are unique across the kernel's children, and slot images end in their slot digit.
    std::set<std::string> names;
    for (const WidgetEntry& f : DemoForms())
        Walk(f, [&](const WidgetEntry& w) { EXPECT_TRUE(names.insert(w.name).second) << "twice: " << w.name; });
    EXPECT_EQ(*DemoForm("MainPanel")->Property("MIDIFile"), kMenuTune);
    EXPECT_EQ(DemoForms().front().name, "MainPanel");
}

TEST(DemoLookups, EveryEventBindsAHandlerOfTheMainFormAndEveryHandlerIsBound) {
    std::set<std::string> bound;
    for (const WidgetEntry& f : DemoForms())
        Walk(f, [&](const WidgetEntry& w) {
            for (const auto& [event, handler] : w.events) {
                EXPECT_FALSE(handler.empty()) << w.name << "." << event;
                EXPECT_TRUE(event.starts_with("On")) << event;
                EXPECT_TRUE(kHandlers.count(handler) || kMenuOpeners.count(handler)) << w.name << " binds " << handler;
                bound.insert(handler);
            }
        });
    for (const std::string& h : kHandlers)
        if (!kCalledByTheShell.count(h)) {
            EXPECT_TRUE(bound.count(h)) << h << " is bound nowhere";
        }
    // Enter on the main menu opens the new-game panel, Esc asks the exit question, Enter
    // there starts the chosen set, and every panel's keys reach the panel handler.
    std::set<std::string> mainKeys;
    Walk(*DemoForm("MainPanel"), [&](const WidgetEntry& w) {
        for (const auto& [event, handler] : w.events)
            if (event == "OnDXKeyDown") mainKeys.insert(handler);
    });
    EXPECT_TRUE(mainKeys.count("On_Link_Main_DXKey_Ok") && mainKeys.count("On_Link_Main_DXKey_Cancel"));
    for (const WidgetEntry& f : DemoForms()) {
        bool keys = false;
        for (const auto& [event, handler] : f.events) keys |= event == "OnDXKeyDown";
        EXPECT_TRUE(keys) << f.name << " takes no keys";
    }
}

TEST(DemoLookups, LanguageTextsFormatWithTheirCallersArguments) {
    const std::string argument = "x";  // format arguments refer to their text
    {
        const std::string lang = kLanguage, tail = "_" + lang;
        auto text = [&](const std::string& key) -> std::string {
            const std::string* stored = DemoData::Entry(GameData(), "Strings", key);
            EXPECT_NE(stored, nullptr) << key;
            return stored ? Text(*stored) : std::string();
        };
        for (const auto& [number, args] : kMessages) {
            const std::string n = std::to_string(number);
            const std::string format = text("Message_" + n + tail);
            EXPECT_FALSE(text("Title_Message_" + n + tail).empty()) << n;
            const std::vector<rtl::FormatArg> full(static_cast<size_t>(args), rtl::FormatArg(argument));
            EXPECT_NO_THROW(rtl::Format(format, full)) << n << " " << lang;
            if (args > 0) {
                const std::vector<rtl::FormatArg> fewer(static_cast<size_t>(args - 1), rtl::FormatArg(argument));
                EXPECT_THROW(rtl::Format(format, fewer), rtl::EConvertError) << n << " takes fewer arguments";
            }
        }
        for (int k = 1; k <= 10; ++k) EXPECT_FALSE(text("Medal_" + std::to_string(k) + tail).empty());
        for (int k = 1; k <= 19; ++k) EXPECT_FALSE(text("Rank_" + std::to_string(k) + tail).empty());
        for (const std::string& key : kNumberFormats) {
            EXPECT_NE(rtl::Format(text(key + lang), {rtl::FormatArg(int32_t{1234})}).find("1234"), std::string::npos);
            EXPECT_THROW(rtl::Format(text(key + lang), std::vector<rtl::FormatArg>{}), rtl::EConvertError);
        }
        for (const std::string& key : kPlainTexts) EXPECT_FALSE(text(key + lang).empty()) << key << lang;
        // The key list names every state of the help's order from its seventh on.
        rtl::StringList keys;
        keys.SetText(text("Title_Key" + tail));
        EXPECT_EQ(keys.Count(), 17);
    }
    // Russian texts are stored in the game's code page: Cyrillic letters become single bytes.
    const std::string over = Text(*DemoData::Entry(GameData(), "Strings", "Title_Message_2_419"));
    EXPECT_TRUE(rtl::AnsiToUtf8(over).starts_with("Игра"));
    EXPECT_EQ(over.size(), std::string("Игра окончена").size() / 2 + 1);
    EXPECT_EQ(static_cast<uint8_t>(over[0]), 0xC8);
}

TEST(DemoLookups, HallOfFameNamesNameThePagePictures) {
    for (const auto& [key, count] : {std::pair{"Name_Rank_", 19}, {"Name_Medals_", 10}, {"Name_Difficulty_", 3}}) {
        for (int i = 1; i <= count; ++i) {
            const std::string* stored = DemoData::Entry(GameData(), "Strings", key + std::to_string(i));
            ASSERT_NE(stored, nullptr) << key << i;
            const std::string name = Text(*stored);
            EXPECT_FALSE(name.empty());
            // The page splits the medals at commas.
            EXPECT_EQ(name.find(','), std::string::npos) << name;
        }
    }
    // Their pictures lie under TopList/, blanks turned into underscores.
    EXPECT_NO_THROW(DemoData::Get().FileBytes("TopList/Ranks/Генерал_ракетных_войск.bmp"));
    EXPECT_NO_THROW(DemoData::Get().FileBytes("TopList/Medals/Лучше_лучших.bmp"));
    EXPECT_NO_THROW(DemoData::Get().FileBytes("TopList/Levels/Трудно.bmp"));
}

TEST(DemoLookups, GameDataHoldsEveryPictureCursorRecordAndSoundNamed) {
    auto has = [](const std::string& section, const std::string& key) { return DemoData::Entry(GameData(), section, key) != nullptr; };
    for (const WidgetEntry& f : DemoForms())
        Walk(f, [&](const WidgetEntry& w) {
            for (const char* p : {"Paint", "ColPaint", "RowPaint"})
                if (const std::string* paint = w.Property(p); paint && !paint->empty()) {
                    EXPECT_TRUE(has("BMP", *paint)) << w.name << "." << p << " " << *paint;
                }
            if (const std::string* cursor = w.Property("Cursor")) {
                EXPECT_TRUE(has("Cursors", CursorNames().at(static_cast<size_t>(std::stoi(*cursor) - 1)))) << w.name;
            }
        });
    for (int n : kMessagePictures) EXPECT_TRUE(has("BMP", "MessageImage_" + std::to_string(n))) << n;
    for (const std::string& p : kMedalPictures) EXPECT_TRUE(has("BMP", p)) << p;
    for (const std::string& p : kRankPictures) EXPECT_TRUE(has("BMP", p)) << p;
    for (const std::string& p : kDialogPictures) EXPECT_TRUE(has("BMP", p)) << p;
    for (int c : kCursors) EXPECT_TRUE(has("Cursors", CursorNames().at(static_cast<size_t>(c - 1)))) << c;
    for (const std::string& r : kCfgRecords) EXPECT_TRUE(has("Cfg", r)) << r;
    EXPECT_EQ(DemoData::Entry(GameData(), "Cfg", "MsgPos")->size(), 208u);
    for (const char* key : {"PixSetGP", "ListWave"}) EXPECT_TRUE(has("Strings", key));
    // The button sounds are the wave list's first lines.
    const datagen::WaveList waves = DemoWaveList();
    EXPECT_EQ(waves.names.at(static_cast<size_t>(waves.bases[6] + sound::ButtonHover)), "Button_Hover");
    EXPECT_EQ(waves.names.at(static_cast<size_t>(waves.bases[6] + sound::ButtonClick)), "Button_Click");
    for (const std::string& name : waves.names) EXPECT_TRUE(has("Wav", name)) << name;
    // The configuration stream's first record lies right behind its header.
    const auto* cfg = DemoData::Section(GameData(), "Cfg");
    ASSERT_GE(cfg->entries.size(), 2u);
    EXPECT_EQ(cfg->entries[0].name, "DataStream");
    EXPECT_EQ(cfg->entries[1].name, "GPCfg");
}

TEST(DemoLookups, LevelSetsHoldEveryClassPictureEffectPanelSoundAndTuneTheyName) {
    for (const datagen::demo::DemoLevelSetData& s : DemoData::Get().set.levelSets) {
        SCOPED_TRACE(s.set.file);
        auto has = [&](const std::string& section, const std::string& key) { return DemoData::Entry(s.sections, section, key) != nullptr; };
        // Every class a level names: its slides, game values and pictures.
        std::set<int> classes;
        for (const datagen::LevelRecord& level : s.set.set.levels)
            for (const datagen::NationRecord& n : level.nations)
                for (const datagen::ObjectRecord& o : n.objects) classes.insert(o.idClass);
        for (int id : classes) {
            ASSERT_TRUE(HasUnit(id)) << id;
            EXPECT_TRUE(has("Classes_Unit", UnitName(id))) << id;
            EXPECT_TRUE(has("GeneralObject_Unit", UnitName(id))) << id;
            for (int state = 1; state <= 7; ++state) {
                const int shown = Unit(id).slides[static_cast<size_t>(state - 1)].picture;
                EXPECT_TRUE(has("BMP_Unit", UnitName(id) + "_Move") || has("BMP_Unit", UnitName(id) + "_" + std::to_string(shown)));
            }
            EXPECT_TRUE(has("BMP_Unit", UnitName(id) + "_Move")) << id;
        }
        for (int e : kEffects) EXPECT_TRUE(has("Classes_Effects", EffectNames().at(static_cast<size_t>(e - 1)))) << e;
        for (int p = 1; p <= 3; ++p) EXPECT_TRUE(has("Classes_Interface", InterfaceNames().at(static_cast<size_t>(p - 1)))) << p;
        for (const datagen::LevelRecord& level : s.set.set.levels)
            EXPECT_TRUE(has("BMP_MapElement", MapElementNames().at(static_cast<size_t>(level.elements.at(0).first - 1))));
        for (const std::string& name : DemoWaveList().names) EXPECT_TRUE(has("Wav", name)) << name;
        // Strings: name tables, the tunes (each a file of the music folder), the heads-up.
        EXPECT_TRUE(has("Strings", "PixSetGP"));
        rtl::StringList tunes;
        tunes.SetText(Text(*DemoData::Entry(s.sections, "Strings", "MIDI_List")));
        EXPECT_GE(tunes.Count(), 1);
        for (int i = 0; i < tunes.Count(); ++i) EXPECT_NO_THROW(DemoData::Get().FileBytes("Resource/MIDI/" + tunes[i]));
        EXPECT_EQ(has("Strings", "Script_Interface"), s.set.scriptHud);
        // Previews: the set's own, then one per level; "Default" with the set's type.
        EXPECT_TRUE(has("PreView_Level", s.set.FileTitle()));
        for (size_t i = 1; i <= s.set.set.levels.size(); ++i) EXPECT_TRUE(has("PreView_Level", "LevelPreView_" + std::to_string(i)));
        EXPECT_EQ(*DemoData::Entry(s.sections, "Default", "TypeIG"), datagen::Int32Bytes(787878));
        for (const char* key : {"AverageFactor", "SizeLevel", "MinCountForTopList", "IntervalTimer", "SKB", "SS",
                                       "SGCB", "CCP", "SA", "FH", "UF", "TL"})
            EXPECT_EQ(DemoData::Entry(s.sections, "Default", key)->size(), 4u) << key;
        EXPECT_EQ(DemoData::Entry(s.sections, "Default", "SpeedDifficulty")->size(), 24u);
        EXPECT_EQ(DemoData::Entry(s.sections, "Default", "SuperSpeedup")->size(), 24u);
    }
    // The main menu's tune is there too.
    EXPECT_NO_THROW(DemoData::Get().FileBytes(std::string("Resource/MIDI/") + kMenuTune));
}

TEST(DemoLookups, HeadsUpDescriptionBuildsEveryWidgetKindOnThePanelsItNames) {
    const std::string text = rtl::AnsiToUtf8(Text(*DemoData::Entry(DemoData::Get().set.levelSets.back().sections, "Strings",
                                                                   "Script_Interface")));
    rtl::StringList lines;
    lines.SetText(text);
    std::set<std::string> sections;
    bool comment = false, userName = false;
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string& line = lines[i];
        if (line.starts_with(";")) {
            comment = true;
            continue;
        }
        for (const std::string& s : kHudSections)
            if (line.find(s) != std::string::npos) sections.insert(s);
        userName |= line.find("UserName=1") != std::string::npos;
        // Each value ends at the next comma: the owner and class read as integers.
        const auto value = [&](const std::string& key) {
            const size_t at = line.find(key);
            EXPECT_NE(at, std::string::npos) << key << " in " << line;
            const size_t from = at + key.size();
            const size_t end = std::min({line.find(',', from), line.find(')', from), line.size()});
            return line.substr(from, end - from);
        };
        const int owner = std::stoi(value("OwnerClass=")), id = std::stoi(value("IDClass="));
        EXPECT_TRUE(owner >= 1 && owner <= 3) << line;
        // Picture widgets take their phantom from an effect class of the set.
        if (line.find("Text.Create") == std::string::npos) {
            EXPECT_TRUE(id >= 1 && id <= effect::Count && !EffectNames()[static_cast<size_t>(id - 1)].empty()) << line;
        }
    }
    EXPECT_TRUE(comment);
    EXPECT_TRUE(userName);
    EXPECT_EQ(sections.size(), kHudSections.size());
}

TEST(DemoLookups, NameTablesStayWithinTheirSlots) {
    const datagen::NameTables t = DemoNameTables();
    const size_t slots[] = {166, 17, 20, 35, 120};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_LE(t.tables[i].size(), slots[i]);
        std::set<std::string> unique(t.tables[i].begin(), t.tables[i].end());
        EXPECT_EQ(unique.size(), t.tables[i].size()) << "table " << i;
        for (const std::string& n : t.tables[i]) EXPECT_FALSE(n.empty()) << "an empty name would shift the slots";
    }
    EXPECT_EQ(UnitName(unit::Ball), "Ball");
    EXPECT_EQ(UnitName(unit::FirstLetter + 6), "Letter_S");
}

TEST(DemoLookups, WidgetsSetOnlyWhatTheirClassPublishesAndDrawWithTheirPictures) {
    auto pictures = InterfacePictures();
    for (DemoPicture& p : DialogPictures()) pictures.push_back(std::move(p));
    for (const WidgetEntry& f : DemoForms())
        Walk(f, [&](const WidgetEntry& w) {
            const auto cls = Published().find(w.className);
            ASSERT_NE(cls, Published().end()) << w.className;
            for (const auto& [name, value] : w.properties) EXPECT_TRUE(cls->second.count(name)) << w.name << "." << name;
            for (const auto& [event, handler] : w.events) EXPECT_TRUE(cls->second.count(event)) << w.name << "." << event;
            // A picture cut into the widget's patterns: as many as the widget's states need.
            const std::string* paint = w.Property("Paint");
            if (!paint || paint->empty()) return;
            const auto it = std::find_if(pictures.begin(), pictures.end(), [&](const DemoPicture& p) { return p.key == *paint; });
            ASSERT_NE(it, pictures.end()) << *paint;
            const int states = w.className == "TGPCheckBox" ? 5 : w.className == "TGPTrackBar" ? 12
                               : w.className == "TGPButton" || w.className == "TGPEdit" ? 4 : 1;
            EXPECT_EQ(std::to_string(it->patternWidth), *w.Property("PatternWidth")) << w.name;
            EXPECT_EQ(std::to_string(it->patternHeight), *w.Property("PatternHeight")) << w.name;
            EXPECT_GE(it->columns * it->rows, states) << w.name;
        });
}
