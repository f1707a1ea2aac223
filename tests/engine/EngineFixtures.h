// Headless stand-ins and small heirs the engine tests share.
#pragma once

#include "engine/gpEffects.h"
#include "engine/gpKernel.h"
#include "engine/gpWeapon.h"
#include "engine/gpNation.h"
#include "engine/gpObject.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace enginetest {

// Counts allocations of this test program while armed.
struct AllocationCounter {
    static std::atomic<bool> armed;
    static std::atomic<long> count;
    struct Scope {
        Scope() {
            count = 0;
            armed = true;
        }
        ~Scope() { armed = false; }
        long Allocations() const { return count.load(); }
    };
};

class HeadlessDisplay : public engine::TKernelDisplay {
public:
    void Flip() override { ++flips; }
    int32_t SurfaceWidth() const override { return 800; }
    int32_t SurfaceHeight() const override { return 600; }
    void SetEnabled(bool value) override {
        enabled = value;
        if (onEnabled) onEnabled(value);
    }
    int flips = 0;
    bool enabled = true;
    std::function<void(bool)> onEnabled;
};

// A phantom that counts its drawings and can end itself (or do anything else) while drawn.
class CountingPhantom : public engine::TGPPhantom {
public:
    void DrawOn(engine::TGPStructure* target) override {
        ++draws;
        lastTarget = target;
        if (whileDrawn) whileDrawn(*this);
    }
    int draws = 0;
    engine::TGPStructure* lastTarget = nullptr;
    std::function<void(CountingPhantom&)> whileDrawn;
};

// A game object that records what the kernel asks of it.
class ProbeObject : public engine::TGPObject {
public:
    // Kept without allocating, so that replies can be recorded inside a counted tick.
    struct Reply {
        engine::TRect rect;
        std::array<engine::TGPStructure*, 4> seen{};
        int count = 0;
        std::vector<engine::TGPStructure*> Obstacles() const { return {seen.begin(), seen.begin() + count}; }
    };
    void Move(uint8_t mode, const engine::TRect& rect, rtl::List<engine::TGPStructure*>* list) override {
        if (mode == 1) {
            Reply r{rect, {}, 0};
            if (list)
                for (auto* s : *list)
                    if (r.count < 4) r.seen[static_cast<size_t>(r.count++)] = s;
            replies.push_back(r);
            return;
        }
        ++steps;
        engine::TGPObject::Move(mode, rect, list);
    }
    void KilledBy(engine::TGPObject* killer) override {
        killers.push_back(killer);
        engine::TGPObject::KilledBy(killer);
    }
    void Draw() override { ++draws; }
    int steps = 0;
    int draws = 0;
    std::vector<Reply> replies;
    std::vector<engine::TGPObject*> killers;
};

// The pools outlive every kernel: start each test with empty ones.
inline void EmptyPools() {
    engine::PhantomPool().Clear();
    engine::ObjectPool().Clear();
    engine::WeaponPool().Clear();
}

inline void UseProbes(engine::TGPNation* nation) {
    nation->ObjectFactory = [] { return std::make_unique<ProbeObject>(); };
}

}  // namespace enginetest
