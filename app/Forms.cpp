#include "app/Forms.h"

#include <algorithm>
#include <exception>

#include "app/StdCtrls.h"
#include "platform/input/VirtualKeys.h"
#include "platform/window/Application.h"
#include "platform/window/EventPump.h"
#include "platform/window/ModalLoop.h"

namespace app {

namespace pw = platform::window;

namespace {
std::vector<TForm*>& ModalForms() {
    static std::vector<TForm*> forms;
    return forms;
}
}  // namespace

TForm* ActiveForm() { return ModalForms().empty() ? nullptr : ModalForms().back(); }

TForm::TForm(std::string name) : name_(std::move(name)) {}

TForm::~TForm() {
    if (window_) window_->SetHandler(nullptr);
}

void TForm::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    if (window_) window_->SetTitle(caption_);
}

void TForm::SetClientSize(int32_t width, int32_t height) {
    clientWidth_ = std::max(width, 1);
    clientHeight_ = std::max(height, 1);
    if (window_) window_->Resize(clientWidth_, clientHeight_);
    dirty_ = true;
}

pw::DialogWindow& TForm::Window() {
    if (!window_) {
        window_ = pw::CreateDialogWindow(Decorated, Pump ? *Pump : pw::MainPump());
        window_->Resize(clientWidth_, clientHeight_);
        window_->SetTitle(caption_);
        window_->SetHandler([this](const pw::WindowEvent& e) { OnWindowEvent(e); });
        window_->SetHitTest([this](int32_t x, int32_t y) { return HitTest(x, y); });
        window_->SetBlockedHandler([this](const pw::WindowEvent& e) {
            try {
                BlockedInput(e);
            } catch (...) {
                pw::App().HandleException(std::current_exception());
            }
        });
    }
    return *window_;
}

void TForm::SetWindowRgn(const pw::Region& region) { Window().SetShape(region); }

void TForm::PlaceWindow() {
    if (Position != TPosition::poDesigned) Window().CenterOnDisplayOf(OwnerWindowId);
}

int32_t TForm::ShowModal() {
    ModalResult = mrNone;
    pw::DialogWindow& window = Window();
    FormShow();
    PlaceWindow();
    if (!active_ || !active_->CanFocus()) {
        active_ = nullptr;
        SelectNext(true);
    }
    PaintTo(window.Frame());
    dirty_ = false;
    showing_ = true;
    window.ShowModal(OwnerWindowId);
    ModalForms().push_back(this);
    try {
        pw::RunModal(
            [this] {
                Update();
                return ModalResult != mrNone;
            },
            Pump ? *Pump : pw::MainPump());
    } catch (...) {
        std::erase(ModalForms(), this);
        Hide();
        throw;
    }
    std::erase(ModalForms(), this);
    if (ModalResult == mrNone) ModalResult = mrCancel;
    Hide();
    return ModalResult;
}

void TForm::Hide() {
    showing_ = false;
    SetHover(nullptr);
    captured_ = nullptr;
    for (TControl* c : controls_) c->pressed_ = false;
    if (window_) window_->Hide();
}

void TForm::Close() {
    if (ModalResult == mrNone) ModalResult = mrCancel;
}

TControl* TForm::FindControl(std::string_view name) const {
    for (TControl* c : controls_)
        if (c->Name() == name) return c;
    return nullptr;
}

TControl* TForm::ControlAt(int32_t x, int32_t y) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        const TRect& r = (*it)->BoundsRect();
        if ((*it)->Visible() && x >= r.Left && y >= r.Top && x < r.Right && y < r.Bottom) return *it;
    }
    return nullptr;
}

void TForm::SetActiveControl(TControl* control) {
    if (control && !control->CanFocus()) return;
    if (control == active_) return;
    active_ = control;
    dirty_ = true;
}

void TForm::SelectNext(bool forward) {
    std::vector<TControl*> stops;
    for (TControl* c : controls_)
        if (c->CanFocus()) stops.push_back(c);
    if (stops.empty()) return;
    auto at = std::find(stops.begin(), stops.end(), active_);
    if (at == stops.end()) {
        SetActiveControl(forward ? stops.front() : stops.back());
        return;
    }
    const ptrdiff_t n = ptrdiff_t(stops.size()), i = at - stops.begin();
    SetActiveControl(stops[size_t(((forward ? i + 1 : i - 1) % n + n) % n)]);
}

TButtonControl* TForm::DefaultButton() const {
    for (TControl* c : controls_)
        if (auto* b = dynamic_cast<TButtonControl*>(c); b && b->Default) return b;
    return nullptr;
}

TButtonControl* TForm::CancelButton() const {
    for (TControl* c : controls_)
        if (auto* b = dynamic_cast<TButtonControl*>(c); b && b->Cancel) return b;
    return nullptr;
}

void TForm::Update() {
    if (!dirty_ || !window_ || !showing_) return;
    PaintTo(window_->Frame());
    dirty_ = false;
    window_->Present();
}

void TForm::PaintTo(pw::DialogFrame& frame) {
    if (frame.Width != clientWidth_ || frame.Height != clientHeight_) {
        frame.Width = clientWidth_;
        frame.Height = clientHeight_;
        frame.Pixels.assign(size_t(clientWidth_) * size_t(clientHeight_), 0);
    }
    TCanvas canvas(frame);
    canvas.Font = Font;
    FormPaint(canvas);
    for (TControl* c : controls_) {
        if (!c->Visible()) continue;
        TCanvas part = canvas.Part(c->BoundsRect());
        part.Font = c->Font;
        c->Paint(part);
    }
}

void TForm::FormPaint(TCanvas& canvas) { canvas.FillRect({0, 0, clientWidth_, clientHeight_}, Color); }

pw::HitArea TForm::HitTest(int32_t, int32_t) const { return pw::HitArea::Client; }

void TForm::BlockedInput(const pw::WindowEvent& e) {
    if (window_ && (e.Type == pw::EventType::FocusGained || e.Type == pw::EventType::MouseDown)) window_->Raise();
}

void TForm::CancelKey() {
    if (TButtonControl* b = CancelButton(); b && b->Visible() && b->Enabled())
        b->Click();
    else
        ModalResult = mrCancel;
}

void TForm::AddControl(TControl& control) {
    controls_.push_back(&control);
    dirty_ = true;
}

void TForm::RemoveControl(TControl& control) {
    std::erase(controls_, &control);
    if (active_ == &control) active_ = nullptr;
    if (hover_ == &control) hover_ = nullptr;
    if (captured_ == &control) captured_ = nullptr;
    dirty_ = true;
}

void TForm::ControlChanged(TControl& control) {
    if (active_ == &control && !control.CanFocus()) active_ = nullptr;
    if (!control.Visible()) {
        if (hover_ == &control) SetHover(nullptr);
        if (captured_ == &control) captured_ = nullptr;
        control.pressed_ = false;
    }
    dirty_ = true;
}

void TForm::SetHover(TControl* control) {
    if (control == hover_) return;
    if (TControl* old = hover_) {
        hover_ = nullptr;
        old->mouseIn_ = false;
        old->MouseLeave();
    }
    hover_ = control;
    if (control) {
        control->mouseIn_ = true;
        control->MouseEnter();
    }
    if (window_)
        window_->SetCursor(control && control->Cursor == TCursor::crHandPoint ? pw::PointerShape::Hand
                                                                              : pw::PointerShape::Arrow);
}

void TForm::OnWindowEvent(const pw::WindowEvent& e) {
    try {
        switch (e.Type) {
            case pw::EventType::MouseMove:
            case pw::EventType::MouseDown:
            case pw::EventType::MouseUp:
            case pw::EventType::MouseWheel: HandleMouse(e); break;
            case pw::EventType::MouseLeave: SetHover(nullptr); break;
            case pw::EventType::KeyDown: HandleKey(e.Key, e.Modifiers); break;
            case pw::EventType::Close: CloseBox(); break;
            case pw::EventType::Exposed:
                if (showing_) window_->Present();
                break;
            case pw::EventType::DisplayChanged: DisplayChanged(); break;
            case pw::EventType::FocusGained: FocusChanged(true); break;
            case pw::EventType::FocusLost: FocusChanged(false); break;
            default: break;
        }
    } catch (...) {
        pw::App().HandleException(std::current_exception());
    }
    Update();
}

void TForm::HandleMouse(const pw::WindowEvent& e) {
    const TShiftState shift = e.Modifiers;
    if (e.Type == pw::EventType::MouseWheel) {
        if (active_ && active_->MouseWheel(e.Y)) return;
        if (hover_ && hover_->Visible() && hover_->Enabled()) hover_->MouseWheel(e.Y);
        return;
    }
    SetHover(ControlAt(e.X, e.Y));
    const auto button = static_cast<TMouseButton>(std::clamp(e.Button, 0, 2));
    auto local = [&](TControl& c, auto call) { call(c, e.X - c.Left(), e.Y - c.Top()); };
    switch (e.Type) {
        case pw::EventType::MouseMove:
            if (TControl* target = captured_ ? captured_ : hover_)
                local(*target, [&](TControl& c, int32_t x, int32_t y) { c.MouseMove(shift, x, y); });
            break;
        case pw::EventType::MouseDown: {
            TControl* target = captured_ ? captured_ : hover_;
            if (!target) {
                if (OnMouseDown) OnMouseDown(this);
                break;
            }
            if (!target->Enabled()) break;  // a disabled control takes no press
            captured_ = target;
            if (target->CanFocus()) SetActiveControl(target);
            local(*target, [&](TControl& c, int32_t x, int32_t y) { c.MouseDown(button, shift, x, y); });
            break;
        }
        case pw::EventType::MouseUp: {
            TControl* target = captured_ ? captured_ : hover_;
            captured_ = nullptr;
            if (target && target->Enabled())
                local(*target, [&](TControl& c, int32_t x, int32_t y) { c.MouseUp(button, shift, x, y); });
            break;
        }
        default: break;
    }
}

void TForm::HandleKey(uint32_t key, TShiftState shift) {
    namespace vk = platform::input::vk;
    if (key == vk::Tab) {
        SelectNext((shift & pw::kShiftKey) == 0);
        return;
    }
    if (key == vk::Escape) {
        CancelKey();
        return;
    }
    if (active_ && active_->CanFocus() && active_->KeyDown(key, shift)) return;
    if (key == vk::Return)
        if (TButtonControl* b = DefaultButton(); b && b->Visible() && b->Enabled()) b->Click();
}

}  // namespace app
