// The dialog window's common part (routing, shape, frame) and the headless backend.
#include "platform/window/DialogWindow.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>

#include "platform/window/BmpFile.h"
#include "platform/window/Clipboard.h"
#include "platform/window/EventPump.h"

namespace platform::window {

namespace {

// Events at a point of the window (the wheel's carry its steps instead).
bool Pointed(EventType type) {
    return type == EventType::MouseMove || type == EventType::MouseDown || type == EventType::MouseUp;
}

struct HeadlessScreen {
    int32_t Width = 800, Height = 600;
};
HeadlessScreen& Screen() {
    static HeadlessScreen screen;
    return screen;
}

}  // namespace

std::vector<uint8_t> EncodeFrameBmp(const DialogFrame& frame) {
    return EncodeBmp24(frame.Width, frame.Height, [&frame](int32_t x, int32_t y) { return frame.At(x, y); });
}

DialogWindow::DialogWindow(uint32_t id, bool decorated, EventPump& pump)
    : pump_(pump), id_(id), decorated_(decorated) {}

DialogWindow::~DialogWindow() {
    if (modal_) pump_.PopModal(id_);
    if (attached_) pump_.Unregister(id_);
}

void DialogWindow::Attach() {
    attached_ = true;
    pump_.Register(id_, [this](const WindowEvent& e) { Route(e); });
}

void DialogWindow::Route(const WindowEvent& e) {
    if (Pointed(e.Type)) {
        const bool inClient = e.X >= 0 && e.Y >= 0 && e.X < frame_.Width && e.Y < frame_.Height;
        const bool inside = inClient && (!hasShape_ || shape_.Contains(e.X, e.Y));
        // Outside the shape the pointer is over whatever lies below; a button held since a
        // press inside keeps the pointer here until it is released.
        if (!inside && (buttons_ == 0 || e.Type == EventType::MouseDown)) return;
        if (e.Type == EventType::MouseDown) buttons_ |= 1u << (e.Button & 7);
        if (e.Type == EventType::MouseUp) buttons_ &= ~(1u << (e.Button & 7));
    }
    if (e.Type == EventType::Moved) left_ = e.X, top_ = e.Y;
    if (WindowManagerTakes(e)) return;
    Deliver(e);
}

void DialogWindow::Deliver(const WindowEvent& event) {
    if (handler_) handler_(event);
}

void DialogWindow::Resize(int32_t width, int32_t height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == frame_.Width && height == frame_.Height) return;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0);
    for (int32_t y = 0; y < std::min(height, frame_.Height); ++y)
        std::copy_n(frame_.Pixels.begin() + ptrdiff_t(y) * frame_.Width, std::min(width, frame_.Width),
                    pixels.begin() + ptrdiff_t(y) * width);
    frame_.Width = width;
    frame_.Height = height;
    frame_.Pixels = std::move(pixels);
    if (hasShape_) {
        shape_.Intersect({0, 0, width, height});
        ApplyShape();
    }
}

void DialogWindow::SetShape(const Region& shape) {
    shape_ = shape;
    shape_.Intersect({0, 0, frame_.Width, frame_.Height});
    hasShape_ = true;
    ApplyShape();
}

void DialogWindow::ClearShape() {
    shape_ = Region();
    hasShape_ = false;
    ApplyShape();
}

void DialogWindow::ShowModal(uint32_t) {
    if (!modal_) {
        modal_ = true;
        // Input meant for another window of ours, or one of them taking the focus, brings
        // this one to the front instead.
        pump_.PushModal(
            id_,
            [this](const WindowEvent& e) {
                if (blocked_)
                    blocked_(e);
                else if (e.Type == EventType::FocusGained || e.Type == EventType::MouseDown)
                    Raise();
            },
            [this] { Raise(); });
    }
    Show();
}

void DialogWindow::Hide() {
    if (modal_) pump_.PopModal(id_);
    modal_ = false;
    visible_ = false;
}

bool DialogWindow::DumpFrame(const std::string& path) const {
    if (frame_.Width <= 0 || frame_.Height <= 0) return false;
    const std::vector<uint8_t> bytes = EncodeFrameBmp(frame_);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

// ---- Headless ----

namespace {

// Ids of headless windows lie far above SDL's, which count from 1.
std::atomic<uint32_t> nextHeadlessId{0x7F000001};

class HeadlessDialogWindow final : public DialogWindow {
public:
    HeadlessDialogWindow(bool decorated, EventPump& pump) : DialogWindow(nextHeadlessId++, decorated, pump) {
        Attach();
    }
    const char* Backend() const override { return "headless"; }
    void SetTitle(std::string_view) override {}
    bool Shaped() const override { return HasShape(); }
    bool CanShape() const override { return true; }
    void MoveTo(int32_t x, int32_t y) override {
        if (x == left_ && y == top_) return;
        left_ = x, top_ = y;
        WindowEvent moved;
        moved.Type = EventType::Moved;
        moved.WindowId = Id();
        moved.X = x, moved.Y = y;
        Deliver(moved);
    }
    void CenterOnDisplayOf(uint32_t) override {
        MoveTo((Screen().Width - Width()) / 2, (Screen().Height - Height()) / 2);
    }
    void Show() override { visible_ = true; }
    void Raise() override {}
    void Present() override {}
    bool CopyText(std::string_view text) override { return TheClipboard().SetText(text); }

protected:
    void ApplyShape() override {}
    // The window manager's dragging: a left press on a caption point, then motion, moves the
    // window so that the point stays under the pointer; the press and the motion are its own.
    bool WindowManagerTakes(const WindowEvent& e) override {
        if (!dragging_) {
            if (e.Type != EventType::MouseDown || e.Button != 0 || HitTestAt(e.X, e.Y) != HitArea::Caption) return false;
            dragging_ = true;
            anchorX_ = e.X, anchorY_ = e.Y;
            return true;
        }
        if (e.Type == EventType::MouseMove) MoveTo(left_ + e.X - anchorX_, top_ + e.Y - anchorY_);
        if (e.Type == EventType::MouseUp && e.Button == 0) dragging_ = false;
        return Pointed(e.Type) || e.Type == EventType::MouseWheel;
    }

private:
    bool dragging_ = false;
    int32_t anchorX_ = 0, anchorY_ = 0;
};

}  // namespace

void SetHeadlessScreen(int32_t width, int32_t height) {
    Screen().Width = width;
    Screen().Height = height;
}

std::unique_ptr<DialogWindow> CreateHeadlessDialogWindow(bool decorated, EventPump& pump) {
    return std::make_unique<HeadlessDialogWindow>(decorated, pump);
}

std::unique_ptr<DialogWindow> CreateDialogWindow(bool decorated, EventPump& pump) {
    const char* video = std::getenv("SPRALLION_VIDEO");
    if (!(video && std::string_view(video) == "headless"))
        if (auto window = CreateSdlDialogWindow(decorated, pump)) return window;
    return CreateHeadlessDialogWindow(decorated, pump);
}

}  // namespace platform::window
