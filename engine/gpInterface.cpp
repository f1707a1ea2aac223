// The widget base: font, alignment, the two base classes, positions, hover, pictures,
// event binding, the making of menu widgets by class name, and the widgets' text drawing.
#include "engine/gpInterface.h"

#include "engine/gpKernel.h"
#include "engine/gpMouse.h"
#include "engine/gpRegisters.h"
#include "media/DXDraws.h"
#include "media/DXDrawsCanvas.h"
#include "media/DXDrawsPicture.h"
#include "platform/clock/Clock.h"
#include "platform/text/Text.h"
#include "rtl/Format.h"
#include "rtl/Numbers.h"
#include "rtl/Text.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace engine {

RTL_REGISTER_CLASS(TGPFont);
RTL_REGISTER_CLASS(TGPInterface);
RTL_REGISTER_CLASS(TGPBaseInterface);

const rtl::EnumType TGPAlignmentType("TGPAlignment", {"gaNo", "gaLeftJustify", "gaRightJustify", "gaCenter"});
const rtl::EnumType TCopiesDirectionType("TCopiesDirection", {"cdDown", "cdUp"});

// ---- Small helpers ----

bool TPressTime::Due(int32_t interval) const {
    if (!marked_) return true;
    const int32_t elapsed = platform::clock::Elapsed(at_, platform::clock::TickCount());
    // A mark more than 2^31 ms back reads negative: long enough ago.
    return elapsed > interval || elapsed < 0;
}

void TPressTime::Mark() {
    at_ = platform::clock::TickCount();
    marked_ = true;
}

// ---- Font ----

void TGPFont::DescribeClass(rtl::ClassBuilder<TGPFont>& c) {
    using T = TGPFont;
    c.Property("Name", &T::Name)
        .Property("Size", &T::Size)
        .Default(35)
        .Property("Copies", &T::Copies, &T::SetCopies)
        .Default(1)
        .Enum("CopiesDirection", &T::CopiesDirection, TCopiesDirectionType)
        .Property("DX", &T::DX)
        .Property("DY", &T::DY)
        .Property("Rotated", &T::Rotated)
        .Property("DSize", &T::DSize)
        .Property("ColorFront", &T::ColorFront)
        .Default(65280)
        .Property("ColorBackground", &T::ColorBackground)
        .Default(0xFF0000)
        .Property("Direction", &T::Direction);
}

// ---- TGPInterface ----

void TGPInterface::DescribeClass(rtl::ClassBuilder<TGPInterface>& c) { c.Property("Cursor", &TGPInterface::Cursor); }

TGPInterface::TGPInterface() = default;

TGPInterface::~TGPInterface() {
    if (panel_) panel_->RemoveChild(this);
}

void TGPInterface::Create(TObject* owner, int32_t id) {
    auto* parent = dynamic_cast<TGPInterface*>(owner);
    parentWidget_ = parent;
    TGPSprite::Create(parent ? static_cast<TObject*>(parent->Kernel) : owner, id);
    if (parent && !Kernel) Kernel = parent->Kernel;
    // A heads-up panel draws the widgets made with it; it refers to them, the kernel's list
    // owns them.
    if (auto* panel = dynamic_cast<TGPPanel*>(parent); panel && !panel_) {
        panel_ = panel;
        panel->AddChild(this);
    }
    DrawEnabled = true;
    FlagChange = true;
}

void TGPInterface::SetMaxValue(int32_t value) { MaxValue = value; }

void TGPInterface::SetName(const std::string& name) {
    TGPStructure* container = parentWidget_ ? static_cast<TGPStructure*>(parentWidget_) : Kernel;
    if (container && container->FindChild(Name) == this) container->ValidateRename(this, Name, name);
    Name = name;
}

TGPFont& TGPInterface::EnsureFont() {
    if (!Font) Font = std::make_unique<TGPFont>();
    return *Font;
}

media::TPictureCollectionItem* TGPInterface::CachedPicture() const {
    if (!cached_ || !Kernel || cachedGeneration_ != Kernel->FormsPictureGeneration) return nullptr;
    return cached_;
}

void TGPInterface::CachePicture(media::TPictureCollectionItem* picture) {
    cached_ = picture;
    cachedGeneration_ = Kernel ? Kernel->FormsPictureGeneration : 0;
}

// ---- Positions ----

TPoint WidgetScreenPos(const TGPInterface& widget) {
    TPoint p{widget.Left, widget.Top};
    if (const auto* menu = dynamic_cast<const TGPBaseInterface*>(&widget); menu && menu->Alignment != gaNo) p = {0, 0};
    if (const TGPInterface* parent = widget.ParentWidget()) {
        p.X += parent->Left;
        p.Y += parent->Top;
    }
    return p;
}

void CenterOnSurface(const TGPInterface& widget, TPoint& p) {
    const int32_t w = widget.Kernel ? widget.Kernel->SurfaceWidth() : 0;
    const int32_t h = widget.Kernel ? widget.Kernel->SurfaceHeight() : 0;
    p.X += w / 2 - widget.PatternWidth / 2;
    p.Y += h / 2 - widget.PatternHeight / 2;
}

rtl::TRect WidgetRect(const TGPInterface& widget) {
    TPoint p = WidgetScreenPos(widget);
    const auto* menu = dynamic_cast<const TGPBaseInterface*>(&widget);
    if (menu && menu->Alignment == gaCenter) CenterOnSurface(widget, p);
    return rtl::Bounds(p.X, p.Y, widget.PatternWidth, widget.PatternHeight);
}

void DrawPicture(TGPKernel& kernel, media::TPictureCollectionItem& picture, TPoint p, int pattern) {
    if (media::TDirectDrawSurface* surface = kernel.Surface()) picture.Draw(*surface, p.X, p.Y, pattern);
}

// ---- TGPBaseInterface ----

void TGPBaseInterface::DescribeClass(rtl::ClassBuilder<TGPBaseInterface>& c) {
    using T = TGPBaseInterface;
    c.Property("PatternWidth", Member<T>(&T::PatternWidth))
        .Property("PatternHeight", Member<T>(&T::PatternHeight))
        .Property("Name", &T::GetName, &T::SetName)
        .Property("Paint", &T::Paint)
        .Property("Transparent", &T::Transparent)
        .Property("TransparentColor", &T::TransparentColor)
        .Property("Visible", Member<T>(&T::Visible))
        .Event("OnGPClick", &T::OnGPClick)
        .Event("OnGPExit", Member<T>(&T::OnGPExit))
        .Event("OnGPEnter", Member<T>(&T::OnGPEnter));
}

TGPBaseInterface::~TGPBaseInterface() = default;

void TGPBaseInterface::SetParentForm(TObject* caller) {
    auto* kernel = Kernel;
    const bool exactlyForm = typeid(*this) == typeid(TGPForm);
    if (exactlyForm) {
        ParentForm = kernel && kernel->FocusForm ? caller : nullptr;
        if (kernel) {
            auto* form = static_cast<TGPForm*>(this);
            if (kernel->FocusForm != this) form->PreviousFocus = dynamic_cast<TGPForm*>(kernel->FocusForm);
            kernel->FocusForm = this;
        }
    } else {
        ParentForm = caller;
    }
    const auto* parent = dynamic_cast<const TGPBaseInterface*>(ParentForm);
    Depth = parent && !exactlyForm ? parent->Depth + 1 : 0;
}

void TGPBaseInterface::NameAfterContainer() {
    if (!Name.empty()) return;  // named before its creation ran: that name stays
    TGPStructure* container = parentWidget_ ? static_cast<TGPStructure*>(parentWidget_) : Kernel;
    for (int n = container ? container->ChildCount() : 0;; ++n) {
        std::string name = rtl::Format("%S%D", {ClassName(), n});
        if (!container || !container->FindChild(name)) {
            Name = std::move(name);
            return;
        }
    }
}

bool TGPBaseInterface::IsHovered() const { return Kernel && Kernel->Mouse && Kernel->Mouse->Hovered == this; }
bool TGPBaseInterface::IsPressed() const { return IsHovered() && Kernel->Mouse->Pressed; }

bool TGPBaseInterface::TrackMouse(TPoint pos, int32_t width, int32_t height) {
    if (!Kernel || !Kernel->Mouse || !Kernel->Mouse->HoverTracking) return false;
    const int32_t x = Kernel->MouseX, y = Kernel->MouseY;
    if (x >= pos.X && y >= pos.Y && int64_t(x) < int64_t(pos.X) + width && int64_t(y) < int64_t(pos.Y) + height) {
        Kernel->HoverWidget(this);
    } else if (Kernel->Mouse->Hovered == this) {
        Kernel->Mouse->Hovered = dynamic_cast<TGPStructure*>(ParentForm);
    }
    return true;
}

media::TPictureCollectionItem* TGPBaseInterface::GetPicture(bool load) {
    if (!Kernel || !Kernel->FormsRegister) return nullptr;
    // Without the game data a picture is a loose file of the forms folder: only a plain name.
    if (!Kernel->InterfaceResource && !IsPlainFileName(Paint)) return nullptr;
    return FindWidgetPicture(*Kernel->FormsRegister, *Kernel, WidgetPictureOf(*this), Kernel->Display(), load);
}

media::TPictureCollectionItem* TGPBaseInterface::Picture(bool load) {
    if (media::TPictureCollectionItem* cached = CachedPicture(); cached && rtl::SameText(cached->Name(), Paint))
        return cached;
    media::TPictureCollectionItem* picture = GetPicture(load);
    CachePicture(picture);
    return picture;
}

void FreeFormsPicture(TGPKernel& kernel, const std::string& name) {
    if (!kernel.FormsRegister || name.empty()) return;
    media::TPictureCollectionItem* item = kernel.FormsRegister->Items().Find(name);
    if (!item) return;
    ++kernel.FormsPictureGeneration;  // before the item goes: no cache may hand it out again
    delete item;
}

void TGPBaseInterface::FreeOwnPicture() {
    DropCachedPicture();
    if (Kernel) FreeFormsPicture(*Kernel, Paint);
}

void TGPBaseInterface::Hide() {
    Visible = false;
    FreeOwnPicture();
}

void TGPBaseInterface::FreePictures() {
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* child = dynamic_cast<TGPBaseInterface*>(GetChild(i))) child->FreePictures();
    FreeOwnPicture();
}

void TGPBaseInterface::ResetCounters() {
    DrawCounter = 0;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* child = dynamic_cast<TGPBaseInterface*>(GetChild(i))) child->ResetCounters();
}

// ---- Making menu widgets ----

TGPBaseInterface* CreateWidget(std::string_view className, TObject* owner, int32_t id) {
    const rtl::TypeInfo& info = rtl::FindClass(className);
    if (!info.InheritsFrom(TGPBaseInterface::StaticClassInfo()))
        throw rtl::EInvalidCast(rtl::Format("%s is no menu widget", {std::string(className)}));
    std::unique_ptr<rtl::Object> made = info.Create();
    auto* widget = static_cast<TGPBaseInterface*>(made.get());
    widget->Create(owner, id);
    TGPStructure* container = widget->ParentWidget() ? static_cast<TGPStructure*>(widget->ParentWidget()) : widget->Kernel;
    made.release();
    std::unique_ptr<TGPStructure> owned(widget);
    if (!container) throw rtl::EComponentError(rtl::Format("%s has no kernel to belong to", {widget->ClassName()}));
    container->AttachInterface(std::move(owned));
    return widget;
}

bool BindEvent(TObject& component, TObject& widget, std::string_view methodName, std::string_view propertyName) {
    return rtl::BindEvent(component, widget, methodName, propertyName);
}

// ---- Text ----

uint32_t AlignmentFlags(TGPAlignment alignment) {
    namespace txt = platform::text;
    uint32_t flags = txt::DT_WORDBREAK | txt::DT_EXPANDTABS;
    if (alignment == gaRightJustify) flags |= txt::DT_RIGHT;
    if (alignment == gaCenter) flags |= txt::DT_CENTER;
    return flags;
}

int32_t RoundToInt(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int32_t>(rtl::Round(std::clamp(v, double(INT32_MIN), double(INT32_MAX))));
}

namespace {
// A channel of colour + s * step, within a byte.
uint32_t Channel(uint32_t color, int shift, int64_t add) { return uint32_t((int64_t((color >> shift) & 0xFF) + add) & 0xFF) << shift; }
}  // namespace

void ApplyFontEffects(const TGPFont& font, TGPAlignment alignment, TWidgetText& text) {
    const int n = font.Copies();
    // One copy, k = n: the copy index b and the colour step s by the direction.
    const int k = n;
    const int b = font.CopiesDirection == cdUp ? k : n - k;
    const int s = font.CopiesDirection == cdUp ? k - 1 : b;
    if (font.DSize != 0) {
        text.HasPoints = true;
        text.Points = RoundToInt(((b - 1) * double(font.DSize) + 1) * font.Size);
    }
    const uint32_t front = uint32_t(font.ColorFront), back = uint32_t(font.ColorBackground);
    uint32_t color = 0;
    for (int shift : {0, 8, 16}) {
        const int64_t step = RoundToInt((double((back >> shift) & 0xFF) - double((front >> shift) & 0xFF)) / n);
        color |= Channel(front, shift, s * step);
    }
    text.Color = color;
    if (alignment != gaNo) {
        const int32_t dx = RoundToInt(b * double(font.DX)), dy = RoundToInt(b * double(font.DY));
        text.Rect = {text.Rect.Left + dx, text.Rect.Top + dy, text.Rect.Right + dx, text.Rect.Bottom + dy};
    }
    if (font.Rotated != 0) text.Escapement = RoundToInt(b * double(font.Rotated) + font.Direction);
}

void DrawWidgetText(TGPKernel& kernel, const TGPFont& font, const TWidgetText& text) {
    try {
        media::TDirectDrawSurface* surface = kernel.Surface();
        if (!surface) return;
        media::TCanvas& canvas = surface->Canvas();
        canvas.Font.Name = font.Name;
        canvas.Font.Charset = kernel.FontCharset;
        canvas.Brush.Style = media::TBrushStyle::bsClear;
        canvas.Font.Height = text.Height != 0 ? text.Height : -int32_t(font.Size);
        if (text.HasPoints) canvas.Font.SetSize(double(text.Points));
        canvas.Font.Escapement = text.Escapement;
        canvas.Font.Color = text.Color;
        media::TRect r{text.Rect.Left, text.Rect.Top, text.Rect.Right, text.Rect.Bottom};
        canvas.DrawText(text.Text, r, text.Format);
        canvas.Release();
    } catch (...) {
        // A text that cannot be drawn is left out; the frame goes on.
        if (media::TDirectDrawSurface* surface = kernel.Surface()) surface->Canvas().Release();
    }
}

}  // namespace engine
