// Object records of a level set sent to live game objects, and the objects' counted link
// back to the record they came from.
#include "engine/gpAnimation.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpLevel.h"
#include "engine/gpObject.h"
#include "rtl/Format.h"

namespace engine {
namespace {

// The class description an object takes from a record: the one it has (the class's), with
// every value the record overrides.
std::unique_ptr<TGPGeneralObject> DescriptionFor(const TGPGObj& r, const TGPObject& object) {
    auto d = std::make_unique<TGPGeneralObject>(nullptr, object.IDClass);
    if (const TGPGeneralObject* t = object.Template) {
        d->ProcessingEvents = t->ProcessingEvents;
        d->MDName = t->MDName;
        d->AddParamInt4 = t->AddParamInt4;
    }
    d->Media = r.Media;
    d->CPBMoving = r.CPBMoving;
    d->TicksPerRotate = r.TicksPerRotate;
    d->MinSpeed = r.MinSpeed;
    d->MaxSpeed = r.MaxSpeed;
    d->MaxSpeedUp = r.MaxSpeedUp;
    d->ConnectWeapon = r.ConnectWeapon != 0;
    d->CurrentWeapon = r.CurrentWeapon;
    d->SizeWeapon = r.SizeWeapon;
    d->IDWeapon = r.IDWeapon;
    d->DefaultSlide = r.DefaultSlide;
    d->Toughness = r.Toughness;
    d->Rotate = r.Rotate;
    d->PriceForDeath = r.PriceForDeath;
    d->MinDamage = r.MinDamage;
    d->MaxDamage = r.MaxDamage;
    d->AddParamInt1 = r.AddParamInt1;
    d->AddParamInt2 = r.AddParamInt2;
    d->AddParamInt3 = r.AddParamInt3;
    d->ParseWeapons();  // the weapon list: a line that is no number raises here
    return d;
}

}  // namespace

void TGPGObj::SendObject(rtl::Object& target) const {
    auto* object = dynamic_cast<TGPObject*>(&target);
    if (!object) throw rtl::EConvertError(rtl::Format(texts::SAssignError, {std::string("TGPGObj"), std::string("TGPObject")}));
    try {
        // Every value converted and checked before anything changes.
        std::unique_ptr<TGPGeneralObject> description = DescriptionFor(*this, *object);
        const int32_t minSpeed = FixedFromReal(MinSpeed);
        const int32_t maxSpeed = FixedFromReal(MaxSpeed);
        const int32_t acceleration = FixedFromReal(MaxSpeedUp);

        object->LevelTemplate = std::move(description);
        object->Template = object->LevelTemplate.get();
        object->FrameIndex = FrameRow;
        object->HitPoints = Toughness;
        if (P(5) != 0) object->SetKind(P(5));
        object->MinSpeedFx = minSpeed;
        object->MaxSpeedFx = maxSpeed;
        object->AccelerationFx = acceleration;
        object->SetDGCSpeed(MinSpeed);
        if (DefaultOrder != 0) {
            if (object->Animation) object->LoadOneSlide(DefaultSlide);
            if (TOneSlide* slide = object->CurrentSlide) {
                slide->Ord_Default = 1;
                slide->Type_Ord_Default = DefaultOrder;
            }
            object->ResetOrder();
        } else if (TOneSlide* slide = object->CurrentSlide) {
            slide->Ord_Default = 0;
        }
        if (TOneSlide* slide = object->CurrentSlide) slide->SendValue = SlideValue;
        if (Visible != 0 || (object->Kernel && object->Kernel->SelectionMode == 4))
            object->SetKind(-kind::Hidden);
        else
            object->SetKind(kind::Hidden);
    } catch (const std::exception&) {
        throw EDebug(rtl::Format(texts::SSendObjectError, {object->IDClass}));
    }
}

void TGPObject::ApplyLevelRecord() {
    if (LevelRecord) LevelRecord->SendObject(*this);
}

}  // namespace engine
