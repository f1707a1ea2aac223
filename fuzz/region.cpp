// The options dialog's background entry: a picture, then the window region stored behind it
// (a 16-bit length and region data). Whatever the bytes, the reader either raises EReadError
// or answers a banded region of coordinates a window system takes.
#include <cstdint>
#include <vector>

#include "engine/gpUtils.h"
#include "media/gpBitmap.h"
#include "platform/window/Region.h"
#include "rtl/Exceptions.h"
#include "rtl/Streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    rtl::MemoryStream entry(std::vector<uint8_t>(data, data + size));
    media::TGPBitmap background;
    try {
        background.LoadFromStream(entry);
    } catch (const std::exception&) {
        return 0;  // no background: no region is read
    }
    if (background.Failure) return 0;
    const int64_t start = entry.Position();
    try {
        const platform::window::Region region = engine::RegionFromStream(entry);
        if (entry.Position() > entry.Size() || entry.Position() < start + 34) __builtin_trap();
        int32_t lastTop = INT32_MIN;
        for (const auto& r : region.Rects()) {
            if (r.Empty() || r.Left < -32767 || r.Right > 32767 || r.Top < -32767 || r.Bottom > 32767) __builtin_trap();
            if (r.Top < lastTop) __builtin_trap();
            lastTop = r.Top;
            // Each rectangle is inside, and spans never touch (touching ones are merged).
            if (!region.Contains(r.Left, r.Top) || !region.Contains(r.Right - 1, r.Bottom - 1) ||
                region.Contains(r.Left - 1, r.Top) || region.Contains(r.Right, r.Top))
                __builtin_trap();
        }
    } catch (const rtl::EReadError&) {
    }
    return 0;
}
