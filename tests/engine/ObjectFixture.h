// Game objects on a headless kernel and map: every unit class 1..166 named "Unit<id>", class
// data written by datagen into the level set, nations made on demand, and game objects that
// record the script events they run.
#pragma once

#include "WorldFixture.h"

#include "engine/gpCrowd.h"
#include "engine/gpFunctionObject.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpShared.h"
#include "engine/gpUtils.h"
#include "tools/datagen/CodeWriter.h"
#include "tools/datagen/ObjectWriter.h"

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace enginetest {

// A game object that records the script events it runs, and can be made to fail in one.
class EventProbe : public engine::TGPObject {
public:
    std::vector<engine::TObjectEvent> events;
    engine::TObjectEvent failIn = engine::TObjectEvent::Var;  // Var: never fails
    int Count(engine::TObjectEvent e) const {
        int n = 0;
        for (auto x : events) n += x == e;
        return n;
    }

protected:
    void RunEvent(engine::TObjectEvent event) override {
        events.push_back(event);
        if (event == failIn && event != engine::TObjectEvent::Var) throw std::runtime_error("script failed");
        engine::TGPObject::RunEvent(event);
    }
};

// A weapon whose hits do a fixed damage.
class FixedWeapon : public engine::TGPWeapon {
public:
    uint8_t damage = 0;
    bool effect = false;
    int32_t effectClass = 0;
    int fired = 0;
    uint8_t GetDamage() override { return damage; }
    bool GetFlagEffectClass() const override { return effect; }
    int32_t GetIDEffectsClass() const override { return effectClass; }
    void Fire() override { ++fired; }
};

class ObjectFixture : public WorldFixture {
protected:
    static constexpr int32_t kPaddle = 1, kBrick = 12, kMonster = 32, kBall = 62, kPassBall = 64, kPrize = 42,
                             kSplinter = 157;

    ObjectFixture() {
        datagen::NameTables names;
        for (int id = 1; id <= 166; ++id) names.tables[0].push_back("Unit" + std::to_string(id));
        names.tables[3] = {"Boom", "Spark", "Flash", "Glow", "Ring", "Six", "Seven", "Eight", "Nine"};
        const std::string bytes = datagen::WriteNameTables(names);
        rtl::MemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        engine::LoadPixSetGP({}, engine::pfUnitNames, &stream);
        map = engine::CreateMap(*kernel, false, 0, 0, 9, 8, 9, 8, 64);
    }

    static std::string Name(int32_t id) { return "Unit" + std::to_string(id); }

    // A class with seven slides of one shape and its description; state 4 ("Move") when
    // moving is set, so the collision pass counts its objects as moving.
    void Class(int32_t id, datagen::GeneralObjectDescription description = {},
               datagen::UnitSlideDescription shape = {}) {
        shape.idName = id;
        slides_[Name(id)] = datagen::UnitClassRecord(shape);
        descriptions_[Name(id)] = datagen::GeneralObjectRecord(description);
    }
    // A class with slides but no description.
    void ClassWithoutTemplate(int32_t id, datagen::UnitSlideDescription shape = {}) {
        shape.idName = id;
        slides_[Name(id)] = datagen::UnitClassRecord(shape);
    }
    // A weapon description of "Classes_Weapons" for weapon number 1..8.
    void Weapon(int32_t number, const datagen::WeaponDescription& description) {
        const std::string name = engine::ShotNames[static_cast<size_t>(number - 1)];
        weapons_[name] = datagen::WeaponRecord(description, name);
    }
    // A picture of "BMP_Unit" (its key: the class name, "_" and the state name).
    void Picture(const std::string& key, std::string bytes) { pictures_[key] = std::move(bytes); }
    // A class script in the level set's "Code_Unit", assembled from a command list.
    void Script(const std::string& key, const std::string& source) {
        scripts_.emplace_back(key, datagen::AssembleCpcStream(source));
    }
    // Writes the level set with every class and script declared so far, and the effect
    // classes 1..9.
    void Commit() {
        std::vector<std::pair<std::string, std::string>> slides(slides_.begin(), slides_.end());
        std::vector<std::pair<std::string, std::string>> descriptions(descriptions_.begin(), descriptions_.end());
        std::vector<std::pair<std::string, std::string>> effects;
        static const char* kEffects[] = {"Boom", "Spark", "Flash", "Glow", "Ring", "Six", "Seven", "Eight", "Nine"};
        for (int32_t id = 1; id <= 9; ++id)
            effects.emplace_back(kEffects[id - 1], datagen::EffectRecord({.idName = id, .picture = "Fx"}));
        std::vector<datagen::ContainerSection> sections = {
            datagen::DescriptionSection("Classes_Unit", slides),
            datagen::DescriptionSection("GeneralObject_Unit", descriptions),
            datagen::DescriptionSection("Classes_Effects", effects),
            {"BMP_Effects", {{"Fx", datagen::SolidPicture(8, 8, 0x808080)}}},
            datagen::DescriptionSection("BMP_Unit", {pictures_.begin(), pictures_.end()}),
            datagen::DescriptionSection("Classes_Weapons", {weapons_.begin(), weapons_.end()})};
        if (!scripts_.empty()) sections.push_back(datagen::CodeUnitSection(scripts_));
        LevelSet(sections);
    }

    engine::TGPNation* Nation(int32_t key) {
        engine::TGPNation* n = kernel->NationByKey(key);
        if (!n->ObjectFactory) n->ObjectFactory = [] { return std::make_unique<EventProbe>(); };
        return n;
    }
    // An object of the class from the pool, placed in nation key.
    EventProbe* Make(int32_t key, int32_t id, int32_t x = 0, int32_t y = 0) {
        auto* o = dynamic_cast<EventProbe*>(Nation(key)->CreateFromPool(x, y, false, id));
        EXPECT_NE(o, nullptr) << "class " << id;
        if (o) o->events.clear();
        return o;
    }

    engine::TGPShared& Shared() { return kernel->Shared; }

    engine::TGPMap* map = nullptr;

private:
    std::map<std::string, std::string> slides_, descriptions_, pictures_, weapons_;
    std::vector<std::pair<std::string, std::string>> scripts_;
};

}  // namespace enginetest
