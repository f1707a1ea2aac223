// What every in-game widget shares: the font of text widgets, the alignment, the widget
// base classes, the screen-position and centring rules, hover and depth, the widget's
// picture, the timing constants of presses and steps, and the text drawing.
//
// Widgets are sprites the engine draws itself on the display's back surface. Menu widgets
// (TGPBaseInterface and heirs) are named children of the widget they were made with, or of
// the kernel; heads-up widgets (TGPGameInterface and heirs) belong to the kernel's panel
// list. Their events bind by name to published methods of the program's main form.
#pragma once

#include "engine/gpLevel.h"  // IsPlainFileName: names from data joined to a folder
#include "engine/gpSprite.h"
#include "rtl/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace media {
class TPictureCollectionItem;
}

namespace engine {

class TGPKernel;
class TGPPanel;

enum class TGPAlignment : uint8_t { gaNo, gaLeftJustify, gaRightJustify, gaCenter };
using enum TGPAlignment;
extern const rtl::EnumType TGPAlignmentType;

enum class TCopiesDirection : uint8_t { cdDown, cdUp };
using enum TCopiesDirection;
extern const rtl::EnumType TCopiesDirectionType;

using TPoint = rtl::TPoint;

// An inherited data member as a member of W, so that W's description can publish it.
template <class W, class V, class B>
constexpr V W::*Member(V B::*member) {
    return static_cast<V W::*>(member);
}

// Timing of presses and steps, in milliseconds of the system tick count.
inline constexpr int32_t PressDebounce = 600;  // a toggle, a focus change, a cell entered
inline constexpr int32_t CaretBlink = 600;
inline constexpr int32_t TrackBarStep = 300;

// A moment of the system tick count that starts as "never". Due answers whether more than
// `interval` ms passed since the mark (wrap-aware), and true while nothing was marked, so a
// first press counts whatever the clock reads.
class TPressTime {
public:
    bool Due(int32_t interval) const;
    void Mark();
    void Reset() { marked_ = false; }

private:
    bool marked_ = false;
    uint32_t at_ = 0;
};

// The font of a text widget; owned by the widget.
class TGPFont : public rtl::Object {
    RTL_CLASS(TGPFont, rtl::Object)
public:
    std::string Name;
    uint8_t Size = 35;  // character height in pixels
    uint8_t StoredCopies = 1;
    TCopiesDirection CopiesDirection = cdDown;
    float DX = 0, DY = 0;  // offset per copy index
    float Rotated = 0;     // escapement per copy index, tenths of a degree
    float DSize = 0;       // relative size change per copy index
    int32_t ColorFront = 65280;        // TColor: green; start of the colour fade
    int32_t ColorBackground = 0xFF0000;  // blue; end of the fade, second colour of edits and grids
    float Direction = 0;   // base escapement, tenths of a degree

    // The stored value is kept and streamed, but the text is always drawn once.
    uint8_t Copies() const { return 1; }
    void SetCopies(uint8_t value) { StoredCopies = value; }

    static void DescribeClass(rtl::ClassBuilder<TGPFont>& c);
};

class TGPInterface : public TGPSprite {
    RTL_CLASS(TGPInterface, TGPSprite)
public:
    TGPInterface();
    ~TGPInterface() override;

    // A widget owner becomes the parent widget, and the sprite belongs to its kernel;
    // any other owner is the sprite's owner.
    void Create(TObject* owner, int32_t id) override;
    void LoadPictures() override {}
    void Draw() override {}
    // Slot 19, the setter of MaxValue.
    virtual void SetMaxValue(int32_t value);

    TGPInterface* ParentWidget() const { return parentWidget_; }
    TGPFont* GetFont() const { return Font.get(); }

    // The font accessors that text widgets publish: they read and write the font's fields
    // (FontCopies the stored byte).
    std::string GetFontName() const { return Font ? Font->Name : std::string(); }
    void SetFontName(const std::string& v) { EnsureFont().Name = v; }
    uint8_t GetFontSize() const { return Font ? Font->Size : 0; }
    void SetFontSize(uint8_t v) { EnsureFont().Size = v; }
    uint8_t GetFontCopies() const { return Font ? Font->StoredCopies : 0; }
    void SetFontCopies(uint8_t v) { EnsureFont().StoredCopies = v; }
    TCopiesDirection GetFontCopiesDirection() const { return Font ? Font->CopiesDirection : cdDown; }
    void SetFontCopiesDirection(TCopiesDirection v) { EnsureFont().CopiesDirection = v; }
    float GetFontDX() const { return Font ? Font->DX : 0; }
    void SetFontDX(float v) { EnsureFont().DX = v; }
    float GetFontDY() const { return Font ? Font->DY : 0; }
    void SetFontDY(float v) { EnsureFont().DY = v; }
    float GetFontRotated() const { return Font ? Font->Rotated : 0; }
    void SetFontRotated(float v) { EnsureFont().Rotated = v; }
    int32_t GetFontColorFront() const { return Font ? Font->ColorFront : 0; }
    void SetFontColorFront(int32_t v) { EnsureFont().ColorFront = v; }
    int32_t GetFontColorBackground() const { return Font ? Font->ColorBackground : 0; }
    void SetFontColorBackground(int32_t v) { EnsureFont().ColorBackground = v; }
    float GetFontDirection() const { return Font ? Font->Direction : 0; }
    void SetFontDirection(float v) { EnsureFont().Direction = v; }
    // Renames the widget; its container refuses a name one of its children has.
    void SetName(const std::string& name);
    const std::string& GetName() const { return Name; }

    bool DrawEnabled = true;
    bool FlagChange = false;
    int32_t MinValue = 0, MaxValue = 0;
    int32_t Left = 0, Top = 0;
    int32_t PatternWidth = 0, PatternHeight = 0;
    int16_t Cursor = 0;  // the cursor class a form asks for; -1 leaves the cursor alone
    std::unique_ptr<TGPFont> Font;  // text widgets only

    static void DescribeClass(rtl::ClassBuilder<TGPInterface>& c);

protected:
    friend class TGPPanel;
    // The picture drawn last, kept while the forms register has freed no picture since.
    media::TPictureCollectionItem* CachedPicture() const;
    void CachePicture(media::TPictureCollectionItem* picture);
    void DropCachedPicture() { cached_ = nullptr; }
    TGPFont& EnsureFont();

    TGPInterface* parentWidget_ = nullptr;
    TGPPanel* panel_ = nullptr;  // the heads-up panel that draws this widget, which refers to it

private:
    media::TPictureCollectionItem* cached_ = nullptr;
    uint32_t cachedGeneration_ = 0;
};

// The top-left corner on the screen: (Left, Top), or (0, 0) for a menu widget aligned other
// than gaNo, plus the parent widget's Left and Top (one level only).
TPoint WidgetScreenPos(const TGPInterface& widget);
// gaCenter: moves p so that a pattern of the widget's size sits in the middle of the
// kernel's surface.
void CenterOnSurface(const TGPInterface& widget, TPoint& p);
// Where the widget draws its pattern: its screen position, centred for gaCenter, and its
// pattern size.
rtl::TRect WidgetRect(const TGPInterface& widget);
// Pattern of picture at p on the kernel's back surface (a pattern out of range draws nothing).
void DrawPicture(TGPKernel& kernel, media::TPictureCollectionItem& picture, TPoint p, int pattern);
// A real from data rounded half to even and held to 32 bits; NaN reads 0.
int32_t RoundToInt(double value);

class TGPBaseInterface : public TGPInterface {
    RTL_CLASS(TGPBaseInterface, TGPInterface)
public:
    ~TGPBaseInterface() override;

    // Slot 12: invisible, the picture freed from the forms register.
    void Hide() override;
    // Slot 20: the draw counters of the widget and all its children start again.
    virtual void ResetCounters();

    // Exactly a form: parent form nil (no focused form yet) or the caller, and the form
    // becomes the focused form. Anything else: the caller. Depth follows.
    void SetParentForm(TObject* caller);
    // Only while the kernel's mouse tracks the hover: hover this widget when the mouse lies
    // in the rectangle, else hand a hover of this widget to its parent form. False when not
    // tracking.
    bool TrackMouse(TPoint pos, int32_t width, int32_t height);
    // The picture named Paint in the forms register, loaded when load is set and absent.
    media::TPictureCollectionItem* GetPicture(bool load);
    // Depth first over the children, then the widget's own picture freed.
    void FreePictures();
    // The mouse hovers this widget; and with its button down.
    bool IsHovered() const;
    bool IsPressed() const;

    std::string Paint;
    bool Transparent = true;
    uint32_t TransparentColor = 0;
    TNotifyEvent OnGPClick;
    TObject* ParentForm = nullptr;  // the caller that showed this widget
    int32_t Depth = 0;              // 0 for forms; decides which widget takes the hover
    int32_t DrawCounter = 0;        // draws since the last show
    uint8_t PatternIndex = 0;       // the pattern drawn this frame
    TGPAlignment Alignment = gaNo;

    static void DescribeClass(rtl::ClassBuilder<TGPBaseInterface>& c);

protected:
    // Names an unnamed widget "%S%D": its class name and the child count of the container it
    // joins (the parent widget, or the kernel), counting on while a child has that name.
    void NameAfterContainer();
    // Frees the widget's own picture (found without loading) from the forms register.
    void FreeOwnPicture();
    // Looks up (or loads) the picture, through the cache.
    media::TPictureCollectionItem* Picture(bool load);
};

// Frees the named picture from the kernel's forms register, if it holds it; every widget's
// cached picture is checked against the register afterwards.
void FreeFormsPicture(TGPKernel& kernel, const std::string& name);

// Binds the event property propertyName of widget to the published method methodName of
// component. A method or property that does not exist, or a handler whose signature differs
// from the event's, leaves the event unset; answers whether it was set.
bool BindEvent(TObject& component, TObject& widget, std::string_view methodName, std::string_view propertyName);

// ---- Text drawing ----

// Format flags of the widgets' texts.
uint32_t AlignmentFlags(TGPAlignment alignment);  // word break, tabs, and the alignment

// One text in rect on the kernel's back surface with the widget's font: the language's
// character set, a clear brush, the height -Size unless the text gives one. A failure is
// swallowed: the text is left out of the frame.
struct TWidgetText {
    std::string_view Text;
    rtl::TRect Rect;
    uint32_t Format = 0;
    uint32_t Color = 0;
    int32_t Height = 0;      // pixels as LOGFONT's; 0 takes -Size
    bool HasPoints = false;  // the size in points replaces the height
    int64_t Points = 0;
    int32_t Escapement = 0;  // tenths of a degree
};
void DrawWidgetText(TGPKernel& kernel, const TGPFont& font, const TWidgetText& text);

// The font effects of one copy of a label's text (one copy, index b by the direction),
// applied to the text's size, colour, place and escapement.
void ApplyFontEffects(const TGPFont& font, TGPAlignment alignment, TWidgetText& text);

}  // namespace engine
