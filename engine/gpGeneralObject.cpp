#include "engine/gpGeneralObject.h"

#include <algorithm>
#include <filesystem>

#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "rtl/ComponentStream.h"
#include "rtl/Convert.h"
#include "rtl/StringList.h"

namespace engine {

TGPGeneralObject::TGPGeneralObject(rtl::Component* owner, int32_t classId) : ClassID(classId) {
    (void)owner;  // descriptions are owned by their cache, not by a component
}

void TGPGeneralObject::ParseWeapons() {
    rtl::StringList lines;
    lines.SetText(IDWeapon);
    Weapons.fill(0);
    SizeWeapon = std::min(lines.Count(), MaxWeapons);
    for (int i = 0; i < SizeWeapon; ++i) Weapons[static_cast<size_t>(i)] = rtl::StrToInt(lines[i]);
}

void TGPGeneralObject::DescribeClass(rtl::ClassBuilder<TGPGeneralObject>& c) {
    using T = TGPGeneralObject;
    c.Property("Media", &T::Media).Default(0)
        .Property("CPBMoving", &T::CPBMoving).Default(0)
        .Property("TicksPerRotate", &T::TicksPerRotate).Default(0)
        .Property("ProcessingEvents", &T::ProcessingEvents).Default(0)
        .Property("MDName", &T::MDName)
        .Property("MinSpeed", &T::MinSpeed).Default(0)
        .Property("MaxSpeed", &T::MaxSpeed).Default(0)
        .Property("MaxSpeedUp", &T::MaxSpeedUp)
        .Property("ConnectWeapon", &T::ConnectWeapon).Default(0)
        .Property("CurrentWeapon", &T::CurrentWeapon).Default(0)
        .Property("SizeWeapon", &T::SizeWeapon).Default(0)
        .Property("IDWeapon", &T::IDWeapon)
        .Property("DefaultSlide", &T::DefaultSlide).Default(0)
        .Property("Toughness", &T::Toughness).Default(0)
        .Property("Rotate", &T::Rotate).Default(0)
        .Property("PriceForDeath", &T::PriceForDeath).Default(0)
        .Property("MinDamage", &T::MinDamage).Default(0)
        .Property("MaxDamage", &T::MaxDamage).Default(0)
        .Property("AddParamInt1", &T::AddParamInt1).Default(0)
        .Property("AddParamInt2", &T::AddParamInt2).Default(0)
        .Property("AddParamInt3", &T::AddParamInt3).Default(0)
        .Property("AddParamInt4", &T::AddParamInt4).Default(-1);
}

RTL_REGISTER_CLASS(TGPGeneralObject);

std::unique_ptr<TGPGeneralObject> LoadGeneralObject(const TKernelResources& kernel, int32_t classId) {
    const std::string& name = UnitClassName(classId);
    if (name.empty()) return nullptr;
    std::vector<uint8_t> bytes;
    if (kernel.Resource) {
        if (!ReadEntryBytes(*kernel.Resource, "GeneralObject_Unit", name, bytes)) return nullptr;
    } else {
        const std::string path = ResourceFolders().Resource + name + ".go";
        std::error_code ec;
        if (!std::filesystem::is_regular_file(RealPath(path), ec)) return nullptr;
        bytes = ReadLooseFile(path);
    }
    auto description = std::make_unique<TGPGeneralObject>(nullptr, classId);
    rtl::ComponentReader reader(bytes);
    reader.ReadComponent(*description);
    return description;
}

TGPGeneralObject* TGPGeneralObjects::FindOrLoad(const TKernelResources& kernel, int32_t classId) {
    for (int i = 0; i < list_.Count(); ++i)
        if (list_[i]->ClassID == classId) return list_[i].get();
    std::unique_ptr<TGPGeneralObject> loaded = LoadGeneralObject(kernel, classId);
    if (!loaded) return nullptr;
    TGPGeneralObject* description = loaded.get();
    list_.Add(std::move(loaded));
    return description;
}

}  // namespace engine
