// The heads-up widgets: panel, progress bar, count, icon, count array, text and data text.
#include "engine/gpInterface.h"

#include "engine/gpClasses.h"
#include "engine/gpEffects.h"
#include "engine/gpMouse.h"
#include "engine/gpRegisters.h"
#include "engine/gpUtils.h"
#include "media/DXClass.h"
#include "media/DXDrawsPicture.h"
#include "rtl/Format.h"

#include <algorithm>

namespace engine {

RTL_REGISTER_CLASS(TGPGameInterface);
RTL_REGISTER_CLASS(TGPPanel);
RTL_REGISTER_CLASS(TGPProgress);
RTL_REGISTER_CLASS(TGPCount);
RTL_REGISTER_CLASS(TGPIcon);
RTL_REGISTER_CLASS(TGPCountArray);
RTL_REGISTER_CLASS(TGPText);
RTL_REGISTER_CLASS(TGPDataText);

// ---- Base ----

void TGPGameInterface::DescribeClass(rtl::ClassBuilder<TGPGameInterface>& c) {
    using T = TGPGameInterface;
    c.Property("PatternWidth", Member<T>(&T::PatternWidth))
        .Property("PatternHeight", Member<T>(&T::PatternHeight))
        .Property("Left", Member<T>(&T::Left))
        .Property("Top", Member<T>(&T::Top))
        .Property("FlagChange", Member<T>(&T::FlagChange))
        .Property("MinValue", Member<T>(&T::MinValue))
        .Property("MaxValue", Member<T>(&T::MaxValue), &T::SetMaxValue);
}

void AdoptHudWidget(TGPKernel& kernel, std::unique_ptr<TGPGameInterface> widget) { kernel.AddPanel(std::move(widget)); }

TGPGameInterface::~TGPGameInterface() {
    if (!field_ || field_->Owner() != this) return;
    // The variable stays with the kernel: another widget that shows it becomes its owner.
    GPFieldOwner* next = nullptr;
    if (Kernel)
        for (const auto& p : Kernel->Panels)
            if (auto* w = dynamic_cast<TGPGameInterface*>(p.get()); w && w != this && w->field_ == field_) next = w;
    field_->SetOwner(next);
}

void TGPGameInterface::SetField(TGPField* field) { field_ = field; }

void TGPGameInterface::BindField(TGPField*& field, TGPFieldType type) {
    if (type == ftNo) {
        field_ = nullptr;
    } else if (field) {
        field_ = field;  // shared with the widget that made it
        if (!field->Owner()) field->SetOwner(this);
    } else if (Kernel && Kernel->Data) {
        Kernel->Data->AddField(this, type, field);
        field_ = field;
    }
}

void TGPGameInterface::FieldGone(TGPField* field) {
    if (field_ == field) field_ = nullptr;
    if (!Kernel) return;
    for (const auto& p : Kernel->Panels)
        if (auto* w = dynamic_cast<TGPGameInterface*>(p.get()); w && w->field_ == field) w->field_ = nullptr;
}

// ---- Panel ----

TGPPanel::~TGPPanel() {
    // The widgets it drew stay in the kernel's list: they lose their parent.
    for (TGPInterface* child : children_) {
        child->panel_ = nullptr;
        child->parentWidget_ = nullptr;
    }
}

void TGPPanel::Create(TObject* owner, int32_t id) {
    TGPGameInterface::Create(owner, id);
    description_ = Kernel ? ListAnimateInterface().FindOrLoad(Kernel->Resources(), id) : nullptr;
    if (!description_) return;
    PatternWidth = description_->PatternWidth;
    PatternHeight = description_->PatternHeight;
    if (description_->Position == 0) {
        Left = description_->Left;
        Top = description_->Top;
    }
}

void TGPPanel::LoadOneSlide(int32_t state) {
    // The panel's one slide is its description.
    DrawEnabled = state == 1 && description_;
}

void TGPPanel::Draw() {
    if (!Visible || !DrawEnabled || !Kernel || !description_ || !Kernel->PanelRegister) return;
    media::TPictureCollectionItem* picture =
        LoadInterfacePicture(*Kernel->PanelRegister, *Kernel, *description_, Kernel->Display());
    if (!picture) return;
    const TPoint p = WidgetScreenPos(*this);
    DrawPicture(*Kernel, *picture, p, 0);
    // A widget may leave the list while it draws: the bound is read again each time.
    for (int i = 0; i < children_.Count(); ++i) {
        TGPInterface* child = children_.Items(i);
        child->FlagChange = FlagChange;
        child->Draw();
    }
    if ((Kernel->Flags & (1u << 4)) &&
        media::PointInRect({Kernel->MouseX, Kernel->MouseY}, rtl::Bounds(p.X, p.Y, PatternWidth, PatternHeight)))
        SetMouseCursor(2, this);
}

// ---- Progress ----

void TGPProgress::Create(TObject* owner, int32_t id) {
    TGPGameInterface::Create(owner, id);
    if (Kernel)
        if (auto* phantom = dynamic_cast<TGPPhantom*>(Kernel->CreateObject(1, this, true, id))) {
            phantomHandle_ = phantom->Handle();
            phantomGeneration_ = phantom->Generation();
        }
    Visible = true;
}

TGPProgress::~TGPProgress() {
    if (TGPPhantom* phantom = Phantom(); phantom && Kernel) Kernel->FreeObject(1, phantom);
    phantomHandle_ = 0;
}

TGPPhantom* TGPProgress::Phantom() const {
    auto* phantom = dynamic_cast<TGPPhantom*>(TGPStructure::FromHandle(phantomHandle_, phantomGeneration_));
    return phantom && !phantom->Carrion ? phantom : nullptr;
}

int32_t TGPProgress::PhantomFrames() const {
    const TGPPhantom* phantom = Phantom();
    return phantom && phantom->Effect() ? phantom->Effect()->LinesWidth : 0;
}

media::TPictureCollectionItem* TGPProgress::PhantomPicture() {
    TGPPhantom* phantom = Phantom();
    if (!phantom || !phantom->Effect() || !Kernel || !Kernel->EffectsRegister) return nullptr;
    if (!phantom->Picture)
        phantom->Picture = LoadEffectPicture(*Kernel->EffectsRegister, *Kernel, *phantom->Effect(), Kernel->Display());
    return phantom->Picture;
}

int32_t TGPProgress::StepFrame(int32_t frame) {
    TGPPhantom* phantom = Phantom();
    if (!phantom) return frame;
    phantom->EffectFrame = frame;
    return phantom->NextFrame();
}

void TGPProgress::DrawPhantom(media::TPictureCollectionItem& picture, TPoint p, int32_t frame) {
    if (TGPPhantom* phantom = Phantom()) {
        phantom->SetParam(2, p.X);
        phantom->SetParam(3, p.Y);
    }
    DrawPicture(*Kernel, picture, p, frame);
}

void TGPProgress::SetMaxValue(int32_t value) {
    MaxValue = value;
    // A slide without frames gives no step: the bar draws nothing.
    const int32_t frames = PhantomFrames();
    Step = frames > 0 ? int32_t(std::clamp<int64_t>((int64_t(MaxValue) - MinValue) / frames, INT32_MIN, INT32_MAX)) : 0;
}

void TGPProgress::Draw() {
    if (!Visible || !DrawEnabled || Step == 0 || !Kernel) return;
    media::TPictureCollectionItem* picture = PhantomPicture();
    if (!picture) return;
    const int32_t last = std::max(PhantomFrames() - 1, 0);
    const int64_t v = ValueToInteger(GetFieldValue(Field()));
    // A value below the range shows the first frame, one beyond it the last.
    const int32_t frame = int32_t(std::clamp<int64_t>(v / Step, 0, last));
    const int32_t shown = std::clamp(StepFrame(frame), 0, last);
    DrawPhantom(*picture, WidgetScreenPos(*this), shown);
}

// ---- Count ----

void TGPCount::Draw() {
    if (!Visible || !DrawEnabled || !Kernel) return;
    TGPField* field = Field();
    int64_t v = !field ? MinValue : field->FieldType() == ftInteger ? ValueToInteger(field->ReadValue()) : 0;
    v = std::min<int64_t>(std::max<int64_t>(v, MinValue), MaxValue);
    media::TPictureCollectionItem* picture = PhantomPicture();
    if (v <= 0 || !picture) return;
    const int32_t frame = StepFrame(CountFrame);
    const TPoint p = WidgetScreenPos(*this);
    const int32_t width = Phantom()->Width;
    // Side by side up to the surface's right edge.
    const int64_t edge = Kernel->SurfaceWidth();
    for (int64_t i = 0; i < v; ++i) {
        const int64_t x = int64_t(p.X) + i * width;
        if (x >= edge) break;
        DrawPhantom(*picture, {int32_t(x), p.Y}, frame);
        if (width <= 0) break;
    }
}

// ---- Icon ----

void TGPIcon::SetPictures(const std::vector<int32_t>& list, int32_t high) {
    const size_t n = high < 0 ? 0 : std::min(list.size(), size_t(high) + 1);
    Pictures.assign(list.begin(), list.begin() + ptrdiff_t(n));
}

void TGPIcon::Draw() {
    if (!Visible || !DrawEnabled || !Kernel) return;
    TGPPhantom* phantom = Phantom();
    if (!phantom) return;
    if (TGPField* field = Field(); field && field->FieldType() == ftInteger) {
        const int64_t i = int64_t(ValueToInteger(field->ReadValue())) - 1;
        if (i >= 0 && i < int64_t(Pictures.size()) && Pictures[size_t(i)] != phantom->IDClass)
            phantom->SetIDClass(Pictures[size_t(i)]);
    }
    media::TPictureCollectionItem* picture = PhantomPicture();
    if (!picture) return;
    DrawPhantom(*picture, WidgetScreenPos(*this), phantom->NextFrame());
}

// ---- Count array ----

void TGPCountArray::Draw() {
    if (!Visible || !DrawEnabled || !Kernel) return;
    TGPField* field = Field();
    media::TPictureCollectionItem* picture = PhantomPicture();
    if (!field || !picture) return;
    const bool array = field->FieldType() == ftArray;
    const int32_t n = array ? field->Count() : 1;
    const int32_t last = PhantomFrames() - 1;
    const TPoint p = WidgetScreenPos(*this);
    const int32_t width = Phantom()->Width;
    const int64_t edge = Kernel->SurfaceWidth();
    for (int32_t i = 0; i < n; ++i) {
        const int64_t x = int64_t(p.X) + int64_t(i) * width;
        if (x >= edge) break;
        const int32_t element = array ? field->ReadItem(i) : ValueToInteger(field->ReadValue());
        if (element < 0 || element > last) continue;  // no such frame: nothing
        DrawPhantom(*picture, {int32_t(x), p.Y}, element);
    }
}

// ---- Texts ----

void TGPText::DescribeClass(rtl::ClassBuilder<TGPText>& c) {
    using T = TGPText;
    c.ObjectProperty<TGPFont>("Font", &T::GetFont).Enum("Alignment", &T::Alignment, TGPAlignmentType);
}

TGPText::TGPText() { EnsureFont(); }

void TGPText::Create(TObject* owner, int32_t id) {
    TGPGameInterface::Create(owner, id);
    TGPFont& font = EnsureFont();
    font.Name = "Arial";
    font.Size = 12;
    PatternWidth = 100;
    PatternHeight = 40;
    Text.clear();
}

void TGPText::Draw() {
    if (!Visible || !DrawEnabled || !Kernel || !Font || Font->Name.empty() || Text.empty()) return;
    const TGPFont& font = *Font;
    const TPoint p = WidgetScreenPos(*this);
    TWidgetText t;
    t.Text = Text;
    t.Rect = rtl::Bounds(p.X, p.Y, PatternWidth, PatternHeight);
    t.Format = AlignmentFlags(Alignment);
    t.Color = uint32_t(font.ColorFront);
    // The heads-up effects: the size of the one copy, and the offset when aligned.
    if (font.DSize != 0) {
        const int b = font.CopiesDirection == cdUp ? 1 : 0;
        t.HasPoints = true;
        t.Points = RoundToInt(((b - 1) * double(font.DSize) + 1) * font.Size);
    }
    if (Alignment != gaNo) {
        const int32_t dx = RoundToInt(font.DX), dy = RoundToInt(font.DY);
        t.Rect = {t.Rect.Left + dx, t.Rect.Top + dy, t.Rect.Right + dx, t.Rect.Bottom + dy};
    }
    DrawWidgetText(*Kernel, font, t);
}

void TGPDataText::DescribeClass(rtl::ClassBuilder<TGPDataText>& c) {
    c.Property("TxtFormat", &TGPDataText::TxtFormat).Property("Offset", &TGPDataText::Offset);
}

void TGPDataText::Draw() {
    TGPField* field = Field();
    if (!field) return;
    if (TxtFormat.empty()) {
        Text = field->AsString();
    } else if (field->FieldType() == ftInteger) {
        const int64_t v = int64_t(ValueToInteger(field->ReadValue())) + Offset;
        try {
            Text = rtl::Format(TxtFormat, {v});
        } catch (...) {
            TxtFormat.clear();  // the next frames show the plain value
            throw;
        }
    }
    TGPText::Draw();
}

}  // namespace engine
