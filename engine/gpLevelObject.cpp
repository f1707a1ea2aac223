// Object records of a level set sent to live game objects, and the objects' counted link
// back to the record they came from.
#include "engine/gpAnimation.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpLevel.h"
#include "engine/gpObject.h"
#include "rtl/Format.h"

#include <utility>

namespace engine {
namespace {

// The values of a record that override the class description's, field by field.
constexpr std::pair<uint8_t TGPGeneralObject::*, uint8_t TGPGObj::*> kBytes[] = {
    {&TGPGeneralObject::Media, &TGPGObj::Media},
    {&TGPGeneralObject::CPBMoving, &TGPGObj::CPBMoving},
    {&TGPGeneralObject::TicksPerRotate, &TGPGObj::TicksPerRotate},
    {&TGPGeneralObject::DefaultSlide, &TGPGObj::DefaultSlide},
    {&TGPGeneralObject::Rotate, &TGPGObj::Rotate}};
constexpr std::pair<int32_t TGPGeneralObject::*, int32_t TGPGObj::*> kInts[] = {
    {&TGPGeneralObject::MinSpeed, &TGPGObj::MinSpeed},
    {&TGPGeneralObject::MaxSpeed, &TGPGObj::MaxSpeed},
    {&TGPGeneralObject::CurrentWeapon, &TGPGObj::CurrentWeapon},
    {&TGPGeneralObject::SizeWeapon, &TGPGObj::SizeWeapon},
    {&TGPGeneralObject::Toughness, &TGPGObj::Toughness},
    {&TGPGeneralObject::PriceForDeath, &TGPGObj::PriceForDeath},
    {&TGPGeneralObject::MinDamage, &TGPGObj::MinDamage},
    {&TGPGeneralObject::MaxDamage, &TGPGObj::MaxDamage},
    {&TGPGeneralObject::AddParamInt1, &TGPGObj::AddParamInt1},
    {&TGPGeneralObject::AddParamInt2, &TGPGObj::AddParamInt2},
    {&TGPGeneralObject::AddParamInt3, &TGPGObj::AddParamInt3}};

// The class description an object takes from a record: the one it has (the class's), with
// every value the record overrides.
std::unique_ptr<TGPGeneralObject> DescriptionFor(const TGPGObj& r, const TGPObject& object) {
    auto d = std::make_unique<TGPGeneralObject>(nullptr, object.IDClass);
    if (const TGPGeneralObject* t = object.Template) {
        d->ProcessingEvents = t->ProcessingEvents;
        d->MDName = t->MDName;
        d->AddParamInt4 = t->AddParamInt4;
    }
    for (const auto& [to, from] : kBytes) (*d).*to = r.*from;
    for (const auto& [to, from] : kInts) (*d).*to = r.*from;
    d->MaxSpeedUp = r.MaxSpeedUp;
    d->ConnectWeapon = r.ConnectWeapon != 0;
    d->IDWeapon = r.IDWeapon;
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
        // P5 adds its kind bits as a structure does: the object's own SetKind would act on
        // them (a riding bit attaches the object to its owner, every time the record is
        // applied again, as when a rider is let go).
        if (P(5) != 0) object->TGPStructure::SetKind(P(5));
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
        object->TurnWord = SlideValue;  // the object's own turn word, which its behaviour reads
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
