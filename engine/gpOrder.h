// Orders and move requests, and their pools.
//
// A pool is a list whose first UsedCount items are in use and whose rest are spare, so that
// taking and returning an item never allocates once the pool has grown to its peak.
#pragma once

#include "engine/gpTypes.h"
#include "rtl/ListError.h"
#include "rtl/Lists.h"

#include <cstdint>
#include <memory>

namespace engine {

class TGPObject;
class TGPStructure;
class TOrder;

// A behaviour: called by the object's move step with Mode 0 (the tick) and Mode 1 (a
// collision reply with the obstacles' union rectangle and the obstacle list). The result
// byte becomes the result of the move. A plain function, so that installing an order
// allocates nothing.
using TOrderRoutine = uint8_t (*)(TGPObject& object, uint8_t mode, const TRect& rect,
                                  rtl::List<TGPStructure*>* list);

class TOrder {
public:
    TOrder* Previous = nullptr;
    uint8_t Kind = 0;
    uint8_t State = 0;  // 3 installed; bit 0x80 lets the routine run beside an in-line command
    TOrderRoutine Routine = nullptr;
    // The behaviour's parameters: A and B (the caller's input for the paddle and the ship),
    // an 8-byte value, C, a flag and a countdown.
    int32_t A = 0;
    int32_t B = 0;
    int64_t Extra = 0;
    int32_t C = 0;
    bool Flag = false;
    int32_t Countdown = 0;
    // A new number at every installation: a routine knows its order from a later one that
    // reuses the same item of the pool.
    uint32_t Serial = 0;
};

class TAskMove {
public:
    TGPObject* Asker = nullptr;
    TGPObject* Target = nullptr;
    // The generations the two had when the request was filed: one that went back to its
    // pool since (earlier in the same collision pass) makes the request void.
    uint16_t AskerGeneration = 0;
    uint16_t TargetGeneration = 0;
    bool Active = false;
    TRect RectA;
    TRect RectB;
};

// The pool pattern shared by orders, move requests and in-line commands.
template <class T>
class TUsedPool {
public:
    int Count() const { return items_.Count(); }
    int UsedCount() const { return used_; }
    T* Get(int index) const { return items_.Items(index).get(); }

    T* Acquire() {
        if (used_ < items_.Count()) return items_.Items(used_++).get();
        items_.Add(std::make_unique<T>());
        ++used_;
        return items_.Last().get();
    }

    // Makes the item the first spare one. An item that is already spare is left alone
    // (returning it twice must not demote an item in use); an item the pool does not hold
    // is a list index error.
    void Release(T* item) {
        if (used_ <= 0) return;
        const int index = Find(item);
        if (index < 0) rtl::ListIndexError(index);
        if (index >= used_) return;
        items_.Move(index, used_ - 1);
        --used_;
    }

protected:
    // Index of item among the pool's items, or -1.
    int Find(const T* item) const {
        for (int i = 0; i < items_.Count(); ++i)
            if (items_.Items(i).get() == item) return i;
        return -1;
    }

    rtl::List<std::unique_ptr<T>> items_;
    int used_ = 0;
};

class TListOrder : public TUsedPool<TOrder> {};

class TListAskMove : public TUsedPool<TAskMove> {
public:
    TAskMove* AddAskMove(TGPObject* asker, TGPObject* target, const TRect& rectA, const TRect& rectB);
    void ResetAll();
};

// In-line commands: the same pattern; the engine never fills it.
class TInLineCom {
public:
    int32_t Code = 0;
    int64_t Param = 0;
    // The command's current code byte.
    uint8_t ReadInLineCode() const { return static_cast<uint8_t>(Code & 0xFF); }
};

class TListInLineCom : public TUsedPool<TInLineCom> {};

}  // namespace engine
