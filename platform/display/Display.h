// Presentation of 16-bit (RGB565) frames: an SDL2 window with a streaming texture,
// or frames kept in memory (headless) that can be dumped to BMP.
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
    // Sizes the output (the window's client area, or the kept frame).
    virtual bool SetMode(int32_t width, int32_t height, bool fullScreen) = 0;
    // Shows one frame; `pitch` in bytes.
    virtual void Present(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height) = 0;
    // What the output shows now, read back from where it was presented.
    virtual Frame ReadFrame() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    // Brings a minimised window back to its normal size, and puts the window above the others
    // with the input focus. A presenter without a window has nothing to restore or raise.
    virtual void Restore() {}
    virtual void Raise() {}
    // Writes the last presented frame as a 24-bit BMP; false when it cannot.
    bool DumpFrame(const std::string& path) const;
};

class HeadlessPresenter final : public Presenter {
public:
    const char* Name() const override { return "headless"; }
    bool SetMode(int32_t width, int32_t height, bool fullScreen) override;
    void Present(const uint16_t* pixels, int32_t pitch, int32_t width, int32_t height) override;
    Frame ReadFrame() const override { return frame_; }
    int32_t Width() const override { return frame_.Width; }
    int32_t Height() const override { return frame_.Height; }
    int PresentCount() const { return presents_; }
    void Restore() override { ++restores_; }
    void Raise() override { ++raises_; }
    int RestoreCount() const { return restores_; }
    int RaiseCount() const { return raises_; }

private:
    Frame frame_;
    int presents_ = 0;
    int restores_ = 0, raises_ = 0;
};

// Opens the SDL2 window; nullptr when no video device can be opened.
std::unique_ptr<Presenter> OpenSdlPresenter(const std::string& title);

// The backend named by SPRALLION_VIDEO ("headless" or "sdl"); by default the real one
// when it opens, else headless. Writes one line saying which was chosen.
std::unique_ptr<Presenter> CreatePresenter(const std::string& title = "Sprallion");

// Where the display's log lines go: stderr until the program's log takes over.
void SetLogSink(std::function<void(const std::string&)> sink);
void Log(const std::string& line);

// Encodes an RGB565 frame as a bottom-up 24-bit BMP.
std::vector<uint8_t> EncodeBmp(const Frame& frame);

}  // namespace platform::display
