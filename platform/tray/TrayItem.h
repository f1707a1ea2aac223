// The StatusNotifierItem's answers to the bus, apart from the connection: what a method call
// from the host asks, the reply it gets and the mouse messages the game hears, and whether a
// signal of the bus says that a notification area (the watcher) has come. The bus thread sends
// what it is given; the fuzz target hands the same routines any message a bus can carry.
#pragma once

#include <dbus/dbus.h>

#include <cstdint>
#include <vector>

#include "platform/tray/Tray.h"

namespace platform::tray {

inline constexpr const char* kItemPath = "/StatusNotifierItem";
inline constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";
inline constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";

struct ItemMouse {
    uint32_t Message;
    int32_t X, Y;
};

// The item as its host sees it: icon and tip, and when the last click came.
struct ItemState {
    NotifyIconData Data;
    uint64_t LastActivateNs = 0;
};

struct ItemAnswer {
    bool Handled = false;          // a call of the item's own: answered
    DBusMessage* Reply = nullptr;  // the caller sends and unrefs it; nil when none could be made
    std::vector<ItemMouse> Mouse;  // for the game, in order
};

// Answers a message that reached the item's object path at time `nowNs` (a steady clock in
// nanoseconds): Activate (a press and a release, or a double click within 500 ms),
// ContextMenu, SecondaryActivate, Scroll, the properties' Get and GetAll, Set (refused) and
// Introspect. Anything else is not the item's.
ItemAnswer AnswerItemCall(DBusMessage* message, ItemState& state, uint64_t nowNs);

// The bus's NameOwnerChanged signal telling that the watcher has an owner now.
bool WatcherArrived(DBusMessage* message);

}  // namespace platform::tray
