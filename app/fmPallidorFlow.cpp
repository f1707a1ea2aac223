// The rules of one game: starting a level from the level set, the objects' hit handlers a
// level installs, lives, the end of a game, the bonus step after each level (ranks and
// medals) and the player record kept in slot 0 of the saved games.
#include <algorithm>
#include <bitset>
#include <cmath>
#include <filesystem>

#include "app/GameRules.h"
#include "app/SaveGames.h"
#include "app/fmPallidor.h"
#include "engine/gpEffects.h"
#include "engine/gpInterfaceHud.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpResource.h"
#include "media/DXSounds.h"
#include "media/gpBitmap.h"
#include "rtl/Exceptions.h"
#include "rtl/Numbers.h"
#include "rtl/Streams.h"

namespace app {

using namespace rules;

namespace {

constexpr int kPreviewWidth = 160, kPreviewHeight = 120;

// The values 0..10 of a set as a stored list: ascending, the rest kNoNumber.
std::array<uint8_t, 21> StoredList(const engine::TGPField* field) {
    std::array<uint8_t, 21> list = TPlayerRecord::Empty();
    std::bitset<256> present;
    engine::GetPresentSet(field, present);
    size_t at = 0;
    for (size_t v = 0; v <= 10; ++v)
        if (present.test(v)) list[at++] = static_cast<uint8_t>(v);
    return list;
}

// Refills an array field from the first 11 numbers of a stored list: kNoNumber, numbers
// outside [low, high] and repeats are skipped.
void RefillSet(engine::TGPField* field, const std::array<uint8_t, 21>& list, int32_t low, int32_t high) {
    if (!field) return;
    engine::ClearField(field);
    for (size_t i = 0; i < 11; ++i) {
        const int32_t v = list[i];
        if (v == TPlayerRecord::kNoNumber || v < low || v > high || field->Present().test(static_cast<size_t>(v)))
            continue;
        field->WriteValue(v);
    }
}

// A 160 x 120 picture at 8 bits (a 3-3-2 colour cube) of any picture, nearest pixel.
std::unique_ptr<media::TDIB> PreviewOf(media::TDIB& source) {
    auto preview = std::make_unique<media::TDIB>();
    for (size_t i = 0; i < 256; ++i) {
        const auto r = static_cast<uint8_t>(((i >> 5) & 7) * 255 / 7), g = static_cast<uint8_t>(((i >> 2) & 7) * 255 / 7),
                   b = static_cast<uint8_t>((i & 3) * 255 / 3);
        preview->ColorTable[i] = media::TRGBQuad{b, g, r, 0};
    }
    preview->UpdatePalette();
    preview->SetSize(kPreviewWidth, kPreviewHeight, 8);
    const int w = source.Width(), h = source.Height();
    for (int y = 0; y < kPreviewHeight; ++y)
        for (int x = 0; x < kPreviewWidth; ++x) {
            const uint32_t c = (w > 0 && h > 0) ? source.PixelColor(x * w / kPreviewWidth, y * h / kPreviewHeight) : 0;
            const uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
            preview->SetPixel(x, y, ((r >> 5) << 5) | ((g >> 5) << 2) | (b >> 6));
        }
    return preview;
}

// Puts a game object of the level record in its place and gives it the record's values
// (raises EDebug, the object unchanged, when a value does not fit).
void SendObject(engine::TGPGObj_1& record, engine::TGPObject& object) {
    record.AttachObject(object);
    object.SetX(record.X);
    object.SetY(record.Y);
    record.SendObject(object);
}

}  // namespace

int32_t TDlg_Sprallion::Difficulty() const {
    return Kernel ? std::clamp(FieldInt(Kernel->KernelRecord.Difficulty), 1, 3) : 1;
}

// ---- Tables ----

void TDlg_Sprallion::ClearDropTable() {
    if (Kernel) Kernel->Shared.DropTable.clear();
}

void TDlg_Sprallion::ClearMonsterTable() {
    if (Kernel) Kernel->Shared.MonsterTable.clear();
}

int32_t TDlg_Sprallion::LookupRangeTable(int32_t roll) const {
    if (!Kernel) return -1;
    for (const engine::TRangeRecord& r : Kernel->Shared.MonsterTable)
        if (r.Lower < roll && roll < r.Upper) return r.IDClass;
    return -1;
}

// ---- The player record ----

void TDlg_Sprallion::UpdatePlayerRecord() {
    if (!Kernel) return;
    engine::TKernelRecord& k = Kernel->KernelRecord;
    TPlayerRecord& r = PlayerRecord;
    if (k.Count) r.Score = FieldInt(k.Count);
    if (k.Level) r.Level = FieldInt(k.Level) + 1;
    if (k.Life) r.Lives = FieldInt(k.Life);
    if (k.Difficulty) r.Difficulty = Difficulty();
    if (k.Rank) r.Rank = FieldInt(k.Rank);
    r.Alive = r.Lives != 0 ? 1 : 0;
    if (k.Prizes) r.Prizes = StoredList(k.Prizes);
    if (k.Medals) r.Medals = StoredList(k.Medals);
}

void TDlg_Sprallion::SetUserInfo() {
    if (!Kernel) return;
    engine::TKernelRecord& k = Kernel->KernelRecord;
    const TPlayerRecord& r = PlayerRecord;
    engine::SetFieldValue(k.Count, r.Score);
    Kernel->Shared.Score = r.Score;  // what the objects score counts on from here
    engine::SetFieldValue(k.Level, r.Level);
    engine::SetFieldValue(k.Life, r.Lives);
    const int32_t difficulty = std::clamp(r.Difficulty, 1, 3);
    if (difficulty != r.Difficulty) WriteLog("SetUserInfo", rtl::Format("Difficulty=%D", {r.Difficulty}));
    engine::SetFieldValue(k.Difficulty, difficulty);
    Kernel->Shared.Difficulty = difficulty;
    if (r.Rank < TPlayerRecord::kFirstRank || r.Rank > TPlayerRecord::kLastRank)
        WriteLog("SetUserInfo", rtl::Format("Rank=%D", {r.Rank}));
    engine::SetFieldValue(k.Rank, std::clamp(r.Rank, TPlayerRecord::kFirstRank, TPlayerRecord::kLastRank));
    RefillSet(k.Prizes, r.Prizes, 0, 10);
    RefillSet(k.Medals, r.Medals, TPlayerRecord::kFirstMedal, TPlayerRecord::kLastMedal);
    // The points of the saved game were counted when it was saved: the next bonus step counts
    // from here.
    PreviousScore = r.Score;
}

void TDlg_Sprallion::StorePendingSave() {
    UpdatePlayerRecord();
    // The level's preview at slot size; without one the slot keeps its old picture.
    std::string preview;
    try {
        if (Kernel && Kernel->Resource) {
            const std::string key = rtl::Format("LevelPreView_%D", {FieldInt(Kernel->KernelRecord.Level) + 1});
            std::unique_ptr<media::TGPBitmap> picture;
            if (Kernel->Resource->ReadBitmap("PreView_Level", key, picture) != 3 && picture) {
                rtl::MemoryStream bytes;
                PreviewOf(*picture)->SaveToStream(bytes);
                preview.assign(reinterpret_cast<const char*>(bytes.Memory()), static_cast<size_t>(bytes.Size()));
            }
        }
    } catch (...) {
        WriteLogException("StorePendingSave");
    }

    // The same whole-container write as the save panel's: the other slots as they were read,
    // the file replaced at once or not at all. A container that does not open is set aside
    // and made anew by OpenSaveGames.
    const std::unique_ptr<TSaveGames> games = OpenSaveGames();
    if (!games) {
        WriteLog("StorePendingSave", "the saved games cannot be made");
        return;
    }
    TSaveSlot& pending = games->Slots[0];
    pending.Record = EncodePlayerRecord(PlayerRecord);
    pending.Damaged = false;
    if (!preview.empty()) pending.Preview = std::move(preview);
    try {
        WriteSaveGames(SaveContainerFile(), *games);
    } catch (...) {
        WriteLogException("StorePendingSave");
    }
}

// ---- A level ----

void TDlg_Sprallion::ApplyLevelRecord(engine::TGPNation* nation, engine::TGPObject* object) {
    if (!nation || !object) return;
    if (CurrentLevel)
        if (engine::TStructurNation* records = CurrentLevel->Nations.FindNation(nation->NationKey))
            for (int i = 0; i < records->Count(); ++i) {
                engine::TGPGObj_1& rec = records->Object(i);
                if (rec.IDClass == object->IDClass ||
                    (engine::IsLetterClass(rec.IDClass) && engine::IsLetterClass(object->IDClass))) {
                    const int32_t x = object->GetX(), y = object->GetY();
                    SendObject(rec, *object);
                    object->SetX(x);  // a reused object keeps the place it was made at
                    object->SetY(y);
                    break;
                }
            }
    // The handlers a level gives its objects, also to those made later.
    const int32_t id = object->IDClass;
    if (engine::IsBallClass(id)) {
        object->OnGPSplinterEvent = [this](TObject* s, TObject* d, const std::vector<int32_t>& k,
                                           const std::vector<int32_t>& c) { BallSplinter(s, d, k, c); };
        object->OnGPMove = [this](TObject* s) { RidingBallMove(s); };
    } else if (engine::IsBrickClass(id) || IsSpecialBrickClass(id) || engine::IsMonsterClass(id)) {
        object->OnGPBeginVibration = [](TObject*) {};
        object->OnGPEndVibration = [this](TObject* s) { BrickHit(s); };
        object->OnSwitchVibration = [this](TObject* s, bool wasOn, uint8_t newOn, int32_t& count) {
            BrickShake(s, newOn != 0, count, wasOn);
        };
    }
}

void TDlg_Sprallion::StartLevel(int32_t index, bool noMessage) {
    if (!Kernel || !Kernel->LevelStream) return;
    engine::TGPKernel& k = *Kernel;
    FatalHit = false;
    k.LevelEndQueued = false;
    GameEnded = false;
    EffectCounter = CompletionCounter = LaunchCounter = WanderTicks = 0;
    // The last level's bricks leave without ending anything; the new level's handler comes
    // once the level stands.
    k.OnPUSH = nullptr;

    // The objects of the last level go back to their pools; commands still queued that name
    // them are dropped before the pool frees anything.
    if (k.ChildSprites) k.ChildSprites->ReleaseAll();
    if (k.Map) k.Map->Clear();
    DropsOff = false;
    if (engine::TGPObject* player = k.Shared.Player()) {
        player->SetKind(-engine::kind::Carrier);
        player->SetKind(-engine::kind::ClearAll);
        if (engine::TGPNation* balls = k.FindNation(BallNationKey)) balls->Clear();
    }
    const int count = k.LevelStream->GetLevelCount();
    if (index < 0 || index >= count) index = 0;
    if (k.CommandLine) k.CommandLine->DropObjectCommands();
    for (engine::TGPNation* nation : *k.Nations) nation->Clear();
    k.Shared.SetPlayer(nullptr);
    try {
        engine::ObjectPool().Clear();
    } catch (...) {
        WriteLogException("StartLevel");  // a walk is under way: the pool keeps its objects
    }

    CurrentLevel.reset();
    CurrentLevel = k.LevelStream->LoadLevel(index);
    engine::TStructureOfLevel_1& level = *CurrentLevel;
    PlayerStartY = level.PlayerStartY.value_or(0) > 0 ? *level.PlayerStartY : engine::DefaultPlayerStartY;
    EffectTicks = level.EffectTicks.value_or(0) > 0 ? *level.EffectTicks : engine::DefaultEffectTicks;
    k.Shared.FloorLine = PlayerStartY;
    SetWeaponCharge(0);  // a charge is never carried into the next level
    engine::SetFieldValue(k.KernelRecord.Level, index);
    const int32_t difficulty = Difficulty();
    k.Shared.Difficulty = difficulty;
    const engine::TSpeedEntry speed = level.SpeedEntry(difficulty);
    PlayerRecord.SpeedEntry = {speed.Lo, speed.Hi};
    k.Shared.SpeedFactor = speed.AsDouble();

    auto records = [&](int32_t key) { return level.Nations.FindNation(key); };
    // Every record of the nation made into an object at its place.
    auto populate = [&](int32_t key, auto&& each) {
        engine::TStructurNation* block = records(key);
        engine::TGPNation* nation = k.NationByKey(key);
        nation->OnCreateObject = nullptr;
        if (block)
            for (int i = 0; i < block->Count(); ++i) {
                engine::TGPGObj_1& rec = block->Object(i);
                engine::TGPObject* obj = nation->CreateFromPool(rec.X, rec.Y, false, rec.IDClass);
                if (!obj) continue;
                SendObject(rec, *obj);
                obj->LoadPictures();
                each(*nation, rec, *obj);
            }
        nation->OnCreateObject = [this](engine::TGPNation* n, engine::TGPObject* o) { ApplyLevelRecord(n, o); };
        return nation;
    };
    auto pool = [&](engine::TGPObject& obj) { k.FreeObject(2, &obj); };

    if (level.Nations.Count() > 0) {
        // The paddle.
        populate(PlayerNationKey, [&](engine::TGPNation&, engine::TGPGObj_1& rec, engine::TGPObject& obj) {
            if (rec.Active == 0) return pool(obj);
            if (obj.IDClass != engine::kPaddleClass || k.Shared.Player()) return;
            k.Shared.SetPlayer(&obj);
            obj.RunOnBirth();
            obj.LoadOneSlide(1);
            obj.SetOnAddChild([this](engine::TGPStructure* c, engine::TListStructure* l) { OnSort_Effect_Rocet(c, l); });
            obj.OffsetX = 0;
            engine::InitVibration(0, 0, 0, 0, 0, 0, 0, 3, obj.Vibration);
        });
        // The balls: one on the paddle, the others in flight.
        engine::TGPNation* balls = populate(BallNationKey, [&](engine::TGPNation&, engine::TGPGObj_1&, engine::TGPObject& obj) {
            obj.OnGPSplinterEvent = [this](TObject* s, TObject* d, const std::vector<int32_t>& kk,
                                           const std::vector<int32_t>& c) { BallSplinter(s, d, kk, c); };
            obj.OnGPMove = [this](TObject* s) { RidingBallMove(s); };
            if (obj.IDClass != BallClassId) return pool(obj);
            engine::TGPObject* player = k.Shared.Player();
            const int32_t mapBottom = k.Map ? k.Map->Rows * k.Map->CellSize : 0;
            if (player && obj.GetY() >= mapBottom - 100) {
                obj.ApplyTemplate();
                obj.SetOwner(player);
                obj.SetKind(engine::kind::RandomRide);
            } else {
                obj.SetDGCDirection(209);
            }
            obj.LoadOneSlide(1);
        });
        balls->SetMaxCount(std::max(2, level.BallLimit.value_or(2) - (difficulty * 2 - 2)));
        // The bricks.
        populate(BrickNationKey, [&](engine::TGPNation&, engine::TGPGObj_1&, engine::TGPObject& obj) {
            obj.OnGPBeginVibration = [](TObject*) {};
            obj.OnGPEndVibration = [this](TObject* s) { BrickHit(s); };
            obj.OnSwitchVibration = [this](TObject* s, bool wasOn, uint8_t newOn, int32_t& c) {
                BrickShake(s, newOn != 0, c, wasOn);
            };
            if (obj.CurrentSlide && obj.Column >= obj.CurrentSlide->LinesWidth)
                obj.SetFrame(obj.CurrentSlide->LinesWidth - 1);
        });
        // The drop and monster tables.
        ClearDropTable();
        ClearMonsterTable();
        if (engine::TStructurNation* prizes = records(PrizeNationKey)) {
            int64_t total = 0;
            for (int i = 0; i < prizes->Count(); ++i) total += prizes->Object(i).Chance;
            total = std::max<int64_t>(total, 1);
            int64_t bound = 0;
            populate(PrizeNationKey, [&](engine::TGPNation&, engine::TGPGObj_1& rec, engine::TGPObject& obj) {
                const int64_t upper = int64_t{rec.Chance} * 100 / total * 1000 / 100 + bound;
                k.Shared.DropTable.push_back({1, static_cast<int32_t>(bound), static_cast<int32_t>(upper), rec.EffectCode,
                                              rec.IDClass});
                bound = upper;
                pool(obj);
            });
        }
        engine::TGPNation* monsters = k.NationByKey(MonsterNationKey);
        monsters->SetMaxCount(-1);
        WanderChance = static_cast<int32_t>(rtl::Round(1000.0 * level.WanderPercent / 100));
        BrickDropChance = static_cast<int32_t>(rtl::Round(1000.0 * level.DropPercent / 100));
        int64_t bound = 0;
        populate(MonsterNationKey, [&](engine::TGPNation&, engine::TGPGObj_1& rec, engine::TGPObject& obj) {
            const int64_t upper = int64_t{1000} * rec.Chance / 100 + bound;
            k.Shared.MonsterTable.push_back({2, static_cast<int32_t>(bound), static_cast<int32_t>(upper), rec.EffectCode,
                                             rec.IDClass});
            bound = upper;
            pool(obj);
        });
        WanderNationKey = MonsterNationKey;
        monsters->SetMaxCount(level.MonsterLimitStep * difficulty);
        engine::TGPNation* attachments = k.NationByKey(AttachmentNationKey);
        if (level.AttachmentLimit) attachments->SetMaxCount(*level.AttachmentLimit);
        populate(AttachmentNationKey, [&](engine::TGPNation&, engine::TGPGObj_1&, engine::TGPObject& obj) { pool(obj); });
        WeaponChargeMax = level.ChargeMax.value_or(0) > 0 ? *level.ChargeMax : DefaultChargeMax;
        for (const auto& widget : k.Panels)
            if (auto* hud = dynamic_cast<engine::TGPGameInterface*>(widget.get()))
                if (hud->Field() && hud->Field() == k.KernelRecord.Count_1) hud->SetMaxValue(WeaponChargeMax);
    }

    if (k.Map && k.Map->Cells && k.Map->Cells->Count() > 0 && level.ElementCount() > 0)
        k.Map->Cells->Get(0)->SetIDClass(level.GetElement(0).IDClass);
    if (MidiList && MidiList->Count() > 0) {
        if (k.PlayMidi((*MidiList)[rtl::Random(MidiList->Count())], 1, 0)) k.UpdateMidi();
    }

    k.LevelStream->CloseFile();
    k.SetCondition(engine::ck_Play);
    k.OnPUSH = [this](TObject* sender) { DoPUSH(sender); };
    ResumeHook();
    GameRunning = true;
    StorePendingSave();

    if (noMessage) return;
    if (index > 0) {
        const rtl::FormatArg args[] = {level.Title};
        ShowMessageBox(4, 3, args, nullptr, nullptr);
    } else {
        const rtl::FormatArg args[] = {k.LevelStream->Header().Title, level.Title};
        ShowMessageBox(3, 3, args, nullptr, nullptr);
    }
}

// ---- Per-object handlers ----

void TDlg_Sprallion::BallSplinter(TObject* sender, TObject* ballObject, const std::vector<int32_t>& kinds,
                                  const std::vector<int32_t>& classes) {
    auto* ball = dynamic_cast<engine::TGPObject*>(ballObject);
    auto* source = dynamic_cast<engine::TGPObject*>(sender);
    const size_t entries = std::min(kinds.size(), classes.size());
    if (!Kernel || !ball || !source || entries == 0) return;
    const engine::TRect ballRect = ball->GetRect();
    if (auto* flash = Kernel->CreateObject(1, Kernel->Map ? static_cast<TObject*>(Kernel->Map) : Kernel.get(), true, 3)) {
        flash->SetParam(2, ball->GetX() + (ballRect.Right - ballRect.Left) / 2);
        flash->SetParam(3, ball->GetY());
        flash->SetParam(6, 1);
        flash->SetParam(7, 16);
    }
    source->SetKind(0x4000);
    const int32_t step = 100 / static_cast<int32_t>(entries);
    engine::TGPNation* nation = source->Nation();
    for (size_t i = 0; i < entries; ++i) {
        if (classes[i] == -1 || kinds[i] != 2) continue;
        auto* piece = dynamic_cast<engine::TGPObject*>(Kernel->CreateObject(kinds[0], nation ? static_cast<TObject*>(nation) : source, true, classes[0]));
        if (!piece) continue;
        piece->SetFrame(ball->Column);
        const engine::TRect pieceRect = piece->GetRect();
        piece->SetX(ball->GetX() + ((ballRect.Right - ballRect.Left) - (pieceRect.Right - pieceRect.Left)) / 2);
        piece->SetY(ball->GetY() + (ballRect.Bottom - ballRect.Top) + 2);
        piece->SetKind(0x4000);
        piece->SetDGCDirection(static_cast<int64_t>(i) * step + 140);
        piece->OffsetX = 50;
        piece->OffsetY = 0;
        if (!Kernel->Map) continue;
        engine::TListGPObject met;
        Kernel->Map->AddObjectToCells(&met, piece);
        const engine::TRect r = piece->GetRect();
        for (int j = 0; j < met.Count(); ++j) {
            engine::TGPObject* other = met[j];
            if (!other || engine::IsBallClass(other->IDClass)) continue;
            const engine::TRect o = other->GetRect();
            const bool overlaps = r.Left < o.Right && o.Left < r.Right && r.Top < o.Bottom && o.Top < r.Bottom;
            if (overlaps && engine::DirectionBetween(r, o, o, 0, false) == -1) {
                piece->SetDead(true);
                break;
            }
        }
    }
}

void TDlg_Sprallion::RidingBallMove(TObject* sender) {
    auto* ball = dynamic_cast<engine::TGPObject*>(sender);
    if (!ball || !engine::IsBallClass(ball->IDClass) || !Kernel) return;
    if (!(ball->Kind & (engine::kind::Riding | engine::kind::RandomRide))) return;
    if (ball->CurrentSlide && ball->CurrentSlide->IDCondition == 1) return;  // being born
    engine::TGPObject* paddle = ball->Carrier();
    if (!paddle) return;
    const engine::TRect pr = paddle->GetRect(), br = ball->GetRect();
    const double step = (pr.Right - pr.Left) / 35.0;
    const bool drawn = !(paddle->Kind & engine::kind::Hidden);
    const double vx = engine::RealFromFixed(paddle->VelocityXFx);
    if (drawn && vx > 0 && br.Right < pr.Right)
        ball->OffsetX += step;
    else if (drawn && vx < 0 && br.Left > pr.Left)
        ball->OffsetX -= step;
    const double base = drawn ? paddle->GetX() : pr.Left;
    ball->SetX(static_cast<int32_t>(rtl::Round(base + ball->OffsetX)));
    ball->SetY(static_cast<int32_t>(rtl::Round(paddle->GetY() + ball->OffsetY)));
}

void TDlg_Sprallion::BrickHit(TObject* sender) {
    auto* obj = dynamic_cast<engine::TGPObject*>(sender);
    if (!obj || !Kernel) return;
    // The hitter as it was when it struck: one that went back to its pool since is none.
    engine::TGPStructure* struck = engine::LiveVibrationTarget(obj->Vibration);
    auto* hitter = dynamic_cast<engine::TGPObject*>(struck);
    const int32_t hitterClass = hitter ? hitter->IDClass : -1;
    int64_t damage = 1;
    if (hitter && hitter->Template) damage = std::max(1, hitter->Template->MaxDamage);
    const int32_t id = obj->IDClass;
    const bool brick = engine::IsBrickClass(id);
    if (brick && obj->HitPoints != engine::kIndestructible && hitterClass != 57 && !DropsOff &&
        rtl::Random(RandomRange) <= BrickDropChance) {
        const int32_t prize = obj->PickBonus(rtl::Random(RandomRange));
        if (prize != -1) {
            const int32_t classes[] = {prize}, kinds[] = {2};
            obj->DropBonus(classes, kinds);
        }
    }
    if (hitter && engine::IsBallClass(hitterClass)) damage *= int64_t{hitter->Column} + 1;
    if (id == 3) {
        obj->LoadOneSlide(3);
        return;
    }
    if ((brick || IsSpecialBrickClass(id)) && obj->HitPoints != engine::kIndestructible) {
        if (hitterClass == 63 || hitterClass == 64) obj->SetFrame(0);
        if (hitterClass == 10 || obj->HitPoints - damage <= 0) {
            obj->SetDead(true);
            return;
        }
        obj->HitPoints -= static_cast<int32_t>(damage);
        if (!(obj->Template && (obj->Template->AddParamInt2 & 1))) {
            int64_t row = obj->Column - damage;
            if (row < 0 && obj->CurrentSlide) row = obj->CurrentSlide->LinesWidth - 1;
            obj->SetFrame(static_cast<int32_t>(std::max<int64_t>(row, 0)));
        }
    } else if (engine::IsMonsterClass(id)) {
        if (hitterClass == 63 || hitterClass == 64) obj->HitPoints = 0;
        if (obj->HitPoints - damage <= 0) {
            if (engine::IsBallClass(hitterClass)) {
                ++BallMonsterHits;
                ++MonsterHitsByBall;
            } else {
                ++MonsterHitsOther;
            }
            obj->SetDead(true);
        } else {
            obj->HitPoints -= static_cast<int32_t>(damage);
        }
    }
}

void TDlg_Sprallion::BrickShake(TObject* sender, bool hit, int32_t& count, bool active) {
    if (!active) count = 0;
    else if (hit) ++count;
    auto* obj = dynamic_cast<engine::TGPObject*>(sender);
    if (count > 10 && obj && !IsSpecialBrickClass(obj->IDClass)) obj->SetDead(true);
}

// ---- Lives and the end of a game ----

void TDlg_Sprallion::LoseLife() {
    if (!Kernel) return;
    engine::TGPKernel& k = *Kernel;
    LevelsWithoutLoss = 0;
    DropsOff = false;
    const int32_t lives = FatalHit ? 0 : FieldInt(k.KernelRecord.Life) - 1;
    engine::SetFieldValue(k.KernelRecord.Life, lives);
    if (Sound && k.SoundState && k.SoundState->WaveAvailable && k.SoundState->SoundOn)
        if (media::TSoundBufferCollection* sounds = WaveList())
            for (int i = 0; i < sounds->GetCount(); ++i)
                if (sounds->GetItem(i).GetPlaying()) sounds->GetItem(i).Stop();
    if (engine::TGPObject* player = k.Shared.Player()) {
        player->RunOnEnlargeVelocity();
        player->SetKind(-engine::kind::Carrier);
        player->SetKind(-engine::kind::ClearAll);
        if (auto* blast = dynamic_cast<engine::TGPSprite*>(
                k.CreateObject(1, k.Map ? static_cast<TObject*>(k.Map) : &k, true, 12)))
            blast->AlignTo(player, 3);
        if (engine::TGPNation* balls = k.FindNation(BallNationKey)) balls->Clear();
        k.SetCondition(engine::ck_EndLife);
        k.EndLifeCountdown = EndLifeTicks;
        player->SetDead(true);
        if (engine::TGPNation* own = k.FindNation(PlayerNationKey)) own->Clear();
        k.Shared.SetPlayer(nullptr);
    }
    WeaponReady = true;
    SetWeaponCharge(0);
    if (!FatalHit && lives > 0) return;
    try {
        k.SetCondition(engine::ck_EndGames);
        try {
            CalculationOfBonus(FieldInt(k.KernelRecord.Level), true);
        } catch (...) {
        }
        auto end = [this](TObject* caller) { EndGame(caller); };
        ShowMessageBox(2, 10, {}, end, end);
    } catch (...) {
        WriteLogException("LoseLife");
    }
}

void TDlg_Sprallion::EndGame(TObject* caller) {
    // Ok and Esc in one tick both reach here: the game ends once.
    if (GameEnded) return;
    GameEnded = true;
    try {
        InsertToList();
    } catch (...) {
        WriteLogException("EndGame");
    }
    try {
        if (Kernel) Kernel->EndGames();
    } catch (...) {
        WriteLogException("EndGame");
    }
    GameRunning = false;
    if (!Kernel) return;
    if (Kernel->FindChild("MessageBox")) Kernel->HideForm("MessageBox");
    (void)caller;
    PauseHook();
    Kernel->ShowForm("MainPanel", this);
}

// ---- Bonus, ranks and medals ----

void TDlg_Sprallion::ExtraLife(bool silent) {
    if (silent || !Kernel) return;
    engine::SetFieldValue(Kernel->KernelRecord.Life, FieldInt(Kernel->KernelRecord.Life) + 1);
    ++Kernel->Shared.LivesGained;
    ShowMessageBox(27, 27, {}, nullptr, nullptr);
}

bool TDlg_Sprallion::CalculationOfBonus(int32_t level, bool silent) {
    if (!Kernel) return false;
    engine::TKernelRecord& k = Kernel->KernelRecord;
    const int64_t score = FieldInt(k.Count);
    bool awarded = false;
    auto award = [&](int32_t medal) {
        awarded = true;
        if (k.Medals && k.Medals->Present().test(static_cast<size_t>(medal))) return ExtraLife(silent);
        engine::SetFieldValue(k.Medals, medal);
        if (!silent) ShowMedalMessage(medal);
    };

    const int32_t size = Tuning.SizeLevel;
    const bool rankStep = level >= 1 && size >= 1 && (int64_t{level} + 1) % size == 0;
    if (rankStep) {
        const int32_t m = FieldInt(k.Rank);
        if (m >= TPlayerRecord::kLastRank) {
            award(10);
        } else {
            int64_t t = m;
            if (Tuning.AverageFactor >= 1) {
                const int64_t average = score * FieldInt(k.Level) / level;  // 64 bits: score x level
                t = average / Tuning.AverageFactor + level / size;
            }
            const int64_t next = m >= t ? int64_t{m} + 1 : (t - m >= 3 ? int64_t{m} + 2 : t);
            if (next < TPlayerRecord::kFirstRank || next > TPlayerRecord::kLastRank) {
                WriteLog("CalculationOfBonus", rtl::Format("Rank=%D", {next}));
            } else {
                engine::SetFieldValue(k.Rank, static_cast<int32_t>(next));
                awarded = true;
                if (!silent) ShowRankMessage(static_cast<int32_t>(next));
            }
        }
    } else if (level >= 1) {
        const bool sixHeld = k.Medals && k.Medals->Present().test(6);
        if (Tuning.SS < score - PreviousScore) {
            award(1);
        } else if (LevelsWithoutLoss >= Tuning.CCP) {
            LevelsWithoutLoss = 0;
            award(2);
        } else if (int64_t{MonsterHitsByBall} + MonsterHitsOther >= Tuning.FH) {
            award(4);
        } else if (BallMonsterHits > Tuning.SKB) {
            BallMonsterHits = 0;
            award(7);
        } else if (Kernel->Shared.LivesGained >= Tuning.TL) {
            Kernel->Shared.LivesGained = 0;
            award(5);
        } else if (ChargeCount != 0 && ChargeCount <= Tuning.UF) {
            award(8);
        } else if (FieldInt(k.Level) >= Tuning.SA && !sixHeld) {
            award(6);
        } else if (ShotCount >= Tuning.SGCB) {
            award(3);
        } else if (OnlySpecialBricks) {
            award(9);
        }
    }

    PreviousScore = static_cast<int32_t>(score);
    ++LevelsWithoutLoss;
    ChargeCount = ShotCount = MonsterHitsByBall = MonsterHitsOther = 0;
    return awarded;
}

}  // namespace app
