#include "platform/display/Display.h"
#include "platform/display/Widen.h"

#include "platform/window/BmpFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>

namespace platform::display {

namespace {
std::function<void(const std::string&)>& LogSink() {
    static std::function<void(const std::string&)> sink;
    return sink;
}
}  // namespace

namespace {
struct CursorState {
    std::mutex lock;
    int32_t counter = 0;
    std::function<void(bool)> sink;
};
CursorState& Cursor() {
    static CursorState state;
    return state;
}
}  // namespace

int32_t ShowCursor(bool show) {
    CursorState& c = Cursor();
    std::lock_guard guard(c.lock);
    const bool wasVisible = c.counter >= 0;
    c.counter += show ? 1 : -1;
    const bool visible = c.counter >= 0;
    if (visible != wasVisible && c.sink) c.sink(visible);
    return c.counter;
}

int32_t CursorCounter() {
    std::lock_guard guard(Cursor().lock);
    return Cursor().counter;
}

void SetCursorVisibilitySink(std::function<void(bool visible)> sink) {
    CursorState& c = Cursor();
    std::lock_guard guard(c.lock);
    c.sink = std::move(sink);
    if (c.sink) c.sink(c.counter >= 0);
}

void SetLogSink(std::function<void(const std::string&)> sink) { LogSink() = std::move(sink); }

void Log(const std::string& line) {
    if (LogSink())
        LogSink()(line);
    else
        std::fprintf(stderr, "%s\n", line.c_str());
}

std::vector<uint8_t> EncodeBmp(const Frame& frame) {
    return window::EncodeBmp24(frame.Width, frame.Height, [&frame](int32_t x, int32_t y) {
        return Widen(frame.Pixels[size_t(y) * size_t(frame.Width) + size_t(x)]) & 0xFFFFFF;
    });
}

bool Presenter::DumpFrame(const std::string& path) const {
    const Frame frame = ReadFrame();
    if (frame.Width <= 0 || frame.Height <= 0) return false;
    const std::vector<uint8_t> bytes = EncodeBmp(frame);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

bool HeadlessPresenter::SetMode(int32_t width, int32_t height, bool fullScreen) {
    if (width <= 0 || height <= 0) return false;
    if (fullScreen != fullScreen_) ++(fullScreen ? fullScreenEntries_ : desktopReturns_);
    fullScreen_ = fullScreen;
    frame_.Width = width;
    frame_.Height = height;
    frame_.Pixels.assign(size_t(width) * size_t(height), 0);
    return true;
}

void HeadlessPresenter::Present(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height) {
    if (width != frame_.Width || height != frame_.Height) SetMode(width, height, fullScreen_);
    if (pitch == width * 2) {
        std::memcpy(frame_.Pixels.data(), pixels, frame_.Pixels.size() * 2);
    } else {
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(frame_.Pixels.data() + size_t(y) * size_t(width),
                        reinterpret_cast<const uint8_t*>(pixels) + ptrdiff_t(y) * pitch, size_t(width) * 2);
    }
    ++presents_;
    if (vsync_) ++vsyncPresents_;
}

std::unique_ptr<Presenter> CreatePresenter(const std::string& title) {
    const char* env = std::getenv("SPRALLION_VIDEO");
    const std::string choice = env ? env : "";
    if (choice == "headless") {
        Log("Video: headless (SPRALLION_VIDEO=headless)");
        return std::make_unique<HeadlessPresenter>();
    }
    if (auto sdl = OpenSdlPresenter(title)) return sdl;
    Log(choice == "sdl" ? "Video: SDL2 requested but no video device opens; headless"
                        : "Video: no video device opens; headless");
    return std::make_unique<HeadlessPresenter>();
}

}  // namespace platform::display
