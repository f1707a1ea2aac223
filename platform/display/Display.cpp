#include "platform/display/Display.h"

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
void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
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
    const uint32_t rowBytes = (uint32_t(frame.Width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * uint32_t(frame.Height);
    std::vector<uint8_t> b;
    b.reserve(54 + imageBytes);
    b.push_back('B');
    b.push_back('M');
    Put32(b, 54 + imageBytes);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, uint32_t(frame.Width));
    Put32(b, uint32_t(frame.Height));
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, imageBytes);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int32_t y = frame.Height - 1; y >= 0; --y) {
        const uint16_t* row = frame.Pixels.data() + size_t(y) * size_t(frame.Width);
        for (int32_t x = 0; x < frame.Width; ++x) {
            const uint16_t p = row[x];
            const uint8_t r = uint8_t((p >> 11) << 3), g = uint8_t(((p >> 5) & 63) << 2), bl = uint8_t((p & 31) << 3);
            b.push_back(uint8_t(bl | bl >> 5));
            b.push_back(uint8_t(g | g >> 6));
            b.push_back(uint8_t(r | r >> 5));
        }
        for (uint32_t pad = uint32_t(frame.Width) * 3; pad < rowBytes; ++pad) b.push_back(0);
    }
    return b;
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
    for (int32_t y = 0; y < height; ++y)
        std::memcpy(frame_.Pixels.data() + size_t(y) * size_t(width),
                    reinterpret_cast<const uint8_t*>(pixels) + ptrdiff_t(y) * pitch, size_t(width) * 2);
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
    if (auto sdl = OpenSdlPresenter(title)) {
        Log("Video: SDL2 window");
        return sdl;
    }
    Log(choice == "sdl" ? "Video: SDL2 requested but no video device opens; headless"
                        : "Video: no video device opens; headless");
    return std::make_unique<HeadlessPresenter>();
}

}  // namespace platform::display
