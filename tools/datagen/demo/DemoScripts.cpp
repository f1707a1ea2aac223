// The class scripts and the weapons of the demo: what a class sounds like when it is hit,
// breaks, catches, shoots, explodes or is lost, the effect that goes with it, and what the
// paddle's weapons fire.
#include <algorithm>
#include <stdexcept>

#include "engine/gpRegisters.h"
#include "tools/datagen/CodeWriter.h"
#include "tools/datagen/ObjectWriter.h"
#include "tools/datagen/demo/DemoClasses.h"
#include "tools/datagen/demo/DemoNames.h"

namespace datagen::demo {

namespace {

// Every script binds a phantom variable to the map first: that names the scripts' kernel,
// which the sound commands need, and gives the effect an owner that outlives the object.
std::string Script(int effectClass, const std::string& events) {
    return "on VAR\n"
           "  var FX TGPPHANTOM\n"
           "on ONCREATE\n"
           "  phantom bind FX MAP " +
           std::to_string(effectClass) + "\n" + events;
}

// A sound of the object's own group (its number within the group).
std::string Sound(int number) { return "  object sound SELF " + std::to_string(number) + " 0 1\n"; }

// The effect shown where the object is, and a sound from there. An object leaving play (a
// brick breaking, a prize caught, a ball lost) cannot sound itself: the command names it
// and is dropped once it is back in its pool. The effect lives on, so it sounds instead;
// its number counts from the base of the group the effect's class falls in, so it is
// taken as the line of the wave list less that base.
std::string EffectSound(int effectClass, const std::string& wave) {
    const WaveList list = DemoWaveList();
    const auto line = std::find(list.names.begin(), list.names.end(), wave) - list.names.begin();
    if (line == static_cast<std::ptrdiff_t>(list.names.size())) throw std::logic_error("no sound " + wave);
    const int group = engine::SoundGroupOf(effectClass);
    const int64_t base = group > 0 ? list.bases[static_cast<size_t>(group - 1)] : 0;
    return "  phantom align FX SELF 3\n  object sound FX " + std::to_string(line - base) + " 0 1\n";
}

}  // namespace

std::vector<std::pair<std::string, std::string>> DemoScripts() {
    const std::string monsterBirth = "on ONBIRTH\n" + Sound(sound::MonsterAppear);
    const std::string monsterHit = "on ONCOLLISION\n" + Sound(sound::MonsterHit);
    const std::vector<std::pair<std::string, std::string>> sources{
        {"Paddle", Script(effect::HitFlash, "on ONCOLLISION\n" + Sound(sound::PaddleBounce) + "on ONCARRION\n" +
                                                EffectSound(effect::HitFlash, "Life_Lost"))},
        {"Guard", Script(effect::HitFlash, "on ONCOLLISION\n" + Sound(sound::PaddleBounce))},
        {"Brick", Script(effect::Shatter, "on ONCOLLISION\n" + Sound(sound::BrickHit) + "on ONCARRION\n" +
                                              EffectSound(effect::Shatter, "Brick_Break"))},
        {"Steel", Script(effect::Sparks, "on ONCOLLISION\n" + Sound(sound::MetalHit) + "  phantom align FX SELF 3\n")},
        // Gold bursts into chips as it breaks.
        {"Gold", Script(effect::Twinkle, "on ONCOLLISION\n" + Sound(sound::BrickHit) + "on ONCARRION\n" +
                                             EffectSound(effect::Twinkle, "Brick_Break") + "  object splinter SELF 1 " +
                                             std::to_string(unit::Chip) + " -1\n")},
        {"Special", Script(effect::Sparks, "on ONCOLLISION\n" + Sound(sound::SpecialHum) + "  phantom align FX SELF 3\n")},
        {"Monster", Script(effect::Blast, monsterBirth + monsterHit + "on ONCARRION\n" +
                                              EffectSound(effect::Blast, "Explosion"))},
        {"Mine", Script(effect::Smoke, monsterBirth + monsterHit + "on ONCARRION\n" +
                                           EffectSound(effect::Smoke, "Monster_Fizzle"))},
        {"Builder", Script(effect::Twinkle, monsterBirth + monsterHit + "on ONCARRION\n" +
                                                EffectSound(effect::Twinkle, "Monster_Appear"))},
        // The comet circles the field's top left corner far out, so a quarter of its round
        // sweeps across the field: radii, a step of half a unit a tick and the angle it
        // starts from are set on itself (its own variable bound to its own class).
        {"Comet", Script(effect::Blast, "on ONBIRTH\n" + Sound(sound::MonsterAppear) + "  phantom bind SELF SELF " +
                                            std::to_string(unit::Comet) +
                                            "\n"
                                            "  phantom param SELF 4 250\n"
                                            "  phantom param SELF 5 250\n"
                                            "  phantom param SELF 7 50\n"
                                            "  phantom param SELF 1 84\n" +
                                            monsterHit + "on ONCARRION\n" + EffectSound(effect::Blast, "Explosion"))},
        {"Missile", Script(effect::Blast, "on ONBIRTH\n" + Sound(sound::MissileLaunch) + "on ONCARRION\n" +
                                              EffectSound(effect::Blast, "Small_Explosion"))},
        {"Prize", Script(effect::Twinkle, "on ONCOLLISION\n" + EffectSound(effect::Twinkle, "Prize_Pickup"))},
        {"Ball", Script(effect::Sparks, "on ONCARRION\n" + EffectSound(effect::Sparks, "Ball_Lost"))},
        {"Gem", Script(effect::Twinkle, "on ONCARRION\n" + EffectSound(effect::Twinkle, "Level_Clear"))},
    };
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& [name, source] : sources) out.push_back({name, AssembleCpcStream(source)});
    return out;
}

std::vector<WeaponData> DemoWeapons() {
    WeaponDescription pair;  // two lasers side by side
    pair.minDamage = pair.maxDamage = 1;
    pair.soundID = sound::PaddleShot;
    pair.idFlyClass = unit::ShotLaser;
    pair.idActionClass = effect::MuzzleFlash, pair.actionTimeLifes = 8;
    pair.idEffectsClass = effect::HitFlash, pair.flagEffectClass = true;
    pair.timeOfDelays = 12;
    pair.numberOfStems = 2, pair.areaForStem = 20;
    pair.idSkinType = 1, pair.idSkinClass = effect::SkinCannon;

    WeaponDescription triple = pair;  // three bullets across the paddle
    triple.idFlyClass = unit::ShotBullet;
    triple.timeOfDelays = 16;
    triple.numberOfStems = 3, triple.areaForStem = 16;

    // The missile flies where the paddle faces (its width picks the heading): straight up
    // from the paddle's usual widths, off to the side from the widest.
    WeaponDescription missile;
    missile.minDamage = 2, missile.maxDamage = 3, missile.ramdomDamage = true;
    missile.soundID = -1;  // the missile announces itself
    missile.idFlyClass = unit::ShotMissile;
    missile.idActionType = 1, missile.idActionClass = effect::MuzzleFlash, missile.actionTimeLifes = 8;
    missile.idEffectsClass = effect::Blast, missile.flagEffectClass = true;
    missile.direction = 64;
    missile.offX = 0, missile.offY = 10;
    missile.velX = 0, missile.velY = 1500;
    missile.timeOfDelays = 30;

    // The charged plasma: five stems that destroy what they meet. Charged by holding the
    // fire key; the launch key fires it only now and then.
    WeaponDescription plasma;
    plasma.minDamage = plasma.maxDamage = 3;
    plasma.soundID = sound::PaddleExplosion;
    plasma.idFlyClass = unit::ShotPlasma;
    plasma.idActionClass = effect::MuzzleFlash, plasma.actionTimeLifes = 8;
    plasma.idEffectsClass = effect::Blast, plasma.flagEffectClass = true;
    plasma.timeOfDelays = 250;
    plasma.numberOfStems = 5, plasma.areaForStem = 12;

    const std::pair<int, const WeaponDescription*> weapons[] = {{1, &missile}, {2, &pair}, {3, &triple}, {8, &plasma}};
    static const char* const kNames[] = {"Missile_noway", "Fire_Bal", "Fire_Bal_1", "Fire_Bal_2",
                                         "Fire_Bal_3",    "Fire_Bal_4", "Fire_Bal_5", "Fire_Alt"};
    std::vector<WeaponData> out;
    for (const auto& [number, d] : weapons) {
        const std::string name = kNames[number - 1];
        out.push_back({number, name, WeaponRecord(*d, name), d->idFlyClass});
    }
    return out;
}

}  // namespace datagen::demo
