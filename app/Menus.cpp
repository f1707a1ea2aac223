#include "app/Menus.h"

#include <algorithm>
#include <cctype>

#include "app/Forms.h"
#include "platform/input/VirtualKeys.h"

namespace app {

namespace pw = platform::window;
namespace text = platform::text;
namespace vk = platform::input::vk;

namespace {

class TPopupForm;

// One row of the menu: highlighted under the pointer or the keys.
class TMenuRow final : public TControl {
public:
    TMenuRow(TPopupForm& form, int index, std::string caption);
    bool TakesMouse() const override { return true; }
    void MouseEnter() override;
    void Click() override;
    void Paint(TCanvas& canvas) override;
    const std::string Caption;

private:
    TPopupForm& form_;
    int index_;
};

class TPopupForm final : public TForm {
public:
    TPopupForm(const std::vector<TMenuItem>& items, const TFont& font, int32_t x, int32_t y) : TForm("PopupMenu"), x_(x), y_(y) {
        Font = font;
        Position = TPosition::poDesigned;
        Color = clWindow;
        int32_t width = 80, height = 0;
        const int32_t rowHeight = text::GetTextMetrics(*Font.Handle()).Height + 8;
        for (size_t i = 0; i < items.size(); ++i) {
            auto row = std::make_unique<TMenuRow>(*this, int(i), items[i].Caption);
            TRect measure{0, 0, 1000, rowHeight};
            TCanvas probe(measureFrame_);
            probe.Font = Font;
            probe.TextRect(measure, items[i].Caption, text::DT_SINGLELINE | text::DT_CALCRECT);
            width = std::max(width, measure.Width() + 40);
            row->SetBounds(2, 2 + height, 0, rowHeight);
            height += rowHeight;
            rows_.push_back(std::move(row));
        }
        for (auto& row : rows_) row->SetBounds(2, row->Top(), width - 4, rowHeight);
        SetClientSize(width, height + 4);
    }

    int Highlighted() const { return highlighted_; }
    void Highlight(int index) {
        highlighted_ = index;
        InvalidateAll();
    }
    void Choose(int index) {
        chosen_ = index;
        ModalResult = mrOk;
    }
    int Chosen() const { return chosen_; }

    void FormShow() override { Window().MoveTo(x_, y_); }
    void FormPaint(TCanvas& canvas) override {
        const TRect r{0, 0, ClientWidth(), ClientHeight()};
        canvas.FillRect(r, Color);
        canvas.FrameRect(r, clBtnShadow);
    }
    void FocusChanged(bool gained) override {
        if (!gained) Close();
    }
    void BlockedInput(const pw::WindowEvent& e) override {
        if (e.Type == pw::EventType::MouseDown || e.Type == pw::EventType::FocusGained) Close();
    }
    bool KeyDown(uint32_t key) {
        const int n = int(rows_.size());
        if (key == vk::Up || key == vk::Down) {
            Highlight(highlighted_ < 0 ? (key == vk::Down ? 0 : n - 1) : (highlighted_ + (key == vk::Down ? 1 : n - 1)) % n);
            return true;
        }
        if (key == vk::Return && highlighted_ >= 0) {
            Choose(highlighted_);
            return true;
        }
        // An item's key: the letter after its '&'.
        for (int i = 0; i < n; ++i) {
            const std::string& c = rows_[size_t(i)]->Caption;
            const size_t amp = c.find('&');
            if (amp + 1 < c.size() && std::toupper(static_cast<unsigned char>(c[amp + 1])) == int(key)) {
                Choose(i);
                return true;
            }
        }
        return false;
    }

private:
    pw::DialogFrame measureFrame_;
    std::vector<std::unique_ptr<TMenuRow>> rows_;
    int32_t x_, y_;
    int highlighted_ = -1;
    int chosen_ = -1;
};

TMenuRow::TMenuRow(TPopupForm& form, int index, std::string caption)
    : TControl(form, "Item" + std::to_string(index)), Caption(std::move(caption)), form_(form), index_(index) {}

void TMenuRow::MouseEnter() { form_.Highlight(index_); }

void TMenuRow::Click() { form_.Choose(index_); }

void TMenuRow::Paint(TCanvas& canvas) {
    const bool lit = form_.Highlighted() == index_;
    if (lit) canvas.FillRect(ClientRect(), clHighlight);
    TRect r{20, 0, Width() - 8, Height()};
    canvas.TextRect(r, Caption, text::DT_SINGLELINE | text::DT_VCENTER, lit ? clHighlightText : Font.Color);
}

// The menu's keys come through its one focusable row stand-in: the form's key handling
// gives a key to the focused control, so the keys go to a control that forwards them.
class TMenuKeys final : public TControl {
public:
    explicit TMenuKeys(TPopupForm& form) : TControl(form, "Keys"), form_(form) { SetBounds(0, 0, 0, 0); }
    bool TabStop() const override { return true; }
    bool KeyDown(uint32_t key, TShiftState) override { return form_.KeyDown(key); }
    void Paint(TCanvas&) override {}

private:
    TPopupForm& form_;
};

}  // namespace

void TPopupMenu::Popup(int32_t x, int32_t y) {
    PopupX = x;
    PopupY = y;
    ++Popups;
    if (OnPopup) OnPopup(*this, x, y);
}

int TPopupMenu::TrackPopup(int32_t screenX, int32_t screenY, uint32_t ownerWindowId) {
    if (Items.empty()) return -1;
    int chosen;
    {
        TPopupForm form(Items, Font, screenX, screenY);
        TMenuKeys keys(form);
        form.Pump = Pump;
        form.OwnerWindowId = ownerWindowId;
        form.SetActiveControl(&keys);
        form.ShowModal();
        chosen = form.Chosen();
    }
    if (chosen >= 0) Items[size_t(chosen)].Click();
    return chosen;
}

}  // namespace app
