#include "platform/input/MouseParams.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform::input {

namespace {

std::mutex headlessMutex;
MouseParams headlessParams = kDefaultMouseParams;

MouseParams Headless() {
    std::lock_guard lock(headlessMutex);
    return headlessParams;
}

bool HeadlessChosen() {
    const char* video = std::getenv("SPRALLION_VIDEO");
    return video && std::strcmp(video, "headless") == 0;
}

// Asks the X server named by DISPLAY; false when there is none or libX11 is missing.
bool QueryX(MouseParams& values) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return false;
    void* lib = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return false;
    // Xlib's entry points by their documented signatures; the display is opaque here.
    using OpenDisplay = void* (*)(const char*);
    using CloseDisplay = int (*)(void*);
    using GetPointerControl = int (*)(void*, int*, int*, int*);
    auto open = reinterpret_cast<OpenDisplay>(::dlsym(lib, "XOpenDisplay"));
    auto close = reinterpret_cast<CloseDisplay>(::dlsym(lib, "XCloseDisplay"));
    auto get = reinterpret_cast<GetPointerControl>(::dlsym(lib, "XGetPointerControl"));
    bool ok = false;
    if (open && close && get) {
        if (void* display = open(name)) {
            int numerator = 0, denominator = 0, threshold = 0;
            get(display, &numerator, &denominator, &threshold);
            close(display);
            values = MouseParamsFromPointerControl(numerator, denominator, threshold);
            ok = true;
        }
    }
    ::dlclose(lib);
    return ok;
}

}  // namespace

MouseParams MouseParamsFromPointerControl(int32_t numerator, int32_t denominator, int32_t threshold) {
    if (denominator <= 0 || numerator <= denominator) return {0, 0, 0};  // no acceleration
    const int32_t t = threshold < 0 ? 0 : threshold;
    const int32_t acceleration = numerator >= 4 * int64_t{denominator} ? 2 : 1;
    return {t, t > INT32_MAX / 2 ? INT32_MAX : 2 * t, acceleration};
}

void GetMouseParams(MouseParams& values) {
    if (HeadlessChosen() || !QueryX(values)) values = Headless();
}

void SetHeadlessMouseParams(const MouseParams& values) {
    std::lock_guard lock(headlessMutex);
    headlessParams = values;
}

}  // namespace platform::input
