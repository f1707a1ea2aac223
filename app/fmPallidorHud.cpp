// The heads-up display of a level set: the panels' widgets built from the description lines
// of "Script_Interface" (or a fixed set when a level set brings none), bound to the game
// variables the game flow writes.
#include <algorithm>
#include <array>
#include <span>

#include "app/fmPallidor.h"
#include "engine/gpInterfaceHud.h"
#include "engine/gpKernel.h"
#include "engine/gpObject.h"
#include "engine/gpUtils.h"
#include "engine/gpUtilsProps.h"
#include "platform/com/Bstr.h"
#include "platform/window/Application.h"
#include "rtl/Convert.h"
#include "rtl/Format.h"
#include "rtl/Text.h"

namespace app {

namespace {

namespace com = platform::com;
using engine::TGPFieldType;

// A description line's sections and how each builds its widget.
enum class FieldMode : uint8_t { None, Integer, FromType };
enum class WidgetKind : uint8_t { DataText, Text, Progress, Icon, CountArray, Count };

struct TProperty {
    const char* Name;
    bool Text;  // applied as text, converted by the property's type
};

struct TSection {
    const char* Name;
    WidgetKind Kind;
    FieldMode Mode;
    std::span<const char* const> Fields;   // the variables it may show
    std::span<const TProperty> Properties;  // in the order applied
};

constexpr const char* kDataTextFields[] = {"fd_Level", "fd_Count", "fd_FPS"};
constexpr const char* kProgressFields[] = {"fd_Count_1"};
constexpr const char* kIconFields[] = {"fd_Level", "fd_Count", "fd_FPS", "fd_Difficulty"};
constexpr const char* kCountFields[] = {"fd_Level", "fd_Count", "fd_FPS", "fd_Difficulty", "fd_Life"};
constexpr const char* kCountArrayFields[] = {"fd_Level", "fd_Count", "fd_FPS", "fd_Difficulty", "fd_Prizes"};

constexpr TProperty kDataTextProperties[] = {{"Font.Size", false}, {"Alignment", true},     {"TxtFormat", true},
                                             {"Left", false},      {"Top", false},          {"PatternWidth", false},
                                             {"PatternHeight", false}, {"Offset", false}};
constexpr TProperty kTextProperties[] = {{"Font.Size", false}, {"Alignment", true},      {"Left", false},
                                         {"Top", false},       {"PatternWidth", false}, {"PatternHeight", false}};
constexpr TProperty kProgressProperties[] = {{"Left", false}, {"Top", false}, {"MinValue", false}, {"MaxValue", false}};
constexpr TProperty kIconProperties[] = {{"Left", false}, {"Top", false}, {"FlagChange", true}};
constexpr TProperty kCountProperties[] = {
    {"Left", false}, {"Top", false}, {"FlagChange", true}, {"MinValue", false}, {"MaxValue", false}};
constexpr TProperty kCountArrayProperties[] = {{"Left", false}, {"Top", false}};

// In the order a line's sections are built.
const TSection kSections[] = {
    {"TGPDataText.Create", WidgetKind::DataText, FieldMode::Integer, kDataTextFields, kDataTextProperties},
    {"TGPText.Create", WidgetKind::Text, FieldMode::None, {}, kTextProperties},
    {"TGPProgress.Create", WidgetKind::Progress, FieldMode::Integer, kProgressFields, kProgressProperties},
    {"TGPIcon.Create", WidgetKind::Icon, FieldMode::FromType, kIconFields, kIconProperties},
    {"TGPCountArray.Create", WidgetKind::CountArray, FieldMode::FromType, kCountArrayFields, kCountArrayProperties},
    {"TGPCount.Create", WidgetKind::Count, FieldMode::FromType, kCountFields, kCountProperties},
};

constexpr const char* kFieldTypeNames[] = {"ftNo",   "ftString", "ftInteger", "ftBoolean", "ftFloat", "ftDate",
                                           "ftTime", "ftBytes",  "ftMemo",    "ftGraphic", "ftArray"};

// A description's mistakes go to the application's error handler; building goes on.
void Report(const std::string& message) {
    platform::window::App().HandleException(std::make_exception_ptr(rtl::EConvertError(message)));
}

TGPFieldType FieldTypeOf(std::string_view line) {
    const std::string name = engine::ValueAfter("Type=", line);
    if (name.empty()) return engine::ftInteger;
    for (size_t i = 0; i < std::size(kFieldTypeNames); ++i)
        if (name == kFieldTypeNames[i]) return static_cast<TGPFieldType>(i);
    Report(rtl::Format("'%S' is not a field type", {name}));
    return engine::ftInteger;
}

constexpr int32_t kMaxCorrespondence = 256;

// The description's owner: the value of "OwnerClass=", -1 when it is not an integer.
int32_t OwnerOf(std::string_view line) {
    int32_t owner = -1;
    if (!rtl::TryStrToInt(engine::ValueAfter("OwnerClass=", line), owner)) return -1;
    return owner;
}

}  // namespace

// ---- Description lines ----

bool TDlg_Sprallion::TakeDescriptionForOwner(int32_t owner, std::string& line) {
    for (int i = 0; i < InterfaceDescriptions.Count(); ++i) {
        const std::string& text = InterfaceDescriptions[i];
        if (text.empty() || text.front() == ';' || OwnerOf(text) != owner) continue;
        line = text;
        InterfaceDescriptions.Delete(i);
        return true;
    }
    return false;
}

void TDlg_Sprallion::ApplyIntegerProperty(engine::TGPStructure* widget, std::string_view name, std::string_view line) {
    if (!widget) return;
    const std::string value = engine::ValueAfter(std::string(name) + "=", line);
    if (value.empty()) return;
    try {
        // A property the widget does not publish is left alone.
        engine::SetPropertyByPath(*widget, name, int64_t{rtl::StrToInt(value)});
    } catch (const rtl::Exception&) {
        platform::window::App().HandleException(std::current_exception());
    }
}

void TDlg_Sprallion::ApplyTextProperty(engine::TGPStructure* widget, std::string_view name, std::string_view line) {
    if (!widget) return;
    const std::string value = engine::ValueAfter(std::string(name) + "=", line);
    if (value.empty()) return;
    try {
        engine::SetPropertyByPath(*widget, name, value);
    } catch (const rtl::Exception&) {
        platform::window::App().HandleException(std::current_exception());
    }
}

void TDlg_Sprallion::ApplyIconCorrespondence(engine::TGPStructure* widget, std::string_view line) {
    auto* icon = dynamic_cast<engine::TGPIcon*>(widget);
    if (!icon) return;
    const size_t key = line.find("Correspondence");
    if (key == std::string_view::npos) return;
    const size_t open = line.find('[', key);
    const size_t close = open == std::string_view::npos ? open : line.find(']', open);
    if (close == std::string_view::npos) {
        Report("The correspondence list has no closing ']'");
        return;
    }
    // Numbers separated by a comma and the one character after it (", ").
    const std::string_view body = line.substr(open + 1, close - open - 1);
    std::vector<int32_t> list;
    size_t at = 0;
    while (!body.empty() && list.size() < size_t{kMaxCorrespondence}) {
        const size_t comma = body.find(',', at);
        const std::string_view item = body.substr(at, comma == std::string_view::npos ? body.npos : comma - at);
        int32_t value = 0;
        if (!rtl::TryStrToInt(item, value)) {
            Report(rtl::Format("The correspondence list is malformed at '%S'", {std::string(item)}));
            return;
        }
        list.push_back(value);
        if (comma == std::string_view::npos) break;
        at = comma + 2;
        if (at > body.size()) {
            Report("The correspondence list ends in a comma");
            return;
        }
    }
    icon->SetPictures(list, static_cast<int32_t>(list.size()) - 1);
}

// ---- Builders ----

void TDlg_Sprallion::BuildWidgetsFromDescription(engine::TGPPanel& panel, const std::string& line) {
    if (!Kernel) return;
    engine::TGPKernel& kernel = *Kernel;
    for (const TSection& section : kSections) {
        if (line.find(section.Name) == std::string::npos) continue;
        int32_t id = 0;
        if (!rtl::TryStrToInt(engine::ValueAfter("IDClass=", line), id)) continue;
        engine::TGPField** field = nullptr;
        TGPFieldType type = engine::ftInteger;
        if (section.Mode != FieldMode::None) {
            const std::string name = engine::ValueAfter("Field=", line);
            const bool accepted = std::any_of(section.Fields.begin(), section.Fields.end(),
                                              [&](const char* f) { return name == f; });
            if (!accepted || !(field = kernel.KernelRecord.Find(name))) continue;
            if (section.Mode == FieldMode::FromType) type = FieldTypeOf(line);
        }
        engine::TGPGameInterface* widget = nullptr;
        switch (section.Kind) {
            case WidgetKind::DataText:
                widget = engine::CreateHudWidget<engine::TGPDataText>(kernel, &panel, *field, type, id);
                break;
            case WidgetKind::Text: widget = engine::CreateHudWidget<engine::TGPText>(kernel, &panel, id); break;
            case WidgetKind::Progress:
                widget = engine::CreateHudWidget<engine::TGPProgress>(kernel, &panel, *field, type, id);
                break;
            case WidgetKind::Icon:
                widget = engine::CreateHudWidget<engine::TGPIcon>(kernel, &panel, *field, type, id);
                break;
            case WidgetKind::CountArray:
                widget = engine::CreateHudWidget<engine::TGPCountArray>(kernel, &panel, *field, type, id);
                break;
            case WidgetKind::Count:
                widget = engine::CreateHudWidget<engine::TGPCount>(kernel, &panel, *field, type, id);
                break;
        }
        for (const TProperty& p : section.Properties) {
            if (p.Text)
                ApplyTextProperty(widget, p.Name, line);
            else
                ApplyIntegerProperty(widget, p.Name, line);
        }
        if (section.Kind == WidgetKind::Icon) ApplyIconCorrespondence(widget, line);
        if (section.Kind == WidgetKind::Text && !engine::ValueAfter("UserName=", line).empty())
            SetPlayerNameText(static_cast<engine::TGPText&>(*widget));
    }
}

void TDlg_Sprallion::SetPlayerNameText(engine::TGPText& text) {
    text.Text = PlayerRecord.Name;
    if (!InternetGame) {
        text.SetFontSize(25);
        return;
    }
    text.SetFontSize(20);
    palvrek::TPlayer best{};
    com::VARIANT_BOOL found = com::VARIANT_FALSE;
    {
        // The library may wait on its own work: no tick meanwhile.
        const bool busy = Kernel && Kernel->Busy;
        if (Kernel) Kernel->Busy = true;
        const com::HRESULT hr = InternetGame->GetLocalBest(&best, &found);
        if (Kernel) Kernel->Busy = busy;
        if (com::FAILED(hr)) found = com::VARIANT_FALSE;
    }
    const std::string player = best.Player ? rtl::Utf16ToAnsi(com::BstrToString(best.Player)) : std::string();
    const std::string score = best.Score ? rtl::Utf16ToAnsi(com::BstrToString(best.Score)) : std::string();
    for (com::BSTR* s : {&best.Date, &best.Player, &best.Difficulty, &best.Score, &best.Rank, &best.Medals, &best.Time})
        com::FreeBstr(*s);
    if (found && !player.empty() && !score.empty()) {
        text.Text = rtl::Format("%S\n\r%S", {player, score});
        text.SetFontSize(14);
    }
}

void TDlg_Sprallion::BuildFixedWidgets(engine::TGPPanel& panel) {
    if (!Kernel) return;
    engine::TGPKernel& k = *Kernel;
    engine::TKernelRecord& vars = k.KernelRecord;
    auto place = [](engine::TGPGameInterface* w, int32_t left, int32_t top) {
        w->Left = left;
        w->Top = top;
    };
    auto dataText = [&](engine::TGPField*& field, int32_t left, int32_t top, int32_t width,
                        engine::TGPAlignment alignment, const char* format, int32_t offset) {
        auto* w = engine::CreateHudWidget<engine::TGPDataText>(k, &panel, field, engine::ftInteger, 1);
        place(w, left, top);
        w->PatternWidth = width;
        w->PatternHeight = 20;
        w->Alignment = alignment;
        w->TxtFormat = format;
        w->Offset = offset;
        w->SetFontSize(18);
    };
    auto icon = [&](int32_t id, int32_t left, int32_t top) {
        auto* w = engine::CreateHudWidget<engine::TGPIcon>(k, &panel, vars.Difficulty, engine::ftInteger, id);
        place(w, left, top);
        w->FlagChange = false;
        return w;
    };
    switch (panel.IDClass) {
        case 1: {
            dataText(vars.Level, 29, 122, 157, engine::gaCenter, "Level %D", 1);
            auto* name = engine::CreateHudWidget<engine::TGPText>(k, &panel, 1);
            place(name, 29, 49);
            name->PatternWidth = 157;
            name->PatternHeight = 40;
            name->Alignment = engine::gaCenter;
            SetPlayerNameText(*name);
            if (name->GetFontSize() != 14) name->Top = 55;
            icon(2, 25, 50);
            icon(27, 25, 185);
            dataText(vars.Count, 50, 185, 130, engine::gaRightJustify, "%D", 0);
            place(engine::CreateHudWidget<engine::TGPCountArray>(k, &panel, vars.Prizes, engine::ftArray, 19), 30, 416);
            auto* charge = engine::CreateHudWidget<engine::TGPProgress>(k, &panel, vars.Count_1, engine::ftInteger, 17);
            place(charge, 21, 469);
            charge->Visible = false;
            charge->MinValue = 0;
            icon(23, 43, 333)->SetPictures({23, 24, 25}, 2);
            break;
        }
        case 2: {
            auto* lives = engine::CreateHudWidget<engine::TGPCount>(k, &panel, vars.Life, engine::ftInteger, 18);
            place(lives, 18, 16);
            lives->FlagChange = false;
            lives->MinValue = 0;
            lives->SetMaxValue(24);
            break;
        }
        case 3: icon(26, 220, 3); break;
        default: break;
    }
}

void TDlg_Sprallion::BuildPanelWidgets(engine::TGPPanel& panel) {
    if (InterfaceDescriptions.Count() == 0) {
        BuildFixedWidgets(panel);
        return;
    }
    std::string line;
    while (TakeDescriptionForOwner(panel.IDClass, line)) BuildWidgetsFromDescription(panel, line);
}

}  // namespace app
