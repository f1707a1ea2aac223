#include "engine/gpFunctionObject.h"

#include "engine/gpBehaviours.h"
#include "engine/gpKernel.h"
#include "engine/gpObject.h"
#include "engine/gpUtils.h"
#include "rtl/Numbers.h"

#include <array>

namespace engine {

namespace {
// The routine of each kind.
constexpr std::array<TOrderRoutine, kOrderKinds> kRoutines{
    ShipControl,         // 0
    ProjectileFlight,    // 1
    OrbitMove,           // 2
    ControlledMove,      // 3
    BallMove,            // 4
    SteerMove,           // 5
    VerticalShot,        // 6
    WanderMove,          // 7
    BallGuard,           // 8
    HomingMove,          // 9
    RandomTurnMove,      // 10
    AnimationEndAction,  // 11
    SpawnAtEnd,          // 12
    TimedLife,           // 13
    AreaEffect,          // 14
};
}  // namespace

TOrderRoutine OrderRoutine(int32_t kind) {
    if (kind < 0 || kind >= kOrderKinds) return nullptr;
    return kRoutines[static_cast<size_t>(kind)];
}

TOrder* TGPObject::InstallOrder(TOrderRoutine routine, int32_t tag) {
    if (!Kernel || !Kernel->OrderPool) return nullptr;
    TOrder* order = Kernel->OrderPool->Acquire();
    order->Kind = static_cast<uint8_t>(tag & 0x7F);
    order->State = kOrderInstalled;
    order->Previous = nullptr;
    order->Flag = false;
    order->Routine = routine;
    static uint32_t serial = 0;
    order->Serial = ++serial;
    if (Orders)
        DropOrders();
    else
        ReleaseInLine();
    Orders = order;
    OrderTag = static_cast<uint8_t>(tag & 0x7F);
    return order;
}

void TGPObject::SetOrder(int32_t kind, int32_t p1, int32_t p2, int32_t p3, int32_t p4) {
    if (kind < 0 || kind >= kOrderKinds) return;
    // The new order is taken before the old chain goes, so it never reuses an order the
    // chain still holds.
    TOrder* order = InstallOrder(OrderRoutine(kind), p4);
    if (!order) return;
    const int32_t lines = CurrentSlide ? CurrentSlide->LinesWidth : 0;
    switch (kind) {
        case 0:
            order->A = p2;
            order->B = p3;
            break;
        case 1: Column = static_cast<int32_t>(int64_t{Heading} * lines / 256); break;
        case 3:
            order->A = p2;
            order->B = p3;
            order->C = p1;
            order->Countdown = 2;
            OrderPhase = 0;
            break;
        case 4:
            order->A = p2;
            order->B = p3;
            OrderPhase = 0;
            break;
        case 5:
            OrderPhase = 0;
            SetDGCDirection(192 + rtl::Trunc(RandomSigned(38, 1)));
            break;
        case 6:
        case 7:
        case 8: OrderPhase = 0; break;
        case 9:
        case 10:
        case 11:
        case 12:
            Column = 0;
            OrderPhase = 0;
            break;
        case 13:
        case 14:
            order->State = kOrderLasting;
            order->Countdown = 0;
            OrderPhase = 0;
            break;
        default: break;
    }
}

void TGPObject::ResetOrder() {
    if (CurrentSlide && CurrentSlide->Ord_Default != 0)
        SetOrder(CurrentSlide->Type_Ord_Default, -1, -1, -1, -1);
    else
        ClearOrders();
    PictureStale = true;
}

void TGPObject::ClearOrders() {
    TListOrder* pool = Kernel ? Kernel->OrderPool.get() : nullptr;
    if (Orders && (Orders->State == 2 || Orders->State == 3)) {
        TOrder* previous = Orders->Previous;
        if (pool) pool->Release(Orders);
        Orders = previous;
    }
    ReleaseInLine();
}

void TGPObject::ReleaseInLine() {
    if (!InLine) return;
    if (Kernel && Kernel->InLinePool) Kernel->InLinePool->Release(InLine);
    InLine = nullptr;
}

void TGPObject::DropOrders() {
    TListOrder* pool = Kernel ? Kernel->OrderPool.get() : nullptr;
    while (Orders) {
        TOrder* previous = Orders->Previous;
        if (pool) pool->Release(Orders);
        Orders = previous;
    }
    ReleaseInLine();
}

}  // namespace engine
