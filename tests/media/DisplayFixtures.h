// A display on the headless presenter, on its own form, for the media tests.
#pragma once

#include "media/DXDrawsPicture.h"

namespace fixtures {

inline platform::ddraw::DeviceConfig SmallDevice(size_t videoMemory = size_t(16) << 20) {
    platform::ddraw::DeviceConfig c;
    c.Modes = {{640, 480, 16}, {800, 600, 16}, {800, 600, 32}, {1024, 768, 16}};
    c.VideoMemory = videoMemory;
    return c;
}

struct Screen {
    platform::display::HeadlessPresenter presenter;
    platform::display::Form form;
    media::TDXDraw dxdraw;
    explicit Screen(platform::ddraw::DeviceConfig config = SmallDevice()) : dxdraw(presenter, std::move(config)) {
        form.ClientWidth = 320;
        form.ClientHeight = 240;
        form.SetActive(true);
        dxdraw.AutoInitialize = false;
        dxdraw.SetParent(&form);
        dxdraw.SetBounds(0, 0, 320, 240);
    }
};

// A display listener that records the codes it hears.
struct Recorder {
    std::vector<int> codes;
    static void Notify(void* self, media::TCustomDXDraw&, media::TDXDrawNotifyType t) {
        static_cast<Recorder*>(self)->codes.push_back(int(t));
    }
    media::TDXDrawNotifyEvent Listener() { return {&Notify, this}; }
};

// A 24-bit picture whose pixel (x, y) is the colour f(x, y) ($RRGGBB).
template <class F>
media::TDIB Picture(int w, int h, F f) {
    media::TDIB dib;
    dib.SetSize(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t rgb = f(x, y);  // a 24-bit picture's value is $BBGGRR
            dib.SetPixel(x, y, (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF));
        }
    return dib;
}

// The RGB565 value of $RRGGBB, truncated.
inline uint32_t To565(uint32_t rgb) {
    return ((rgb >> 19) & 31) << 11 | ((rgb >> 10) & 63) << 5 | ((rgb >> 3) & 31);
}

}  // namespace fixtures
