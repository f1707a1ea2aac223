#include "tools/datagen/demo/DemoClasses.h"

#include <algorithm>
#include <cmath>

#include "engine/gpAnimation.h"
#include "engine/gpGeneralObject.h"
#include "tools/datagen/Bmp.h"
#include "tools/datagen/ClassesWriter.h"
#include "tools/datagen/Jpeg.h"
#include "tools/datagen/demo/DemoArtBackgrounds.h"
#include "tools/datagen/demo/DemoArtBall.h"
#include "tools/datagen/demo/DemoArtBricks.h"
#include "tools/datagen/demo/DemoArtEffects.h"
#include "tools/datagen/demo/DemoArtHud.h"
#include "tools/datagen/demo/DemoArtInsignia.h"
#include "tools/datagen/demo/DemoArtMonsters.h"
#include "tools/datagen/demo/DemoArtPaddle.h"
#include "tools/datagen/demo/DemoArtPrizes.h"
#include "tools/datagen/demo/DemoNames.h"
#include "tools/datagen/demo/DemoSheets.h"

namespace datagen::demo {

std::string DemoPicture::Bytes() const {
    if (jpeg) return LengthPrefixed(EncodeJpegPicture(image));
    return EncodeBmp(ToBmpPicture(image, transparent, bitCount), {.rle = rle && bitCount == 8});
}

namespace {

// ---- Pictures of the unit classes, by the state they are stored under ----

const Rgb kBrickColours[] = {{214, 48, 49},  {240, 136, 32}, {236, 208, 48}, {64, 184, 72},
                             {40, 192, 200}, {48, 104, 224}, {144, 72, 216}, {232, 96, 176}};

// A brick whose damage stages lie in columns, the whole brick last.
Image StagedBrick(Rgb colour, int stages, uint32_t seed) {
    const Image rows = BrickSheet({.color = colour, .frames = stages, .seed = seed});
    return RowsToColumns(rows, 48, 24, true);
}

std::vector<std::pair<int, Image>> UnitPictures(const UnitEntry& u) {
    const int id = u.id;
    const std::vector<double> radii{7, 9, 11, 12};  // the ring round the biggest still fits its cell
    if (id == unit::Paddle) return {{4, PaddleSheet({}, 128, {64, 80, 96, 112, 128}, 4)}};
    if (id == unit::Guard)
        return {{4, PaddleSheet({.height = 16, .caps = {48, 176, 96}, .glow = {160, 255, 120}}, 64, {48}, 4)}};
    if (id == unit::Bomber) {
        const Image calm = MonsterSheet(MonsterKind::Saucer, 48, 8);
        return {{4, Recolour(calm, {120, 200, 255}, 0.25)}, {3, Recolour(calm, {255, 48, 32}, 0.45)}};
    }
    if (id == unit::ShotLaser) return {{4, ShotSheet(ShotKind::Laser, 8, 16, 3)}};
    if (id == unit::ShotBullet) return {{4, ShotSheet(ShotKind::Bullet, 8, 16, 3)}};
    if (id == unit::ShotMissile) return {{4, ShotSheet(ShotKind::Bullet, 10, 20, 3)}};
    if (id == unit::ShotPlasma) return {{4, ShotSheet(ShotKind::Plasma, 12, 24, 3)}};
    if (id >= unit::FirstBrick && id < unit::FirstBrick + 8)
        return {{4, StagedBrick(kBrickColours[id - unit::FirstBrick], 1, static_cast<uint32_t>(id))}};
    if (id >= unit::FirstToughBrick && id < unit::FirstToughBrick + 6)
        return {{4, StagedBrick(Shade(kBrickColours[id - unit::FirstToughBrick], 0.8), 2, static_cast<uint32_t>(id))}};
    if (id >= unit::FirstHardBrick && id < unit::FirstHardBrick + 4)
        return {{4, StagedBrick(Shade(kBrickColours[id - unit::FirstHardBrick], 0.62), 3, static_cast<uint32_t>(id))}};
    if (id == unit::SteelBrick) return {{4, MetalBrickSheet(48, 24, 4)}};
    if (id == unit::GoldBrick) return {{4, StagedBrick({232, 184, 40}, 1, 77)}};
    if (id == unit::Eye) return {{4, MonsterSheet(MonsterKind::Eye, 40, 8)}};
    if (id == unit::Spinner) return {{4, MonsterSheet(MonsterKind::Spinner, 40, 8)}};
    if (id == unit::Jelly) return {{4, MonsterSheet(MonsterKind::Jelly, 40, 8)}};
    if (id == unit::Saucer) return {{4, MonsterSheet(MonsterKind::Saucer, 40, 8)}};
    if (id == unit::Mine) return {{4, Recolour(MonsterSheet(MonsterKind::Spinner, 32, 8), {255, 72, 48}, 0.5)}};
    if (id == unit::Builder) return {{4, MonsterSheet(MonsterKind::Builder, 40, 12)}};
    if (id == unit::Comet) return {{4, MonsterSheet(MonsterKind::Comet, 32, 8)}};
    if (id == unit::Drifter) return {{4, MonsterSheet(MonsterKind::Drifter, 48, 8)}};
    if (id >= unit::FirstSlider && id < unit::FirstSlider + 3) {
        const int stages = id - unit::FirstSlider + 1;
        return {{4, RowsToColumns(SliderBrickSheet({.color = {72, 200, 200}, .frames = stages, .seed = static_cast<uint32_t>(id)}),
                                  48, 24, true)}};
    }
    if (id >= unit::FirstLetter && id < unit::FirstLetter + 7) return {{4, CapsuleSheet(LetterPrizeStyle(id - unit::FirstLetter))}};
    if (PrizeEffectCode(id) >= 0) return {{4, CapsuleSheet(EffectPrizeStyle(PrizeEffectCode(id)))}};
    // The plain ball is warm and ringed, so that it stands out on every (dark, cool) backdrop
    // and among the stars; the energy balls ring in their own colours.
    if (id == unit::Ball) return {{4, BallSheet({.color = {255, 222, 150}, .ring = true}, 28, radii, 1)}};
    if (id == unit::BallQuake)
        return {{4, BallSheet({.color = {180, 140, 255}, .swirl = true, .ring = true, .ringColor = {232, 96, 255}}, 28, radii, 6)}};
    if (id == unit::BallGhost)
        return {{4, BallSheet({.color = {64, 200, 255}, .swirl = true, .ring = true, .ringColor = {96, 255, 232}}, 28, radii, 6)}};
    if (id == unit::BallFire) return {{4, BallSheet({.color = {255, 128, 40}, .flame = true}, 28, radii, 6)}};
    if (id == unit::ExitGem) return {{4, ExitGemSheet(28, 8)}};
    if (id >= unit::FirstSpecialBrick && id < unit::FirstSpecialBrick + 6)
        return {{4, SpecialBrickSheet(static_cast<SpecialBrick>(id - unit::FirstSpecialBrick), 48, 24, 4)}};
    if (id == unit::Chip) return {{4, SplinterSheet({200, 190, 170}, 10, 4)}};
    return {};
}

std::string SlideKey(int id, int state) { return UnitName(id) + "_" + engine::StateName(state); }

std::string SlidesRecord(const UnitEntry& u, const std::vector<std::pair<int, Image>>& pictures) {
    std::string out;
    for (int state = 1; state <= 7; ++state) {
        const SlideEntry& s = u.slides[static_cast<size_t>(state - 1)];
        int shown = s.picture;
        const bool stored = std::any_of(pictures.begin(), pictures.end(), [&](const auto& p) { return p.first == shown; });
        if (!stored) shown = 4;
        engine::TOneSlide slide;
        slide.Name = SlideKey(u.id, state);
        slide.IDName = u.id;
        slide.IDCondition = shown;
        slide.IDSlide = SlideKey(u.id, shown);
        slide.IDWav = u.sound;
        slide.PatternWidth = u.patternWidth;
        slide.PatternHeight = u.patternHeight;
        slide.LinesWidth = u.columns;
        slide.LinesHeight = u.frames;
        if (s.fullRect) {
            slide.BaseRight = u.patternWidth;
            slide.BaseBottom = u.patternHeight;
        } else {
            slide.BaseLeft = u.base[0], slide.BaseTop = u.base[1], slide.BaseRight = u.base[2], slide.BaseBottom = u.base[3];
            slide.IncSize = static_cast<uint8_t>(u.incSize);
            slide.IncSizeH = static_cast<uint8_t>(u.incSizeH);
        }
        slide.HTicksPerChange = static_cast<uint8_t>(s.ticks >= 0 ? s.ticks : u.ticks);
        slide.StyleAniSprite = static_cast<engine::TStyleAniSprite>(s.style >= 0 ? s.style : u.style);
        slide.DefaultAniSprite = static_cast<uint8_t>(u.defaultColumn);
        if (s.order >= 0) {
            slide.Ord_Default = 1;
            slide.Type_Ord_Default = s.order;
        } else if (s.releaseOrder >= 0) {
            slide.Type_Ord_Default = s.releaseOrder;
        }
        out += WriteRecord(slide);
    }
    return out;
}

std::string GeneralObjectRecord(const UnitEntry& u) {
    engine::TGPGeneralObject g(nullptr, u.id);
    g.Name = UnitName(u.id);
    g.TicksPerRotate = u.ticksPerRotate;
    g.ProcessingEvents = !u.script.empty();
    g.MDName = u.script;
    g.MinSpeed = u.minSpeed;
    g.MaxSpeed = u.maxSpeed;
    g.MaxSpeedUp = u.acceleration;
    g.ConnectWeapon = u.connectWeapon;
    g.CurrentWeapon = u.currentWeapon;
    g.IDWeapon = u.weapons;
    g.ParseWeapons();
    g.DefaultSlide = static_cast<uint8_t>(u.defaultSlide);
    g.Toughness = u.toughness;
    g.PriceForDeath = u.price;
    g.MinDamage = u.minDamage;
    g.MaxDamage = u.maxDamage;
    g.AddParamInt1 = u.param1;
    g.AddParamInt2 = u.param2;
    g.AddParamInt3 = u.param3;
    g.AddParamInt4 = u.lifetime;
    return WriteRecord(g);
}

// ---- Effects ----

struct EffectEntry {
    int id;
    std::string picture;
    Image sheet;
    int patternWidth, patternHeight;
    int frames;           // LinesWidth: frames of a cycle (patterns 0 .. frames-1)
    int rows = 1;         // LinesHeight
    int ticks = 2;
    int lives = 0;        // TimeLifes
    int coordinates = 0;  // SystemCoordinate
    engine::TStyleImposition style = engine::TStyleImposition::siStandart;
};

// Heads-up pictures stand still: one pattern per value, frame frozen.
EffectEntry Hud(int id, std::string picture, Image sheet, int w, int h, int frames) {
    return {id, std::move(picture), std::move(sheet), w, h, frames, 1, 0, 0, 0, engine::TStyleImposition::siNo};
}

// A paddle skin: one column per paddle width, following the paddle's column.
EffectEntry Skin(int id, std::string picture, Image sheet, int frames) {
    return {id, std::move(picture), std::move(sheet), 128, 24, 5, frames, 3, 0, 0, engine::TStyleImposition::siScaling};
}

std::vector<EffectEntry> EffectSpecs() {
    using engine::TStyleImposition;
    std::vector<EffectEntry> e;
    e.push_back({effect::Splash, "Fx_Splash", SparkSheet(20, 6, {120, 200, 255}, 3), 20, 20, 6, 1, 1, 12});
    e.push_back(Hud(effect::HudPlayer, "Hud_Player", RankInsignia(1, 22, 22), 22, 22, 1));
    e.push_back({effect::SplitFlash, "Fx_Split", HitFlashSheet(28, 5, {255, 255, 255}), 28, 28, 5, 1, 1, 16});
    e.push_back(Skin(effect::SkinLift, "Skin_Lift", PaddleSkinSheet(PaddleSkin::Lift, 2), 2));
    e.push_back({effect::HitFlash, "Fx_Hit", HitFlashSheet(28, 5), 28, 28, 5, 1, 1, 10});
    e.push_back({effect::MuzzleFlash, "Fx_Muzzle", MuzzleFlashSheet(14, 22, 4), 14, 22, 4, 1, 1, 8});
    e.push_back({effect::Sparks, "Fx_Sparks", SparkSheet(20, 6), 20, 20, 6, 1, 1, 12});
    e.push_back(Skin(effect::SkinCatch, "Skin_Catch", PaddleSkinSheet(PaddleSkin::Catch, 2), 2));
    e.push_back(Skin(effect::SkinSlow, "Skin_Slow", PaddleSkinSheet(PaddleSkin::Frost, 2), 2));
    e.push_back({effect::Blast, "Fx_Blast", ExplosionSheet(40, 10, 5), 40, 40, 10, 1, 1, 20});
    e.push_back({effect::Smoke, "Fx_Smoke", SparkSheet(24, 6, {150, 150, 160}, 9), 24, 24, 6, 1, 1, 12});
    e.push_back({effect::PaddleExplosion, "Fx_Paddle_Explosion", ExplosionSheet(64, 12, 2), 64, 64, 12, 1, 2, 24});
    e.push_back(Skin(effect::SkinCannon, "Skin_Cannon", PaddleSkinSheet(PaddleSkin::Cannon, 1), 1));
    e.push_back({effect::Shatter, "Fx_Shatter", BrickShatterSheet({.color = {200, 190, 170}}, 6), 48, 24, 6, 1, 1, 12});
    e.push_back({effect::Twinkle, "Fx_Twinkle", SparkSheet(16, 6, {255, 230, 140}, 7), 16, 16, 6, 1, 2, 0});
    e.push_back({effect::FloorRow, "Fx_Floor", FloorBarSheet(48, 10, 4), 48, 10, 4, 1, 2, 0});
    e.push_back(Hud(effect::HudGauge, "Hud_Gauge", GaugeSheet(150, 14, 10), 150, 14, 10));
    e.push_back(Hud(effect::HudLife, "Hud_Life", LifeIcon(26, 12), 26, 12, 1));
    e.push_back(Hud(effect::HudLetters, "Hud_Letters", LetterFrames(20), 20, 20, 7));
    for (int d = 1; d <= 3; ++d)
        e.push_back(Hud(effect::HudDifficulty1 + d - 1, "Hud_Difficulty_" + std::to_string(d), DifficultyBadge(d, 40, 40), 40, 40, 1));
    for (int d = 1; d <= 3; ++d)
        e.push_back(Hud(effect::HudBadge1 + d - 1, "Hud_Badge_" + std::to_string(d), DifficultyBadge(d, 24, 24), 24, 24, 1));
    e.push_back(Hud(effect::HudDifficultyBar, "Hud_Difficulty_Bar", DifficultyBadge(1, 24, 24), 24, 24, 1));
    e.push_back(Hud(effect::HudScore, "Hud_Score", MedalPicture(3, 20, 28), 20, 28, 1));
    return e;
}

std::string EffectRecordOf(const EffectEntry& s) {
    engine::TOneEffects fx;
    fx.Name = EffectNames().at(static_cast<size_t>(s.id - 1));
    fx.IDName = s.id;
    fx.IDClasse = s.picture;
    fx.PatternWidth = s.patternWidth;
    fx.PatternHeight = s.patternHeight;
    fx.LinesWidth = s.frames;
    fx.LinesHeight = s.rows;
    fx.HTicksPerChange = static_cast<uint8_t>(s.ticks);
    fx.TimeLifes = static_cast<uint8_t>(s.lives);
    fx.SystemCoordinate = static_cast<uint8_t>(s.coordinates);
    fx.StyleImposition = s.style;
    return WriteRecord(fx);
}

}  // namespace

std::vector<UnitClassData> DemoUnitClasses() {
    std::vector<UnitClassData> out;
    for (const UnitEntry& u : DemoUnits()) {
        const auto pictures = UnitPictures(u);
        UnitClassData d;
        d.id = u.id;
        d.name = UnitName(u.id);
        d.slides = SlidesRecord(u, pictures);
        d.generalObject = GeneralObjectRecord(u);
        for (const auto& [state, sheet] : pictures) {
            DemoPicture p;
            p.key = SlideKey(u.id, state);
            p.image = sheet;
            p.patternWidth = u.patternWidth, p.patternHeight = u.patternHeight;
            p.columns = u.columns, p.rows = u.frames;
            d.pictures.push_back(std::move(p));
        }
        out.push_back(std::move(d));
    }
    return out;
}

EffectsData DemoEffects() {
    EffectsData out;
    for (EffectEntry& s : EffectSpecs()) {
        out.descriptions.push_back({EffectNames().at(static_cast<size_t>(s.id - 1)), EffectRecordOf(s)});
        DemoPicture p;
        p.key = s.picture;
        p.patternWidth = s.patternWidth, p.patternHeight = s.patternHeight;
        p.columns = s.sheet.Width() / s.patternWidth, p.rows = s.sheet.Height() / s.patternHeight;
        p.image = std::move(s.sheet);
        out.pictures.push_back(std::move(p));
    }
    return out;
}

const std::vector<PanelPlace>& HudPanels() {
    // The side panel right of the field, the frame around it (with the lives bar on top) and
    // the bar below it: together the whole screen, which nothing else paints during play. The
    // field itself lies at (34, 48), 576 x 512.
    static const std::vector<PanelPlace> panels{
        {panel::Side, 610, 0, 190, 600}, {panel::Frame, 0, 0, 610, 570}, {panel::Bottom, 0, 570, 610, 30}};
    return panels;
}

EffectsData DemoInterfaceClasses() {
    EffectsData out;
    for (const PanelPlace& p : HudPanels()) {
        const std::string& name = InterfaceNames().at(static_cast<size_t>(p.id - 1));
        const std::string picture = "Hud_" + name;
        engine::TOneInterface d;
        d.Name = name;
        d.IDName = p.id;
        d.IDClasse = picture;
        d.PatternWidth = p.width;
        d.PatternHeight = p.height;
        d.LinesWidth = 1;
        d.LinesHeight = 1;
        d.StyleImposition = engine::TStyleImposition::siNo;
        d.Left = p.left;
        d.Top = p.top;
        d.Position = 0;
        out.descriptions.push_back({name, WriteRecord(d)});
        DemoPicture pic;
        pic.key = picture;
        pic.image = HudPanelPicture(p.id, p.width, p.height);
        pic.patternWidth = p.width, pic.patternHeight = p.height;
        out.pictures.push_back(std::move(pic));
    }
    return out;
}

EffectsData DemoMapElements() {
    EffectsData out;
    for (int k = 0; k < kBackdropElements; ++k) {
        const std::string& name = MapElementNames().at(static_cast<size_t>(k));
        engine::TOneSlide slide;
        slide.Name = name;
        slide.IDName = k + 1;
        slide.IDCondition = 1;
        slide.IDSlide = name;
        slide.PatternWidth = 576;
        slide.PatternHeight = 512;
        slide.LinesWidth = 1;
        slide.LinesHeight = 1;
        out.descriptions.push_back({name, WriteRecord(slide)});
        DemoPicture pic;
        pic.key = name;
        pic.image = Backdrop(static_cast<BackdropKind>(k), 576, 512, 128, static_cast<uint32_t>(k + 1));
        pic.patternWidth = 576, pic.patternHeight = 512;
        pic.jpeg = true;
        out.pictures.push_back(std::move(pic));
    }
    return out;
}

EffectsData DemoCursors() {
    struct CursorEntry {
        int id;
        std::string picture;
        int size, hotX, hotY;
    };
    const std::vector<CursorEntry> cursors{
        {cursor::Arrow, "Cursor_Arrow", 24, 0, 0},     {cursor::Panel, "Cursor_Panel", 24, 12, 12},
        {cursor::Busy, "Cursor_Panel", 24, 12, 12},    {cursor::Target, "Cursor_Panel", 24, 12, 12},
        {5, "Cursor_Arrow", 24, 0, 0},                 {6, "Cursor_Arrow", 24, 0, 0},
        {7, "Cursor_Arrow", 24, 0, 0},                 {cursor::SlotEmpty, "Cursor_Slot_Empty", 28, 14, 14},
        {cursor::SlotUsed, "Cursor_Slot_Used", 28, 14, 14}};
    EffectsData out;
    for (const CursorEntry& s : cursors) {
        engine::TOneCursor c;
        c.Name = CursorNames().at(static_cast<size_t>(s.id - 1));
        c.IDName = s.id;
        c.IDClasse = s.picture;
        c.PatternWidth = c.PatternHeight = s.size;
        c.LinesWidth = c.LinesHeight = 1;
        c.OffsetX = s.hotX;
        c.OffsetY = s.hotY;
        out.descriptions.push_back({c.Name, WriteRecord(c)});
    }
    const std::pair<std::string, Image> pictures[] = {{"Cursor_Arrow", CursorArrow(24)},
                                                      {"Cursor_Panel", CursorPanel(24)},
                                                      {"Cursor_Slot_Empty", CursorSlot(false, 28)},
                                                      {"Cursor_Slot_Used", CursorSlot(true, 28)}};
    for (const auto& [key, image] : pictures) {
        DemoPicture pic;
        pic.key = key;
        pic.image = image;
        pic.patternWidth = image.Width(), pic.patternHeight = image.Height();
        out.pictures.push_back(std::move(pic));
    }
    return out;
}

}  // namespace datagen::demo
