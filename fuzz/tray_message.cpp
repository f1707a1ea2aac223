// Tray bus messages: any bytes as a message of the session bus (its wire format), handed to
// the notification item as the bus thread hands it what arrives at the item's path, and to the
// watch for the notification area's coming. Whatever arrives, the item answers its own calls
// with a reply the bus can carry and tells the game at most a click's mouse messages.
#include <dbus/dbus.h>

#include <cstdint>

#include "platform/tray/TrayItem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace tray = platform::tray;
    static tray::ItemState state = [] {
        tray::ItemState s;
        s.Data.Id = 1;
        s.Data.Icon = {2, 2, {0xFF102030, 0x80FFFFFF, 0, 0xFFFF0000}};
        s.Data.Tip = "Sprallion \xC8\xE3\xF0\xE0";
        return s;
    }();
    static uint64_t now = 1;
    now += 100'000'000;  // a tenth of a second between messages: double clicks happen

    if (size > (1u << 20)) return 0;
    DBusError error;
    dbus_error_init(&error);
    DBusMessage* message = dbus_message_demarshal(reinterpret_cast<const char*>(data), int(size), &error);
    dbus_error_free(&error);
    if (!message) return 0;
    tray::ItemAnswer answer = tray::AnswerItemCall(message, state, now);
    if (answer.Mouse.size() > 2 || (!answer.Handled && (answer.Reply || !answer.Mouse.empty()))) __builtin_trap();
    if (answer.Reply) {
        char* wire = nullptr;
        int length = 0;
        if (!dbus_message_marshal(answer.Reply, &wire, &length)) __builtin_trap();
        dbus_free(wire);
        dbus_message_unref(answer.Reply);
    }
    (void)tray::WatcherArrived(message);
    dbus_message_unref(message);
    return 0;
}
