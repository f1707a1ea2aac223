// Weapons: the description, its loading, and firing a volley or an aimed shot.
#include "engine/gpWeapon.h"

#include "engine/gpClasses.h"
#include "engine/gpEffects.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "engine/gpUtils.h"
#include "rtl/ComponentStream.h"
#include "rtl/Numbers.h"

#include <exception>
#include <filesystem>

namespace engine {

// ---- Description ----

void TGPWeaponStructure::DescribeClass(rtl::ClassBuilder<TGPWeaponStructure>& c) {
    using T = TGPWeaponStructure;
    c.Property("MinDamage", &T::MinDamage).Default(0)
        .Property("MaxDamage", &T::MaxDamage).Default(0)
        .Property("RamdomDamage", &T::RamdomDamage).Default(0)
        .Property("SoundID", &T::SoundID).Default(0)
        .Property("IDFlyType", &T::IDFlyType).Default(0)
        .Property("IDFlyClass", &T::IDFlyClass).Default(0)
        .Property("FlyTimeLifes", &T::FlyTimeLifes).Default(0)
        .Property("IDActionType", &T::IDActionType).Default(0)
        .Property("IDActionClass", &T::IDActionClass).Default(0)
        .Property("ActionTimeLifes", &T::ActionTimeLifes).Default(0)
        .Property("IDEffectsClass", &T::IDEffectsClass).Default(0)
        .Property("FlagEffectClass", &T::FlagEffectClass).Default(0)
        .Property("Direction", &T::Direction).Default(0)
        .Property("OffX", &T::OffX).Default(0)
        .Property("OffY", &T::OffY).Default(0)
        .Property("VelX", &T::VelX).Default(0)
        .Property("VelY", &T::VelY).Default(0)
        .Property("TimeOfDelays", &T::TimeOfDelays).Default(0)
        .Property("Recoil", &T::Recoil).Default(0)
        .Property("ShareOfRecoil", &T::ShareOfRecoil).Default(0)
        .Property("NumberOfStems", &T::NumberOfStems).Default(0)
        .Property("AreaForStem", &T::AreaForStem).Default(0)
        .Property("IDSkinType", &T::IDSkinType).Default(0)
        .Property("IDSkinClass", &T::IDSkinClass).Default(0)
        .Property("SkinOffX", &T::SkinOffX).Default(0)
        .Property("SkinOffY", &T::SkinOffY).Default(0);
}

RTL_REGISTER_CLASS(TGPWeaponStructure);

TGPWeaponStructure* LoadWeaponStructure(const TGPKernel* kernel, TGPWeaponStructure& description, int32_t number) {
    if (number < 1 || number > static_cast<int32_t>(ShotNames.size())) return nullptr;
    const std::string name = ShotNames[static_cast<size_t>(number - 1)];
    try {
        std::vector<uint8_t> bytes;
        if (kernel && kernel->Resource) {
            if (!ReadEntryBytes(*kernel->Resource, "Classes_Weapons", name, bytes)) return nullptr;
        } else {
            const std::string path = ResourceFolders().Resource + name + ".wp";
            std::error_code ec;
            if (!std::filesystem::is_regular_file(RealPath(path), ec)) return nullptr;
            bytes = ReadLooseFile(path);
        }
        rtl::ComponentReader reader(bytes);
        reader.ReadComponent(description);
    } catch (const std::exception&) {
        return nullptr;
    }
    return &description;
}

namespace {

// A failure the weapon swallowed, to its kernel's weapons' log.
void Log(const TGPWeapon& weapon, const std::string& text) {
    if (weapon.Kernel && weapon.Kernel->WeaponLog) weapon.Kernel->WeaponLog("TGPWeapon.Fire", text);
}

// Enters a new projectile in the map's cells where it was placed.
void Register(TGPObject& o) {
    if (TGPMap* map = o.Kernel ? o.Kernel->Map : nullptr) {
        map->RemoveObjectFromCells(&o);
        map->AddObjectToCells(nullptr, &o);
    }
}

}  // namespace

// ---- Weapon ----

TGPWeapon::TGPWeapon() : Structure(std::make_unique<TGPWeaponStructure>()) {}

TGPWeapon::~TGPWeapon() = default;

void TGPWeapon::Create(TObject* owner, int32_t id) {
    TGPStructure::Create(owner, id);
    // Read into a fresh description: a failure part-way leaves the defaults, not half a record.
    auto loaded = std::make_unique<TGPWeaponStructure>();
    Structure = LoadWeaponStructure(Kernel, *loaded, id) ? std::move(loaded) : std::make_unique<TGPWeaponStructure>();
    if (auto* object = dynamic_cast<TGPObject*>(owner))
        Group = object->Group;
    else if (auto* nation = dynamic_cast<TGPNation*>(owner))
        Group = static_cast<TGPStructure*>(nation);
    CreateSkin();
}

void TGPWeapon::CreateSkin() {
    if (auto* owner = dynamic_cast<TGPObject*>(Owner)) ShowSkin(*owner, true);
}

void TGPWeapon::ShowSkin(TGPObject& owner, bool align) {
    const TGPWeaponStructure& d = *Structure;
    if (d.IDSkinType != 1 || !owner.Kernel) return;
    auto* skin = dynamic_cast<TGPPhantom*>(owner.Kernel->CreateObject(1, &owner, true, d.IDSkinClass));
    if (!skin) return;
    if (align) {
        skin->AlignTo(&owner, 5);
    } else {
        skin->OffX = d.SkinOffX;
        skin->OffY = d.SkinOffY;
    }
    skin->Visible = true;
    skinHandle_ = skin->Handle();
    skinGeneration_ = skin->Generation();
}

TGPPhantom* TGPWeapon::Skin() const {
    return dynamic_cast<TGPPhantom*>(FromHandle(skinHandle_, skinGeneration_));
}

void TGPWeapon::Rearm(TGPObject* owner) {
    HasShot = false;
    LastShot = 0;
    if (owner) ShowSkin(*owner, false);
}

void TGPWeapon::Disarm() {
    if (TGPPhantom* skin = Skin()) FreeToPool(skin->Kernel, 1, skin);
    skinHandle_ = 0;
}

uint8_t TGPWeapon::GetDamage() {
    const TGPWeaponStructure& d = *Structure;
    if (!d.RamdomDamage) return d.MaxDamage;
    return static_cast<uint8_t>(d.MinDamage + rtl::Random(int32_t{d.MaxDamage} - d.MinDamage));
}

bool TGPWeapon::GetFlagEffectClass() const { return Structure->FlagEffectClass; }
int32_t TGPWeapon::GetIDEffectsClass() const { return Structure->IDEffectsClass; }

int32_t TGPWeapon::TakeFreeSlot(std::bitset<256>& used, int32_t n) {
    n = std::min(n, 255);
    int32_t free = 0;
    for (int32_t s = 1; s <= n; ++s) free += used.test(static_cast<size_t>(s)) ? 0 : 1;
    if (free == 0) return 0;
    for (;;) {
        const int32_t s = rtl::Random(n) + 1;
        if (used.test(static_cast<size_t>(s))) continue;
        used.set(static_cast<size_t>(s));
        return s;
    }
}

bool TGPWeapon::ProjectileClassValid() {
    const int32_t id = Structure->IDFlyClass;
    if (id >= 1 && id <= kMaxObjectClass) return true;
    if (!badClassLogged_) {
        badClassLogged_ = true;
        Log(*this, "weapon " + std::to_string(IDClass) + " has no projectile class (" + std::to_string(id) + ")");
    }
    return false;
}

void TGPWeapon::Fire() {
    try {
        FireOnce();
    } catch (const rtl::Exception& e) {
        Log(*this, std::string(e.className()) + ":" + e.message());
    } catch (const std::exception& e) {
        Log(*this, e.what());
    }
}

void TGPWeapon::FireOnce() {
    auto* owner = dynamic_cast<TGPObject*>(Owner);
    if (!owner || !owner->Kernel || owner->Weapon != this) return;
    const TGPWeaponStructure& d = *Structure;
    const int64_t t = owner->Age;
    if (HasShot && t - LastShot < d.TimeOfDelays) return;
    HasShot = true;
    LastShot = t;
    TGPKernel& kernel = *owner->Kernel;
    if (d.IDActionType == 1 && d.NumberOfStems < 2)
        if (auto* flash = dynamic_cast<TGPPhantom*>(kernel.CreateObject(1, owner, true, d.IDActionClass))) {
            flash->SetParam(1, d.Direction);
            flash->SetParam(4, d.OffX);
            flash->SetParam(5, d.OffY);
            flash->Visible = true;
            flash->SetParam(7, d.ActionTimeLifes);
        }
    if (d.IDFlyType != 0 || !ProjectileClassValid()) return;
    if (d.NumberOfStems >= 2)
        FireVolley(*owner);
    else
        FireAimed(*owner);
}

void TGPWeapon::FireVolley(TGPObject& owner) {
    const TGPWeaponStructure& d = *Structure;
    TGPKernel& kernel = *owner.Kernel;
    // Stems spread evenly across the owner, at least AreaForStem apart; an owner without
    // width has no room for any.
    const int32_t w = owner.CollisionRect.Width();
    if (w <= 0) return;
    int32_t n = d.NumberOfStems;
    int32_t g = w / (n + 1);
    if (g < d.AreaForStem) {
        n = w / d.AreaForStem;
        g = w / (n + 1);
    }
    TGPNation* shots = kernel.FindNation(5);
    if (!shots) shots = kernel.NationByKey(5);
    std::bitset<256> used;
    const uint16_t generation = owner.Generation();
    bool last = false;
    for (int32_t i = 0; i < n; ++i) {
        last = false;
        auto* shot = dynamic_cast<TGPObject*>(kernel.CreateObject(2, shots, true, d.IDFlyClass));
        if (!shot) continue;
        shot->SetShotLinks(this, &owner);
        shot->SetDGCDirection(192);
        shot->SetDGCSpeed(rtl::Random(static_cast<int32_t>(rtl::Round(RealFromFixed(shot->MinSpeedFx)) +
                                                           rtl::Round(RealFromFixed(shot->MaxSpeedFx)))));
        const int64_t s = TakeFreeSlot(used, n);
        shot->SetX(static_cast<int32_t>(int64_t{owner.GetX()} + owner.CollisionRect.Left + s * g - shot->Width / 2));
        shot->SetY(static_cast<int32_t>(int64_t{owner.GetY()} - shot->Height / 2));
        shot->RunOnBirth();
        if (owner.Generation() != generation) return;  // a script sent the owner away
        if (auto* flash = dynamic_cast<TGPPhantom*>(kernel.CreateObject(1, &owner, true, d.IDActionClass))) {
            flash->Visible = true;
            flash->SetParam(7, d.ActionTimeLifes);
            flash->OffX = static_cast<int32_t>(s * g - flash->Width / 2);
            flash->OffY = -(flash->Height / 2);
        }
        if (shot->InPlay()) Register(*shot);
        last = true;
    }
    if (last && d.SoundID != -1)
        kernel.CommandLine->AddSound(d.SoundID, &owner, owner.GetX() + owner.Width / 2, owner.GetY() + owner.Height / 2, 0,
                                     1, 1);
}

void TGPWeapon::FireAimed(TGPObject& owner) {
    const TGPWeaponStructure& d = *Structure;
    TGPKernel& kernel = *owner.Kernel;
    auto* shot = dynamic_cast<TGPObject*>(kernel.CreateObject(2, &owner, true, d.IDFlyClass));
    if (!shot) return;
    shot->SetShotLinks(this, &owner);
    // The owner's facing, from its picture column.
    const int32_t h = Direction256(int64_t{owner.Column} * owner.StepsPerColumn);
    shot->Heading = h;
    const rtl::TPoint v = RotatePoint(0, 0, d.VelX, d.VelY, 0, 0, static_cast<uint8_t>(Direction256(int64_t{h} - 32)));
    shot->DriftX = v.X / 300.0 + owner.DriftX;
    shot->DriftY = v.Y / 300.0 + owner.DriftY;
    if (d.Recoil && d.ShareOfRecoil != 0) {
        owner.DriftX -= shot->DriftX / d.ShareOfRecoil;
        owner.DriftY -= shot->DriftY / d.ShareOfRecoil;
    }
    const auto a = static_cast<uint8_t>(Direction256(int64_t{owner.Heading} + d.Direction - 32));
    const rtl::TPoint muzzle = RotatePoint(owner.GetX(), owner.GetY(), d.OffX, d.OffY, owner.Width / 2 - shot->Width / 2,
                                           owner.Height / 2 - shot->Height / 2, a);
    shot->SetX(muzzle.X);
    shot->SetY(muzzle.Y);
    shot->RunOnBirth();
    if (shot->InPlay()) Register(*shot);
}

}  // namespace engine
