// Menu forms, buttons, check boxes and track bars.
#include "engine/gpInterface.h"

#include "engine/gpMouse.h"
#include "media/DXDrawsPicture.h"

#include <algorithm>
#include <typeinfo>

namespace engine {

RTL_REGISTER_CLASS(TGPForm);
RTL_REGISTER_CLASS(TGPButton);
RTL_REGISTER_CLASS(TGPCheckBox);
RTL_REGISTER_CLASS(TGPTrackBar);

const rtl::EnumType TConditionKernelType("TConditionKernel", {"ck_Play", "ck_EndLife", "ck_Designer", "ck_Interface",
                                                             "ck_MainInterface", "ck_EndGames"});

// ---- Form ----

void TGPForm::DescribeClass(rtl::ClassBuilder<TGPForm>& c) {
    using T = TGPForm;
    c.Enum("Alignment", Member<T>(&T::Alignment), TGPAlignmentType)
        .Enum("Condition", &T::Condition, TConditionKernelType)
        .Property("MIDIFile", &T::MIDIFile)
        .Property("TimeShow", &T::TimeShow)
        .Property("TicksShow", &T::TicksShow)
        .Event("OnGPCreate", &T::OnGPCreate)
        .Event("OnGPShow", &T::OnGPShow)
        .Event("OnGPHide", &T::OnGPHide);
}

bool TGPForm::IsExactlyForm() const { return typeid(*this) == typeid(TGPForm); }

void TGPForm::Create(TObject* owner, int32_t id) {
    TGPBaseInterface::Create(owner, id);
    NameAfterContainer();
    PatternIndex = 0;
}

void TGPForm::Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) {
    if (OnGPMove) OnGPMove(this);
    // Only grids move with their form; a handler may change the children, so the bound is
    // read again each time.
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* grid = dynamic_cast<TGPCustomGrid*>(GetChild(i))) grid->Move(mode, rect, list);
    if (TimeShow != 0) {
        ++TicksShow;
        if (int32_t(TicksShow) > int32_t(TimeShow) && Kernel) Kernel->CommandLine->AddHide(this);
    }
}

void TGPForm::ShowAs(TObject* caller, TConditionKernel condition) {
    TicksShow = 0;
    SetParentForm(caller);
    // The form behind no longer tracks the mouse: a hover left on its widgets could never be
    // handed back, and would keep this form's widgets from taking it.
    if (IsExactlyForm() && Kernel) Kernel->HoverWidget(nullptr);
    ResetCounters();
    const bool overGame = condition == ck_Interface;
    if (overGame && OnGPShow) OnGPShow(this);
    if (Kernel) Kernel->SetCondition(condition);
    if (Kernel && Kernel->Mouse && Cursor != -1) Kernel->Mouse->Show(this);
    for (int i = 0; i < ChildCount(); ++i) GetChild(i)->Show(this);
    if (!overGame && OnGPShow) OnGPShow(this);
    Visible = true;
    if (IsExactlyForm() && Kernel && Kernel->MouseControl && Kernel->HasPlayerObject()) Kernel->SetCursorToObject(this);
}

int32_t TGPForm::ShowMain(TObject* caller) {
    ShowAs(caller, ck_MainInterface);
    return 0;
}

void TGPForm::Show(TObject* caller) { ShowAs(caller, ck_Interface); }

void TGPForm::Hide() {
    TGPBaseInterface::Hide();
    if (!IsExactlyForm()) return;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* child = dynamic_cast<TGPBaseInterface*>(GetChild(i))) child->FreePictures();
    if (!Kernel) return;
    Kernel->HoverWidget(nullptr);
    DropKeyboardFocus();
    // The focus goes back to the form that had it when this one was shown.
    if (Kernel->FocusForm == this) Kernel->FocusForm = PreviousFocus;
    RestorePrevious();
    if (OnGPHide) OnGPHide(this);
}

void TGPForm::DropKeyboardFocus() {
    auto* control = dynamic_cast<TGPInterface*>(Kernel->FocusControl);
    // Up the control's parent widgets to this form; the bound keeps a damaged chain from looping.
    TGPInterface* w = control ? control->ParentWidget() : nullptr;
    for (int depth = 0; w && w != this && depth < 64; ++depth) w = w->ParentWidget();
    if (w != this) return;
    // A control of a hidden form takes no keys: typing in the next panel would change it unseen.
    if (auto* edit = dynamic_cast<TGPEdit*>(control)) edit->Focused = false;
    Kernel->SetFocusControl(nullptr);
}

void TGPForm::RestorePrevious() {
    if (!IsExactlyForm() || !Kernel) return;
    TGPKernel& kernel = *Kernel;
    auto* focus = dynamic_cast<TGPForm*>(kernel.FocusForm);
    if (focus && focus->Visible) {
        kernel.SetCondition(focus->Condition);
        return;
    }
    if (!kernel.RestorePending) return;
    kernel.SetCondition(kernel.SavedCondition);
    kernel.RestorePending = false;
    if (kernel.SavedCondition == ck_Play && kernel.Mouse && Cursor != -1) kernel.Mouse->Hide();
}

void TGPForm::DrawChildren() {
    for (int i = 0; i < ChildCount(); ++i) {
        auto* child = dynamic_cast<TGPInterface*>(GetChild(i));
        if (!child) continue;
        child->FlagChange = FlagChange;
        child->Draw();
    }
}

void TGPForm::Draw() {
    if (!Visible || !Kernel) return;
    TPoint p = WidgetScreenPos(*this);
    if (Alignment == gaCenter) {
        CenterOnSurface(*this, p);
        Left = p.X, Top = p.Y;  // the children follow the form
    }
    media::TPictureCollectionItem* picture = Picture(true);
    if (!picture) return;
    DrawPicture(*Kernel, *picture, p, 0);
    TrackMouse(p, PatternWidth, PatternHeight);
    DrawChildren();
}

// ---- Button ----

void TGPButton::DescribeClass(rtl::ClassBuilder<TGPButton>& c) {
    using T = TGPButton;
    c.Property("Enabled", &T::Enabled)
        .Property("Left", Member<T>(&T::Left))
        .Property("Top", Member<T>(&T::Top))
        .Property("FocusAnimat", &T::FocusAnimat);
}

void TGPButton::ShowControl(TObject* caller) {
    SetParentForm(caller);
    if (OnGPShow) OnGPShow(this);
    Visible = true;
}

void TGPButton::Show(TObject* caller) { ShowControl(caller); }
void TGPButton::Hide() { TGPForm::Hide(); }

int32_t TGPButton::ShowMain(TObject*) {
    Visible = true;
    return 0;
}

namespace {
// Where a control is drawn and pressed: its screen position, centred for gaCenter. (Hover
// and press are tested where the control is drawn.)
TPoint ControlPos(const TGPBaseInterface& control) {
    TPoint p = WidgetScreenPos(control);
    if (control.Alignment == gaCenter) CenterOnSurface(control, p);
    return p;
}
}  // namespace

void TGPButton::Draw() {
    if (!Visible || !Kernel) return;
    const TPoint p = ControlPos(*this);
    TrackMouse(p, PatternWidth, PatternHeight);
    if (!Enabled) {
        PatternIndex = 0;
    } else if (IsHovered()) {
        PatternIndex = 1;
        if (Kernel->Mouse->Pressed) {
            if (OnGPMouseDown) OnGPMouseDown(this);  // every frame while held
            PatternIndex = 3;
        }
    } else {
        PatternIndex = 2;
    }
    if (media::TPictureCollectionItem* picture = Picture(true)) DrawPicture(*Kernel, *picture, p, PatternIndex);
}

// ---- Check box ----

void TGPCheckBox::DescribeClass(rtl::ClassBuilder<TGPCheckBox>& c) { c.Property("Checked", &TGPCheckBox::Checked); }

void TGPCheckBox::Create(TObject* owner, int32_t id) {
    TGPButton::Create(owner, id);
    LastPress.Reset();
}

void TGPCheckBox::Show(TObject* caller) { ShowControl(caller); }
void TGPCheckBox::Hide() { TGPForm::Hide(); }
int32_t TGPCheckBox::ShowMain(TObject* caller) { return TGPButton::ShowMain(caller); }

void TGPCheckBox::Draw() {
    if (!Visible || !Kernel) return;
    media::TPictureCollectionItem* picture = Picture(true);
    if (!picture) return;
    const TPoint p = ControlPos(*this);
    TrackMouse(p, PatternWidth, PatternHeight);
    if (Enabled) {
        const bool hovered = IsHovered();
        if (hovered && Kernel->Mouse->Pressed && LastPress.Due(PressDebounce)) {
            LastPress.Mark();
            Checked = !Checked;
            if (OnGPClick) OnGPClick(this);
        }
        const uint8_t h = hovered ? 1 : 2;
        PatternIndex = Checked ? h + 2 : h;
    } else {
        PatternIndex = 0;
    }
    DrawPicture(*Kernel, *picture, p, PatternIndex);
}

// ---- Track bar ----

void TGPTrackBar::DescribeClass(rtl::ClassBuilder<TGPTrackBar>& c) {
    using T = TGPTrackBar;
    c.Property("Min", &T::Min)
        .Property("Max", &T::Max)
        .Property("Value", &T::Value)
        .Property("Width", Member<T>(&T::Width))
        .Property("Height", Member<T>(&T::Height));
}

void TGPTrackBar::Show(TObject* caller) { ShowControl(caller); }
void TGPTrackBar::Hide() { TGPForm::Hide(); }
int32_t TGPTrackBar::ShowMain(TObject* caller) { return TGPButton::ShowMain(caller); }

int32_t TGPTrackBar::ThumbX(int32_t x) const {
    const double r = Max == Min ? 0.0 : double(Width - 3 * PatternWidth) / (double(Max) - double(Min));
    return RoundToInt(double(x) + Width - 2.0 * PatternWidth - r * (double(Max) - double(Value))) - PatternWidth / 2;
}

void TGPTrackBar::Draw() {
    if (!Visible || !Kernel) return;
    media::TPictureCollectionItem* picture = Picture(true);
    if (!picture || Width == 0 || PatternWidth == 0) return;
    const TPoint p = ControlPos(*this);
    const int32_t pieces = std::max(Width / PatternWidth, 3);
    TrackMouse(p, Width, Height);
    bool up = false, down = false;
    int s = 0;
    if (Enabled) {
        const bool hovered = IsHovered();
        s = hovered ? 2 : 4;
        if (hovered && Kernel->Mouse->Pressed && !(Min == 0 && Max == 0) && Min != Max &&
            LastStep.Due(TrackBarStep)) {
            const int32_t mx = Kernel->MouseX;
            if (int64_t(mx) > int64_t(p.X) + Width / 2 || mx < p.X) {
                up = true;
                if (Value < Max) ++Value;
            } else {
                down = true;
                if (Value > Min) --Value;
            }
            LastStep.Mark();
            if (OnGPClick) OnGPClick(this);  // also at a limit
        }
    }
    DrawPicture(*Kernel, *picture, p, down ? 8 : s);
    // Middle pieces up to the surface's right edge: a bar from data may be very long.
    const int64_t edge = Kernel->SurfaceWidth();
    for (int32_t i = 1; i <= pieces - 3 && int64_t(p.X) + int64_t(i) * PatternWidth < edge; ++i)
        DrawPicture(*Kernel, *picture, {p.X + i * PatternWidth, p.Y}, 10);
    const int64_t rightEnd = int64_t(p.X) + int64_t(pieces - 2) * PatternWidth;
    if (rightEnd < edge) DrawPicture(*Kernel, *picture, {int32_t(rightEnd), p.Y}, up ? 9 : s + 1);
    DrawPicture(*Kernel, *picture, {ThumbX(p.X), p.Y}, 11);
}

}  // namespace engine
