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
#include <memory>
#include <vector>

namespace media {
class TCustomDXDraw;
class TDirectDrawSurface;
class TGPTimer;
}  // namespace media

namespace engine {

class TGPMap;
class TGPMouse;
class TGPNation;
class TListNation;
class TGPObject;
class TGPForm;
class TLevelStream;
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

    // Forms.
    TGPStructure* ShowForm(const std::string& name, TObject* caller);
    TGPStructure* ShowFormOverGame(const std::string& name, TObject* caller);
    TGPStructure* HideForm(const std::string& name);

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
    std::vector<TGPStructure*> Panels;  // HUD panels, drawn over the game
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
    TGPStructure* FocusControl = nullptr;
    TGPStructure* FocusForm = nullptr;
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

    static void DescribeClass(rtl::ClassBuilder<TGPKernel>& c);

private:
    std::unique_ptr<TGPMap> ownedMap_;
    bool clockSeen_ = false;      // false until the first tick: nothing to measure from
    uint32_t timerRestarts_ = 0;  // the timer's restarts seen by the last tick
};

// Nation key of a class identifier by the table of Start; -1 when in no row.
int32_t NationKeyOfClass(int32_t idClass);

}  // namespace engine
