// The save panel "Save_Games" and the load panel "Load_Games": six slots of the saved-games
// container, each with its preview picture, the player's name, score and level.
//
// The container is read as a whole and written as a whole (app/SaveGames.h): a damaged slot
// is reported once per showing and shown empty while the others show and load; only a
// container that does not open at all is moved aside (".bad") and made anew. Hovering a
// slot reads the container and never writes or creates it.
#include <algorithm>
#include <filesystem>

#include "app/PanelWidgets.h"
#include "app/fmPallidor.h"
#include "engine/gpPaths.h"
#include "media/DIB.h"
#include "platform/window/Application.h"
#include "rtl/Format.h"
#include "rtl/Streams.h"

namespace app {
namespace {

using panels::Find;

constexpr int32_t kCursorEmpty = 8, kCursorGame = 9;
constexpr int32_t kMissingLevelSetMessage = 26;
constexpr int32_t kMessagePicture = 10;
constexpr int32_t kLevelSetTypes[] = {787878, 989898};

struct TSlotWidgets {
    const char* Image;
    const char* Name;
    const char* Count;
    const char* Level;
};
constexpr TSlotWidgets kSaveWidgets{"Im_Save_", "Save_Name_", "Save_Count_", "Save_Level_"};
constexpr TSlotWidgets kLoadWidgets{"Im_Load_", "Lb_Load_", "Lb_Load_Count_", "Lb_Load_Level_"};

// The slot an image stands for: the last letter of its name, 1..6; 0 for anything else (the
// pending game is never a slot the player picks).
int SlotOfImage(const rtl::Object* sender) {
    const auto* image = dynamic_cast<const engine::TGPImage*>(sender);
    if (!image || image->Name.empty()) return 0;
    const char c = image->Name.back();
    return c >= '1' && c <= '0' + kSaveSlots ? c - '0' : 0;
}

std::string ResourceFile(const std::string& name) {
    return engine::RealPath(engine::JoinDataPath(engine::ResourceFolders().Resource, name));
}

// The name of a slot's preview: its picture file is this name with ".BMP" behind.
std::string PreviewName(int slot, const std::string& subjectFile) {
    return rtl::Format("Save_%D_%S", {slot, subjectFile});
}

// Writes the preview as the picture file of the slot; false when the bytes hold no picture
// or the file cannot be written.
bool WritePreviewFile(const std::string& name, const std::string& bytes) {
    if (bytes.empty()) return false;
    try {
        rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        media::TDIB picture;
        picture.LoadFromStream(stream);
        if (picture.Width() <= 0 || picture.Height() <= 0) return false;
        picture.SaveToFile(ResourceFile(name + ".BMP"));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// "Count_%S" / "Level_%S" of the language applied to the number; the number alone when the
// text is missing or is no format for it.
std::string NumberText(const std::string& format, int32_t value) {
    if (!format.empty()) {
        try {
            return rtl::Format(format, {value});
        } catch (const std::exception&) {
        }
    }
    return std::to_string(value);
}

// The level set of a saved game can start a game: the container opens and is a level set
// with its subject, as the new-game list asks of its files.
bool UsableLevelSet(const std::string& path) {
    try {
        engine::TGPResource set(path, rtl::fmOpenRead);
        if (set.Status() != 0) return false;
        const int32_t type = set.ReadInt("Default", "TypeIG");
        if (std::find(std::begin(kLevelSetTypes), std::end(kLevelSetTypes), type) == std::end(kLevelSetTypes)) return false;
        const engine::TGPHashCollection* subjects = set.GetSection("Subjects");
        return subjects && subjects->Find("Subject");
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

// ---- The container ----

std::unique_ptr<TSaveGames> TDlg_Sprallion::OpenSaveGames() {
    const std::string file = SaveContainerFile();
    std::error_code missing;
    if (!std::filesystem::exists(file, missing)) InitSaveContainer();  // a first start: nothing to report
    try {
        return std::make_unique<TSaveGames>(ReadSaveGames(file));
    } catch (const ESaveContainer&) {
        // Not a container of saved games (any more): kept beside it for the player, and a
        // fresh one made.
        platform::window::App().HandleException(std::current_exception());
        std::error_code error;
        if (std::filesystem::exists(file, error)) std::filesystem::rename(file, file + ".bad", error);
        if (error) WriteLog("OpenSaveGames", rtl::Format("%S cannot be moved aside: %S", {file, error.message()}));
    } catch (...) {
        platform::window::App().HandleException(std::current_exception());
        return nullptr;
    }
    InitSaveContainer();
    try {
        return std::make_unique<TSaveGames>(ReadSaveGames(file));
    } catch (...) {
        platform::window::App().HandleException(std::current_exception());
        return nullptr;
    }
}

void TDlg_Sprallion::ReportDamagedSlot(int slot) {
    const auto bit = static_cast<uint8_t>(1u << slot);
    if (reportedSlots_ & bit) return;
    reportedSlots_ |= bit;
    platform::window::App().HandleException(
        std::make_exception_ptr(ESaveContainer(rtl::Format("Saved game %D is damaged and shown empty", {slot}))));
    if (OnSaveSlotDamaged) OnSaveSlotDamaged(slot);
}

// ---- The slots ----

void TDlg_Sprallion::FillSlot(engine::TGPStructure& form, int slot, const TSaveSlot* game, bool loadPanel) {
    const TSlotWidgets& names = loadPanel ? kLoadWidgets : kSaveWidgets;
    const std::string n = std::to_string(slot);
    auto* image = Find<engine::TGPImage>(&form, names.Image + n);
    auto* name = Find<engine::TGPLabel>(&form, names.Name + n);
    auto* count = Find<engine::TGPLabel>(&form, names.Count + n);
    auto* level = Find<engine::TGPLabel>(&form, names.Level + n);
    auto setText = [](engine::TGPLabel* label, const std::string& text) {
        if (label) label->Text = text;
    };
    // A picture that does not load leaves the image empty: the texts still show.
    auto paint = [this, image](const std::string& picture, bool fromFile) {
        if (!image) return;
        try {
            image->FromFile = fromFile;
            image->SetPaint(picture);
        } catch (...) {
            WriteLogException("FillSlot");
        }
    };
    auto showDefault = [&paint] { paint("Save_Default", false); };
    if (!game || game->Damaged || !SaveRecordUsed(game->Record)) {
        showDefault();
        setText(name, "");
        setText(count, "");
        setText(level, "");
        return;
    }
    const TPlayerRecord record = DecodePlayerRecord(game->Record);
    const std::string preview = PreviewName(slot, record.SubjectFile);
    if (WritePreviewFile(preview, game->Preview)) {
        showDefault();  // the file may hold a new picture under the same name
        paint(preview, true);
    } else {
        showDefault();
    }
    setText(name, record.Name);
    setText(count, NumberText(LanguageString("Count_%S"), record.Score));
    setText(level, NumberText(LanguageString("Level_%S"), record.Level));
}

void TDlg_Sprallion::FillSaveSlot(engine::TGPStructure& form, int slot, const TSaveSlot* game) {
    FillSlot(form, slot, game, false);
}

void TDlg_Sprallion::FillLoadSlot(engine::TGPStructure& form, int slot, const TSaveSlot* game) {
    FillSlot(form, slot, game, true);
}

void TDlg_Sprallion::ShowSlots(engine::TGPStructure* form, bool loadPanel) {
    if (!form) return;
    reportedSlots_ = 0;
    const std::unique_ptr<TSaveGames> games = OpenSaveGames();
    for (int slot = 1; slot <= kSaveSlots; ++slot) FillSlot(*form, slot, nullptr, loadPanel);
    if (!games) return;
    for (int slot = 1; slot <= kSaveSlots; ++slot) {
        const TSaveSlot& game = games->Slots[static_cast<size_t>(slot)];
        if (game.Damaged) ReportDamagedSlot(slot);
        else if (SaveRecordUsed(game.Record)) FillSlot(*form, slot, &game, loadPanel);
    }
}

void TDlg_Sprallion::On_Link_LoadSave_Show(TObject* sender) { ShowSlots(panels::OwnerForm(sender), false); }

void TDlg_Sprallion::On_Link_Load_Show(TObject* sender) { ShowSlots(panels::OwnerForm(sender), true); }

void TDlg_Sprallion::HoverSlot(TObject* sender, bool loadPanel) {
    auto* image = dynamic_cast<engine::TGPImage*>(sender);
    const int slot = SlotOfImage(sender);
    if (!image || slot == 0) return;
    image->Cursor = kCursorEmpty;
    try {
        const TSaveGames games = ReadSaveGames(SaveContainerFile());
        const TSaveSlot& game = games.Slots[static_cast<size_t>(loadPanel ? slot : 0)];
        if (!game.Damaged && SaveRecordUsed(game.Record)) image->Cursor = kCursorGame;
    } catch (const ESaveContainer&) {
        // reported when the panel showed
    } catch (...) {
        platform::window::App().HandleException(std::current_exception());
    }
}

void TDlg_Sprallion::On_Link_Enter_ImageSave(TObject* sender) { HoverSlot(sender, false); }

void TDlg_Sprallion::On_Link_Enter_ImageLoad(TObject* sender) { HoverSlot(sender, true); }

// ---- Saving and loading ----

void TDlg_Sprallion::On_Link_Save_Games(TObject* sender) {
    const int slot = SlotOfImage(sender);
    auto* form = panels::OwnerForm(sender);
    if (slot == 0 || !form) return;
    std::unique_ptr<TSaveGames> games = OpenSaveGames();
    if (!games) return;
    TSaveSlot& pending = games->Slots[0];
    if (pending.Damaged || !SaveRecordUsed(pending.Record)) return;  // no game waits to be saved

    TSaveSlot& target = games->Slots[static_cast<size_t>(slot)];
    target.Record = pending.Record;
    target.Damaged = false;
    target.Preview = pending.Preview;
    pending.Record.fill(0);
    try {
        WriteSaveGames(SaveContainerFile(), *games);
    } catch (...) {
        // The stored games are as they were; the panel stays open.
        platform::window::App().HandleException(std::current_exception());
        return;
    }
    FillSaveSlot(*form, slot, &target);
    static_cast<engine::TGPImage*>(sender)->Cursor = kCursorEmpty;
    On_Link_OnClick_Concel(sender);
}

void TDlg_Sprallion::On_Link_Load_Games(TObject* sender) {
    const int slot = SlotOfImage(sender);
    auto* form = panels::OwnerForm(sender);
    if (slot == 0 || !form || !Kernel) return;
    TSaveRecord bytes;
    try {
        const TSaveGames games = ReadSaveGames(SaveContainerFile());
        const TSaveSlot& game = games.Slots[static_cast<size_t>(slot)];
        if (game.Damaged || !SaveRecordUsed(game.Record)) return;
        bytes = game.Record;
    } catch (...) {
        platform::window::App().HandleException(std::current_exception());
        return;
    }
    const TPlayerRecord record = DecodePlayerRecord(bytes);
    const std::string levelSet = engine::JoinDataPath(engine::ResourceFolders().Resource, record.SubjectFile);
    std::error_code error;
    if (!std::filesystem::is_regular_file(engine::RealPath(levelSet), error) || !UsableLevelSet(engine::RealPath(levelSet))) {
        // The running world stays as it is; the message returns to this panel.
        const rtl::FormatArg args[] = {record.SubjectFile};
        ShowMessageOverPanel(kMissingLevelSetMessage, kMessagePicture, args);
        return;
    }
    Kernel->EndGames();
    Kernel->FireDestroyGames();
    Kernel->HideForm(form->Name);
    PlayerRecord = record;
    OpenGameLevelSet(levelSet);
    SetUserInfo();
    StartLevel(record.Level - 1, false);
}

// ---- Opening the panels ----

void TDlg_Sprallion::On_Link_Load_Create(TObject* sender) { OpenSlotsPanel(sender, "Load_Games"); }

void TDlg_Sprallion::On_Link_Save_Create(TObject* sender) { OpenSlotsPanel(sender, "Save_Games"); }

// The panel takes the place of the form its button lies on (the main menu, or the pause),
// which becomes its parent: Esc, Back and a saved slot return there.
void TDlg_Sprallion::OpenSlotsPanel(TObject* sender, const std::string& panel) {
    auto* from = panels::OwnerForm(sender);
    if (!Kernel || !from || !panels::FormNamed(Kernel.get(), panel)) return;
    panels::ShowInPlaceOf(*Kernel, panel, from->Name);
}

}  // namespace app
