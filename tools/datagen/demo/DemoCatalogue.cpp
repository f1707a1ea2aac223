#include "tools/datagen/demo/DemoCatalogue.h"

#include "tools/datagen/demo/DemoArtBackgrounds.h"
#include "tools/datagen/demo/DemoArtBall.h"
#include "tools/datagen/demo/DemoArtBricks.h"
#include "tools/datagen/demo/DemoArtEffects.h"
#include "tools/datagen/demo/DemoArtHud.h"
#include "tools/datagen/demo/DemoArtInsignia.h"
#include "tools/datagen/demo/DemoArtMonsters.h"
#include "tools/datagen/demo/DemoArtPaddle.h"
#include "tools/datagen/demo/DemoArtPrizes.h"
#include "tools/datagen/demo/DemoArtWidgets.h"
#include "tools/datagen/demo/DemoArtWindows.h"
#include "tools/datagen/demo/DemoMusic.h"
#include "tools/datagen/demo/DemoSound.h"

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

    for (int k = 0; k < kBackdropKinds; ++k) {
        add("Backdrop_" + std::to_string(k + 1), Backdrop(static_cast<BackdropKind>(k), 576, 512, 128, static_cast<uint32_t>(k + 1)));
        out.back().jpeg = k % 2 == 0;
        out.back().bitCount = 16;
    }
    add("Menu_Backdrop", MenuBackdrop());
    out.back().jpeg = true;

    add("Button", ButtonSheet("New game"), 220, 40);
    add("Button_Cyrillic", ButtonSheet("Новая игра"), 220, 40);
    add("CheckBox", CheckBoxSheet(), 28, 28);
    add("TrackBar", TrackBarSheet(), 24, 24);
    add("Grid_RowHeaders", RowHeaderSheet({"Left", "Right", "Fire"}), 140, 28);
    add("Grid_ColumnHeaders", ColumnHeaderSheet({"Action", "Key"}), 140, 28);
    add("Panel", PanelFrame(420, 360, "Options"));
    add("Title", TitlePicture());
    add("Hud_Panel", HudPanel(176, 552, "SPRALLION"));
    add("Hud_Field_Frame", HudFieldFrame());
    out.back().bitCount = 16;
    add("Hud_Readout", HudReadout());
    add("Hud_Gauge", GaugeSheet(), 150, 14);
    add("Hud_Life", LifeIcon());
    add("Cursor_Arrow", CursorArrow());
    add("Cursor_Panel", CursorPanel());
    add("Cursor_Slot_Empty", CursorSlot(false));
    add("Cursor_Slot_Used", CursorSlot(true));

    add("Pal_MessageBox", MessageBoxBackground());
    out.back().key = kWindowKey;
    add("Pal_Option_Win", OptionBoxBackground());
    out.back().key = kWindowKey;
    add("Win_Button_Ok", WindowButtonSheet("OK"), 96, 30);
    out.back().key = kWindowKey;
    add("Win_Button_Cancel", WindowButtonSheet("Cancel"), 96, 30);
    out.back().key = kWindowKey;
    add("Game_Icon", GameIcon(32));
    add("Game_Icon_64", GameIcon(64));
    std::vector<PreviewBrick> bricks;
    for (int row = 0; row < 6; ++row)
        for (int col = 0; col < 12; ++col)
            if ((row + col) % 5 != 0) bricks.push_back({col * 48, 48 + row * 24, 48, 24, colors[static_cast<size_t>(row) % colors.size()]});
    add("LevelPreView_1", LevelPreview(bricks, BackdropTile(BackdropKind::Nebula)));
    out.back().bitCount = 8;
    add("Save_Default", EmptySlotPicture());
    out.back().bitCount = 8;

    for (int r = 1; r <= kRankCount; ++r) add("Rank_" + std::to_string(r), RankInsignia(r));
    for (int m = 1; m <= kMedalCount; ++m) add("Medal_" + std::to_string(m), MedalPicture(m));
    for (int d = 1; d <= kDifficultyCount; ++d) add("Difficulty_" + std::to_string(d), DifficultyBadge(d));
    // Pictures of a web page have no transparent colour: flattened onto the page's.
    constexpr Rgb kPage{16, 20, 40};
    add("Page_Rank_19", Flatten(RankInsignia(19), kPage));
    add("Page_Medal_10", Flatten(MedalPicture(10), kPage));
    add("Page_Difficulty_3", Flatten(DifficultyBadge(3), kPage));
    return out;
}

std::vector<CatalogueSound> CatalogueSounds() {
    std::vector<CatalogueSound> out;
    for (NamedSound& s : DemoSounds()) out.push_back({std::move(s.name), std::move(s.samples)});
    return out;
}

std::vector<CatalogueTune> CatalogueTunes() {
    return {{"Menu", TuneFile(MenuTuneStyle())},
            {"Prologue", TuneFile(PrologueTuneStyle())},
            {"Play", TuneFile(PlayTuneStyle())},
            {"Abyss", TuneFile(AbyssTuneStyle())}};
}

}  // namespace datagen::demo
