// Presentation of 16-bit (RGB565) frames: an SDL2 window whose renderer draws each frame, or
// frames kept in memory (headless) that can be dumped to BMP.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform::display {

// One frame in RGB565, rows packed (pitch = width).
struct Frame {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint16_t> Pixels;
};

class Presenter {
public:
    virtual ~Presenter() = default;
    virtual const char* Name() const = 0;
    // Sizes the output (the window's client area, or the kept frame), full screen or not.
    virtual bool SetMode(int32_t width, int32_t height, bool fullScreen) = 0;
    virtual bool FullScreen() const = 0;
    // Shows one frame; `pitch` in bytes. Presenting never touches the window's events: the
    // event pump owns them.
    virtual void Present(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height) = 0;
    // Shows the last frame again: the window was uncovered or changed its size.
    virtual void Redraw() {}
    // What the output shows now, at the frame's size. The real window reads it back from its
    // renderer on each call: for screenshots, checks and the rare caller, not for every frame.
    virtual Frame ReadFrame() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    // While on, a present waits for the display's refresh (the vertical blank).
    virtual void SetVSync(bool on) = 0;
    virtual bool VSync() const = 0;
    virtual void Minimize() = 0;
    virtual bool Minimized() const = 0;
    // The window's id in the event pump's routing table; 0 without a window.
    virtual uint32_t WindowId() const { return 0; }
    // A point of the window in frame pixels, wherever the window puts the frame and however it
    // scales it (points beside the frame map beyond its edges). Without a window: the same.
    virtual void WindowToFrame(int32_t& /*x*/, int32_t& /*y*/) const {}
    // Brings a minimised window back to its normal size, and puts the window above the others
    // with the input focus. A presenter without a window has nothing to restore or raise.
    virtual void Restore() {}
    virtual void Raise() {}
    // Writes the last presented frame as a 24-bit BMP; false when it cannot.
    bool DumpFrame(const std::string& path) const;
};

// Frames kept in memory. It counts what a window would have done: presents (and those
// made on the refresh), changes between full screen and the desktop, minimising.
class HeadlessPresenter final : public Presenter {
public:
    const char* Name() const override { return "headless"; }
    bool SetMode(int32_t width, int32_t height, bool fullScreen) override;
    bool FullScreen() const override { return fullScreen_; }
    void Present(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height) override;
    Frame ReadFrame() const override { return frame_; }
    int32_t Width() const override { return frame_.Width; }
    int32_t Height() const override { return frame_.Height; }
    void SetVSync(bool on) override { vsync_ = on; }
    bool VSync() const override { return vsync_; }
    void Minimize() override { minimized_ = true; }
    bool Minimized() const override { return minimized_; }
    // Shown again (the window manager's doing, or a test's).
    void Unminimize() { minimized_ = false; }

    int PresentCount() const { return presents_; }
    int VSyncPresentCount() const { return vsyncPresents_; }
    int FullScreenEntries() const { return fullScreenEntries_; }
    int DesktopReturns() const { return desktopReturns_; }
    void Restore() override { ++restores_; }
    void Raise() override { ++raises_; }
    int RestoreCount() const { return restores_; }
    int RaiseCount() const { return raises_; }

private:
    Frame frame_;
    bool fullScreen_ = false, vsync_ = false, minimized_ = false;
    int presents_ = 0, vsyncPresents_ = 0, fullScreenEntries_ = 0, desktopReturns_ = 0;
    int restores_ = 0, raises_ = 0;
};

// Opens the SDL2 window with a renderer, and writes one line naming the renderer; nullptr when
// no video device can be opened. SPRALLION_WINDOWED=1 keeps the window a window when the game
// asks for full screen.
std::unique_ptr<Presenter> OpenSdlPresenter(const std::string& title);

// The backend named by SPRALLION_VIDEO ("headless" or "sdl"); by default the real one
// when it opens, else headless. Writes one line saying which was chosen.
std::unique_ptr<Presenter> CreatePresenter(const std::string& title = "Sprallion");

// The system cursor's display counter: the cursor shows while it is 0 or more; it starts at
// 0. ShowCursor raises (true) or lowers (false) it by one and answers the new value; the
// real backend shows or hides its window's cursor when the counter crosses zero.
int32_t ShowCursor(bool show);
int32_t CursorCounter();
// What the backend does when the counter crosses zero (nil: nothing to show or hide).
void SetCursorVisibilitySink(std::function<void(bool visible)> sink);

// Where the display's log lines go: stderr until the program's log takes over.
void SetLogSink(std::function<void(const std::string&)> sink);
void Log(const std::string& line);

// Encodes an RGB565 frame as a bottom-up 24-bit BMP.
std::vector<uint8_t> EncodeBmp(const Frame& frame);

}  // namespace platform::display
