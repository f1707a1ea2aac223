// The main form: the game's only window and the owner of the shell's state. Its methods are
// spread over one file per concern (fmPallidor<Concern>.cpp); every one of them copes with a
// form on which the kernel, the display and the input devices do not exist (yet).
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <span>
#include <string_view>
#include <vector>
#include <utility>

#include "app/ConfigRecords.h"
#include "app/PlayerRecord.h"
#include "app/SaveGames.h"
#include "app/SystemInfo.h"
#include "app/cmpTrayIcon.h"
#include "engine/gpKernel.h"
#include "engine/gpLevel.h"
#include "engine/gpUtils.h"
#include "internet/R_InternetI.h"
#include "media/DXClassForm.h"
#include "media/DXInput.h"
#include "platform/com/Unknown.h"
#include "rtl/DateTime.h"
#include "rtl/Format.h"
#include "rtl/StringList.h"
#include "rtl/TypeInfo.h"

namespace engine {
class TGPKernel;
class TGPResource;
class TGPPanel;
class TGPText;
}
namespace media {
class TDXDraw;
class TDirectSound;
class TGPMidi;
class TGPTimer;
class TSoundBufferCollection;
class TWaveCollectionItem;
}
namespace platform::display {
class Presenter;
}
namespace palvrek {
class IInternetGame;
}
namespace rtl {
class StringList;
}
namespace platform::input {
class Device;
}

namespace app {

class TDlg_GPMessage;

// Downloaded updates that the game starts when it ends.
struct TUpdateRun {
    uint8_t RunAtExit = 0;  // 1: run
    std::string UpdateDir;
    std::string UpdateFiles;  // one file name per line
};

// The main form is also a class of the type information: its handlers are published methods,
// found by name when data or the kernel's events bind them.
class TDlg_Sprallion : public media::TDXForm, public rtl::Object {
    RTL_CLASS(TDlg_Sprallion, rtl::Object)
public:
    TDlg_Sprallion();
    ~TDlg_Sprallion() override;
    static void DescribeClass(rtl::ClassBuilder<TDlg_Sprallion>& c);

    using TObject = rtl::Object;

    // ---- Start-up and shut-down (fmPallidorStartup.cpp) ----

    // The start-up in its fixed order; a step that fails stops it (the form then stays
    // without a kernel) or ends the program through a fatal error.
    void FormCreate(TObject* sender);
    // Creates the kernel on the first show that finds the game data open.
    void FormShow(TObject* sender);
    void FormActivate(TObject* sender);
    // The shut-down: every step guarded and logged on its own, the END SESSION line always.
    void FormDestroy(TObject* sender);
    // Handlers the form's data binds that have nothing to do.
    void DXDrawGPMouseMove(TObject* sender, uint32_t shift, int32_t x, int32_t y);
    void DXDrawGPInitialize(TObject* sender);
    // True once the start-up ran all its steps.
    bool Started() const { return started_; }

    // ---- Kernel and its events (fmPallidorKernel.cpp) ----

    // Sound device, kernel, interface, map, mouse, configuration, the first panel; once.
    void CreateGameKernel();
    // The sound register's loader: the wave `name` of section "Wav" into `buffer`, at the
    // sound list's common volume; false (nothing loaded) on any failure.
    bool LoadSoundFromResource(media::TWaveCollectionItem& buffer, const std::string& name);
    // The music player's notification: a tune that ended (flag false) moves the queue on.
    void DoMidiNotify(media::TGPMidi& midi, bool flag);
    void DoKernelDestroy(TObject* sender);
    // The music player the kernel's music runs on, while there is one.
    media::TGPMidi* MusicPlayer() const;

    // ---- Handlers of the game's flow and input (fmPallidorHandlers.cpp) ----
    // Bound to the kernel's events and the form's messages; their rules come with the game
    // flow, the input actions and the panels.

    void DoGPCreateGames(TObject* sender, const std::string& name);
    void DoDestroyGames(TObject* sender);
    void DoGPNextLevel(TObject* sender);
    void DoGPLastLevel(TObject* sender);
    void DoGPNewLife(TObject* sender);
    void DoGPEndLife(TObject* sender);
    void DoGPSortNation(TObject* sender);
    void DoGPMove(TObject* sender);
    void DoCheckVelocity(double& value, TObject* sender, engine::TVelocityXY axis);
    void DoConditionEvent(TObject* sender, engine::TConditionKernel condition);
    void DoKernelInput(TObject* sender, engine::TDXInputStates& state);
    void DoAppActivate(TObject* sender);
    void DoAppDeactivate(TObject* sender);
    void FormKeyDown(TObject* sender, uint16_t& key, uint32_t shift);
    void DXDrawGPMouseDown(TObject* sender, int32_t button, uint32_t shift, int32_t x, int32_t y);
    void FormMouseUp(TObject* sender, int32_t button, uint32_t shift, int32_t x, int32_t y);
    void OnPOWERBROADCAST(platform::display::Message& message);
    void ActivateHook();
    void DeactivateHook();
    void PauseHook();
    void ResumeHook();
    // The player record as the game stands now (score, lives, level, medals).
    void UpdatePlayerRecord();

    // ---- Game flow (fmPallidorGame.cpp, fmPallidorFlow.cpp) ----

    // The level set's tuning values: its "Default" section over these defaults.
    struct TGameTuning {
        int32_t AverageFactor = 1000000, SizeLevel = 10, MinCountForTopList = 200, IntervalTimer = 22;
        int32_t SKB = 5, SS = 300000, SGCB = 5, CCP = 5, SA = 5, FH = 10, UF = 5, TL = 10;
        std::array<std::array<int32_t, 2>, 3> SpeedDifficulty{{{8, 30}, {12, 30}, {16, 30}}};
        std::array<double, 3> SuperSpeedup{1.1, 1.3, 1.5};
    };
    // Reads the entries of "Default" that exist; an entry of a wrong size, or a speed factor
    // that is not a positive finite number, is ignored.
    static void ReadTuning(engine::TGPResource& container, TGameTuning& tuning);

    // Kernel-event handlers of a game.
    bool HasOtherObjectOfKinds(engine::TGPObject* object);
    // Queues the end of the level and the next one, once per level.
    void LevelCompleted();
    // The kernel's OnPUSH while a level runs: the last destructible brick gone ends the level.
    void DoPUSH(TObject* sender);
    bool OnlySpecialBricksLeft();
    void OnSort_Effect_Rocet(engine::TGPStructure* child, engine::TListStructure* list);
    void DoMapSetKind(TObject* map, int32_t value);

    // The game's flow.
    void StartLevel(int32_t index, bool noMessage = false);
    void ApplyLevelRecord(engine::TGPNation* nation, engine::TGPObject* object);
    // The running game into slot 0 of the saved games, with the level's preview; a failed
    // write leaves the stored file as it was.
    void StorePendingSave();
    // The fields of the game from PlayerRecord (a saved game was loaded).
    void SetUserInfo();
    void LoseLife();
    // The end of a game: the hall of fame, the kernel's end, "MainPanel"; once per game.
    void EndGame(TObject* caller);
    // The rank step or the medal chain after level `level`; true when one awarded.
    bool CalculationOfBonus(int32_t level, bool silent);
    void ExtraLife(bool silent);
    void BallSplinter(TObject* sender, TObject* ball, const std::vector<int32_t>& kinds,
                      const std::vector<int32_t>& classes);
    void RidingBallMove(TObject* sender);
    void BrickHit(TObject* sender);
    void BrickShake(TObject* sender, bool hit, int32_t& count, bool active);
    void ClearDropTable();
    void ClearMonsterTable();
    // The class a roll 0..999 draws from the monster table; -1 without one.
    int32_t LookupRangeTable(int32_t roll) const;
    int32_t Difficulty() const;  // fd_Difficulty clamped to 1..3

    // Called with (message, number) for every medal (7), rank (8) and other in-game message
    // shown (tests listen here).
    std::function<void(int32_t message, int32_t number)> OnGameMessage;

    TGameTuning Tuning;
    int32_t BrickDropChance = 990, WanderChance = 990;
    int32_t PlayerStartY = engine::DefaultPlayerStartY, EffectTicks = engine::DefaultEffectTicks;
    int32_t WeaponChargeMax = 600;
    bool DropsOff = false;
    int32_t PreviousScore = 0;
    std::string SubjectFile;  // the level set of the game
    std::unique_ptr<engine::TStructureOfLevel_1> CurrentLevel;
    int32_t WanderNationKey = -1;  // the nation of the wandering monsters (-1 none)
    int32_t EffectCounter = 0, CompletionCounter = 0, LaunchCounter = 0;
    bool GameEnded = false;  // EndGame ran for this game

    // ---- Internet services (fmPallidorInternet.cpp) ----

    // Creates and configures the library's object; without it, starts the registration tool
    // so that the next start finds it.
    void CreateInternetObject();
    // The end of a game: the player's entry into the hall of fame.
    void InsertToList();
    void CheckForUpdate();
    // The end of the start-up: the messages the creation of the internet object left (the
    // registration tool did not start) and the update check the options ask for.
    void RunStartupInternetMessages();
    // The update check asked for by the player, whatever the option says.
    void UpDataClick(TObject* sender);
    std::string ReadUpdateDescriptions();
    // Starts each file named in `files` (one per line) that lies directly in `folder`.
    void RunUpdateFiles(const std::string& folder, const std::string& files);
    void OpenNamedDocument();
    // Finalize, then the reference released: before the runtime may unload the library.
    void ReleaseInternetObject();

    // ---- Log and error messages (fmPallidorLog.cpp, fmPallidorErrors.cpp) ----

    // Appends "Class <tag> with message '<text>'.\r\n" to the log.
    void WriteLog(std::string_view tag, std::string_view text);
    // Inside a catch block: the log line "<tag>" / "<class name>:<message>" of the exception
    // being handled.
    void WriteLogException(std::string_view tag);
    // Mode -1: fatal (message box, log, termination); any other mode: log only.
    void ShowError(int mode, uint32_t index, std::string_view argument);
    // Set by a fatal error: the program then ends with a failure status.
    bool FatalErrorShown = false;
    // The application object's exception handler.
    void OnApplicationException(void* sender, std::exception_ptr error);
    // Makes OnApplicationException the application's handler.
    void InstallExceptionHandler();
    std::string LogFileName() const;

    // ---- Options, language, system check (fmPallidorOptions.cpp) ----

    void LoadOptionsProject();
    void SaveOptionsProject();
    void SetProjectDir(std::string_view companyName, std::string_view productName, std::string_view programDir,
                       std::string_view valueName);
    bool CheckSystemAndLanguage();
    void InitSaveContainer();
    std::string SaveContainerFile() const;
    // At start: finishes a rewrite of the files the game replaces (the game data file, the
    // saved games, the registry) that a crash interrupted, and removes temporary files of
    // copies that no longer run; each is logged.
    void TidyStoredFiles(const std::string& gameData);
    // HKEY_CURRENT_USER "\SOFTWARE\<CompanyName>\<ProductName>" of the version block.
    std::string OptionsKey() const;

    // ---- Configuration stream (fmPallidorConfig.cpp) ----

    void LoadConfig(engine::TGPResource& resource);
    void SaveConfig();
    void SetDefaultGPCfg();
    static void SetDefaultKeyAssignments(media::TKeyAssignList& table);
    // Called between the writes of SaveConfig with the name of what comes next (tests
    // interrupt a save there).
    std::function<void(std::string_view next)> SaveConfigStepHook;

    // ---- Single instance (fmPallidorInstance.cpp) ----

    // Registers the instance messages and runs the check with this form as the window to
    // restore; false when another copy runs (this one is then terminating).
    bool CheckInstance();

    // ---- Tray icon (fmPallidorTray.cpp) ----

    // Creates the tray icon with the form's icon and TrayIconClick as its click handler.
    void CreateTrayIcon();
    void TrayIconClick(void* sender);

    // ---- Messages, dialogs and help (fmPallidorMessages.cpp) ----

    // The medal K (1..10) and rank K (1..19) announcements: messages 7 and 8 with their names
    // and pictures; nothing outside those ranges or without a name (logged).
    void ShowMedalMessage(int32_t k);
    void ShowRankMessage(int32_t k);
    void ShowAnnouncement(int32_t n, const std::string& name, const char* picture, bool rank);


    // Window message N (text and title from "Strings" in the game's language; 15 is the About
    // lines) in the message box of kind Kind with Buttons; answers the button pressed (1 Ok),
    // 0 when the box cannot be shown (logged).
    int32_t ShowWindowMessage(int32_t n, int32_t kind, std::span<const rtl::FormatArg> args, int32_t buttons);
    // The product's name, version and copyright as the About box shows them.
    void FillAboutLines(rtl::StringList& list) const;
    // Asks before closing; Ok closes the main form.
    void Close1Click();
    // The help page, else the help text; each failure logged as error 4.
    void OpenHelpFile();
    // The game's own pointer, hidden while a native dialog is up.
    void HideMouseSprite();
    void ShowMouseSprite();
    // The entry Format(format, [LanguageCode]) of "Strings"; empty when absent.
    std::string LanguageString(std::string_view format) const;
    // The game window's id for the windows that stay above it (0: none).
    uint32_t GameWindowId() const;

    // ---- Input, pause and heads-up (fmPallidorInput.cpp, fmPallidorHud.cpp) ----

    // What one poll of the devices moves the paddle by: a key moves one step, the mouse its
    // relative movement (clamped to 16 bits); the flags tell a key's step from the mouse's.
    struct TPlayerMovement {
        int32_t DX = 0, DY = 0;
        bool MovedX = false, MovedY = false;
    };
    // Polls the devices into State (the merged states, and 4 or 5 for a pressed mouse
    // sprite) and answers the paddle's movement.
    TPlayerMovement ReadPlayerMovement(engine::TDXInputStates& state);
    // The mouse sprite's press from the poll: a button pressed since the poll before presses
    // it for this tick, even when it was released before the tick (a fast click); a pressed
    // button found up releases it.
    void TrackPointerPress();
    // "Pause" over the game while playing, hidden while shown: 1 shown, 0 hidden, 255 nothing
    // (within 500 ms of the last toggle, or in another condition).
    int32_t TogglePausePanel(const std::string& name);
    // The same for a panel of the main interface (options, help).
    int32_t ToggleMenuPanel(const std::string& name);
    void TogglePause();
    // The weapon's charge, kept here and shown through "fd_Count_1".
    void SetWeaponCharge(int32_t value);
    // Fires the charged weapon once; false when the pool gives no weapon.
    bool FireChargedWeapon(engine::TGPObject& player);
    // The tick's time base and frame timing start again from now.
    void ResetFrameTiming();
    // The back surface as "Pal<time>.bmp" in the screenshot folder.
    void TakeScreenshot();

    engine::TDXInputStates RememberedActions;  // the action keys held, run when all are released
    // The Enter held now ended an edit: the action its release gives is the edit's, until then.
    bool EnterEndedEdit = false;
    int32_t WeaponCharge = 0;
    bool WeaponReady = true;
    int32_t PressedButton = -1;     // the mouse button pressed on the game (0 left, 1 right)
    uint32_t LastToggleTime = 0;    // tick count of the last panel toggle
    bool Toggled = false;           // a panel was toggled in this run
    std::string RememberedMusic;    // the music playing when a panel opened during play

    // The description lines of "Script_Interface" not yet taken.
    rtl::StringList InterfaceDescriptions;
    // Takes (and deletes) the first line of the panel identified by owner; false when none.
    bool TakeDescriptionForOwner(int32_t owner, std::string& line);
    // The widgets of every section the line names, in the panel.
    void BuildWidgetsFromDescription(engine::TGPPanel& panel, const std::string& line);
    void ApplyIntegerProperty(engine::TGPStructure* widget, std::string_view name, std::string_view line);
    void ApplyTextProperty(engine::TGPStructure* widget, std::string_view name, std::string_view line);
    void ApplyIconCorrespondence(engine::TGPStructure* icon, std::string_view line);
    // The widgets of a panel without a description: the fixed set for its identifier.
    void BuildFixedWidgets(engine::TGPPanel& panel);
    // The panel's widgets from InterfaceDescriptions, or the fixed set when there are none.
    void BuildPanelWidgets(engine::TGPPanel& panel);
    // The player-name text: the best local entry, else the player's name; its font size.
    void SetPlayerNameText(engine::TGPText& text);

    // ---- State shared by the shell ----

    std::string Caption;           // the window's title
    std::string ApplicationTitle;  // the product's name
    // The device the input component reads: the platform's own unless the program hands
    // another (a script's scripted input).
    platform::input::Device* InputSource = nullptr;
    std::unique_ptr<platform::input::Device> OwnedInputSource;
    // The kernel's view of the display and the input.
    std::unique_ptr<engine::TKernelDisplay> KernelDisplay;
    std::unique_ptr<engine::TKernelInput> KernelInput;
    platform::com::ComPtr<palvrek::IInternetGame> InternetGame;
    std::unique_ptr<rtl::StringList> MidiList;  // music of the current level set
    engine::TInterfaceHeader InterfaceHeader;    // passed to the level and interface readers
    TPlayerRecord PlayerRecord;
    int32_t StartLevelParam = 0;  // "Level" on the command line: the start level of new games
    int32_t IntervalTimer = 22;   // ms between ticks
    int32_t WanderTicks = 0;      // ticks towards the next wandering monster

    // The game's statistics counters and flags. The lives gained are the kernel's shared
    // value (Shared.LivesGained), where the engine adds the letters' lives.
    int32_t LevelsWithoutLoss = 0, BallMonsterHits = 0, ChargeCount = 0;
    int32_t MonsterHitsByBall = 0, MonsterHitsOther = 0, ShotCount = 0;
    bool OnlySpecialBricks = false, FatalHit = false, GameRunning = false, HallOfFameShown = false;

    // Called after each tick of the kernel (the test script's turn).
    std::function<void()> AfterTick;

    std::string ProgramDir;  // the program folder in the engine's form, ending in '\'
    engine::TFileVersionInfo VersionInfo;
    std::string CurrentVersion;
    std::string ContainerFile;  // a real path
    std::unique_ptr<engine::TGPResource> Resource;
    std::unique_ptr<media::TDXInput> Input;  // nil when its creation failed
    std::unique_ptr<engine::TGPKernel> Kernel;
    media::TDirectSound* Sound = nullptr;  // owned by the kernel once it exists
    media::TGPMidi* Midi = nullptr;        // the kernel's music player, while there is one
    std::unique_ptr<platform::display::Presenter> Presenter;
    std::unique_ptr<media::TDXDraw> DXDrawGP;
    std::unique_ptr<TTrayIcon> TrayIcon;
    // The message box, made on first use and kept.
    std::unique_ptr<TDlg_GPMessage> MessageDialog;
    TIcon Icon;
    bool InternetAvailable = false;
    bool KernelCreated = false;
    int64_t LogSize = 0;
    bool ScreenshotsEnabled = true;
    TUpdateRun UpdateRun;
    rtl::TDateTime DateLastUpData = 0;
    bool FullScreen = true;
    bool LoggingEnabled = true;

    // Registry options.
    std::string Bif;
    int32_t CheckInternet = 0, InsertTopList = 0, AutoUpDate = 0, PlayAVI = 1;
    std::string Language;

    // Language and the system check.
    std::string LanguageCode = "419";
    uint8_t TextCharset = 1;
    std::string DDrawVersion, DInputVersion, DSoundVersion;
    TSystemInfo SystemInfo;

    // Input and sound settings of the configuration stream.
    TGPCfg GPCfg;
    media::TKeyAssignList KeyAssigns{};
    TKeyChangeTable KeyChangeMouse{}, KeyChangeJoystick{};
    uint8_t MouseControl = 0, MouseFailed = 0, JoystickFailed = 0;

    // ---- Panels: options, save and load (fmPallidorPanelOptions.cpp, fmPallidorPanelSave.cpp) ----

    // The options panel: sound, music and their volumes, mouse or joystick, the first key of
    // the six movement and action states.
    void On_Link_OptionPanel_Show(TObject* sender);
    void On_Link_cWav_cMIDI_Button(TObject* sender);
    void On_Link_OptionPanel_Wav_Value(TObject* sender);
    void On_Link_OptionPanel_MIDI_Value(TObject* sender);
    void On_Link_OptionGrid_Click(TObject* sender);
    void On_Link_OptionGrid_Exit(TObject* sender);
    // A key while a cell of the key grid is edited: assigned when it is free and assignable.
    void On_Link_KeyDown_SetKey(TObject* sender, uint16_t& key, uint32_t shift);
    // The grid's names become the first keys of states 0..5 (a name that is no key keeps the
    // old key).
    void On_Link_OptionPanel_Hide(TObject* sender);
    void On_Link_OptionPanel_Ok(TObject* sender);
    void On_Link_OptionPanel_Reset(TObject* sender);
    void On_Link_Option_DXKey_Ok(TObject* sender, engine::TDXInputStates& key);
    // The native options dialog; the kernel and the main form are restored however it ends.
    void On_Link_Option_Option_Show(TObject* sender);

    // The save panel ("Save_Games") and the load panel ("Load_Games"): six slots each.
    void On_Link_LoadSave_Show(TObject* sender);
    void On_Link_Load_Show(TObject* sender);
    void On_Link_Enter_ImageSave(TObject* sender);
    void On_Link_Enter_ImageLoad(TObject* sender);
    // The pending game into the slot clicked; nothing without one.
    void On_Link_Save_Games(TObject* sender);
    // The game of the slot clicked, when its level set is there and usable (else message 26).
    void On_Link_Load_Games(TObject* sender);
    // The buttons that open the panels, from the form they are on (the main menu, the pause).
    void On_Link_Load_Create(TObject* sender);
    void On_Link_Save_Create(TObject* sender);
    // Empties slot N's picture and texts; fills them from a saved game.
    void FillSaveSlot(engine::TGPStructure& form, int slot, const TSaveSlot* game);
    void FillLoadSlot(engine::TGPStructure& form, int slot, const TSaveSlot* game);
    // Called with the slot number of each damaged slot reported (tests listen here).
    std::function<void(int slot)> OnSaveSlotDamaged;

    // ---- Opening a level set ----
    // Opens the level set of a game the player starts or loads, as PlayerRecord gives it:
    // the kernel's input goes to the game, the bonus tally starts anew, and the difficulty
    // sets its variable and the speed pair.
    void OpenGameLevelSet(const std::string& levelSet);

private:
    // The saved games; a container that does not open is moved aside and made anew
    // (reported). Nil when even that fails.
    std::unique_ptr<TSaveGames> OpenSaveGames();
    void ShowSlots(engine::TGPStructure* form, bool loadPanel);
    void FillSlot(engine::TGPStructure& form, int slot, const TSaveSlot* game, bool loadPanel);
    void HoverSlot(TObject* sender, bool loadPanel);
    void OpenSlotsPanel(TObject* sender, const std::string& panel);
    void ReportDamagedSlot(int slot);
    uint8_t reportedSlots_ = 0;  // damaged slots reported since the panel was shown (bit N)
public:

    // ---- Panels: new game and main menu (fmPallidorPanelNewGame.cpp, fmPallidorPanelMenu.cpp) ----

    // One usable level set of the new-game list: its header as the level reader read it, the
    // level count, and the names the shell fills in (each at most 20 characters).
    struct TSubjectEntry {
        static constexpr size_t kNameLetters = 20;
        engine::TInterfaceHeader Header;  // Title shown as it stands
        int32_t LevelCount = 0;
        std::string TypeText;     // "787878" or "989898"
        std::string PreviewName;  // the header's pack name reduced to its file title
        std::string FileName;     // the level-set file, without folder
        std::string FileTitle;    // the file name up to its first '.'
    };
    // The level-set types the new-game list takes.
    static constexpr int32_t kSubjectTypes[2] = {787878, 989898};
    // Reads one level-set container opened for reading into entry: false (entry unspecified)
    // when its type is not a level set's, its preview entry is missing, or its header is
    // refused. Writes the preview bitmap into previewFolder (a real folder) unless a loadable
    // one is there already; a preview that cannot be written leaves the set listed. `note`
    // receives why the set is left out, or why its preview was not written. Raises on damaged
    // data.
    static bool ReadSubjectEntry(engine::TGPResource& container, const std::string& fileName,
                                 const std::string& previewFolder, TSubjectEntry& entry, std::string* note = nullptr);
    // The speed pair of a difficulty from the difficulty speed table; outside 1..3 5/20.
    std::array<int32_t, 2> DifficultySpeed(int32_t difficulty) const;

    // New game.
    void On_Link_Main_DXKey_Ok(TObject* sender, engine::TDXInputStates& key);
    void On_Link_NewGame_Show(TObject* sender);
    void On_Link_OnClick_Tema(TObject* sender);
    void On_Link_Difficulty_CheckBox(TObject* sender);
    void On_Link_NewGame_Hide(TObject* sender);
    void On_Link_NewGame_DXKey_Ok(TObject* sender, engine::TDXInputStates& key);
    void On_Link_OnClick_StartNewGame(TObject* sender);
    void On_Link_CallBackMain(TObject* sender);
    // Main menu, navigation, help, credits.
    void On_Link_Enter_Button(TObject* sender);
    void On_Link_Exit_Button(TObject* sender);
    void On_Link_Help(TObject* sender);
    void On_Link_OnClick_Option(TObject* sender);
    void On_Link_Credits_Create(TObject* sender);
    void On_Link_OnClick_Halt(TObject* sender);
    void On_Link_OnClick_Concel(TObject* sender);
    void On_Link_MainPanel_Show(TObject* sender);
    void On_Link_DXKeyDown(TObject* sender, engine::TDXInputStates& key);
    void On_Link_Main_DXKey_Cancel(TObject* sender, engine::TDXInputStates& key);
    void On_Link_Message_DXKey_Ok(TObject* sender, engine::TDXInputStates& key);
    void On_Link_Sprallion_Exit(TObject* sender);
    void On_Link_About_Show(TObject* sender);
    void On_Link_ShowHelp(TObject* sender);
    void On_Link_HelpHTML(TObject* sender);
    void On_Link_Credits_Show(TObject* sender);
    void On_Link_MainPanel_ShowLocalTopList(TObject* sender);
    void On_Link_Updata_Show(TObject* sender);
    void OnClick_Quorvex(TObject* sender);
    // The opening logos.
    void On_Link_Spr_Logo_Show(TObject* sender);
    void On_Link_Spr_Logo_Move(TObject* sender);
    void On_Link_Mirel_BeginStand(TObject* sender);
    void On_Link_Quor_BeginStand(TObject* sender);
    void On_Link_Mirel_HideStand(TObject* sender);
    void On_Link_Spr_Logo_DXKey(TObject* sender, engine::TDXInputStates& key);
    void On_Link_Spr_Logo_Hide(TObject* sender);
    void On_Link_Spr_Logo_F_DXKey(TObject* sender, engine::TDXInputStates& key);
    void On_Link_Spr_Logo_F_Hide(TObject* sender);
    // The in-game message N in "MessageBox" with its Ok and Cancel handlers (nil: the panel
    // closes as On_Link_OnClick_Concel); without the panel or the text the Ok handler, else the
    // Cancel handler, runs at once. A mode other than 0 makes the panel under the message its
    // caller, when one shows. The message returns to no remembered panel.
    void ShowMessageBox(int32_t n, int32_t picture, std::span<const rtl::FormatArg> args, engine::TNotifyEvent onCancel,
                        engine::TNotifyEvent onOk, int32_t mode = 0);
    // The in-game message N over the focused panel, which is remembered: Cancel (and Ok, when
    // no handler is given) returns there.
    void ShowMessageOverPanel(int32_t n, int32_t picture, std::span<const rtl::FormatArg> args,
                              engine::TNotifyEvent onOk = nullptr);
    // Hides "MessageBox" and shows the remembered panel again, with its parent as caller.
    void ReturnFromMessageBox();

    // The new-game list while the panel is open (nil otherwise) and the chosen entry (-1 none).
    std::unique_ptr<std::vector<TSubjectEntry>> SubjectList;
    int32_t CurrentSubject = -1;
    // The difficulty speed table (the level set's "Default"/"SpeedDifficulty" replaces it),
    // the speed pair of the game's difficulty and the game flow's bonus tally.
    std::array<std::array<int32_t, 2>, 3> SpeedDifficulty{{{8, 30}, {12, 30}, {16, 30}}};
    std::array<int32_t, 2> GameSpeed{8, 30};
    int32_t BonusTally = 0;
    // The panel the message panel returns to, and the name of that panel's parent form
    // (looked up again on return, so a form freed meanwhile is never used).
    std::string RememberedPanel, RememberedParent;
    // The opening logos' counters and the flag the first logo's end sets.
    int32_t LogoCounter1 = 0, LogoCounter2 = 0;
    bool LogoHidden = false;
    bool MainPanelLogged = false;  // "MainPanelShow" once a run

protected:
    void DefaultHandler(platform::display::Message& message) override;

private:
    // Each step of FormDestroy on its own: a failure is logged under the step's tag.
    void ShutdownStep(const char* tag, const std::function<void()>& step);
    void OpenDisplay();
    void OpenInput();
    void ReadInterface();
    void HookKernelEvents();
    void CreateMusicPlayer();
    void InstallMessagePump(bool on);
    void StartRegistrationTool();
    // ShowMessageBox without touching the remembered panel.
    void RaiseMessageBox(int32_t n, int32_t picture, std::span<const rtl::FormatArg> args, engine::TNotifyEvent onCancel,
                         engine::TNotifyEvent onOk, int32_t mode);

    bool started_ = false;
    bool optionsLoaded_ = false;  // options read in this run: only then written back
    bool configLoaded_ = false;   // configuration read in this run: only then written back
    bool comInitialized_ = false;
    bool hotKeyRegistered_ = false;
    bool handlerInstalled_ = false;
    // What the internet object's creation leaves to tell once the game data is open.
    bool startupRegistrationFailed_ = false;
    bool startupUpdateCheck_ = false;
    TGPCfg storedGPCfg_;  // GPCfg as read: what a device missing this run keeps

    // The sound list whose common volume is the wave volume: the kernel's sound register.
    media::TSoundBufferCollection* WaveList() const;
    bool MusicAvailable() const;
};

// The message of an error number's format with its argument; "Error" when the format fails.
std::string FormatErrorText(std::string_view format, std::string_view argument);
size_t ErrorTextCount();

// The version text the game's stand-ins of the multimedia libraries report, for helpers that
// look for a library file the system does not have.
std::string StandInVersion(const std::string& fileVersion);

// The class name and the message of an exception, as the log shows them.
std::pair<std::string, std::string> DescribeException(std::exception_ptr error);

}  // namespace app
