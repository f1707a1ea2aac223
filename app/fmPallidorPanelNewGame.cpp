// The new-game panel "NewGames": the level sets of the resource folder with their titles and
// previews, the player's name, one of three difficulties, and the start of the game.
#include <algorithm>
#include <filesystem>

#include "app/PanelWidgets.h"
#include "app/fmPallidor.h"
#include "engine/gpData.h"
#include "engine/gpInterface.h"
#include "engine/gpKernel.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "engine/gpUtils.h"
#include "media/gpBitmap.h"
#include "rtl/Format.h"
#include "rtl/StringList.h"

namespace app {

namespace {

using namespace panels;
using engine::TGPCheckBox;
using engine::TGPCustomGrid;
using engine::TGPEdit;
using engine::TGPImage;
using engine::TGPLabel;

constexpr const char* kNewGames = "NewGames";
constexpr const char* kMainPanel = "MainPanel";
constexpr int kDifficultyBoxes = 3;
constexpr int32_t kMaxSubjectRows = 10;

std::string Cut(std::string text, size_t letters) {
    if (text.size() > letters) text.resize(letters);
    return text;
}

// The name typed into the panel becomes the player's.
void TakePlayerName(engine::TGPForm* form, TPlayerRecord& record) {
    if (auto* edit = Find<TGPEdit>(form, "Ed_User_Name")) record.Name = Cut(edit->Text, TPlayerRecord::kTextLetters);
}

// A preview already written loads as a picture; one that does not is written again.
bool PreviewLoads(const std::string& file) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) return false;
    try {
        media::TGPBitmap bitmap;
        bitmap.LoadFromFile(file);
        return !bitmap.Failure && bitmap.Width() > 0;
    } catch (...) {
        return false;
    }
}

void SetLabel(engine::TGPForm* form, const std::string& name, const std::string& text) {
    if (auto* label = Find<TGPLabel>(form, name)) label->Text = text;
}

}  // namespace

bool TDlg_Sprallion::ReadSubjectEntry(engine::TGPResource& container, const std::string& fileName,
                                      const std::string& previewFolder, TSubjectEntry& entry, std::string* note) {
    const auto leftOut = [note](std::string why) {
        if (note) *note = std::move(why);
        return false;
    };
    if (container.Status() == -1) return leftOut("not a container");
    const int32_t type = container.ReadInt("Default", "TypeIG");
    if (std::find(std::begin(kSubjectTypes), std::end(kSubjectTypes), type) == std::end(kSubjectTypes))
        return leftOut(rtl::Format("not a level set (type %d)", {type}));
    const std::string title = engine::FileTitle(fileName);
    engine::TGPHashCollection* previews = container.GetSection("PreView_Level");
    if (!previews || !previews->Find(title)) return leftOut("no preview named " + title);
    // The preview as a bitmap file beside the level sets, written once (crash-safe). One that
    // cannot be written (a read-only folder, a full disk) only costs the picture.
    const std::string previewFile = previewFolder + "/" + title + ".BMP";
    if (engine::IsPlainFileName(title) && !PreviewLoads(previewFile)) {
        std::unique_ptr<media::TGPBitmap> bitmap;
        try {
            if (container.ReadBitmap("PreView_Level", title, bitmap) != media::gpbUnknown && bitmap)
                bitmap->SaveToFile(previewFile);
        } catch (const rtl::Exception& e) {
            if (note) *note = rtl::Format("the preview is not written: %S:%S", {e.className(), e.message()});
        }
    }
    engine::TGPHashCollection* subjects = container.GetSection("Subjects");
    if (!subjects || !subjects->Find("Subject")) return leftOut("no level list");
    engine::TInterfaceHeader header = engine::LevelSetHeader();
    engine::TLevelStream stream(fileName, &container, header, rtl::fmOpenRead);
    if (stream.Status() != 0) return leftOut(rtl::Format("its level list is refused (%d)", {stream.Status()}));
    entry.Header = stream.Header();
    entry.LevelCount = stream.GetLevelCount();
    entry.TypeText = Cut(std::to_string(type), TSubjectEntry::kNameLetters);
    entry.PreviewName = Cut(engine::FileTitle(entry.Header.PackName), TSubjectEntry::kNameLetters);
    entry.FileName = Cut(fileName, TSubjectEntry::kNameLetters);
    entry.FileTitle = Cut(title, TSubjectEntry::kNameLetters);
    return true;
}

std::array<int32_t, 2> TDlg_Sprallion::DifficultySpeed(int32_t difficulty) const {
    if (difficulty < 1 || difficulty > 3) return {5, 20};
    return SpeedDifficulty[static_cast<size_t>(difficulty - 1)];
}

void TDlg_Sprallion::On_Link_Main_DXKey_Ok(TObject*, engine::TDXInputStates& key) {
    if (!OnlyPressed(key, kEnterState)) return;
    key.reset();
    On_Link_NewGame_Show(nullptr);
}

void TDlg_Sprallion::On_Link_NewGame_Show(TObject*) {
    if (!Kernel) return;
    engine::TGPForm* form = FindForm(Kernel.get(), kNewGames);
    if (!form) return;
    // 1. The difficulty's game variable, made when the interface has none.
    if (!Kernel->KernelRecord.Difficulty && Kernel->Data) {
        Kernel->Data->AddField(nullptr, engine::ftInteger, Kernel->KernelRecord.Difficulty);
        engine::SetFieldValue(Kernel->KernelRecord.Difficulty, int32_t{1});
    }
    // 2., 3.
    SetLabel(form, "L_CurrentSubject", "");
    TGPEdit* nameEdit = Find<TGPEdit>(form, "Ed_User_Name");
    if (nameEdit) nameEdit->Enabled = true;
    ShowFromMainMenu(*Kernel, kNewGames);
    // 4.
    PlayerRecord.SubjectFile.clear();
    PlayerRecord.SubjectTitle.clear();
    CurrentSubject = -1;
    if (PlayerRecord.Difficulty < 1) PlayerRecord.Difficulty = 1;
    // 5.
    for (int d = 1; d <= kDifficultyBoxes; ++d)
        if (auto* box = Find<TGPCheckBox>(form, rtl::Format("CB_Difficulty_%D", {d}))) box->Checked = false;
    if (auto* box = Find<TGPCheckBox>(form, rtl::Format("CB_Difficulty_%D", {PlayerRecord.Difficulty})))
        box->Checked = true;
    if (auto* start = Find<engine::TGPButton>(form, "TB_Start_NewGame")) start->Enabled = false;
    if (nameEdit) nameEdit->Text = PlayerRecord.Name;
    for (const char* label : {"Subject", "Player", "Difficulty"})
        SetLabel(form, rtl::Format("Lb_%S", {label}), LanguageString(std::string(label) + "_%S"));
    SetLabel(form, "TL_MsgSubject", LanguageString("TL_MsgSubject_%S"));
    // 6. The level sets.
    SubjectList.reset();
    TGPImage* preview = Find<TGPImage>(form, "Im_PreViewSubject");
    if (!preview) return;
    preview->FromFile = true;
    const std::string folder = engine::RealPath(engine::ResourceFolders().Resource);
    rtl::StringList files;
    engine::ListFiles(folder, "*.ig", files, 0);
    if (files.Count() == 0) return;
    SubjectList = std::make_unique<std::vector<TSubjectEntry>>();
    auto* grid = Find<TGPCustomGrid>(form, "CG_ListSubject");
    if (!grid) return;
    int32_t row = 0;
    for (int i = 0; i < files.Count(); ++i) {
        const std::string name = files.Strings(i);
        // The records keep 20 letters of a name: a longer one would start another file.
        if (name.size() > TSubjectEntry::kNameLetters) {
            WriteLog("NewGameList", rtl::Format("Name too long: %S", {name}));
            continue;
        }
        try {
            engine::TGPResource container(engine::RealPath(folder + "/" + name), rtl::fmOpenRead);
            TSubjectEntry entry;
            std::string note;
            const bool listed = ReadSubjectEntry(container, name, folder, entry, &note);
            if (!note.empty()) WriteLog("NewGameList", rtl::Format(listed ? "%S: %S" : "%S left out: %S", {name, note}));
            if (!listed) continue;
            grid->SetCell(0, row++, entry.Header.Title);
            SubjectList->push_back(std::move(entry));
        } catch (const rtl::Exception& e) {
            WriteLog("NewGameList", rtl::Format("%S left out: %S:%S", {name, e.className(), e.message()}));
        } catch (...) {
            WriteLogException("NewGameList");
        }
    }
    // 7. One row per file found, at most ten.
    grid->RowCount = std::min<int32_t>(files.Count(), kMaxSubjectRows);
    if (grid->RowCount != 0) {
        grid->HoverCol = 0;
        grid->HoverRow = 0;
        On_Link_OnClick_Tema(grid);
    }
}

void TDlg_Sprallion::On_Link_OnClick_Tema(TObject* sender) {
    auto* grid = dynamic_cast<TGPCustomGrid*>(sender);
    if (!grid || grid->Name != "CG_ListSubject" || !SubjectList || !Kernel) return;
    engine::TGPForm* form = OwnerForm(grid);
    if (auto* edit = Find<TGPEdit>(form, "Ed_User_Name")) edit->Focused = false;
    auto* preview = Find<TGPImage>(form, "Im_PreViewSubject");
    const int32_t row = grid->GetEditRow();
    if (!preview || row < 0 || row >= static_cast<int32_t>(SubjectList->size())) return;
    const TSubjectEntry& entry = (*SubjectList)[static_cast<size_t>(row)];
    preview->SetPaint(entry.PreviewName);
    SetLabel(form, "L_CurrentSubject", entry.Header.Title);
    PlayerRecord.SubjectFile = entry.FileName;
    PlayerRecord.SubjectTitle = Cut(entry.Header.Title, TPlayerRecord::kTextLetters);
    CurrentSubject = row;
    if (auto* start = Find<engine::TGPButton>(form, "TB_Start_NewGame")) start->Enabled = true;
    SetLabel(form, "TL_MsgSubject", "");
}

void TDlg_Sprallion::On_Link_Difficulty_CheckBox(TObject* sender) {
    auto* chosen = dynamic_cast<TGPCheckBox*>(sender);
    engine::TGPForm* form = OwnerForm(sender);
    if (!chosen || !form) return;
    if (auto* edit = Find<TGPEdit>(form, "Ed_User_Name")) edit->Focused = false;
    int32_t number = 0;
    for (int d = 1; d <= kDifficultyBoxes; ++d) {
        auto* box = Find<TGPCheckBox>(form, rtl::Format("CB_Difficulty_%D", {d}));
        if (box == chosen)
            number = d;
        else if (box)
            box->Checked = false;
    }
    chosen->Checked = true;
    if (number == 0) return;  // a box of another name: no difficulty of its own
    PlayerRecord.Difficulty = number;
    if (Kernel) engine::SetFieldValue(Kernel->KernelRecord.Difficulty, number);
}

void TDlg_Sprallion::On_Link_NewGame_Hide(TObject* sender) {
    engine::TGPForm* form = OwnerForm(sender);
    if (!form && Kernel) form = FindForm(Kernel.get(), kNewGames);
    TakePlayerName(form, PlayerRecord);
    if (auto* preview = Find<TGPImage>(form, "Im_PreViewSubject")) preview->Paint.clear();
    SubjectList.reset();
    CurrentSubject = -1;
}

void TDlg_Sprallion::On_Link_NewGame_DXKey_Ok(TObject* sender, engine::TDXInputStates& key) {
    if (!OnlyPressed(key, kEnterState)) return;
    key.reset();
    // Enter while typing the name ends the typing, not the panel.
    if (EnterEndedEdit || (Kernel && dynamic_cast<TGPEdit*>(Kernel->FocusControl))) return;
    On_Link_OnClick_StartNewGame(sender);
}

void TDlg_Sprallion::On_Link_OnClick_StartNewGame(TObject*) {
    if (!Kernel || !SubjectList || CurrentSubject < 0 || PlayerRecord.SubjectFile.empty()) return;
    engine::SetFieldValue(Kernel->KernelRecord.Difficulty, PlayerRecord.Difficulty);
    // The panel hides at the end of the tick; the heads-up the level set builds now shows the
    // name typed, and the first pending save keeps it.
    TakePlayerName(FindForm(Kernel.get(), kNewGames), PlayerRecord);
    Kernel->HideForm(kNewGames);
    OpenGameLevelSet(engine::JoinDataPath(engine::ResourceFolders().Resource, PlayerRecord.SubjectFile));
    StartLevel(StartLevelParam);
}

void TDlg_Sprallion::OpenGameLevelSet(const std::string& levelSet) {
    if (!Kernel) return;
    Kernel->OnDXKeyDown = [this](TObject* sender, engine::TDXInputStates& key) { DoKernelInput(sender, key); };
    Kernel->FireCreateGames(levelSet);
    // The level reset freed the game variables: the difficulty's is looked up again.
    engine::SetFieldValue(Kernel->KernelRecord.Difficulty, PlayerRecord.Difficulty);
    BonusTally = 0;
    GameSpeed = DifficultySpeed(PlayerRecord.Difficulty);
}

void TDlg_Sprallion::On_Link_CallBackMain(TObject* sender) {
    if (!Kernel) return;
    Kernel->ShowForm(kMainPanel, Kernel->FocusForm);
    if (engine::TGPForm* form = OwnerForm(sender)) Kernel->HideForm(form->Name);
}

}  // namespace app
