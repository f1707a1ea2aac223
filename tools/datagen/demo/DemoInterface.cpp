#include "tools/datagen/demo/DemoInterface.h"

#include <algorithm>
#include <functional>
#include <set>

#include "tools/datagen/demo/DemoArtBackgrounds.h"
#include "tools/datagen/demo/DemoArtHud.h"
#include "tools/datagen/demo/DemoArtWidgets.h"
#include "tools/datagen/demo/DemoSheets.h"
#include "tools/datagen/demo/DemoText.h"

namespace datagen::demo {

const std::string* WidgetEntry::Property(const std::string& property) const {
    for (const auto& [name, value] : properties)
        if (name == property) return &value;
    return nullptr;
}

namespace {

using Props = std::vector<std::pair<std::string, std::string>>;
using Events = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kGold = "4243711";    // $0040C0FF: warm gold, as a colour reference (BGR)
constexpr const char* kPale = "14213368";   // $00D8E0F8: pale ivory
constexpr const char* kGreen = "8454016";   // $0080FF80: light green

constexpr int kScreenWidth = 800, kScreenHeight = 600;
// The framed panel of most menus, and the taller one of the save and load slots.
constexpr Area kPanel{80, 60, 640, 480};
constexpr Area kSlotsPanel{80, 20, 640, 560};
// Two columns inside a panel, and its row of buttons.
constexpr int kLeftColumn = 104, kRightColumn = 424, kFirstRow = 112, kButtonRow = 476;

std::string N(int v) { return std::to_string(v); }

Props Place(int left, int top, int width, int height) {
    return {{"Left", N(left)}, {"Top", N(top)}, {"PatternWidth", N(width)}, {"PatternHeight", N(height)}};
}

Props Join(Props a, const Props& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A form: a picture, a kernel condition to return to, and its key handler. Forms publish no
// place of their own: a centred form is placed by the display's size, any other lies at the
// screen's corner, so that its children's places are places on the screen.
WidgetEntry Form(const std::string& name, const std::string& paint, int width, int height, bool centred,
                Events events, std::vector<WidgetEntry> children) {
    Props p = {{"Paint", paint}, {"Transparent", "True"}, {"TransparentColor", "0"},
               {"Alignment", centred ? "gaCenter" : "gaNo"}, {"Condition", "ck_MainInterface"}, {"Cursor", "1"},
               {"Visible", "False"}, {"PatternWidth", N(width)}, {"PatternHeight", N(height)}};
    return {"TGPForm", name, p, std::move(events), std::move(children), {}};
}

// A menu panel: nothing clears the screen between frames, so it draws the whole screen, the
// menus' backdrop with its framed panel; its widgets take places on the screen.
WidgetEntry MenuPanel(const std::string& name, const std::string& paint, Area frame, Events events,
                     std::vector<WidgetEntry> children) {
    WidgetEntry f = Form(name, paint, kScreenWidth, kScreenHeight, false, std::move(events), std::move(children));
    f.frame = frame;
    return f;
}

// A picture button with the button sounds; `click` (when given) runs on the press.
WidgetEntry Button(const std::string& name, const std::string& paint, int left, int top, const std::string& click,
                  Events more = {}, int width = 220) {
    Events e = {{"OnGPEnter", "On_Link_Enter_Button"}, {"OnGPExit", "On_Link_Exit_Button"}};
    if (!click.empty()) e.insert(e.begin(), {"OnGPMouseDown", click});
    e.insert(e.end(), more.begin(), more.end());
    Props p = Join({{"Paint", paint}, {"Transparent", "True"}, {"TransparentColor", "0"}, {"Enabled", "True"}},
                   Place(left, top, width, 40));
    return {"TGPButton", name, p, e, {}, {}};
}

// A label drawn in its rectangle, left-justified. A label aligned otherwise starts at its
// form's corner, and only its font's offset (copy index 1, counted upwards) moves it: such a
// label carries its place as that offset too.
WidgetEntry Label(const std::string& name, const std::string& text, int left, int top, int width, int height,
                 int size = 18, const char* colour = kPale, const char* alignment = "gaNo") {
    Props p = Join({{"Text", text}, {"FontName", "Arial"}, {"FontSize", N(size)}, {"FontColorFront", colour},
                    {"Alignment", alignment}, {"PaintAlways", "True"}},
                   Place(left, top, width, height));
    if (std::string(alignment) != "gaNo")
        p = Join(p, {{"FontCopiesDirection", "cdUp"}, {"FontDX", N(left)}, {"FontDY", N(top)}});
    return {"TGPLabel", name, p, {}, {}, {}};
}

WidgetEntry CentredLabel(const std::string& name, const std::string& text, int left, int top, int width, int height,
                        int size, const char* colour) {
    return Label(name, text, left, top, width, height, size, colour, "gaCenter");
}

WidgetEntry CheckBox(const std::string& name, int left, int top, const std::string& click) {
    Props p = Join({{"Paint", "CheckBox"}, {"Transparent", "True"}, {"TransparentColor", "0"}, {"Enabled", "True"}},
                   Place(left, top, 28, 28));
    return {"TGPCheckBox", name, p, {{"OnGPClick", click}, {"OnGPEnter", "On_Link_Enter_Button"}}, {}, {}};
}

// A track bar of `pieces` patterns: its right end lies one pattern short of its width, over
// which the pointer still steps it.
WidgetEntry TrackBar(const std::string& name, int left, int top, int pieces, const std::string& click) {
    Props p = Join({{"Paint", "TrackBar"}, {"Transparent", "True"}, {"TransparentColor", "0"}, {"Enabled", "True"},
                    {"Min", "0"}, {"Max", "100"}, {"Value", "50"}, {"Width", N(24 * (pieces + 1))}, {"Height", "24"}},
                   Place(left, top, 24, 24));
    return {"TGPTrackBar", name, p, {{"OnGPClick", click}}, {}, {}};
}

WidgetEntry Grid(const std::string& name, int left, int top, int cols, int rows, int headerColumns, int headerRows,
                int width, int height, Props more, Events events, int fontSize = 16) {
    Props p = Join({{"ColCount", N(cols)}, {"RowCount", N(rows)}, {"FixedCols", N(headerRows)},
                    {"FixedRows", N(headerColumns)}, {"FontName", "Arial"}, {"FontSize", N(fontSize)},
                    {"FontColorFront", kPale}, {"FontColorBackground", kGold}, {"Enabled", "True"}},
                   Place(left, top, width, height));
    return {"TGPCustomGrid", name, Join(p, more), std::move(events), {}, {}};
}

WidgetEntry Picture(const std::string& name, const std::string& paint, int left, int top, int width, int height,
                   Events events = {}, bool transparent = false) {
    Props p = Join({{"Paint", paint}, {"Transparent", transparent ? "True" : "False"}, {"TransparentColor", "0"},
                    {"Alignment", "gaNo"}},
                   Place(left, top, width, height));
    return {"TGPImage", name, p, std::move(events), {}, {}};
}

// A check box with its caption on its right.
void Option(std::vector<WidgetEntry>& c, const std::string& box, const std::string& caption, const std::string& text,
            int left, int top, const std::string& click) {
    c.push_back(CheckBox(box, left, top, click));
    c.push_back(Label(caption, text, left + 36, top + 2, 200, 24, 16));
}

const Events kPanelKeys = {{"OnDXKeyDown", "On_Link_DXKeyDown"}};

WidgetEntry MainPanel() {
    std::vector<WidgetEntry> c;
    c.push_back(Picture("Im_Title", "Title", 100, 28, 600, 140, {}, true));
    const int left = 150, right = 430, top = 208, step = 58;
    c.push_back(Button("BT_NewGame", "Bt_NewGame", left, top, "On_Link_NewGame_Show",
                       {{"OnDXKeyDown", "On_Link_Main_DXKey_Ok"}}));
    c.push_back(Button("BT_Load", "Bt_Load", left, top + step, "On_Link_Load_Create"));
    c.push_back(Button("BT_Save", "Bt_Save", left, top + 2 * step, "On_Link_Save_Create"));
    c.push_back(Button("BT_Options", "Bt_Options", left, top + 3 * step, "On_Link_OnClick_Option"));
    c.push_back(Button("BT_Help", "Bt_Help", left, top + 4 * step, "On_Link_Help"));
    c.push_back(Button("BT_Credits", "Bt_Credits", right, top, "On_Link_Credits_Create"));
    c.push_back(Button("BT_About", "Bt_About", right, top + step, "On_Link_About_Show"));
    c.push_back(Button("BT_Hall_of_glory", "Bt_Hall_of_glory", right, top + 2 * step, "On_Link_MainPanel_ShowLocalTopList"));
    c.push_back(Button("TB_Updata", "Bt_Updata", right, top + 3 * step, "On_Link_Updata_Show"));
    c.push_back(Button("BT_Exit", "Bt_Exit", right, top + 4 * step, "On_Link_Sprallion_Exit",
                       {{"OnDXKeyDown", "On_Link_Main_DXKey_Cancel"}}));
    c.push_back(CentredLabel("Lb_Main_Hint", "Enter — новая игра, Esc — выход", 150, 530, 500, 24, 16, kGold));
    WidgetEntry f = Form("MainPanel", "Main_Backdrop", kScreenWidth, kScreenHeight, false,
                        {{"OnGPShow", "On_Link_MainPanel_Show"}, {"OnDXKeyDown", "On_Link_DXKeyDown"}}, std::move(c));
    f.properties.push_back({"MIDIFile", kMenuTune});
    return f;
}

WidgetEntry NewGames() {
    std::vector<WidgetEntry> c;
    const int l = kLeftColumn, r = kRightColumn, t = kFirstRow;
    c.push_back(Label("Lb_Subject", "", l, t, 290, 24, 18, kGold));
    c.push_back(Grid("CG_ListSubject", l, t + 28, 1, 10, 0, 0, 270, 26, {{"NameEdit", ""}},
                     {{"OnGPClick", "On_Link_OnClick_Tema"}}));
    c.push_back(Label("TL_MsgSubject", "", l, t + 296, 290, 48, 16, kGreen));
    c.push_back(Picture("Im_PreViewSubject", "", r, t, 160, 120));
    c.push_back(Label("L_CurrentSubject", "", r, t + 126, 272, 24, 18, kGold));
    c.push_back(Label("Lb_Player", "", r, t + 158, 272, 22, 16, kPale));
    // The edit draws its text at its own place and is clicked at that place on its form; its
    // box is drawn on the panel behind it.
    WidgetEntry edit{"TGPEdit", "Ed_User_Name",
                    Join({{"Enabled", "True"}, {"FontName", "Arial"}, {"FontSize", "18"}, {"FontColorFront", kGold},
                          {"FontColorBackground", kPale}},
                         Place(r, t + 188, 272, 24)),
                    {}, {}, {}};
    c.push_back(edit);
    c.push_back(Label("Lb_Difficulty", "", r, t + 228, 272, 22, 16, kPale));
    static const char* const kLevels[] = {"Легко", "Нормально", "Трудно"};
    for (int d = 1; d <= 3; ++d)
        Option(c, "CB_Difficulty_" + N(d), "Lb_Difficulty_" + N(d), kLevels[d - 1], r, t + 222 + 32 * d,
               "On_Link_Difficulty_CheckBox");
    c.push_back(Button("TB_Back_NewGame", "Bt_Back", l, kButtonRow, "On_Link_CallBackMain"));
    c.push_back(Button("TB_Start_NewGame", "Bt_Start", r + 52, kButtonRow, "On_Link_OnClick_StartNewGame",
                       {{"OnDXKeyDown", "On_Link_NewGame_DXKey_Ok"}}));
    return MenuPanel("NewGames", "Panel_NewGame", kPanel,
                     {{"OnGPHide", "On_Link_NewGame_Hide"}, {"OnDXKeyDown", "On_Link_DXKeyDown"}}, std::move(c));
}

WidgetEntry OptionPanel() {
    std::vector<WidgetEntry> c;
    const int l = kLeftColumn, r = kRightColumn, t = kFirstRow;
    c.push_back(Label("Lb_Keys", "Клавиши", l, t, 290, 24, 18, kGold));
    c.push_back(Grid("CG_KeyAssigns", l, t + 28, 1, 6, 1, 0, 140, 28,
                     {{"ColPaint", "Grid_Actions"}, {"NameEdit", "Ed_KeyAssign"}},
                     {{"OnGPClick", "On_Link_OptionGrid_Click"}, {"OnGPExit", "On_Link_OptionGrid_Exit"},
                      {"OnGPKeyDown", "On_Link_KeyDown_SetKey"}}));
    // The grid places its editor over the cell being edited.
    WidgetEntry editor{"TGPEdit", "Ed_KeyAssign",
                      Join({{"Enabled", "False"}, {"Visible", "False"}, {"FontName", "Arial"}, {"FontSize", "16"},
                            {"FontColorFront", kGold}, {"FontColorBackground", kPale}},
                           Place(l + 140, t + 28, 140, 28)),
                      {}, {}, {}};
    c.push_back(editor);
    c.push_back(Button("TB_Reset_Option", "Bt_Defaults", l, t + 210, "On_Link_OptionPanel_Reset"));
    c.push_back(Label("Lb_Sound", "Звук и управление", r, t, 272, 24, 18, kGold));
    Option(c, "CB_cWav", "Lb_cWav", "Звуки", r, t + 34, "On_Link_cWav_cMIDI_Button");
    c.push_back(Label("Lb_WavValue", "Громкость", r, t + 72, 92, 24, 16));
    c.push_back(TrackBar("TB_WavValue", r + 100, t + 70, 6, "On_Link_OptionPanel_Wav_Value"));
    Option(c, "CB_cMIDI", "Lb_cMIDI", "Музыка", r, t + 110, "On_Link_cWav_cMIDI_Button");
    c.push_back(Label("Lb_MIDIValue", "Громкость", r, t + 148, 92, 24, 16));
    c.push_back(TrackBar("TB_MIDIValue", r + 100, t + 146, 6, "On_Link_OptionPanel_MIDI_Value"));
    Option(c, "CB_cMouse", "Lb_cMouse", "Мышь", r, t + 186, "On_Link_cWav_cMIDI_Button");
    Option(c, "CB_cJoystick", "Lb_cJoystick", "Джойстик", r, t + 222, "On_Link_cWav_cMIDI_Button");
    c.push_back(Button("TB_Option_Option", "Bt_Files", r, t + 268, "On_Link_Option_Option_Show"));
    c.push_back(Button("TB_Start_Option", "Bt_Done", r + 52, kButtonRow, "On_Link_OptionPanel_Ok",
                       {{"OnDXKeyDown", "On_Link_Option_DXKey_Ok"}}));
    return MenuPanel("OptionPanel", "Panel_Options", kPanel,
                     {{"OnGPShow", "On_Link_OptionPanel_Show"}, {"OnGPHide", "On_Link_OptionPanel_Hide"},
                      {"OnDXKeyDown", "On_Link_DXKeyDown"}},
                     std::move(c));
}

WidgetEntry Help() {
    std::vector<WidgetEntry> c;
    const int l = kLeftColumn, t = kFirstRow;
    c.push_back(Label("Lb_Moves", "Движение", l, t, 280, 24, 18, kGold));
    c.push_back(Grid("CG_KeyHelp", l, t + 28, 1, 6, 1, 0, 130, 28, {{"ColPaint", "Grid_Moves"}, {"NameEdit", ""}}, {}));
    // The key list: its header row, then nine rows of an action and its key.
    c.push_back(Grid("CG_ExpanKeyHelp", 400, t, 2, 10, 0, 1, 130, 26,
                     {{"RowPaint", "Grid_KeyColumns"}, {"NameEdit", ""}}, {}, 14));
    c.push_back(Button("TB_HelpHTML", "Bt_HelpPage", l, kButtonRow, "On_Link_HelpHTML"));
    // Help opens over a game too (F1): Back returns to the form it came from, or to the game.
    c.push_back(Button("TB_Back_Help", "Bt_Back", kRightColumn + 52, kButtonRow, "On_Link_OnClick_Concel"));
    return MenuPanel("Help", "Panel_Help", kPanel, {{"OnGPShow", "On_Link_ShowHelp"}, {"OnDXKeyDown", "On_Link_DXKeyDown"}},
                     std::move(c));
}

WidgetEntry Credits() {
    std::vector<WidgetEntry> c;
    c.push_back(Grid("TGrid_Credits", kLeftColumn, kFirstRow, 2, 7, 0, 0, 270, 40, {{"NameEdit", ""}}, {}));
    c.push_back(Button("TB_Quorvex", "Bt_OurGames", kLeftColumn, kButtonRow, "OnClick_Quorvex"));
    c.push_back(Button("TB_Back_Credits", "Bt_Back", kRightColumn + 52, kButtonRow, "On_Link_CallBackMain"));
    return MenuPanel("Credits", "Panel_Credits", kPanel,
                     {{"OnGPShow", "On_Link_Credits_Show"}, {"OnDXKeyDown", "On_Link_DXKeyDown"}}, std::move(c));
}

WidgetEntry MessageBox() {
    std::vector<WidgetEntry> c;
    c.push_back(CentredLabel("Ed_Title", "", 24, 20, 432, 28, 20, kGold));
    c.push_back(Picture("Image_Message", "", 24, 64, 64, 64, {}, true));
    // The shell aligns the text as each message asks: it is placed by its font's offset.
    c.push_back(Label("Ed_Text", "", 104, 60, 352, 164, 16, kPale, "gaLeftJustify"));
    // The shell binds the press of each message's buttons itself.
    WidgetEntry ok = Button("Ok_Message", "Bt_Ok", 24, 244, "", {{"OnDXKeyDown", "On_Link_Message_DXKey_Ok"}}, 200);
    WidgetEntry cancel = Button("Cancel_Message", "Bt_Cancel", 256, 244, "", {}, 200);
    c.push_back(ok);
    c.push_back(cancel);
    WidgetEntry f = Form("MessageBox", "Panel_Message", 480, 300, true, kPanelKeys, std::move(c));
    for (auto& [name, value] : f.properties)
        if (name == "Condition") value = "ck_Interface";
    return f;
}

WidgetEntry Slots(const std::string& form, const std::string& paint, const std::string& image, const std::string& name,
                 const std::string& count, const std::string& level, const std::string& click, const std::string& enter,
                 const std::string& show) {
    std::vector<WidgetEntry> c;
    for (int s = 1; s <= 6; ++s) {
        const int x = kLeftColumn + ((s - 1) % 3) * 204, y = 72 + ((s - 1) / 3) * 228;
        WidgetEntry img = Picture(image + N(s), "Save_Default", x, y, 160, 120, {{"OnGPClick", click}, {"OnGPEnter", enter}});
        img.properties.push_back({"Cursor", "8"});
        c.push_back(img);
        c.push_back(Label(name + N(s), "", x, y + 124, 196, 22, 16, kGold));
        c.push_back(Label(count + N(s), "", x, y + 148, 196, 22, 14, kPale));
        c.push_back(Label(level + N(s), "", x, y + 170, 196, 22, 14, kPale));
    }
    // The save panel opens from the pause too: Back returns to the form it came from.
    c.push_back(Button("TB_Back_" + form, "Bt_Back", kRightColumn + 52, 516,
                       form == "Save_Games" ? "On_Link_OnClick_Concel" : "On_Link_CallBackMain"));
    return MenuPanel(form, paint, kSlotsPanel, {{"OnGPShow", show}, {"OnDXKeyDown", "On_Link_DXKeyDown"}}, std::move(c));
}

WidgetEntry Pause() {
    std::vector<WidgetEntry> c;
    c.push_back(CentredLabel("Lb_Pause", "Пауза", 20, 24, 320, 44, 36, kGold));
    c.push_back(CentredLabel("Lb_Pause_Hint", "P — продолжить игру", 20, 76, 320, 24, 16, kPale));
    // The paused game is saved from here: the save panel returns to the pause.
    c.push_back(Button("BT_Save_Pause", "Bt_Save", 70, 122, "On_Link_Save_Create"));
    WidgetEntry f = Form("Pause", "Panel_Pause", 360, 200, true, kPanelKeys, std::move(c));
    for (auto& [name, value] : f.properties)
        if (name == "Condition") value = "ck_Interface";
    return f;
}

WidgetEntry Logo(const std::string& name, const std::string& paint, int stand, Events events) {
    Props p = Join({{"Paint", paint}, {"Transparent", "True"}, {"TransparentColor", "0"}, {"Alignment", "gaNo"},
                    {"StepUp", "8"}, {"Stand", N(stand)}, {"StepDown", "8"}, {"Visible", "False"}},
                   Place(200, 230, 400, 140));
    return {"TGPLogo", name, p, std::move(events), {}, {}};
}

std::vector<WidgetEntry> LogoPanels() {
    std::vector<WidgetEntry> first;
    first.push_back(Logo("Log_Mirel", "Logo_Mirel", 60,
                         {{"OnBeginStand", "On_Link_Mirel_BeginStand"}, {"OnGPHide", "On_Link_Mirel_HideStand"}}));
    first.push_back(Logo("Log_Quor", "Logo_Quor", 60, {{"OnBeginStand", "On_Link_Quor_BeginStand"}}));
    WidgetEntry logos = Form("Spr_Logo", "Logo_Backdrop", kScreenWidth, kScreenHeight, false,
                            {{"OnGPShow", "On_Link_Spr_Logo_Show"}, {"OnGPMove", "On_Link_Spr_Logo_Move"},
                             {"OnDXKeyDown", "On_Link_Spr_Logo_DXKey"}, {"OnGPHide", "On_Link_Spr_Logo_Hide"}},
                            std::move(first));
    WidgetEntry title = Form("Spr2_Logo_", "Logo_Title", kScreenWidth, kScreenHeight, false,
                            {{"OnDXKeyDown", "On_Link_Spr_Logo_F_DXKey"}, {"OnGPHide", "On_Link_Spr_Logo_F_Hide"}}, {});
    title.properties.push_back({"TimeShow", "150"});
    return {logos, title};
}

std::vector<WidgetEntry> BuildForms() {
    std::vector<WidgetEntry> forms{MainPanel(), NewGames(), OptionPanel(), Help(), Credits(), MessageBox()};
    forms.push_back(Slots("Load_Games", "Panel_Load", "Im_Load_", "Lb_Load_", "Lb_Load_Count_", "Lb_Load_Level_",
                          "On_Link_Load_Games", "On_Link_Enter_ImageLoad", "On_Link_Load_Show"));
    forms.push_back(Slots("Save_Games", "Panel_Save", "Im_Save_", "Save_Name_", "Save_Count_", "Save_Level_",
                          "On_Link_Save_Games", "On_Link_Enter_ImageSave", "On_Link_LoadSave_Show"));
    forms.push_back(Pause());
    for (WidgetEntry& logo : LogoPanels()) forms.push_back(std::move(logo));
    return forms;
}

void Walk(const WidgetEntry& w, const std::function<void(const WidgetEntry&)>& visit) {
    visit(w);
    for (const WidgetEntry& c : w.children) Walk(c, visit);
}

}  // namespace

const std::vector<WidgetEntry>& DemoForms() {
    static const std::vector<WidgetEntry> forms = BuildForms();
    return forms;
}

const WidgetEntry* DemoForm(const std::string& name) {
    for (const WidgetEntry& form : DemoForms())
        if (form.name == name) return &form;
    return nullptr;
}

std::vector<std::string> BoundHandlers() {
    std::set<std::string> seen;
    std::vector<std::string> out;
    for (const WidgetEntry& form : DemoForms())
        Walk(form, [&](const WidgetEntry& w) {
            for (const auto& [event, handler] : w.events)
                if (seen.insert(handler).second) out.push_back(handler);
        });
    return out;
}

std::vector<DemoPicture> InterfacePictures() {
    std::vector<DemoPicture> out;
    auto add = [&](std::string key, Image image, int pw = 0, int ph = 0, int bits = 8) {
        DemoPicture p;
        p.key = std::move(key);
        p.patternWidth = pw ? pw : image.Width();
        p.patternHeight = ph ? ph : image.Height();
        p.columns = image.Width() / p.patternWidth;
        p.rows = image.Height() / p.patternHeight;
        p.bitCount = bits;
        p.image = std::move(image);
        out.push_back(std::move(p));
    };
    auto addJpeg = [&](std::string key, Image image) {
        add(std::move(key), std::move(image));
        out.back().jpeg = true;
    };
    // The menu's backdrop, and the logo screens.
    const Image backdrop = MenuBackdrop(kScreenWidth, kScreenHeight, 1);
    addJpeg("Main_Backdrop", backdrop);
    addJpeg("Logo_Backdrop", Image(800, 600, Rgb{4, 4, 10}));
    {
        Image title = MenuBackdrop(800, 600, 2);
        title.Paste(TitlePicture("Спраллион", 700, 180), 50, 200);
        addJpeg("Logo_Title", std::move(title));
    }
    add("Title", TitlePicture("Спраллион", 600, 140), 0, 0, 8);
    add("Logo_Mirel", TitlePicture("MIREL", 400, 140), 0, 0, 8);
    add("Logo_Quor", TitlePicture("QUORVEX", 400, 140), 0, 0, 8);
    const std::pair<const char*, const char*> buttons[] = {
        {"Bt_NewGame", "Новая игра"}, {"Bt_Load", "Загрузить"},     {"Bt_Save", "Сохранить"},
        {"Bt_Options", "Настройки"},  {"Bt_Help", "Справка"},       {"Bt_Credits", "Авторы"},
        {"Bt_About", "О программе"},  {"Bt_Hall_of_glory", "Зал славы"}, {"Bt_Updata", "Обновления"},
        {"Bt_Exit", "Выход"},         {"Bt_Back", "Назад"},          {"Bt_Start", "Начать игру"},
        {"Bt_Defaults", "По умолчанию"}, {"Bt_Files", "Файлы и сеть"}, {"Bt_Done", "Готово"},
        {"Bt_HelpPage", "Подробнее"}, {"Bt_OurGames", "Наши игры"}};
    for (const auto& [key, label] : buttons) add(key, ButtonSheet(label, 220, 40), 220, 40, 8);
    add("Bt_Ok", ButtonSheet("ОК", 200, 40), 200, 40, 8);  // Cyrillic letters, as the edition writes it
    add("Bt_Cancel", ButtonSheet("Отмена", 200, 40), 200, 40, 8);
    add("CheckBox", CheckBoxSheet(28), 28, 28, 8);
    add("TrackBar", TrackBarSheet(24, 24), 24, 24, 8);
    add("Grid_Actions", RowHeaderSheet({"Вверх", "Вниз", "Влево", "Вправо", "Запуск", "Огонь"}, 140, 28), 140, 28, 8);
    // The help's grids take no pointer: their headers look the same in every state.
    add("Grid_Moves", RowHeaderSheet({"Вверх", "Вниз", "Влево", "Вправо", "Запуск", "Огонь"}, 130, 28, false), 130, 28, 8);
    add("Grid_KeyColumns", ColumnHeaderSheet({"Действие", "Клавиша"}, 130, 26, false), 130, 26, 8);
    // The menu panels: the backdrop with the framed panel and the wells of its edits and of
    // the pictures the shell fills in.
    const std::pair<const char*, const char*> titles[] = {
        {"NewGames", "Новая игра"}, {"OptionPanel", "Настройки"}, {"Help", "Справка"}, {"Credits", "Авторы"},
        {"Load_Games", "Загрузить игру"}, {"Save_Games", "Сохранить игру"}};
    for (const auto& [name, title] : titles) {
        const WidgetEntry& form = *DemoForm(name);
        Image screen = backdrop;
        screen.Paste(PanelFrame(form.frame.width, form.frame.height, title), form.frame.left, form.frame.top);
        for (const WidgetEntry& w : form.children) {
            const std::string* paint = w.Property("Paint");
            const bool filled = w.className == "TGPImage" && paint && paint->empty();
            if (w.className != "TGPEdit" && !filled) continue;
            if (const std::string* visible = w.Property("Visible"); visible && *visible == "False") continue;
            auto at = [&](const char* p) { return std::stoi(*w.Property(p)); };
            constexpr int kRim = 4;
            screen.Paste(HudReadout(at("PatternWidth") + 2 * kRim, at("PatternHeight") + 2 * kRim), at("Left") - kRim,
                         at("Top") - kRim);
        }
        addJpeg(*form.Property("Paint"), std::move(screen));
    }
    add("Panel_Message", PanelFrame(480, 300), 0, 0, 8);
    add("Panel_Pause", PanelFrame(360, 200), 0, 0, 8);
    return out;
}

}  // namespace datagen::demo
