// Where a frame lies in a window of another size: full screen on a larger desktop the frame is
// scaled by nearest pixels to the largest size that keeps its shape, and centred. Presenting
// maps frame pixels to window pixels this way; the pointer maps back.
#pragma once

#include <algorithm>
#include <cstdint>

namespace platform::display {

struct Placement {
    int32_t left = 0, top = 0, width = 0, height = 0;

    static Placement Of(int32_t frameW, int32_t frameH, int32_t outW, int32_t outH) {
        Placement p;
        if (frameW <= 0 || frameH <= 0 || outW <= 0 || outH <= 0) return p;
        p.width = int32_t(std::min<int64_t>(outW, int64_t(outH) * frameW / frameH));
        p.height = int32_t(int64_t(p.width) * frameH / frameW);
        p.left = (outW - p.width) / 2;
        p.top = (outH - p.height) / 2;
        return p;
    }

    // The frame pixel under a window point. Points beyond the frame (the bars beside it, or
    // outside the window) map beyond its edges, as far as the scale puts them.
    static int32_t FrameOf(int32_t window, int32_t start, int32_t span, int32_t frame) {
        if (span <= 0) return 0;
        const int64_t num = int64_t(window - start) * frame;
        return int32_t(num >= 0 ? num / span : -((-num + span - 1) / span));  // floor
    }
    // The window pixel at the middle of a frame pixel.
    static int32_t WindowOf(int32_t pixel, int32_t start, int32_t span, int32_t frame) {
        if (frame <= 0) return start;
        const int64_t num = (2 * int64_t(pixel) + 1) * span;
        const int64_t den = 2 * int64_t(frame);
        return start + int32_t(num >= 0 ? num / den : -((-num + den - 1) / den));
    }

    void ToFrame(int32_t wx, int32_t wy, int32_t frameW, int32_t frameH, int32_t& fx, int32_t& fy) const {
        fx = FrameOf(wx, left, width, frameW);
        fy = FrameOf(wy, top, height, frameH);
    }
    void ToWindow(int32_t fx, int32_t fy, int32_t frameW, int32_t frameH, int32_t& wx, int32_t& wy) const {
        wx = WindowOf(fx, left, width, frameW);
        wy = WindowOf(fy, top, height, frameH);
    }
};

}  // namespace platform::display
