// The falling prize (order kind 5): it flies up, turns down and falls, bouncing off the
// side walls and the ceiling; when it touches the paddle its effect is applied, it is
// scored and it goes. The effect comes from the drop table's code for the prize's class.
#include "engine/gpBehaviours.h"

#include "engine/gpData.h"
#include "engine/gpGeneralObject.h"
#include "engine/gpKernel.h"
#include "engine/gpMap.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"
#include "engine/gpShared.h"
#include "engine/gpUtils.h"
#include "rtl/Numbers.h"

#include <cstdlib>

namespace engine {

namespace {

// Nation keys.
constexpr int32_t kBrickNation = 0, kMonsterNation = 2, kBallNation = 4, kShotNation = 5;
constexpr int32_t kExitClass = 69;
// Lives a full set of letters grants.
constexpr int32_t kLettersLives = 3;
constexpr int32_t kLetterCount = kLastLetter - kFirstLetter + 1;

TGPNation* Find(const TGPObject& o, int32_t key) { return o.Kernel ? o.Kernel->FindNation(key) : nullptr; }

// Every ball of the ball nation (the exit object is none), walked by a snapshot.
template <class F> void EachBall(TGPObject& prize, F&& f) {
    const TGPNation* balls = Find(prize, kBallNation);
    if (!balls) return;
    const TObjectSnapshot snapshot(balls->Objects);
    for (int i = 0; i < snapshot.Count(); ++i)
        if (TGPObject* b = snapshot.Get(i); b && b->IDClass != kExitClass) f(*b);
}

// Every object of a nation dies; the walk is a snapshot.
void KillNation(TGPObject& prize, int32_t key, bool firstOnly) {
    const TGPNation* nation = Find(prize, key);
    if (!nation) return;
    const TObjectSnapshot snapshot(nation->Objects);
    for (int i = 0; i < snapshot.Count(); ++i)
        if (TGPObject* o = snapshot.Get(i)) {
            o->SetDead(true);
            if (firstOnly) return;
        }
}

// A prize of class id placed in the prize nation, falling slowly; nil when refused.
TGPObject* NewPrize(TGPObject& source, int32_t id, int32_t x, int32_t y) {
    if (!source.Kernel) return nullptr;
    TGPNation* prizes = source.Kernel->NationByKey(kPrizeNation);
    auto* prize = dynamic_cast<TGPObject*>(source.Kernel->CreateObject(2, prizes, true, id));
    if (!prize) return nullptr;
    prize->SetX(x);
    prize->SetY(y);
    prize->DriftX = 0;
    prize->DriftY = rtl::Random(30) / 10.0 + 1;
    EnterCells(*prize);
    return prize;
}

int32_t PrizeCount(const TGPObject& o) {
    const TGPNation* prizes = Find(o, kPrizeNation);
    return prizes ? prizes->Objects.Count() : 0;
}

// A monster of class id at a random place, in its first state and still.
void NewMonster(TGPObject& source, int32_t id, bool snap) {
    if (!source.Kernel) return;
    TGPNation* monsters = source.Kernel->NationByKey(kMonsterNation);
    const int32_t x = rtl::Random(576) - 150;
    const int32_t y = rtl::Random(512) - 150;
    if (TGPObject* m = monsters->CreateFromPool(x, y, snap, id)) {
        m->LoadOneSlide(1);
        m->SetParam(100, 0);
    }
}

void AddLives(TGPObject& prize, int32_t lives) {
    TGPKernel* k = prize.Kernel;
    if (!k) return;
    if (TGPField* life = k->KernelRecord.Life) life->WriteValue(ValueToInteger(life->ReadValue()) + lives);
    k->Shared.LivesGained += lives;
}

void Letter(TGPObject& prize) {
    if (!prize.Kernel || !IsLetterClass(prize.IDClass)) return;  // other classes only score
    TGPKernel& k = *prize.Kernel;
    std::bitset<256> letters = k.LettersCollected();
    const auto bit = static_cast<size_t>(prize.IDClass - kFirstLetter);
    if (letters.test(bit)) return;
    letters.set(bit);
    bool word = true;
    for (int32_t i = 0; i < kLetterCount; ++i) word = word && letters.test(static_cast<size_t>(i));
    if (word) {
        AddLives(prize, kLettersLives);
        letters.reset();
    }
    k.SetLettersCollected(letters);
}

void TurnUpsideDown(TGPObject& prize, TGPObject& paddle) {
    TGPKernel* k = prize.Kernel;
    if (!k || k->Shared.UpsideDown) return;
    for (const int32_t key : {kMonsterNation, kPrizeNation, kShotNation})
        if (TGPNation* n = k->FindNation(key)) n->Objects.KillAll();
    paddle.SetKind(-kind::ClearAll);
    if (k->Map) k->Map->Kind &= ~0x1000;
    k->Shared.UpsideDown = true;
    k->Shared.UpsideDownCount = 0;
}

void SecondPaddle(TGPObject& prize) {
    TGPKernel* k = prize.Kernel;
    TGPObject* player = k ? k->Shared.Player() : nullptr;
    TGPNation* nation = player ? player->Nation() : nullptr;
    if (!nation) return;
    constexpr int32_t kSecond = 2;
    if (nation->Objects.Count() > 1) {
        if (TGPObject* second = nation->FindByClass(kSecond)) ClassTimerReset(*second);
        return;
    }
    if (auto* second = dynamic_cast<TGPObject*>(k->CreateObject(2, nation, true, kSecond))) {
        second->LoadOneSlide(1);
        second->SetKind(-kind::ClearAll);
    }
}

void ExitObject(TGPObject& prize) {
    TGPKernel* k = prize.Kernel;
    if (!k) return;
    TGPNation* balls = k->NationByKey(kBallNation);
    if (balls->FindByClass(kExitClass)) return;
    if (auto* exit = dynamic_cast<TGPObject*>(k->CreateObject(2, balls, false, kExitClass))) EnterCells(*exit);
}

void ShakeBricks(TGPObject& prize) {
    const TGPNation* bricks = Find(prize, kBrickNation);
    if (!bricks) return;
    const TObjectSnapshot snapshot(bricks->Objects);
    const uint16_t generation = prize.Generation();
    for (int i = 0; i < snapshot.Count(); ++i)
        if (TGPObject* b = snapshot.Get(i)) {
            b->SetParam(100, 1);
            // The target must still be the prize: a handler may have taken it away.
            if (snapshot.Get(i) && StillInPlay(prize, generation))
                b->SetParam(109, reinterpret_cast<intptr_t>(static_cast<TGPStructure*>(&prize)));
        }
}

// The effect of code on the paddle, the balls and the field.
void ApplyEffect(uint8_t code, TGPObject& paddle, TGPObject& prize) {
    TGPKernel* k = prize.Kernel;
    switch (code) {
        case 0:
            paddle.SetFrame(paddle.Column + 1);
            ClearPlayerArea(paddle);
            break;
        case 1: {
            TObjectSnapshot first;
            EachBall(prize, [&first](TGPObject& b) {
                if (first.Count() == 0) first.Add(&b);
            });
            if (TGPObject* b = first.Count() ? first.Get(0) : nullptr) {
                const int32_t c = b->IDClass;
                b->DoSplinterEvent(b->Nation(), {2, 2, 2}, {c, c, c});
            }
            break;
        }
        case 2: EachBall(prize, [](TGPObject& b) { b.SetFrame(b.Column + 1); }); break;
        case 3: paddle.SetKind(kind::NextWeapon); break;
        case 4:
            EachBall(prize, [](TGPObject& b) {
                SetClassKeepingColumn(b, 64);
                ClassTimerReset(b);
            });
            break;
        case 5:
            paddle.SetKind(kind::Effect4);
            paddle.SetKind(-kind::Effect8);
            if (k) k->SetCursorToObject(&paddle);
            break;
        case 6:
            EachBall(prize, [](TGPObject& b) {
                SetClassKeepingColumn(b, 63);
                b.SetKind(0x4000);
                ClassTimerReset(b);
            });
            break;
        case 7:
            paddle.SetKind(-kind::Effect4);
            paddle.SetKind(kind::Effect8);
            paddle.SetKind(-kind::Effect9);
            break;
        case 8: SecondPaddle(prize); break;
        case 9:
            if (k) {
                k->Shared.ClosedFloorCount = 0;
                if (k->Map) k->Map->Kind |= 0x1000;
            }
            break;
        case 10: KillNation(prize, kMonsterNation, false); break;
        case 11: ShakeBricks(prize); break;
        case 15: KillNation(prize, kMonsterNation, true); break;
        case 16: paddle.SetFrame(paddle.Column - 1); break;
        case 17: paddle.SetKind(kind::Stunned); break;
        case 19:
            paddle.SetKind(kind::ReverseX);
            ClassTimerReset(paddle);
            break;
        case 20:
            paddle.SetKind(kind::ReverseY);
            ClassTimerReset(paddle);
            break;
        case 21:
            if (paddle.Kind & kind::Effect9)
                paddle.SetKind(-kind::Effect9);
            else
                paddle.SetKind(kind::Fast);
            break;
        case 22:
            EachBall(prize, [](TGPObject& b) {
                b.SetKind(0x40000);
                ClassTimerReset(b);
            });
            break;
        case 23:
            if (paddle.Kind & kind::Fast) {
                paddle.SetKind(-kind::Fast);
            } else {
                paddle.SetKind(kind::Effect9);
                paddle.SetKind(-kind::Effect8);
                paddle.SetKind(-kind::Fast);
            }
            break;
        case 24:
            if (k && k->Map) k->Map->SetParam(100, 1);
            break;
        case 25:
            if (k && !k->Shared.MonsterTable.empty()) {
                const int32_t id = prize.PrizeCodeAt(rtl::Random(1000));
                if (id != -1) NewMonster(prize, id, true);
            }
            break;
        case 26:
            prize.SetDead(true);
            if (k) k->FireEndLife();
            break;
        case 27: TurnUpsideDown(prize, paddle); break;
        case 28: ExitObject(prize); break;
        case 29:
            if (PrizeCount(prize) <= 9)
                for (int i = 0; i < 6; ++i) {
                    const int32_t x = 30 + rtl::Random(400);
                    NewPrize(prize, 46, x, 30 + rtl::Random(300));
                }
            break;
        case 30:
            EachBall(prize, [](TGPObject& b) {
                b.SetDGCSpeed(RealFromFixed(b.MinSpeedFx) / 1.5);
                b.SetKind(kind::SlowAcceleration);
                ClassTimerReset(b);
            });
            break;
        case 31:
            EachBall(prize, [](TGPObject& b) {
                SetClassKeepingColumn(b, 65);
                ClassTimerReset(b);
                if (!(b.Kind & kind::DifficultySpeed)) b.SetKind(kind::DifficultySpeed);
                b.SetKind(0x4000);
                b.Accelerate();
                b.Accelerate();
            });
            break;
        case 32:
            if (PrizeCount(prize) <= 9)
                for (int i = 0; i < 6; ++i) {
                    const int32_t id = paddle.PickBonus(rtl::Random(1000));
                    if (id == -1) continue;
                    const int32_t x = 50 + rtl::Random(400);
                    NewPrize(prize, id, x, 50 + rtl::Random(250));
                }
            break;
        case 33: Letter(prize); break;
        case 34:
            for (int i = 0; i < 4; ++i) {
                const int32_t x = 30 + rtl::Random(400);
                NewPrize(prize, 61, x, 30 + rtl::Random(300));
            }
            break;
        case 35: NewMonster(prize, 3, false); break;
        case 50: EachBall(prize, [](TGPObject& b) { b.SetKind(0x20000); }); break;
        case 52: paddle.SetKind(-kind::NextWeapon); break;
        case 53: paddle.SetKind(-kind::Effect4); break;
        case 54: paddle.SetKind(-kind::Effect8); break;
        default: break;
    }
}

// Objects the paddle's area never clears.
bool Spared(const TGPObject& o) {
    const int32_t id = o.IDClass;
    return (id >= 1 && id <= 11) || (id >= 32 && id <= 61) || (id >= 91 && id <= 111) || (id >= 120 && id <= 130) ||
           IsBallClass(id) || (o.Kind & (kind::Riding | kind::RandomRide));
}

}  // namespace

int32_t TGPObject::PrizeCodeAt(int32_t roll) const {
    for (const TRangeRecord& r : Shared().MonsterTable)
        if (r.Lower <= roll && roll <= r.Upper) return r.IDClass;
    return -1;
}

void ClearPlayerArea(TGPObject& paddle) {
    const TObjectSnapshot snapshot(NearObjects(paddle));
    const TRect own = paddle.GetRect();
    for (int i = 0; i < snapshot.Count(); ++i) {
        TGPObject* o = snapshot.Get(i);
        if (o && o != &paddle && !Spared(*o) && RectsMeet(o->GetRect(), own)) o->SetDead(true);
    }
}

bool ApplyBonus(TListGPObject* list, TGPObject* paddle, TGPObject& prize) {
    if (!IsPrizeClass(prize.IDClass) || ((!list || list->Empty()) && !paddle)) return false;
    if (!paddle) {
        const TRect own = prize.GetRect();
        for (int i = list->Count() - 1; i >= 0 && !paddle; --i) {
            TGPObject* o = (*list)[i];
            if (o->IDClass == kPaddleClass && RectsMeet(o->GetRect(), own)) paddle = o;
        }
        if (!paddle) return false;
    }
    // The price is read first: the effect may send the prize back to its pool.
    const int32_t price = prize.Template ? prize.Template->PriceForDeath : 0;
    const uint16_t generation = prize.Generation(), paddleGeneration = paddle->Generation();
    TGPKernel* k = prize.Kernel;
    if (TGPObject* player = k ? k->Shared.Player() : nullptr) player->SetKind(-kind::Carrier);
    if (StillInPlay(prize, generation)) prize.KilledBy(&prize);
    if (StillInPlay(prize, generation) && StillInPlay(*paddle, paddleGeneration))
        ApplyEffect(k ? BonusEffectCode(k->Shared, prize.IDClass) : uint8_t{0}, *paddle, prize);
    if (k) k->AddScore(price);
    if (StillInPlay(prize, generation)) {
        prize.ClearOrders();
        prize.SetDead(true);
    }
    return true;
}

uint8_t SteerMove(TGPObject& prize, uint8_t mode, const TRect&, rtl::List<TGPStructure*>*) {
    if (mode != 0) return 0;
    const uint16_t generation = prize.Generation();
    LeaveCells(prize);
    prize.Accelerate();
    prize.StepX();
    prize.StepY();

    // Steering toward straight down, two steps a tick, snapping when near.
    const int32_t d = prize.Direction;
    const int32_t a = 64 - d;
    int32_t p = (d > 192 || d < 64) ? std::abs(a) : -std::abs(a);
    if (std::abs(p) > 4) p = p > 0 ? 2 : -2;
    prize.SetDGCDirection(int64_t{d} + p);

    // Walls.
    const TGPShared& shared = prize.Shared();
    const int32_t l = prize.CollisionRect.Left, t = prize.CollisionRect.Top;
    const int32_t W = FieldWidth(prize), F = shared.FloorLine;
    const int32_t x = prize.GetX(), y = prize.GetY();
    if (x + l < 0) {
        prize.SetX(-l);
        prize.Heading = 0;
        prize.ReflectX();
        QueueSound(prize, 1);
    } else if (x + prize.Width - l > W) {
        prize.SetX(W + l - prize.Width);
        prize.ReflectX();
        QueueSound(prize, 1);
    } else if (y + t < 0) {
        prize.ReflectY();
        prize.SetY(-t);
        QueueSound(prize, 0);
    } else if (shared.UpsideDown && FieldHeight(prize) < y + prize.Height - t) {
        prize.ReflectY();
        QueueSound(prize, 0);
    } else if (ClosedFloor(prize) && !shared.UpsideDown && y + prize.Height > F + 15) {
        prize.SetY(F - prize.Height - 16);
        prize.SetDGCDirection(int64_t{(256 - prize.Direction) % 256} + rtl::Trunc(RandomSigned(16, 1)));
    }

    // What it meets; the paddle among them takes it.
    static TListGPObject near;
    EnterCells(prize);
    NearObjects(prize, near);
    const bool applied = ApplyBonus(&near, nullptr, prize);
    near.Clear();
    if (applied || !StillInPlay(prize, generation)) return 0;
    const int32_t px = prize.GetX(), py = prize.GetY();
    if (px < -prize.Width || px >= W || py < -prize.Height || py >= F) prize.SetDead(true);
    return 0;
}

}  // namespace engine
