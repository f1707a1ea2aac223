// The game object: creation, its class and slides, the published properties, the numbered
// parameters, placement and geometry, and drawing.
#include "engine/gpObject.h"

#include "engine/gpClasses.h"
#include "engine/gpEffects.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpLevel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpShared.h"
#include "engine/gpUtils.h"
#include "media/DXClass.h"
#include "media/DXDrawsPicture.h"
#include "media/GPTimer.h"
#include "rtl/Numbers.h"

#include <cmath>
#include <exception>
#include <limits>

namespace engine {

RTL_REGISTER_CLASS(TGPObject);

void TGPObject::DescribeClass(rtl::ClassBuilder<TGPObject>& c) {
    using T = TGPObject;
    c.Property("XVisible", &T::GetXVisible, nullptr)
        .Property("YVisible", &T::GetYVisible, nullptr)
        .Property("Ord_Default", &T::OrdDefault, nullptr)
        .Property("X", &T::PublishedX, &T::PublishX)
        .Property("DGCX", &T::PublishedX, &T::PublishX)
        .Property("Y", &T::PublishedY, &T::PublishY)
        .Property("DGCY", &T::PublishedY, &T::PublishY)
        .Property("OLDX", &T::PublishedOldX, &T::PublishOldX)
        .Property("OLDY", &T::PublishedOldY, &T::PublishOldY)
        .Property("DGCVelocityX", &T::GetDGCVelocityX, &T::SetDGCVelocityX)
        .Property("DGCVelocityY", &T::GetDGCVelocityY, &T::SetDGCVelocityY)
        .Property("DGCSpeed", &T::GetDGCSpeed, &T::SetDGCSpeed)
        .Property("DGCMinSpeed", &T::GetDGCMinSpeed, &T::SetDGCMinSpeed)
        .Property("DGCMaxSpeed", &T::GetDGCMaxSpeed, &T::SetDGCMaxSpeed)
        .Property("DGCMaxSpeedValue", &T::GetDGCMaxSpeedValue, nullptr)
        .Property("Acceleration", &T::GetAcceleration, &T::SetAcceleration)
        .Property("Decceleration", &T::GetDecceleration, &T::SetDecceleration)
        .Property("DGCDirection", &T::GetDGCDirection, &T::PublishDirection)
        .Property("DGCA", &T::DGCA)
        .Property("DGCB", &T::DGCB);
}

int32_t FixedFromReal(double pixels) {
    const double v = pixels * 65536.0;
    // Checked before rounding: NaN and the infinities fail every comparison but the first.
    if (!std::isfinite(v) || v <= static_cast<double>(std::numeric_limits<int32_t>::min()) - 1.0 ||
        v >= static_cast<double>(std::numeric_limits<int32_t>::max()) + 1.0)
        throw rtl::ERangeError(rtl::texts::SRangeError);
    const int64_t r = rtl::Round(v);
    if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
        throw rtl::ERangeError(rtl::texts::SRangeError);
    return static_cast<int32_t>(r);
}

TGPObject::TGPObject() = default;
TGPObject::~TGPObject() {
    // The object's reference to its level record goes with it.
    if (LevelRecord) TGPGObj::DetachObject(*this);
}

// ---- Creation, class and slides ----

void TGPObject::Create(TObject* owner, int32_t id) {
    TGPSprite::Create(owner, id);
    if (auto* s = dynamic_cast<TGPStructure*>(owner)) Group = s;
    if (!ChildSprites) ChildSprites = std::make_unique<TListStructure>();
    LoadTemplate(id);
    Animation = Kernel ? ListAnimateObject().FindOrLoad(Kernel->Resources(), id) : nullptr;
    if (Animation) LoadOneSlide(Template ? Template->DefaultSlide : 1);
    if (CurrentSlide) FrameIndex = CurrentSlide->AnimationSprite;
    FixedColumn = Template ? Template->Rotate : 0;
    if (FixedColumn && CurrentSlide)
        Column = static_cast<int32_t>(int64_t{CurrentSlide->LinesWidth} * Heading / 256);
    PictureStale = true;
    Alive = 1;
    DriftX = 0.6;
    DriftY = -0.6;
    DGCA = DGCB = 1.0;
    OrderTag = 100;
    HitPoints = Template ? Template->Toughness : 0;
    // The cells the object spans: its size over the map's cell size, rounded, at least 1.
    const int32_t cell = Kernel && Kernel->Map ? Kernel->Map->CellSize : 0;
    auto cells = [cell](int32_t size) -> uint8_t {
        if (cell <= 0) return 1;
        const int64_t n = rtl::Round(static_cast<double>(size) / cell);
        if (n < 0 || n > 255) throw rtl::ERangeError(rtl::texts::SRangeError);
        return n == 0 ? 1 : static_cast<uint8_t>(n);
    };
    CellsAcross = cells(Width);
    CellsDown = cells(Height);
    TimerCount = 100;
    Heading = 0;
}

void TGPObject::SetOwner(TObject* owner) {
    TGPSprite::SetOwner(owner);
    auto* s = dynamic_cast<TGPStructure*>(owner);
    ownerGeneration_ = s ? s->Generation() : 0;
}

void TGPObject::SetIDClass(int32_t id) {
    if (id != IDClass) {
        IDClass = id;
        Animation = nullptr;
        CurrentSlide = nullptr;
        Animation = Kernel ? ListAnimateObject().FindOrLoad(Kernel->Resources(), id) : nullptr;
        if (Animation) LoadOneSlide(Template ? Template->DefaultSlide : 1);
    }
    PictureStale = true;
}

void TGPObject::SetSlide(TOneSlide* slide) {
    if (slide && slide != CurrentSlide) {
        CurrentSlide = slide;
        RollTick = RollTickOf(slide->HTicksPerChange);
        FrameTime = RollTick * media::TickLength;
        FrameElapsed = 0;
        // A slide of no columns counts as one.
        StepsPerColumn = slide->LinesWidth <= 1 ? 255 : static_cast<uint8_t>(256 / slide->LinesWidth);
        Width = slide->PatternWidth;
        Height = slide->PatternHeight;
        slide->PictureIndex = -1;
        Column = slide->DefaultAniSprite;
        ComputeCollisionRect();
    }
    PictureStale = true;
}

void TGPObject::LoadOneSlide(int32_t state) {
    if (CurrentSlide && CurrentSlide->IDCondition == state) return;
    TGPSprite::LoadOneSlide(state);
    ResetOrder();
    FrameIndex = 0;
    PictureStale = true;
}

void TGPObject::LoadPictures() {
    TGPNation* nation = Nation();
    if (!Animation || !nation) return;
    // The first picture that fails (absent, or damaged: its loader raises) ends the loop
    // quietly; its description is marked and the object draws without it.
    try {
        for (int i = 0; i < Animation->SlideCount(); ++i) {
            TOneSlide* slide = Animation->Slide(i);
            if (slide->IDSlide.empty() || slide->IDSlide == "No") continue;
            if (!nation->GetPicture(*slide)) return;
        }
    } catch (const std::exception&) {
    }
}

int32_t TGPObject::OrdDefault() const {
    PictureStale = true;
    return CurrentSlide ? CurrentSlide->Type_Ord_Default : 0;
}

bool TGPObject::HasDefaultOrder() const { return CurrentSlide && CurrentSlide->Ord_Default != 0; }

void TGPObject::SetOnAddChild(std::function<void(TGPStructure* sprite, TListStructure* list)> callback) {
    if (!ChildSprites) ChildSprites = std::make_unique<TListStructure>();
    ChildSprites->OnAdd = std::move(callback);
}

// ---- Links ----

TGPNation* TGPObject::Nation() const { return dynamic_cast<TGPNation*>(static_cast<TGPStructure*>(Group)); }

const TGPShared& TGPObject::Shared() const {
    static const TGPShared defaults;
    return Kernel ? Kernel->Shared : defaults;
}

TGPObject* TGPObject::Carrier() const {
    auto* carrier = dynamic_cast<TGPObject*>(Owner);
    if (!carrier || carrier == this || carrier->Generation() != ownerGeneration_) return nullptr;
    return carrier;
}

bool TGPObject::InPlay() const { return !ObjectPool().Holds(this); }

// ---- Parameters and placement ----

void TGPObject::SetParam(int32_t code, int64_t value) {
    TGPSprite::SetParam(code, value);
    auto smallint = [](int64_t v) {
        if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
            throw rtl::ERangeError(rtl::texts::SRangeError);
        return static_cast<int32_t>(v);
    };
    switch (code) {
        case 1: Angle = static_cast<double>(value); break;
        case 2: SetX(smallint(value)); break;
        case 3: SetY(smallint(value)); break;
        case 4: OffsetX = static_cast<double>(value); break;
        case 5: OffsetY = static_cast<double>(value); break;
        case 6: SetAlive(value != 0); break;
        case 7: OrbitStep = static_cast<double>(value) / 100.0; break;
        default: break;
    }
}

int32_t TGPObject::AlignTo(TGPStructure* target, int32_t mode) {
    TGPSprite::AlignTo(target, mode);
    if (!target || dynamic_cast<TGPKernel*>(target) || AlignMode != 3) return 1;
    // The object's centre on the target's, as effects centre themselves.
    const auto [x, y, w, h] = AlignFrameOf(*target);
    SetParam(2, x + w / 2 - Width / 2);
    SetParam(3, y + h / 2 - Height / 2);
    return 1;
}

// ---- Geometry ----

void TGPObject::ComputeCollisionRect() {
    const TOneSlide* s = CurrentSlide;
    if (!s) {
        CollisionRect = {};
        return;
    }
    if (s->StyleAniSprite == TStyleAniSprite::swSize || (s->LinesWidth > 1 && s->LinesHeight != 1)) {
        const int64_t gx = int64_t{s->IncSize} * Column, gy = int64_t{s->IncSizeH} * Column;
        auto fit = [](int64_t v) {
            if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
                throw rtl::ERangeError(rtl::texts::SRangeError);
            return static_cast<int32_t>(v);
        };
        CollisionRect = {fit(s->BaseLeft - gx), fit(s->BaseTop - gy), fit(s->BaseRight + gx), fit(s->BaseBottom + gy)};
    } else {
        CollisionRect = {s->BaseLeft, s->BaseTop, s->BaseRight, s->BaseBottom};
    }
}

void TGPObject::SetFrame(int32_t column) {
    if (!CurrentSlide || column < 0 || column >= CurrentSlide->LinesWidth || column == Column) return;
    Column = column;
    ComputeCollisionRect();
}

TRect TGPObject::GetRect() const {
    const int32_t x = GetX(), y = GetY();
    return {CollisionRect.Left + x, CollisionRect.Top + y, CollisionRect.Right + x, CollisionRect.Bottom + y};
}

int32_t TGPObject::GetXVisible() const { return GetX() - (Kernel && Kernel->Map ? Kernel->Map->ViewX() : 0); }
int32_t TGPObject::GetYVisible() const { return GetY() - (Kernel && Kernel->Map ? Kernel->Map->ViewY() : 0); }

bool TGPObject::VibrationExempt() const { return Template && (Template->AddParamInt3 & 2) != 0; }

// ---- Drawing ----

void TGPObject::Draw() {
    if (Kind & kind::Hidden) return;
    if (!Picture || PictureStale) {
        TGPNation* nation = Nation();
        Picture = nation && CurrentSlide ? nation->GetPicture(*CurrentSlide) : nullptr;
        PictureStale = false;
    }
    media::TDirectDrawSurface* surface = Kernel ? Kernel->Surface() : nullptr;
    if (!Picture || !surface) return;
    const TGPMap* map = Kernel->Map;
    int32_t sx = RoundedOf(XFx) - (map ? map->ViewX() : 0);
    int32_t sy = RoundedOf(YFx) - (map ? map->ViewY() : 0);
    if (CurrentSlide && (CurrentSlide->IDCondition == 1 || CurrentSlide->IDCondition == 3)) {
        sx += (CollisionRect.Right - CollisionRect.Left) / 2 - Width / 2;
        sy += (CollisionRect.Bottom - CollisionRect.Top) / 2 - Height / 2;
    }
    const TVibration* shake = &Vibration;
    if (Kind & kind::Riding)
        if (auto* owner = dynamic_cast<TGPStructure*>(Owner)) shake = &owner->Vibration;
    Picture->Draw(*surface, sx + shake->OffsetX, sy + shake->OffsetY, NextFrame());
    if ((Kernel->Flags & 2) && media::PointInRect({Kernel->MouseX, Kernel->MouseY}, {sx, sy, sx + Width, sy + Height}))
        SetMouseCursor(2, this);
    DrawRidersAndEffects();
}

void TGPObject::DrawRidersAndEffects() {
    // A phantom that ends while it draws leaves its list: each list is walked with its bound
    // re-checked.
    for (int i = 0; i < RiderCount(); ++i) {
        TGPObject* rider = Riders->Items(i);
        rider->Draw();
        if (i < RiderCount() && Riders->Items(i) != rider) --i;
    }
    DrawChildSprites(*this, this, false);
}

}  // namespace engine
