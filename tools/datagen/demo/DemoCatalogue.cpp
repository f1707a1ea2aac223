#include "tools/datagen/demo/DemoCatalogue.h"

#include "tools/datagen/demo/DemoArtBall.h"
#include "tools/datagen/demo/DemoArtBricks.h"
#include "tools/datagen/demo/DemoArtEffects.h"
#include "tools/datagen/demo/DemoArtMonsters.h"
#include "tools/datagen/demo/DemoArtPaddle.h"
#include "tools/datagen/demo/DemoArtPrizes.h"

namespace datagen::demo {

std::vector<CataloguePicture> CataloguePictures() {
    std::vector<CataloguePicture> out;
    auto add = [&](std::string name, Image image, int pw = 0, int ph = 0) {
        CataloguePicture p;
        p.name = std::move(name), p.image = std::move(image), p.patternWidth = pw, p.patternHeight = ph;
        out.push_back(std::move(p));
    };
    const auto& colors = BrickColors();
    for (size_t i = 0; i < colors.size(); ++i)
        add("Brick_" + std::to_string(i + 1), BrickSheet({.color = colors[i], .seed = static_cast<uint32_t>(i + 1)}), 48, 24);
    add("Brick_Metal", MetalBrickSheet(), 48, 24);
    for (int k = 0; k < kSpecialBrickKinds; ++k) add("Brick_Special_" + std::to_string(k + 1), SpecialBrickSheet(static_cast<SpecialBrick>(k)), 48, 24);
    add("Brick_Shatter", BrickShatterSheet({.color = colors[0]}), 48, 24);
    add("Splinter", SplinterSheet(colors[1]), 10, 10);
    add("Ball", BallSheet({}, 28, {6, 8, 10, 12}), 28, 28);
    add("Ball_Fire", BallSheet({.color = {255, 128, 40}, .flame = true}, 28, {6, 8, 10}, 6), 28, 28);
    add("Ball_Energy", BallSheet({.color = {64, 200, 255}, .swirl = true}, 28, {6, 8, 10}, 6), 28, 28);
    add("Exit_Gem", ExitGemSheet(), 28, 28);
    add("Paddle", PaddleSheet({}, 128, {64, 80, 96, 112, 128}), 128, 16);
    add("Paddle_Armed", PaddleSheet({.cannons = true}, 128, {64, 96, 128}), 128, 16);
    add("Paddle_Stunned", PaddleSheet({.stunned = true}, 128, {64, 96, 128}), 128, 16);
    for (int i = 0; i < 7; ++i) add("Prize_Letter_" + std::to_string(i + 1), CapsuleSheet(LetterPrizeStyle(i)), 40, 20);
    for (int code : {0, 1, 2, 3, 4, 6, 9, 16, 17, 21, 23, 26, 30})
        add("Prize_Effect_" + std::to_string(code), CapsuleSheet(EffectPrizeStyle(code)), 40, 20);
    add("Hud_Letters", LetterSlotSheet(), 24, 24);
    for (int k = 0; k < kMonsterKinds; ++k) add("Monster_" + std::to_string(k + 1), MonsterSheet(static_cast<MonsterKind>(k)), 40, 40);
    add("Explosion", ExplosionSheet(), 64, 64);
    add("Sparks", SparkSheet(), 20, 20);
    add("Hit_Flash", HitFlashSheet(), 28, 28);
    add("Muzzle_Flash", MuzzleFlashSheet(), 14, 22);
    add("Shot_Bullet", ShotSheet(ShotKind::Bullet), 8, 16);
    add("Shot_Laser", ShotSheet(ShotKind::Laser), 8, 16);
    add("Shot_Plasma", ShotSheet(ShotKind::Plasma), 8, 16);
    add("Floor_Bar", FloorBarSheet(), 576, 8);
    return out;
}

std::vector<CatalogueSound> CatalogueSounds() { return {}; }
std::vector<CatalogueTune> CatalogueTunes() { return {}; }

}  // namespace datagen::demo
