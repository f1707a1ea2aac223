// The description of a game-object class's game values (speeds, toughness, weapons, damage,
// score, script name and four free parameters), streamed in the class library's component
// format from section "GeneralObject_Unit" of the level set or from the loose file
// name + ".go", and cached per nation.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/gpClasses.h"
#include "rtl/Component.h"
#include "rtl/Lists.h"

namespace engine {

class TGPGeneralObject : public rtl::Component {
    RTL_CLASS(TGPGeneralObject, rtl::Component)
public:
    static constexpr int MaxWeapons = 256;

    TGPGeneralObject() = default;
    TGPGeneralObject(rtl::Component* owner, int32_t classId);

    uint8_t Media = 0;
    uint8_t CPBMoving = 0;
    uint8_t TicksPerRotate = 0;
    bool ProcessingEvents = false;
    std::string MDName;  // the class's script
    int32_t MinSpeed = 0, MaxSpeed = 0;
    double MaxSpeedUp = 0;
    bool ConnectWeapon = false;
    int32_t CurrentWeapon = 0;
    int32_t SizeWeapon = 0;
    std::string IDWeapon;  // weapon identifiers, one per line
    uint8_t DefaultSlide = 0;
    int32_t Toughness = 0;
    uint8_t Rotate = 0;
    int32_t PriceForDeath = 0;
    int32_t MinDamage = 0, MaxDamage = 0;
    int32_t AddParamInt1 = 0, AddParamInt2 = 0, AddParamInt3 = 0;
    int32_t AddParamInt4 = -1;

    // Not streamed.
    int32_t ClassID = 0;
    std::array<int32_t, MaxWeapons> Weapons{};

    // SizeWeapon := the lines of IDWeapon (at most MaxWeapons); Weapons receives them as
    // integers, the rest 0. A line that is no integer raises EConvertError.
    void ParseWeapons();

    static void DescribeClass(rtl::ClassBuilder<TGPGeneralObject>& c);
};

// The description of a class 1..166, or nil: from the level set's "GeneralObject_Unit" when
// there is one (an absent entry gives nil), else from resource folder + name + ".go" (a
// missing file gives nil). A malformed record raises EReadError.
std::unique_ptr<TGPGeneralObject> LoadGeneralObject(const TKernelResources& kernel, int32_t classId);

// A nation's cache of descriptions, owning them.
class TGPGeneralObjects {
public:
    int Count() const { return list_.Count(); }
    TGPGeneralObject* Get(int index) const { return list_[index].get(); }  // EListError outside
    int Add(std::unique_ptr<TGPGeneralObject> description) { return list_.Add(std::move(description)); }
    void Clear() { list_.Clear(); }
    // The cached description of the class, else a loaded one (appended), else nil.
    TGPGeneralObject* FindOrLoad(const TKernelResources& kernel, int32_t classId);

private:
    rtl::List<std::unique_ptr<TGPGeneralObject>> list_;
};

}  // namespace engine
