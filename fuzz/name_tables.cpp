// The name-table reader on untrusted bytes: it answers a result or raises the class
// library's errors, and a successful read leaves every stored name inside its table.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/gpClasses.h"
#include "rtl/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int32_t flags : {62, 30}) {
        rtl::MemoryStream stream(std::vector<uint8_t>(data, data + size));
        try {
            const int32_t result = engine::LoadPixSetGP({}, flags, &stream);
            if (result != 0 && result != -1 && result != -2) std::abort();
        } catch (const rtl::Exception&) {
        }
        if (!engine::NameOf(engine::TNameTable::Unit, 167).empty()) std::abort();
        if (stream.Position() > static_cast<int64_t>(size)) std::abort();
    }
    return 0;
}
