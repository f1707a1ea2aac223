// The datagram one copy of the game sends another: any bytes a local process may write to
// the socket.
#include <cstdint>
#include <string_view>

#include "platform/window/Broadcast.h"
#include "platform/window/RegisteredMessages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const uint32_t restore = platform::window::RegisterWindowMessage("sprallion_Restore");
    const auto datagram = platform::window::ParseBroadcastDatagram(std::string_view(reinterpret_cast<const char*>(data), size));
    if (datagram) {
        // What was accepted encodes back to the same bytes.
        const std::string again = platform::window::EncodeBroadcastDatagram(*datagram);
        if (again != std::string_view(reinterpret_cast<const char*>(data), size)) __builtin_trap();
        if (platform::window::FindRegisteredMessage(datagram->Name) == restore && datagram->Name.size() != 17)
            __builtin_trap();
    }
    return 0;
}
