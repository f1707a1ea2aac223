// The ball, the paddle and the prizes on a headless kernel and map (576 x 512): a paddle 64
// by 16, balls 16 by 16 that move (state 4), bricks, monsters and prizes 16 by 16, and the
// commands their routines queue.
#pragma once

#include "ObjectFixture.h"

#include "engine/gpBehaviours.h"
#include "engine/gpCmdExecute.h"
#include "engine/gpMap.h"

#include <vector>

namespace enginetest {

class BehaviourFixture : public ObjectFixture {
protected:
    static constexpr int32_t kFloor = 490;
    static constexpr int32_t kSteel = 13, kExit = 69, kLetter = 124;

    BehaviourFixture() {
        const datagen::UnitSlideDescription small{.patternWidth = 16, .patternHeight = 16};
        Class(kPaddle, {.minSpeed = 0, .maxSpeed = 20, .maxSpeedUp = 2, .defaultSlide = 4, .priceForDeath = 0},
              {.patternWidth = 64, .patternHeight = 16, .baseRight = 64, .baseBottom = 16});
        Class(2, {.maxSpeed = 20, .defaultSlide = 4}, {.patternWidth = 64, .patternHeight = 16, .baseRight = 64, .baseBottom = 16});
        for (int32_t id = 62; id <= 65; ++id)
            Class(id, {.minSpeed = 4, .maxSpeed = 12, .maxSpeedUp = 0.5, .defaultSlide = 4, .addParamInt1 = 5},
                  {.patternWidth = 16, .patternHeight = 16, .linesWidth = 3, .styleAniSprite = "swSize", .typeOrdDefault = 4, .incSize = 1,
                   .incSizeH = 1});
        Class(kExit, {.defaultSlide = 4}, small);
        Class(kBrick, {.toughness = 2, .priceForDeath = 10}, small);
        Class(kSteel, {.toughness = 256, .priceForDeath = 10}, small);
        Class(3, {.priceForDeath = 5}, small);
        Class(kMonster, {.priceForDeath = 5}, small);
        Class(33, {.priceForDeath = 5}, small);
        for (int32_t id : {42, 43, 46, 61, 124, 125, 126, 127, 128, 129, 130})
            Class(id, {.minSpeed = 0, .maxSpeed = 0, .priceForDeath = 7}, small);
        Commit();
        Shared().FloorLine = kFloor;
    }

    // A ball with its order, moving at direction d.
    EventProbe* Ball(int32_t x, int32_t y, int32_t d = 0, int32_t id = kBall) {
        EventProbe* b = Make(4, id, x, y);
        b->SetOrder(4, -1, -1, -1, 4);
        b->SetDGCSpeed(4);
        b->SetDGCDirection(d);
        return b;
    }
    EventProbe* Paddle(int32_t x, int32_t y = kFloor) {
        EventProbe* p = Make(3, kPaddle, x, y);
        Shared().SetPlayer(p);
        return p;
    }

    // Numbered sounds queued since the line was last cleared.
    std::vector<int> Sounds() const {
        std::vector<int> out;
        for (int i = 0; i < Line().Position;) {
            const auto op = engine::cmd::OpcodeOf(Line().Buffer[static_cast<size_t>(i)]);
            if (op == engine::cmd::PlaySound && engine::cmd::IsSoundNumber(Line().Buffer[static_cast<size_t>(i) + 1]))
                out.push_back(engine::cmd::SoundNumberOf(Line().Buffer[static_cast<size_t>(i) + 1]));
            const int size = engine::cmd::SizeOf(op);
            if (size == 0) break;
            i += size;
        }
        return out;
    }
    int Opcodes(uint16_t opcode) const {
        int n = 0;
        for (int i = 0; i < Line().Position;) {
            const auto op = engine::cmd::OpcodeOf(Line().Buffer[static_cast<size_t>(i)]);
            n += op == opcode;
            const int size = engine::cmd::SizeOf(op);
            if (size == 0) break;
            i += size;
        }
        return n;
    }
    engine::TExecuteLine& Line() const { return *kernel->CommandLine; }

    static bool Gone(engine::TGPObject* o, uint16_t generation) { return o->Generation() != generation; }
};

}  // namespace enginetest
