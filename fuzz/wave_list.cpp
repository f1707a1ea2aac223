// The wave list in both stored forms: the first byte chooses the container's form (names
// behind a length) or the loose file's (names to the end); the rest is the data. The sound
// numbers of every class are then summed with the bases read.
#include "engine/gpRegisters.h"
#include "rtl/Exceptions.h"
#include "rtl/Streams.h"

#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool lengthPrefixed = data[0] == 0;
    rtl::MemoryStream stream(std::vector<uint8_t>(data + 1, data + size));
    engine::TDXRegisterSound reg(nullptr);
    try {
        engine::ReadWaveList(stream, lengthPrefixed, reg.List);
    } catch (const rtl::Exception&) {
        return 0;
    }
    if (reg.List.Names.Count() > static_cast<int64_t>(size)) __builtin_trap();  // never more lines than bytes
    for (int32_t classId = -1; classId <= 201; ++classId)
        for (int32_t index : {std::numeric_limits<int32_t>::min(), -1, 0, 5, std::numeric_limits<int32_t>::max()}) {
            const int64_t number = reg.SoundNumber(classId, index);
            if (engine::SoundGroupOf(classId) == 0 && number != index) __builtin_trap();
        }
    return 0;
}
