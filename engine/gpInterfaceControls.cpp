// Labels, the focusable controls and the one-line edit.
#include "engine/gpInterface.h"

#include "engine/gpMouse.h"
#include "platform/text/Text.h"

#include <climits>

namespace engine {

RTL_REGISTER_CLASS(TGPLabel);
RTL_REGISTER_CLASS(TGPControls);
RTL_REGISTER_CLASS(TGPEdit);

// ---- Label ----

void TGPLabel::DescribeClass(rtl::ClassBuilder<TGPLabel>& c) {
    using T = TGPLabel;
    c.Property("Text", &T::Text)
        .ObjectProperty<TGPFont>("Font", &T::GetFont)
        .Property("Left", Member<T>(&T::Left))
        .Property("Top", Member<T>(&T::Top))
        .Enum("Alignment", Member<T>(&T::Alignment), TGPAlignmentType)
        .Property("PaintAlways", &T::PaintAlways)
        .Property("Twinkle", &T::Twinkle)
        .Property("FontName", &T::GetFontName, &T::SetFontName)
        .Property("FontSize", &T::GetFontSize, &T::SetFontSize)
        .Property("FontCopies", &T::GetFontCopies, &T::SetFontCopies)
        .Enum("FontCopiesDirection", &T::GetFontCopiesDirection, &T::SetFontCopiesDirection, TCopiesDirectionType)
        .Property("FontDX", &T::GetFontDX, &T::SetFontDX)
        .Property("FontDY", &T::GetFontDY, &T::SetFontDY)
        .Property("FontRotated", &T::GetFontRotated, &T::SetFontRotated)
        .Property("FontColorFront", &T::GetFontColorFront, &T::SetFontColorFront)
        .Property("FontColorBackground", &T::GetFontColorBackground, &T::SetFontColorBackground)
        .Property("FontDirection", &T::GetFontDirection, &T::SetFontDirection);
}

TGPLabel::TGPLabel() { EnsureFont().Name = "Arial"; }

void TGPLabel::Create(TObject* owner, int32_t id) {
    TGPBaseInterface::Create(owner, id);
    NameAfterContainer();
    DrawEnabled = false;
    DrawCounter = 0;
}

void TGPLabel::Draw() {
    if (!Visible || !Kernel) return;
    // Under a menu widget, the label draws in one frame per show: the third after it.
    if (!PaintAlways && dynamic_cast<TGPBaseInterface*>(ParentWidget())) {
        const int32_t before = DrawCounter;
        if (DrawCounter < INT32_MAX) ++DrawCounter;
        if (before != 2) return;
    }
    if (PaintAlways && Twinkle != 0) {
        if (Phase >= Twinkle) {
            Step = -2;
            Phase = Twinkle;
        }
        if (Phase < 1) {
            Step = 1;
            Phase = 0;
        }
        Phase += Step;
        if (Step < 0) return;
    }
    if (!Font || Font->Name.empty() || Text.empty()) return;
    const TPoint p = WidgetScreenPos(*this);
    TWidgetText t;
    t.Text = Text;
    t.Rect = rtl::Bounds(p.X, p.Y, PatternWidth, PatternHeight);
    t.Format = AlignmentFlags(Alignment);
    ApplyFontEffects(*Font, Alignment, t);
    DrawWidgetText(*Kernel, *Font, t);
}

// ---- Controls ----

void TGPControls::DescribeClass(rtl::ClassBuilder<TGPControls>& c) {
    using T = TGPControls;
    c.ObjectProperty<TGPFont>("Font", &T::GetFont)
        .Property("FontName", &T::GetFontName, &T::SetFontName)
        .Property("FontSize", &T::GetFontSize, &T::SetFontSize)
        .Property("FontColorFront", &T::GetFontColorFront, &T::SetFontColorFront)
        .Property("FontColorBackground", &T::GetFontColorBackground, &T::SetFontColorBackground)
        .Event("OnGPKeyDown", &T::OnGPKeyDown);
}

TGPControls::TGPControls() { EnsureFont(); }

void TGPControls::Show(TObject* caller) { ShowControl(caller); }

// ---- Edit ----

void TGPEdit::Create(TObject* owner, int32_t id) {
    TGPControls::Create(owner, id);
    Text = "Text";
    Focused = false;
    Editable = true;
    CaretPhase = 0;
}

void TGPEdit::Draw() {
    if (!Visible || !Kernel) return;
    const TPoint p = WidgetScreenPos(*this);
    TrackMouse(p, PatternWidth, PatternHeight);
    if (IsPressed() && LastPress.Due(PressDebounce)) {
        LastPress.Mark();
        if (Editable) {
            if (Focused) {
                Focused = false;
                if (Kernel->FocusControl == this) Kernel->SetFocusControl(nullptr);
            } else if (Enabled) {
                Focused = true;
                Kernel->SetFocusControl(this);
            }
        }
    }
    if (!Font) return;
    std::string shown = Text;
    if (Focused && Editable) {
        if (LastPress.Due(CaretBlink)) {
            LastPress.Mark();
            CaretPhase ^= 1;
        }
        if (CaretPhase == 0) shown += '|';
    }
    namespace txt = platform::text;
    TWidgetText t;
    t.Text = shown;
    // The edit's own Left and Top: a grid places its editor on the screen this way.
    t.Rect = rtl::Bounds(Left, Top, PatternWidth, PatternHeight);
    t.Format = Focused ? 0 : txt::DT_NOPREFIX | txt::DT_WORDBREAK | txt::DT_VCENTER | txt::DT_CENTER;
    t.Color = uint32_t(Focused ? Font->ColorFront : Font->ColorBackground);
    DrawWidgetText(*Kernel, *Font, t);
}

}  // namespace engine
