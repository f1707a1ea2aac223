// The object of play: the paddle, the balls, the bricks, the falling prizes, the shots and
// the monsters are all game objects that differ only in their class: its description
// (template), its slides, its order (the behaviour that moves it) and its script.
//
// A game object belongs to one nation, which moves and draws it once per tick; it is
// entered in the map's cells for neighbourhood queries; it is taken from and returned to
// the object pool and never freed during play.
//
// Positions, velocities and speeds are 16.16 fixed point (the fields ending in Fx): the high
// half whole pixels, pixels per tick for velocities. The published properties are the real
// or whole-pixel views scripts and level records use; X reads its whole part, Y rounds.
// Directions are 0..255 (0 along +X, 64 along +Y, Y down); every write is normalised.
//
// Units: gpObject.cpp (creation, class and slides, properties, parameters, geometry,
// drawing), gpObjectMotion.cpp (fixed-point motion, animation frames, the tick),
// gpObjectLife.cpp (template, damage, death, prizes, splinters, script hooks, crowd),
// gpObjectRiders.cpp (kind bits, riders), gpFunctionObject.cpp (orders).
#pragma once

#include "engine/gpCode.h"
#include "engine/gpOrder.h"
#include "engine/gpSprite.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace media {
class TPictureCollectionItem;
}

namespace engine {

class TGPGeneralObject;
class TGPNation;
class TGPWeapon;
class TKernelSound;
struct TGPShared;
enum class TVelocityXY : uint8_t;

// Kind bits of game objects (the 32-bit kind word of the structure).
namespace kind {
inline constexpr int32_t NextWeapon = 0x2;         // paddle: switch to the next weapon
inline constexpr int32_t Effect4 = 0x4;            // paddle: attached effect of class 4
inline constexpr int32_t Effect8 = 0x8;            // paddle: attached effect of class 8
inline constexpr int32_t Stunned = 0x10;           // paddle stunned
inline constexpr int32_t ReverseX = 0x20, ReverseY = 0x40;
inline constexpr int32_t Effect9 = 0x200;          // paddle: effect of class 9; acceleration / 3.5
inline constexpr int32_t Fast = 0x400;             // paddle: acceleration x 3
inline constexpr int32_t SlowAcceleration = 0x800; // acceleration / 5
inline constexpr int32_t DifficultySpeed = 0x8000; // acceleration x 5 x difficulty factor
inline constexpr int32_t Hidden = 0x80000;         // not drawn
inline constexpr int32_t Riding = 0x100000;        // rides on its carrier
inline constexpr int32_t RandomRide = 0x200000;    // placed at random on its carrier, then rides
inline constexpr int32_t Carrier = 0x400000;       // carries riders
inline constexpr int32_t ClearAll = 0x800000;      // SetKind(-ClearAll): everything off
}  // namespace kind

// The paddle's class.
inline constexpr int32_t kPaddleClass = 1;
// Class groups.
constexpr bool IsBallClass(int32_t id) { return id >= 62 && id <= 69; }
constexpr bool IsBrickClass(int32_t id) {
    return (id >= 12 && id <= 31) || (id >= 71 && id <= 90) || id == 118 || id == 119 || (id >= 131 && id <= 156);
}
constexpr bool IsMonsterClass(int32_t id) { return id == 3 || (id >= 32 && id <= 41) || (id >= 100 && id <= 111); }
constexpr bool IsPrizeClass(int32_t id) {
    return id == 11 || (id >= 42 && id <= 61) || (id >= 91 && id <= 99) || (id >= 120 && id <= 130);
}
// Nation keys the object uses.
inline constexpr int32_t kPrizeNation = 1, kSplinterNation = 6;
// Hit points of an indestructible object.
inline constexpr int32_t kIndestructible = 256;
// Lifetimes from here on never run out.
inline constexpr int32_t kEndlessLife = 65535;

// The events of a class script: the positions 1..13 of its event table.
using TObjectEvent = TCodeEvent;

// 16.16 from pixels: rounded half to even; ERangeError when the result leaves 32 bits, NaN
// and the infinities included.
int32_t FixedFromReal(double pixels);
inline double RealFromFixed(int32_t fixed) { return fixed / 65536.0; }
// The whole part of a 16.16 value (an arithmetic shift), and the whole part rounded (a
// fraction of one half or more adds one).
constexpr int32_t WholeOf(int32_t fixed) { return fixed >> 16; }
constexpr int32_t RoundedOf(int32_t fixed) { return static_cast<int32_t>((int64_t{fixed} + 0x8000) >> 16); }

class TGPObject : public TGPSprite {
    RTL_CLASS(TGPObject, TGPSprite)
public:
    TGPObject();
    ~TGPObject() override;

    // ---- Virtual operations, in slot order ----
    void SetIDClass(int32_t id) override;
    // Also remembers the owner's generation: a carrier that went back to its pool since
    // counts as none.
    void SetOwner(TObject* owner) override;
    // The kind bits this object interprets (riding, placement, difficulty speed, the
    // paddle's weapon and effects); does not fire OnGPSetKind.
    void SetKind(int32_t value) override;
    void Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) override;
    // Leaving play (the pool's return): children back to their pools, out of the crowd, off
    // its carrier, its riders set free, its weapon back to the weapon pool.
    void Clear() override;
    // 100..111 vibration; 1 orbit angle, 2 X, 3 Y, 4 offset X, 5 offset Y, 6 alive, 7 orbit
    // step / 100.
    void SetParam(int32_t code, int64_t value) override;
    void Create(TObject* owner, int32_t id) override;
    void Draw() override;
    void SetSlide(TOneSlide* slide) override;
    void LoadPictures() override;
    void LoadOneSlide(int32_t state) override;
    int32_t AlignTo(TGPStructure* target, int32_t mode) override;
    // Bursts into pieces: rounds times, one object of each class (-1 skipped) from the pool
    // for the splinter nation, centred on source, born, sent off at random and entered in
    // the map's cells. A refused object is skipped; a round that made none ends the
    // bursting, so a round count from data stops once the pool refuses. Answers the pieces.
    virtual int32_t Splinter(TGPObject* source, int32_t rounds, std::span<const int32_t> idClasses);
    virtual void DoSplinterEvent(TObject* sender, const std::vector<int32_t>& idKinds,
                                 const std::vector<int32_t>& idClasses);

    // The last step of drawing: the riders, then the effects attached to the object.
    void DrawRidersAndEffects();

    // ---- Class, slides, picture ----
    // The current slide's default order kind (also marks the picture stale).
    int32_t OrdDefault() const;
    bool HasDefaultOrder() const;
    // Ignored for a column outside 0..LinesWidth-1 or the current one; else the column and
    // the collision rectangle.
    void SetFrame(int32_t column);
    // The collision rectangle offset by the whole X and the rounded Y.
    TRect GetRect() const;
    // Offsets of the collision rectangle inside the picture (the cell-snapping base).
    int32_t BaseLeft() const { return CurrentSlide ? CurrentSlide->BaseLeft : 0; }
    int32_t BaseTop() const { return CurrentSlide ? CurrentSlide->BaseTop : 0; }
    void SetOnAddChild(std::function<void(TGPStructure* sprite, TListStructure* list)> callback);

    // ---- Position ----
    int32_t GetX() const { return WholeOf(XFx); }
    int32_t GetY() const { return RoundedOf(YFx); }
    // Whole pixels, fraction 0; the cell column or row follows. ERangeError outside the
    // Smallint range.
    void SetX(int32_t value);
    void SetY(int32_t value);
    int32_t GetOldX() const { return WholeOf(OldXFx); }
    int32_t GetOldY() const { return RoundedOf(OldYFx); }
    void SetOldX(int32_t value);
    void SetOldY(int32_t value);
    // Position += velocity (the cell from the rounded position); Undo subtracts it (the
    // cell from the whole position). ERangeError when the sum leaves 32 bits.
    void StepX();
    void StepY();
    void UndoX();
    void UndoY();

    // ---- Motion ----
    void SetDGCDirection(int64_t direction);
    void ReflectX();
    void ReflectY();
    // Through the kernel's velocity check when there is one, else clamped.
    void SetDGCSpeed(double pixels);
    void SetDGCVelocityX(double pixels);
    void SetDGCVelocityY(double pixels);
    void SetSpeedOnly(double pixels);
    void Accelerate();
    void Decelerate();

    // ---- The tick ----
    // The picture pattern to draw; steps the animation.
    int32_t NextFrame();
    // The move step with its result: the order's (or the in-line command's) byte.
    uint8_t Step(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list);
    // Files a move request for the collision pass of this tick.
    TAskMove* AskMove(TGPObject* target, const TRect& rectA, const TRect& rectB);

    // ---- Orders (gpFunctionObject.cpp) ----
    // Installs an order of kind 0..14 with its routine and extra work; other kinds do
    // nothing. The previous chain (or the in-line command) goes back to its pool.
    void SetOrder(int32_t kind, int32_t p1, int32_t p2, int32_t p3, int32_t p4);
    // Installs an order with the given routine and no extra work: the stand-in orders of
    // tests and tools use it. Nil when the kernel has no order pool.
    TOrder* InstallOrder(TOrderRoutine routine, int32_t tag);
    // The slide's default order, or ClearOrders; marks the picture stale.
    void ResetOrder();
    // The current order goes when its state is 2 or 3 (its link becomes current); then the
    // in-line command goes.
    void ClearOrders();
    // Every order of the chain and the in-line command go back to their pools.
    void DropOrders();

    // ---- Template, damage, death (gpObjectLife.cpp) ----
    // The class's description from the nation (loaded on first use), applied; the weapon
    // list parsed; the class's script loaded, initialised and its blocks cached.
    void LoadTemplate(int32_t id);
    // The description's values: speeds, hit points, lifetime, timer, scripts flag, weapon.
    virtual void ApplyTemplate();
    // Sends the object's level record to it again (nothing without one).
    virtual void ApplyLevelRecord();
    // Damage from a weapon's shot (source a TGPWeapon) or from another object.
    void Hit(TGPObject* attacker, TGPStructure* source);
    // Bookkeeping when struck: shown when hidden, else the vibration and the score; then
    // ONCOLLISION (not for class 64).
    virtual void KilledBy(TGPObject* killer);
    // True runs ONCARRION and returns the object to the pool. False (its reuse) brings it
    // back to life.
    virtual void SetDead(bool value);
    // True runs ONVISIBLE; false returns the object to the pool.
    void SetAlive(bool value);
    bool Dead() const { return dead_; }
    // In play: taken from the pool and not returned since.
    bool InPlay() const;

    void RunOnRotateLeft() { RunEvent(TObjectEvent::OnRotateLeft); }
    void RunOnRotateRight() { RunEvent(TObjectEvent::OnRotateRight); }
    void RunOnEnlargeVelocity() { RunEvent(TObjectEvent::OnEnlargeVelocity); }
    void RunOnReduceVelocity() { RunEvent(TObjectEvent::OnReduceVelocity); }
    void RunOnCarrion() { RunEvent(TObjectEvent::OnCarrion); }
    void RunOnVisible() { RunEvent(TObjectEvent::OnVisible); }
    void RunOnBirth() { RunEvent(TObjectEvent::OnBirth); }
    void RunOnCollision() { RunEvent(TObjectEvent::OnCollision); }

    // The class of the prize this object releases for a roll 0..999, or -1.
    int32_t PickBonus(int32_t roll) const;
    // One prize per entry of kind 2 whose class is a prize not yet on the field; the two
    // lists are walked as far as the shorter goes.
    void DropBonus(std::span<const int32_t> idClasses, std::span<const int32_t> idKinds);
    // Joins (true) or leaves (false) its nation's crowd, keeping the other members.
    void SetInCrowd(bool value);
    // Child sprites of effect class id (or all of them) back to the phantom pool.
    void RemoveChildEffects(int32_t id);
    void RemoveAllChildren();

    // ---- Riders (gpObjectRiders.cpp) ----
    // Carries rider: its index in the riders list (its index + 1 when it rode already).
    int32_t AttachRider(TGPObject* rider);
    void DetachRider(TGPObject* rider);
    // The paddle lets its riders go (and with fire set, its weapon fires once).
    void ReleaseRiders(bool fire);
    int RiderCount() const { return Riders ? Riders->Count() : 0; }
    // The game object this one rides on: its owner while that is a game object still in
    // play since it became the owner; else nil.
    TGPObject* Carrier() const;

    // Its kernel ended while it was pooled: every link into that kernel, its nations and
    // their registers goes. A later reuse takes its class's slides again.
    void ForgetKernel();

    // ---- Links ----
    TGPNation* Nation() const;
    // The values shared with the shell (the kernel's record; defaults without a kernel).
    const TGPShared& Shared() const;

    // ---- Fields ----
    // Position and motion, 16.16.
    int32_t XFx = 0, YFx = 0;
    int32_t OldXFx = 0, OldYFx = 0;
    int32_t VelocityXFx = 0, VelocityYFx = 0;
    int32_t SpeedFx = 0, MinSpeedFx = 0, MaxSpeedFx = 0;
    int32_t AccelerationFx = 0, DecelerationFx = 0;
    int32_t Direction = 0;  // 0..255
    double DGCA = 1.0, DGCB = 1.0;
    int32_t CellCol = 0, CellRow = 0;  // whole position div 64

    // Values kept for the behaviours.
    int32_t Heading = 0;
    double DriftX = 0.6, DriftY = -0.6;
    double TurnRate = 0;
    int32_t OrbitCentreX = 0, OrbitCentreY = 0;
    double OffsetX = 0, OffsetY = 0;  // offset from a carrier while riding; an orbit's radii
    double OrbitStep = 0;             // the orbit angle is the sprite's Angle
    int32_t TimerCount = 100;
    int32_t OrderPhase = 0;

    // Identity, life and links.
    TGPGeneralObject* Template = nullptr;
    int32_t HitPoints = 0;
    int32_t LifeTime = -1;  // ticks; 65535 or more (or below 0) never run out
    uint8_t Alive = 1;
    uint8_t ScriptsEnabled = 0;
    uint8_t Selected = 0;  // 1 while a member of its nation's crowd
    TOrder* Orders = nullptr;
    TInLineCom* InLine = nullptr;
    uint8_t OrderTag = 100;
    TGPWeapon* Weapon = nullptr;
    std::unique_ptr<rtl::List<TGPObject*>> Riders;  // made on first use
    TKernelSound* LoopingSound = nullptr;
    // ---- Level sets ----
    // The object's own class description while a level record's values override the
    // nation's (Template then points here); the nation's stays the class's.
    std::unique_ptr<TGPGeneralObject> LevelTemplate;

    // ---- The class script (gpObjectLife.cpp) ----
    // The class's compiled script, nil until the class has one, and the event blocks the
    // RunOn... hooks run. Loaded with the description at creation, and again when a reused
    // object finds another description for its class (a new level set).
    std::unique_ptr<TGPCode> Code;
    TEventCache Events;

    // Animation.
    int32_t Column = 0;  // the column of the picture grid (a direction or a size step)
    uint8_t FixedColumn = 0;
    uint8_t StepsPerColumn = 255;
    media::TPictureCollectionItem* Picture = nullptr;
    mutable bool PictureStale = true;
    TRect CollisionRect;

    // ---- Ball, paddle and prizes (gpBall.cpp, gpPaddle.cpp, gpPrize.cpp) ----
    // The turn word of a turning ball: low 16 bits the signed turn step, byte 2 a limit,
    // byte 3 the step of a monster's curve. Each object keeps its own, taken from the slide
    // of what set it turning, so that one ball's spin never changes another's curve.
    int32_t TurnWord = 0;
    // Ticks turned so far and the ticks a turn lasts.
    uint16_t TurnCount = 0, TurnLimit = 0;
    // The class of the first row of the monster table whose range holds roll (bounds
    // included), or -1.
    int32_t PrizeCodeAt(int32_t roll) const;

    static void DescribeClass(rtl::ClassBuilder<TGPObject>& c);

    // ---- Behaviours: orders and movers ----
    // Ticks since the object was taken from its pool (its weapon times its shots by it).
    uint32_t Age = 0;
    // A shot's weapon and the object that fired it, each held with the generation it had:
    // one that went back to its pool since counts as none.
    void SetShotLinks(TGPWeapon* weapon, TGPObject* owner);
    TGPWeapon* ShotWeapon() const;
    TGPObject* ShotOwner() const;

    // ---- Reuse from the pool ----
    // The object pool hands this pooled object out again, for owner in nation (either may
    // be nil): it comes back in the state of one just made for its class, so nothing of
    // its previous life leaks into the next. Kind, motion, direction, the behaviours'
    // values, vibration and animation start as Create leaves them, every handler unset
    // (the nation binds its own again; the child list's hook stays), no looping sound;
    // then the nation's description, the default slide, and the level record or the
    // slide's order.
    void Reuse(TObject* owner, TGPNation* nation);
    // The sound the object keeps looping stops and is let go.
    void StopLoopingSound();

protected:
    // Runs the cached block of a script event; nothing without a script or block.
    virtual void RunEvent(TObjectEvent event);
    bool VibrationExempt() const override;

private:
    // The published properties' accessors.
    int32_t GetXVisible() const;
    int32_t GetYVisible() const;
    int16_t PublishedX() const { return static_cast<int16_t>(GetX()); }
    int16_t PublishedY() const { return static_cast<int16_t>(GetY()); }
    int16_t PublishedOldX() const { return static_cast<int16_t>(GetOldX()); }
    int16_t PublishedOldY() const { return static_cast<int16_t>(GetOldY()); }
    void PublishX(int16_t v) { SetX(v); }
    void PublishY(int16_t v) { SetY(v); }
    void PublishOldX(int16_t v) { SetOldX(v); }
    void PublishOldY(int16_t v) { SetOldY(v); }
    double GetDGCVelocityX() const { return RealFromFixed(VelocityXFx); }
    double GetDGCVelocityY() const { return RealFromFixed(VelocityYFx); }
    double GetDGCSpeed() const { return RealFromFixed(SpeedFx); }
    double GetDGCMinSpeed() const { return RealFromFixed(MinSpeedFx); }
    double GetDGCMaxSpeed() const { return RealFromFixed(MaxSpeedFx); }
    void SetDGCMinSpeed(double v) { MinSpeedFx = FixedFromReal(v); }
    void SetDGCMaxSpeed(double v) { MaxSpeedFx = FixedFromReal(v); }
    int32_t GetDGCMaxSpeedValue() const { return MaxSpeedFx; }
    double GetAcceleration() const { return RealFromFixed(AccelerationFx); }
    double GetDecceleration() const { return RealFromFixed(DecelerationFx); }
    void SetAcceleration(double v) { AccelerationFx = FixedFromReal(v); }
    void SetDecceleration(double v) { DecelerationFx = FixedFromReal(v); }
    int32_t GetDGCDirection() const { return Direction; }
    void PublishDirection(int32_t d) { SetDGCDirection(d); }

    // The in-line command back to its pool.
    void ReleaseInLine();
    // A velocity component through the kernel's velocity check, else clamped to the maximum
    // speed.
    int32_t CheckedComponent(double pixels, TVelocityXY xy);
    // The velocity from speed and direction (no velocity check).
    void DeriveVelocity();
    // The velocity from speed and direction through SetDGCVelocityX and SetDGCVelocityY.
    void CheckedVelocity();
    // The collision rectangle for the current column.
    void ComputeCollisionRect();
    // The speed from a value in pixels: through the velocity check or clamped.
    void StoreSpeed(double pixels);
    // The increment Accelerate adds, in pixels per tick.
    double AccelerationStep() const;
    // Kind bits set on the paddle (the branch 4 of SetKind).
    void SetPaddleKind(int32_t value);
    void ClearPaddleKind(int32_t bits);
    // The riders go, each in the direction ReleaseRiders would give it (speeds kept); the
    // list ends empty and the carrier bit cleared.
    void LetRidersGo();
    // The velocity a rider leaves with, from its place on this carrier.
    void RiderLaunch(const TGPObject& rider, double& vx, double& vy) const;
    // An effect of class id for the paddle, aligned in mode, visible.
    void ShowPaddleEffect(int32_t id, int32_t mode);
    void TakeTemplateWeapon();
    // The template from the nation's cache, for the object's class.
    void RefreshTemplate();
    // The description's script (MDName) loaded, initialised and its blocks cached; dropped
    // when the description names none or switches scripts off.
    void LoadClassScript();

    // Behaviours: the shot's links by handle and generation.
    uint32_t shotWeaponHandle_ = 0, shotOwnerHandle_ = 0;
    uint16_t shotWeaponGeneration_ = 0, shotOwnerGeneration_ = 0;

    bool dead_ = false;
    bool slidesLost_ = false;  // its kernel ended: the slides are looked up again on reuse
    uint16_t ownerGeneration_ = 0;
};

}  // namespace engine
