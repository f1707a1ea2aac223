// Orders and move requests, and their pools.
//
// A pool is a list whose first UsedCount items are in use and whose rest are spare, so that
// taking and returning an item never allocates once the pool has grown to its peak.
#pragma once

#include "engine/gpTypes.h"
#include "rtl/Lists.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace engine {

class TGPObject;
class TOrder;

using TOrderHandler = std::function<void(TGPObject& object, TOrder& order)>;

class TOrder {
public:
    TOrder* Previous = nullptr;
    uint8_t Kind = 0;
    uint8_t State = 0;
    TOrderHandler Handler;
    int32_t Param1 = 0;
    int32_t Param2 = 0;
    int64_t Param3 = 0;
    int32_t Param4 = 0;
    bool Flag = false;
    int32_t Param5 = 0;
};

class TAskMove {
public:
    TGPObject* Asker = nullptr;
    TGPObject* Target = nullptr;
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

class TListOrder : public TUsedPool<TOrder> {
public:
    // Makes the order the first spare item. An order that is already spare is left alone
    // (returning it twice must not demote an order in use); an order the pool does not
    // hold is a list index error.
    void Release(TOrder* order);
};

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
};

class TListInLineCom : public TUsedPool<TInLineCom> {};

}  // namespace engine
