// The kernel-event handlers that carry the game's rules: what a chosen level set builds
// (heads-up display, map, tuning), a new life, the next and the last level, the order of the
// nations, the per-tick rules (wandering monsters, the floor effect, the completion check, the
// automatic launch) and the speed limits.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/GameRules.h"
#include "app/fmPallidor.h"
#include "engine/gpClasses.h"
#include "engine/gpEffects.h"
#include "engine/gpInterfaceHud.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "platform/com/Bstr.h"
#include "rtl/Numbers.h"
#include "rtl/Text.h"

namespace app {

using namespace rules;

namespace {

constexpr uint16_t kLevelSetOpenMode = 64;  // read, shared

// The four-byte entries of "Default" and where they go.
struct TuningEntry {
    const char* Name;
    int32_t TDlg_Sprallion::TGameTuning::*Field;
};
constexpr TuningEntry kTuningEntries[] = {
    {"AverageFactor", &TDlg_Sprallion::TGameTuning::AverageFactor},
    {"SizeLevel", &TDlg_Sprallion::TGameTuning::SizeLevel},
    {"MinCountForTopList", &TDlg_Sprallion::TGameTuning::MinCountForTopList},
    {"IntervalTimer", &TDlg_Sprallion::TGameTuning::IntervalTimer},
    {"SKB", &TDlg_Sprallion::TGameTuning::SKB},
    {"SS", &TDlg_Sprallion::TGameTuning::SS},
    {"SGCB", &TDlg_Sprallion::TGameTuning::SGCB},
    {"CCP", &TDlg_Sprallion::TGameTuning::CCP},
    {"SA", &TDlg_Sprallion::TGameTuning::SA},
    {"FH", &TDlg_Sprallion::TGameTuning::FH},
    {"UF", &TDlg_Sprallion::TGameTuning::UF},
    {"TL", &TDlg_Sprallion::TGameTuning::TL},
};

int32_t LittleInt32(const uint8_t* p) {
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24);
}

// The bytes of an entry when it holds exactly `size` bytes.
bool ReadExactEntry(engine::TGPResource& container, const char* key, size_t size, std::vector<uint8_t>& bytes) {
    if (!engine::ReadEntryBytes(container, "Default", key, bytes)) return false;
    if (bytes.size() < size) return false;
    bytes.resize(size);  // an entry runs up to the next one: only its own bytes count
    return true;
}

// The real file of a level-set name: as given when it exists, else in the resource folder.
std::string LevelSetPath(const std::string& name) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(name, ec)) return name;
    // A path in the data's form (the new-game list joins the resource folder itself).
    if (std::string real = engine::RealPath(name); std::filesystem::is_regular_file(real, ec)) return real;
    return engine::RealPath(engine::JoinDataPath(engine::ResourceFolders().Resource, name));
}

void ForEachNode(const std::vector<engine::THierarchyOfInterface>& nodes,
                 const std::function<void(const engine::THierarchyOfInterface&)>& each) {
    for (const auto& node : nodes) {
        each(node);
        ForEachNode(node.Children, each);
    }
}

}  // namespace

void TDlg_Sprallion::ReadTuning(engine::TGPResource& container, TGameTuning& tuning) {
    std::vector<uint8_t> bytes;
    for (const TuningEntry& e : kTuningEntries)
        if (ReadExactEntry(container, e.Name, 4, bytes)) tuning.*e.Field = LittleInt32(bytes.data());
    if (ReadExactEntry(container, "SpeedDifficulty", 24, bytes))
        for (size_t i = 0; i < 3; ++i)
            tuning.SpeedDifficulty[i] = {LittleInt32(&bytes[i * 8]), LittleInt32(&bytes[i * 8 + 4])};
    if (ReadExactEntry(container, "SuperSpeedup", 24, bytes)) {
        std::array<double, 3> factors{};
        for (size_t i = 0; i < 3; ++i) {
            uint64_t bits = 0;
            for (size_t b = 0; b < 8; ++b) bits |= uint64_t{bytes[i * 8 + b]} << (8 * b);
            factors[i] = std::bit_cast<double>(bits);
        }
        if (std::all_of(factors.begin(), factors.end(), [](double f) { return std::isfinite(f) && f > 0; }))
            tuning.SuperSpeedup = factors;
    }
}

// ---- A level set is chosen ----

void TDlg_Sprallion::DoGPCreateGames(TObject*, const std::string& name) {
    if (!Kernel) return;
    engine::TGPKernel& k = *Kernel;
    InterfaceHeader = engine::LevelSetHeader();
    SubjectFile = name;
    const std::string fileTitle = std::filesystem::path(engine::RealPath(name)).filename().string();
    const std::string path = LevelSetPath(name);

    engine::TGPResource* container = nullptr;
    try {
        std::unique_ptr<engine::TLevelStream> stream;
        if (rtl::UpperCase(std::filesystem::path(path).extension().string()) == ".IG") {
            std::unique_ptr<engine::TGPResource> opened;
            try {
                opened = std::make_unique<engine::TGPResource>(path, kLevelSetOpenMode);
            } catch (const rtl::EFOpenError&) {
            }
            engine::TGPHashCollection* subjects = opened && opened->Status() >= 0 ? opened->GetSection("Subjects") : nullptr;
            if (!subjects || !subjects->Find("Subject")) {
                ShowError(-1, 0, fileTitle);
                return;
            }
            k.Resource = std::move(opened);
            container = k.Resource.get();
            stream = std::make_unique<engine::TLevelStream>(path, container, InterfaceHeader, kLevelSetOpenMode);
        } else {
            stream = std::make_unique<engine::TLevelStream>(path, nullptr, InterfaceHeader, rtl::fmOpenRead);
        }
        // A set without levels could start none: refused like a damaged one.
        if (stream->Status() != 0 || stream->GetLevelCount() <= 0) {
            ShowError(-1, 3, fileTitle);
            return;
        }
        k.SetLevelStream(std::move(stream));
    } catch (...) {
        WriteLogException("DoGPCreateGames");
        ShowError(-1, 3, fileTitle);
        return;
    }
    engine::TRecordInterfaceGame& descriptor = k.LevelStream->Descriptor();

    // Name tables and the music of the set.
    try {
        if (!MidiList) MidiList = std::make_unique<rtl::StringList>();
        MidiList->Clear();
        if (container) {
            engine::LoadPixSetGP("", 62, container);
            MidiList->SetText(container->ReadString("Strings", "MIDI_List"));
        } else if (engine::IsPlainFileName(descriptor.Name)) {
            engine::LoadPixSetGP(engine::RealPath(engine::JoinDataPath(engine::ResourceFolders().Resource, descriptor.Name)),
                                 62, nullptr);
        }
    } catch (...) {
        WriteLogException("LoadPixSetGP");
    }

    if (k.Map) {
        k.Map->Reset(false, 34, 48, 9, 9, std::max(1, descriptor.MapColumns()), std::max(1, descriptor.MapRows()), 64);
        engine::InitVibration(0, 0, 30, 35, 0.3, 0.3, 0, 3, k.Map->Vibration);
        k.Map->OnGPSetKind = [this](TObject* map, int32_t value) { DoMapSetKind(map, value); };
    }

    // The heads-up display: one panel per node of the set's hierarchy, its widgets from the
    // set's script when it has one, else the fixed ones.
    const std::string script =
        descriptor.ScriptInterface && container ? container->ReadString("Strings", "Script_Interface") : std::string();
    InterfaceDescriptions.SetText(script);
    ForEachNode(descriptor.Hierarchy, [&](const engine::THierarchyOfInterface& node) {
        try {
            auto* panel = engine::CreateHudWidget<engine::TGPPanel>(k, &k, node.PanelNumber());
            BuildPanelWidgets(*panel);
        } catch (...) {
            WriteLogException("DoGPCreateGames");
        }
    });

    k.LevelStream->CloseFile();
    // The variables of a game; those no widget shows are made here, so the flow keeps them.
    engine::TKernelRecord& r = k.KernelRecord;
    if (!r.Medals) k.Data->AddField(nullptr, engine::ftArray, r.Medals);
    if (!r.Rank) k.Data->AddField(nullptr, engine::ftInteger, r.Rank);
    for (auto [field, type] : {std::pair{&r.Level, engine::ftInteger}, {&r.Life, engine::ftInteger},
                               {&r.Count, engine::ftInteger}, {&r.Count_1, engine::ftInteger},
                               {&r.Difficulty, engine::ftInteger}, {&r.Prizes, engine::ftArray}})
        if (!*field) k.Data->AddField(nullptr, type, *field);
    engine::ClearField(r.Medals);
    engine::ClearField(r.Prizes);
    engine::SetFieldValue(r.Level, 0);
    engine::SetFieldValue(r.Life, InitialLives);
    engine::SetFieldValue(r.Count, 0);
    engine::SetFieldValue(r.Count_1, 0);
    if (FieldInt(r.Difficulty) == -1) engine::SetFieldValue(r.Difficulty, 1);
    engine::SetFieldValue(r.Rank, 1);
    LevelsWithoutLoss = BallMonsterHits = ChargeCount = MonsterHitsByBall = MonsterHitsOther = ShotCount = 0;
    OnlySpecialBricks = FatalHit = false;
    PreviousScore = 0;
    GameEnded = false;

    Tuning = TGameTuning{};
    if (container) ReadTuning(*container, Tuning);
}

void TDlg_Sprallion::DoDestroyGames(TObject*) {
    if (!Kernel) return;
    engine::TNotifyEvent push = std::move(Kernel->OnPUSH);
    Kernel->OnPUSH = nullptr;
    try {
        if (Kernel->Resource) Kernel->Clear();
    } catch (...) {
        Kernel->OnPUSH = std::move(push);
        throw;
    }
    Kernel->OnPUSH = std::move(push);
    CurrentLevel.reset();
    WanderNationKey = -1;
    GameRunning = false;
}

// ---- Lives and levels ----

void TDlg_Sprallion::DoGPNewLife(TObject*) {
    if (!Kernel || Kernel->Condition != engine::ck_EndLife) return;
    engine::TGPKernel& k = *Kernel;
    k.SetCondition(engine::ck_Play);
    engine::TGPNation* players = k.NationByKey(PlayerNationKey);
    auto* player = dynamic_cast<engine::TGPObject*>(k.CreateObject(2, players, true, engine::kPaddleClass));
    if (!player) return;
    k.Shared.SetPlayer(player);
    player->SetY(PlayerStartY);
    player->RunOnBirth();
    engine::InitVibration(0, 0, 0, 0, 0, 0, 0, 3, player->Vibration);
    engine::TGPNation* balls = k.NationByKey(BallNationKey);
    auto* ball = dynamic_cast<engine::TGPObject*>(k.CreateObject(2, balls, true, BallClassId));
    if (ball) ball->RunOnBirth();
    player->SetDGCDirection(64);
    for (int i = 0; i < balls->Objects.Count(); ++i) balls->Objects[i]->SetKind(-engine::kind::ClearAll);
    if (ball) {
        ball->SetOwner(player);
        ball->SetFrame(0);
        ball->SetKind(engine::kind::RandomRide);
    }
    player->LoadOneSlide(1);
    k.SetCursorToObject(player);
    if (ball) {
        ball->LoadOneSlide(1);
        ball->RunOnReduceVelocity();
    }
}

void TDlg_Sprallion::DoGPEndLife(TObject*) { LoseLife(); }

void TDlg_Sprallion::DoGPNextLevel(TObject*) {
    if (!Kernel) return;
    if (engine::TGPObject* player = Kernel->Shared.Player()) player->SetKind(-engine::kind::ClearAll);
    const int32_t level = FieldInt(Kernel->KernelRecord.Level);
    const bool shown = CalculationOfBonus(level, false);
    StartLevel(level + 1, shown);
}

void TDlg_Sprallion::DoGPLastLevel(TObject*) {
    if (!Kernel || !Kernel->LevelStream) return;
    const int32_t level = FieldInt(Kernel->KernelRecord.Level);
    if (engine::TGPObject* player = Kernel->Shared.Player()) player->SetKind(-engine::kind::ClearAll);
    const int32_t count = Kernel->LevelStream->GetLevelCount();
    if (count != level + 1 && level != -1 && count > 0) {
        engine::SetFieldValue(Kernel->KernelRecord.Level, count - 1);
        StartLevel(count - 1, false);
    }
    if (Kernel->LevelStream) Kernel->LevelStream->CloseFile();
}

// ---- Nations ----

void TDlg_Sprallion::DoGPSortNation(TObject* sender) {
    auto* nations = dynamic_cast<engine::TListNation*>(sender);
    if (!nations && Kernel) nations = Kernel->Nations.get();
    if (!nations) return;
    for (engine::TGPNation* nation : *nations) {
        if (nation->Objects.Count() == 0) continue;
        const int32_t key = NationKeyOf(nation->Objects[0]->IDClass);
        if (key < 0) continue;
        nation->NationKey = key;
        if (key == LimitedNationKey) nation->SetMaxCount(LimitedNationCount);
    }
    nations->SortByKey();
}

void TDlg_Sprallion::OnSort_Effect_Rocet(engine::TGPStructure*, engine::TListStructure* list) {
    if (!list) return;
    auto keyOf = [](const engine::TGPStructure* s) {
        switch (s ? s->IDClass : 0) {
            case 7: return 0;
            case 9: return 1;
            case 8: return 2;
            case 4: return 3;
            default: return 10;
        }
    };
    std::vector<engine::TGPStructure*> items;
    for (int i = 0; i < list->Count(); ++i) items.push_back((*list)[i]);
    std::stable_sort(items.begin(), items.end(), [&](auto* a, auto* b) { return keyOf(a) < keyOf(b); });
    for (int i = 0; i < list->Count(); ++i) (*list)[i] = items[static_cast<size_t>(i)];
}

// ---- The tick ----

void TDlg_Sprallion::DoGPMove(TObject*) {
    if (!Kernel || Kernel->Condition != engine::ck_Play) return;
    engine::TGPKernel& k = *Kernel;
    // Wandering monsters.
    engine::TGPNation* wander = WanderNationKey >= 0 ? k.FindNation(WanderNationKey) : nullptr;
    if (!DropsOff && wander && wander->CanAdd() && ++WanderTicks >= WanderPeriod) {
        WanderTicks = 0;
        if (rtl::Random(RandomRange) < WanderChance) {
            const int32_t id = LookupRangeTable(rtl::Random(RandomRange));
            if (id != -1)
                if (auto* m = dynamic_cast<engine::TGPObject*>(k.CreateObject(2, wander, true, id))) {
                    const int32_t mapWidth = k.Map ? k.Map->Cols * k.Map->CellSize : 0;
                    m->SetX(2 + rtl::Random(mapWidth - m->Width));
                    m->SetY(2 + rtl::Random(PlayerStartY - m->Height - 140));
                    m->RunOnBirth();
                    m->LoadOneSlide(1);
                    if (m->Vibration.On) m->SetParam(111, 0);
                    if (k.Map) {
                        engine::TListGPObject met;
                        k.Map->AddObjectToCells(&met, m);
                    }
                }
        }
    }

    // The timed floor effect.
    if (k.Map && (k.Map->Kind & 0x1000)) {
        if (++EffectCounter >= EffectTicks) {
            EffectCounter = 0;
            k.Map->SetKind(-0x1000);
        }
    }

    // The completion check.
    if (++CompletionCounter >= CompletionCheckTicks) {
        CompletionCounter = 0;
        if (!HasOtherObjectOfKinds(nullptr)) LevelCompleted();
    }

    if (FieldInt(k.KernelRecord.Life) <= 0) {
        LoseLife();
        return;
    }

    // A ball left on the paddle goes by itself.
    engine::TGPObject* player = k.Shared.Player();
    if (player && (player->Kind & engine::kind::Carrier) && !(player->Kind & 8)) {
        if (++LaunchCounter >= LaunchTicks - 50 * Difficulty() + 50) {
            LaunchCounter = 0;
            player->ReleaseRiders(true);
        }
    } else {
        LaunchCounter = 0;
    }
}

bool TDlg_Sprallion::HasOtherObjectOfKinds(engine::TGPObject* object) {
    engine::TGPNation* bricks = Kernel ? Kernel->FindNation(BrickNationKey) : nullptr;
    if (!bricks) return false;
    for (int i = 0; i < bricks->Objects.Count(); ++i) {
        engine::TGPObject* o = bricks->Objects[i];
        if (o != object && engine::IsBrickClass(o->IDClass) && o->HitPoints < engine::kIndestructible) return true;
    }
    return false;
}

void TDlg_Sprallion::LevelCompleted() {
    if (!Kernel || Kernel->LevelEndQueued) return;  // the level ends once, whichever way
    OnlySpecialBricks = OnlySpecialBricksLeft();
    Kernel->QueueLevelEnd();
}

// The level ends with its last destructible brick, not at the next periodic check: the ball
// could be lost meanwhile. A brick that leaves in the tick of that check ends it once.
void TDlg_Sprallion::DoPUSH(TObject* sender) {
    auto* target = dynamic_cast<engine::TGPObject*>(sender);
    if (!target || !engine::IsBrickClass(target->IDClass)) return;
    if (!HasOtherObjectOfKinds(target)) LevelCompleted();
}

bool TDlg_Sprallion::OnlySpecialBricksLeft() {
    if (!Kernel) return false;
    if (engine::TGPNation* monsters = Kernel->FindNation(MonsterNationKey))
        if (monsters->Objects.Count() > 0) return false;
    engine::TGPNation* bricks = Kernel->FindNation(BrickNationKey);
    if (!bricks) return true;
    for (int i = 0; i < bricks->Objects.Count(); ++i)
        if (!IsSpecialBrickClass(bricks->Objects[i]->IDClass)) return false;
    return true;
}

// ---- Speed limits and conditions ----

void TDlg_Sprallion::DoCheckVelocity(double& value, TObject* sender, engine::TVelocityXY axis) {
    auto* obj = dynamic_cast<engine::TGPObject*>(sender);
    if (!obj) return;
    const int32_t id = obj->IDClass;
    const bool boosted = obj->Kind & engine::kind::DifficultySpeed;
    const double factor = Tuning.SuperSpeedup[static_cast<size_t>(Difficulty() - 1)];
    const double maxSpeed = engine::RealFromFixed(obj->MaxSpeedFx);
    double limit;
    if (id == engine::kPaddleClass) {
        if (axis == engine::TVelocityXY::vxyX && MouseControl && obj->OrderPhase == 2) return;
        if (boosted) limit = maxSpeed * factor;
        else if (obj->Kind & engine::kind::Effect9) limit = maxSpeed / 1.5;
        else if (obj->Kind & engine::kind::Fast) limit = maxSpeed * 2;
        else limit = PlayerSpeedLimit;
    } else if (engine::IsMonsterClass(id) || IsAttachmentClass(id) || engine::IsPrizeClass(id)) {
        limit = boosted ? ObjectSpeedLimit * factor : std::min(ObjectSpeedLimit, 5);
    } else if (engine::IsBallClass(id)) {
        limit = boosted ? ObjectSpeedLimit * factor : ObjectSpeedLimit;
    } else {
        limit = boosted ? maxSpeed * factor : maxSpeed;
    }
    if (std::isnan(value)) return;
    if (std::fabs(value) > limit) value = value > 0 ? limit : -limit;
}

void TDlg_Sprallion::DoConditionEvent(TObject*, engine::TConditionKernel condition) {
    if (condition == engine::ck_Play) ResumeHook();
    else if (condition != engine::ck_EndLife) PauseHook();
}

// ---- The map's floor effect ----

void TDlg_Sprallion::DoMapSetKind(TObject* sender, int32_t value) {
    auto* map = dynamic_cast<engine::TGPMap*>(sender);
    if (!map || !Kernel) return;
    if (value <= 0) {
        if (!map->ChildSprites) return;
        std::vector<engine::TGPStructure*> floor;  // a snapshot: releasing edits the list
        for (int i = 0; i < map->ChildSprites->Count(); ++i)
            if ((*map->ChildSprites)[i]->IDClass == 16) floor.push_back((*map->ChildSprites)[i]);
        for (auto* s : floor) Kernel->FreeObject(1, s);
        return;
    }
    if (value != 0x1000 || (map->Kind & 0x1000)) return;
    auto spark = [&](int32_t x, int32_t life) {
        auto* p = dynamic_cast<engine::TGPPhantom*>(Kernel->CreateObject(1, map, true, 16));
        if (!p) return p;
        p->SetParam(2, x);
        p->SetParam(3, 450 + rtl::Random(10));
        p->SetParam(6, 1);
        p->SetParam(7, std::max(life, 0));
        if (p->Effect()) p->EffectFrame = rtl::Random(std::max(1, p->Width));
        return p;
    };
    engine::TGPPhantom* first = spark(0, EffectTicks - EffectTicks / 5);
    // A phantom without a picture has no width to tile the floor with.
    if (!first || first->Width <= 0) return;
    const int32_t width = first->Width;
    const int32_t count = 500 / width + 1;
    for (int32_t i = 1; i <= count; ++i) {
        int32_t life;
        if (i == count / 2) life = EffectTicks;
        else if (i == count) life = EffectTicks - EffectTicks / 5;
        else life = rtl::Random(EffectTicks - EffectTicks / 4);
        spark(i * width, life);
    }
}

}  // namespace app
