// Where a frame lies in an output of another size. Full screen, the frame is scaled by nearest
// pixels to the largest size that keeps its shape, and centred (Fit). In a window it is shown
// pixel for pixel, centred, and scaled down only when the window is smaller (Centred): the
// whole frame shows either way, never a crop. Presenting maps frame pixels to output pixels
// this way; the pointer maps back.
#pragma once

#include <algorithm>
#include <cstdint>

namespace platform::display {

struct Placement {
    int32_t left = 0, top = 0, width = 0, height = 0;

    static Placement Fit(int32_t frameW, int32_t frameH, int32_t outW, int32_t outH) {
        Placement p;
        if (frameW <= 0 || frameH <= 0 || outW <= 0 || outH <= 0) return p;
        p.width = int32_t(std::min<int64_t>(outW, int64_t(outH) * frameW / frameH));
        p.height = int32_t(int64_t(p.width) * frameH / frameW);
        return p.CentredIn(outW, outH);
    }
    static Placement Centred(int32_t frameW, int32_t frameH, int32_t outW, int32_t outH) {
        if (frameW > outW || frameH > outH) return Fit(frameW, frameH, outW, outH);
        Placement p;
        p.width = frameW, p.height = frameH;
        return p.CentredIn(outW, outH);
    }

    // The frame pixel under an output point. Points beyond the frame (the bars beside it, or
    // outside the output) map beyond its edges, as far as the scale puts them.
    static int32_t FrameOf(int32_t out, int32_t start, int32_t span, int32_t frame) {
        if (span <= 0) return 0;
        const int64_t num = int64_t(out - start) * frame;
        return int32_t(num >= 0 ? num / span : -((-num + span - 1) / span));  // floor
    }
    // The output pixel at the middle of a frame pixel.
    static int32_t OutputOf(int32_t pixel, int32_t start, int32_t span, int32_t frame) {
        if (frame <= 0) return start;
        const int64_t num = (2 * int64_t(pixel) + 1) * span;
        const int64_t den = 2 * int64_t(frame);
        return start + int32_t(num >= 0 ? num / den : -((-num + den - 1) / den));
    }

    void ToFrame(int32_t ox, int32_t oy, int32_t frameW, int32_t frameH, int32_t& fx, int32_t& fy) const {
        fx = FrameOf(ox, left, width, frameW);
        fy = FrameOf(oy, top, height, frameH);
    }
    void ToOutput(int32_t fx, int32_t fy, int32_t frameW, int32_t frameH, int32_t& ox, int32_t& oy) const {
        ox = OutputOf(fx, left, width, frameW);
        oy = OutputOf(fy, top, height, frameH);
    }

private:
    Placement CentredIn(int32_t outW, int32_t outH) const {
        Placement p = *this;
        p.left = (outW - width) / 2;
        p.top = (outH - height) / 2;
        return p;
    }
};

}  // namespace platform::display
