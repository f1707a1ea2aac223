// Seeds of the datagram that copies of the game send each other: written here from the
// layout, independently of the program's own encoder.
#include <cstdint>
#include <string>

#include "tools/datagen/Container.h"
#include "tools/datagen/Seeds.h"

namespace datagen {
namespace {

std::string Datagram(const std::string& name, uint64_t wParam, int64_t lParam, uint32_t sender,
                     const char* magic = "SPRM", uint16_t version = 1, int statedLength = -1) {
    std::string d(magic, 4);
    d += static_cast<char>(version & 0xFF);
    d += static_cast<char>(version >> 8);
    const auto length = static_cast<uint16_t>(statedLength >= 0 ? statedLength : static_cast<int>(name.size()));
    d += static_cast<char>(length & 0xFF);
    d += static_cast<char>(length >> 8);
    d += Int32Bytes(static_cast<int32_t>(sender));
    d += Int32Bytes(static_cast<int32_t>(wParam & 0xFFFFFFFF)) + Int32Bytes(static_cast<int32_t>(wParam >> 32));
    const auto l = static_cast<uint64_t>(lParam);
    d += Int32Bytes(static_cast<int32_t>(l & 0xFFFFFFFF)) + Int32Bytes(static_cast<int32_t>(l >> 32));
    return d + name;
}

const SeedWriter instanceSeeds("fuzz_instance_datagram", [](const SeedSink& put) {
    put("restore", Datagram("sprallion_Restore", 0, 0, 4242));
    put("terminate", Datagram("sprallion_Terminate", 1, -1, 17));
    put("long-name", Datagram(std::string(255, 'n'), ~uint64_t{0}, INT64_MIN, 1));
    put("bad-magic", Datagram("sprallion_Restore", 0, 0, 1, "XXXX"));
    put("bad-version", Datagram("sprallion_Restore", 0, 0, 1, "SPRM", 2));
    put("short-length", Datagram("sprallion_Restore", 0, 0, 1, "SPRM", 1, 3));
    put("huge-length", Datagram("x", 0, 0, 1, "SPRM", 1, 65535));
    put("control-name", Datagram(std::string("a\nb", 3), 0, 0, 1));
});

}  // namespace
}  // namespace datagen
