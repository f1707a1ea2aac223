// The kernel: the one engine object. It owns the tick timer, the nations, the deferred
// command line and its executor, the pools of orders and move requests; it knows the
// display, input and sound devices, the map and the mouse cursor; once per timer interval
// it runs the tick on the main thread.
//
// Objects of play (phantoms, game objects, weapons) come from three global pools that live
// as long as the program; the kernel hands them out and takes them back.
#pragma once

#include "engine/gpClasses.h"
#include "engine/gpCmdExecute.h"
#include "engine/gpKernelDevices.h"
#include "engine/gpOrder.h"
#include "engine/gpData.h"
#include "engine/gpShared.h"
#include "engine/gpStructure.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace media {
class TCustomDXDraw;
class TDirectDrawSurface;
class TGPMidi;
class TGPTimer;
}  // namespace media

namespace platform::midi {
class Sequencer;
struct SequencerOptions;
}

namespace rtl {
class StringList;
}

namespace engine {

class TGPMap;
class TGPMouse;
class TGPNation;
class TListNation;
class TGPObject;
class TGPForm;
class TLevelStream;
class TGPBaseInterface;
class TGPInterface;
class TStackPhantom;
class TStackObject;
class TStackWeapon;
class TDXRegisterPanel;
class TDXRegisterEffects;
class TDXRegisterForms;
class TGPResource;
struct TKernelResources;

enum TConditionKernel : uint8_t { ck_Play, ck_EndLife, ck_Designer, ck_Interface, ck_MainInterface, ck_EndGames };

using TConditionKernelEvent = std::function<void(TObject* sender, TConditionKernel value)>;
// What a velocity check is asked about: velocity X, velocity Y or the speed.
enum class TVelocityXY : uint8_t { vxyX = 0, vxyY = 1, vxySpeed = 4 };
using TCheckVelocityEvent = std::function<void(double& value, TObject* sender, TVelocityXY xy)>;
using TKeyEvent = std::function<void(TObject* sender, uint16_t& key, uint32_t shift)>;

struct TSoundState {
    bool WaveAvailable = false;
    bool SoundOn = true;
    bool MidiReady = false;
    bool MidiAvailable = false;
    int32_t Reserved1 = 0, Reserved2 = 0;
    uint16_t Quality = 0;
};

// The pools of objects of play, created on first use and kept for the life of the program.
TStackPhantom& PhantomPool();
TStackObject& ObjectPool();
TStackWeapon& WeaponPool();

// The kernel while it lives, else nil.
TGPKernel* GlobalKernel();

// Returns a sprite to its pool (1 phantom, 2 game object, 3 weapon): through the kernel,
// which reports it (OnPUSH), or straight to the pool when there is no kernel.
void FreeToPool(TGPKernel* kernel, int32_t kind, TGPStructure* sprite);

class TGPKernel : public TGPStructure {
    RTL_CLASS(TGPKernel, TGPStructure)
public:
    TGPKernel(TKernelDisplay* display, TKernelInput* input, std::unique_ptr<TKernelSoundDevice> sound);
    ~TGPKernel() override;

    void Start();
    void Tick();
    void MoveAll();
    void MoveForms();
    void ResolveCollisions();
    void RunCommands();
    void DrawNations();
    void DrawForms();

    void Clear() override;
    void Draw() override;
    void ValidateContainer(TGPStructure* container) override;

    void SetCondition(TConditionKernel value);
    void EndGames();
    void FireCreateGames(const std::string& name);
    void FireDestroyGames();
    void FireEndLife();
    void FireNewLife();
    void FireNextLevel();
    void FireLastLevel();
    // The level's end (the world ends, then the next level) queued once a level, whichever
    // way the level ends: its last brick, the periodic check, the exit object. Answers
    // whether the end is on the line, now or from before; false when the line had no room.
    bool QueueLevelEnd();
    TGPNation* NationByKey(int32_t key);
    // The first nation with the key, or nil: a look-up that never creates one (and so
    // never fires OnGPSortNation).
    TGPNation* FindNation(int32_t key) const;

    // Kind 1 phantom, 2 game object, 3 weapon; anything else nil.
    TGPStructure* CreateObject(int32_t kind, TObject* owner, bool checkLimit, int32_t idClass);
    void FreeObject(int32_t kind, TGPStructure* sprite);
    void SetMap(TGPMap* map) { Map = map; }
    // The kernel owns the map the shell creates for it (see CreateMap).
    TGPMap* AdoptMap(std::unique_ptr<TGPMap> map);
    void SetMouse(std::unique_ptr<TGPMouse> mouse);
    // The cursor class of the mouse sprite.
    void SetMouseKind(int32_t kind);

    // The display component and its back surface, the world's drawing surface; nil
    // without a display component. The surface is asked for each time: the display
    // rebuilds it when its size changes.
    media::TCustomDXDraw* Display() const;
    media::TDirectDrawSurface* Surface() const;
    // The two containers the loaders read.
    TKernelResources Resources() const { return {Resource.get(), InterfaceResource}; }

    // ---- Services for the shell and the widgets (main thread) ----

    // Forms, through the command line: they take effect at the end of the tick. ShowForm
    // first moves the cursor onto a form that does not hold it (edges count as inside).
    TGPStructure* ShowForm(const std::string& name, TObject* caller);
    TGPStructure* ShowFormOverGame(const std::string& name, TObject* caller);
    TGPStructure* HideForm(const std::string& name);
    int32_t SurfaceWidth() const;
    int32_t SurfaceHeight() const;

    // The mouse: the system cursor's position read into MouseX and MouseY; the cursor moved
    // onto the centre of a game object or a widget on screen.
    void ReadCursorPos();
    void SetMouseX(int32_t x);
    void SetMouseY(int32_t y);
    void SetCursorToObject(TGPStructure* sprite);
    // The widget under the cursor, while Flags holds element 1: the deeper widget wins and a
    // tie keeps the current one; a switch fires the new widget's OnGPEnter, then the old
    // one's OnGPExit. Nil clears the hover and the pressed button.
    void HoverWidget(TGPStructure* widget);

    // The keyboard: the focused control (a TGPControls; nil clears it), and the keys of the
    // shell: OnGPKeyDown, the focused control's own handler, then the editing of a focused
    // edit. Key 266 marks a key a handler consumed.
    void SetFocusControl(TGPStructure* control);
    void KeyDown(TObject* sender, uint16_t& key, uint32_t shift);

    // Points of play: added to the shared tally and to the score variable ("fd_Count") that
    // the heads-up shows and the game flow keeps, each saturating at the 32-bit limits.
    void AddScore(int64_t amount);

    // The timer's activation handlers.
    void SetOnActivate(std::function<void(media::TGPTimer&)> handler);
    void SetOnDeactivate(std::function<void(media::TGPTimer&)> handler);

    // The level set of the game (nil, or the current one, changes nothing); its fonts join
    // FontList and leave its descriptor.
    void SetLevelStream(std::unique_ptr<TLevelStream> stream);
    // Fonts that level sets bring: "name:-file" lines (":" alone once removed).
    void MergeFonts(const rtl::StringList& list);
    void ReleaseFonts();

    // Music: the player on a sequencer of the options (the null one headless). A failure
    // leaves no player and both flags clear, and passes on.
    void CreateMidi(const platform::midi::SequencerOptions& options, std::function<void(int code)> onNotify);
    void CreateMidi(const std::function<std::unique_ptr<platform::midi::Sequencer>()>& open,
                    std::function<void(int code)> onNotify);
    void UpdateMidi();
    void MidiNotify();
    void SetMidiLoop(bool value);
    void SetMidiAutoPlay(bool value);
    // A plain file name of the MIDI folder, queued with flag (looping) and param (position).
    bool PlayMidi(const std::string& fileName, int32_t flag, int32_t param);

    // The heads-up widgets: the kernel's panel list owns them; Clear frees them.
    void AddPanel(std::unique_ptr<TGPStructure> widget);
    // Frees them all: each hands its phantom back and leaves its variable.
    void FreePanels();
    // The player's paddle is in play (the nation of key 3 holds an object).
    bool HasPlayerObject() const;

    // Whether moving and drawing go on: RunWhenInactive or an active application.
    bool IsActive() const;

    // Fields.
    TKernelDisplay* DXDraw = nullptr;
    TKernelInput* DXInput = nullptr;
    std::unique_ptr<TKernelSoundDevice> DirectSound;
    std::unique_ptr<TSoundState> SoundState;
    // The wave register (TDXRegisterSound), made only when the sound device has a sound
    // object; a level reset empties its loaded sounds.
    std::unique_ptr<TKernelSoundRegister> SoundRegister;
    std::unique_ptr<TDXRegisterPanel> PanelRegister;      // renewed by Clear
    std::unique_ptr<TDXRegisterEffects> EffectsRegister;  // renewed by Clear
    std::unique_ptr<TDXRegisterForms> FormsRegister;      // kept by Clear
    TGPResource* InterfaceResource = nullptr;             // the game data; set by the shell
    std::unique_ptr<TGPResource> Resource;                // the level set of the game; freed by Clear
    TGPMap* Map = nullptr;                                // attached by the map itself
    TGPStructure* Selected = nullptr;
    int32_t SelectionMode = 1;
    std::unique_ptr<TListOrder> OrderPool;
    std::unique_ptr<TListInLineCom> InLinePool;
    std::unique_ptr<TListAskMove> AskMoveList;
    std::unique_ptr<TExecuteLine> CommandLine;
    std::unique_ptr<TGP_CMD0> Executor;
    std::unique_ptr<TGPMouse> Mouse;
    int32_t MouseX = 0, MouseY = 0, OldMouseX = 0, OldMouseY = 0, MouseDX = 0, MouseDY = 0;
    int32_t WorldMouseX = 0, WorldMouseY = 0;
    std::unique_ptr<TListNation> Nations;
    // The heads-up widgets, owned; drawn over the game, those without a parent by the kernel
    // and the others by their panel.
    std::vector<std::unique_ptr<TGPStructure>> Panels;
    std::unique_ptr<media::TGPMidi> Midi;
    std::unique_ptr<rtl::StringList> FontList;  // "name:-file" per font of the level sets
    std::unique_ptr<media::TGPTimer> Timer;
    bool RunWhenInactive = false;
    uint8_t FrameSkipCounter = 0, FrameSkip = 0;
    int64_t TotalTime = 0;
    int64_t LastClock = 0;
    std::unique_ptr<TGPData> Data;
    TKernelRecord KernelRecord;                  // the HUD's references into Data
    // The values shared with the shell; reset when a game starts (FireCreateGames).
    TGPShared Shared;
    TConditionKernel Condition = ck_Play;
    int32_t EndLifeCountdown = 0;
    std::unique_ptr<TLevelStream> LevelStream;  // the current level set; Clear drops it
    int32_t DXDrawLeft = 0, DXDrawTop = 0;
    TGPStructure* FocusControl = nullptr;  // a TGPControls; not owned
    TGPStructure* FocusForm = nullptr;     // the form drawn last; not owned
    // While the forms behind the focused one draw, no hover switches.
    bool DrawingForms = false;
    // Raised whenever a widget frees a picture of the forms register: the widgets' cached
    // pictures of an older generation are looked up again.
    uint32_t FormsPictureGeneration = 0;
    // Set by the shell: the mouse steers the paddle; the pause saved a condition to return
    // to; the character set of the language's texts.
    bool MouseControl = false;
    bool RestorePending = false;
    TConditionKernel SavedCondition = ck_Play;
    // The level's end is on the command line; the shell clears it when a level starts.
    bool LevelEndQueued = false;
    uint8_t FontCharset = 1;
    bool Busy = false;
    uint32_t Flags = 1u << 1;
    uint32_t BackColor = 0;  // also the transparent colour of the game's pictures

    TNotifyEvent OnPUSH;
    TCreateGamesEvent OnGPCreateGames;
    TNotifyEvent OnDestroyGames;
    TNotifyEvent OnGPNextLevel;
    TNotifyEvent OnGPLastLevel;
    TNotifyEvent OnGPNewLife;
    TNotifyEvent OnGPEndLife;
    TNotifyEvent OnGPEndLevel;
    TNotifyEvent OnGPSortNation;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnDraw;
    TCheckVelocityEvent OnCheckVelocity;
    TConditionKernelEvent OnConditionEvent;
    TKeyEvent OnGPKeyDown;

    // ---- The weapons' log ----
    // Where the kernel's weapons report a failure they swallowed (tag, text): the shell
    // sends it to its log. Unset, nothing is written; it ends with the kernel.
    std::function<void(const std::string& tag, const std::string& text)> WeaponLog;

    // ---- Letters ----
    // The letters collected (bit i for letter prize 124 + i): the letters variable (fd_Prizes)
    // when the game made one, so that the heads-up display shows them and a loaded game's
    // letters count; otherwise the engine's own set in Shared. Setting writes both.
    std::bitset<256> LettersCollected() const;
    void SetLettersCollected(const std::bitset<256>& letters);

    static void DescribeClass(rtl::ClassBuilder<TGPKernel>& c);

private:
    std::unique_ptr<TGPMap> ownedMap_;
    bool clockSeen_ = false;      // false until the first tick: nothing to measure from
    uint32_t timerRestarts_ = 0;  // the timer's restarts seen by the last tick
};

// Nation key of a class identifier by the table of Start; -1 when in no row.
int32_t NationKeyOfClass(int32_t idClass);

}  // namespace engine
