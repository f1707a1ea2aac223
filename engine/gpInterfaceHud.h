// The heads-up display: widgets bound to game variables and drawn over the game every frame.
// The shell builds them when a level set loads; the kernel's panel list owns them all. A
// panel draws the widgets made with it as owner and only refers to them; the kernel draws
// the widgets without a parent. Picture widgets borrow one phantom each from the kernel's
// pool and draw its frames.
#pragma once

#include "engine/gpData.h"
#include "engine/gpInterfaceBase.h"

#include <vector>

namespace engine {

class TGPPhantom;
class TOneInterface;

class TGPGameInterface : public TGPInterface, public GPFieldOwner {
    RTL_CLASS(TGPGameInterface, TGPInterface)
public:
    ~TGPGameInterface() override;

    // The variable shown; nil when unbound. Owned by the kernel's TGPData.
    TGPField* Field() const { return field_; }
    // None for ftNo; the given variable when field names one (widgets share it); else a new
    // variable of the type, handed back through field.
    void BindField(TGPField*& field, TGPFieldType type);
    // The variable went with the kernel's list: the link goes, here and in every widget of
    // the panel list that shares it.
    void FieldGone(TGPField* field) override;

    static void DescribeClass(rtl::ClassBuilder<TGPGameInterface>& c);

protected:
    void SetField(TGPField* field);

private:
    TGPField* field_ = nullptr;
};

// Makes a heads-up widget in two phases and hands it to the kernel's panel list, which owns
// it; answers the widget. The first form is for panels and texts, the second for the
// widgets bound to a variable (progress, count, icon, count array, data text).
template <class W> W* CreateHudWidget(TGPKernel& kernel, TObject* owner, int32_t id);
template <class W>
W* CreateHudWidget(TGPKernel& kernel, TObject* owner, TGPField*& field, TGPFieldType type, int32_t id);

class TGPPanel : public TGPGameInterface {
    RTL_CLASS(TGPPanel, TGPGameInterface)
public:
    ~TGPPanel() override;
    // Its description is the interface class of identifier id; Position 0 places it at the
    // description's Left and Top.
    void Create(TObject* owner, int32_t id) override;
    // Slot 17: no slide of that state switches the panel off.
    void LoadOneSlide(int32_t state) override;
    // Its picture, then its widgets, then cursor kind 2 over it while the kernel asks.
    void Draw() override;

    TOneInterface* Description() const { return description_; }
    int Count() const { return children_.Count(); }
    TGPInterface* Child(int index) const { return children_.Items(index); }

private:
    friend class TGPInterface;
    void AddChild(TGPInterface* child) { children_.Add(child); }
    void RemoveChild(TGPInterface* child) { children_.Remove(child); }

    TOneInterface* description_ = nullptr;
    rtl::List<TGPInterface*> children_;  // not owned
};

class TGPProgress : public TGPGameInterface {
    RTL_CLASS(TGPProgress, TGPGameInterface)
public:
    ~TGPProgress() override;
    // Takes its phantom of class id from the kernel's pool and shows itself.
    void Create(TObject* owner, int32_t id) override;
    // The frame value div step, the last frame at most.
    void Draw() override;
    // Slot 19: the step is the range divided by the frames of the phantom's slide.
    void SetMaxValue(int32_t value) override;

    // The phantom while it is this widget's; nil once it went back to the pool.
    TGPPhantom* Phantom() const;
    int32_t Step = 0;

protected:
    // The phantom's picture (looked up on first use) and its frames per cycle.
    media::TPictureCollectionItem* PhantomPicture();
    int32_t PhantomFrames() const;
    // Draws frame of the phantom's picture with the phantom placed at p.
    void DrawPhantom(media::TPictureCollectionItem& picture, TPoint p, int32_t frame);
    // The frame the phantom's animation gives, starting from frame.
    int32_t StepFrame(int32_t frame);

private:
    // The phantom by handle: once it went back to the pool (or was freed) it is not read.
    uint32_t phantomHandle_ = 0;
    uint16_t phantomGeneration_ = 0;
};

class TGPCount : public TGPProgress {
    RTL_CLASS(TGPCount, TGPProgress)
public:
    // The picture drawn value times side by side (MinValue..MaxValue), up to the surface's
    // right edge.
    void Draw() override;
    int32_t CountFrame = 0;
};

class TGPIcon : public TGPCount {
    RTL_CLASS(TGPIcon, TGPCount)
public:
    // The value picks the class of the phantom (1 the first of the list); out of the list
    // the class stays.
    void Draw() override;
    void SetPictures(const std::vector<int32_t>& list, int32_t high);
    std::vector<int32_t> Pictures;
};

class TGPCountArray : public TGPCount {
    RTL_CLASS(TGPCountArray, TGPCount)
public:
    // One picture per element, the element its frame; an element beyond the frames draws
    // nothing.
    void Draw() override;
};

class TGPText : public TGPGameInterface {
    RTL_CLASS(TGPText, TGPGameInterface)
public:
    TGPText();
    void Create(TObject* owner, int32_t id) override;
    void Draw() override;

    std::string Text;
    TGPAlignment Alignment = gaNo;

    static void DescribeClass(rtl::ClassBuilder<TGPText>& c);
};

class TGPDataText : public TGPText {
    RTL_CLASS(TGPDataText, TGPText)
public:
    // The variable's value formatted by TxtFormat (after adding Offset), or its plain text.
    // A format that fails is cleared and the failure passes on.
    void Draw() override;

    std::string TxtFormat;
    int32_t Offset = 0;

    static void DescribeClass(rtl::ClassBuilder<TGPDataText>& c);
};

// ---- Making heads-up widgets ----

// Hands a made widget to the kernel's panel list.
void AdoptHudWidget(TGPKernel& kernel, std::unique_ptr<TGPGameInterface> widget);

template <class W> W* CreateHudWidget(TGPKernel& kernel, TObject* owner, int32_t id) {
    auto made = std::make_unique<W>();
    made->Kernel = &kernel;
    made->Create(owner, id);
    W* widget = made.get();
    AdoptHudWidget(kernel, std::move(made));
    return widget;
}

template <class W>
W* CreateHudWidget(TGPKernel& kernel, TObject* owner, TGPField*& field, TGPFieldType type, int32_t id) {
    auto made = std::make_unique<W>();
    made->Kernel = &kernel;
    made->Create(owner, id);
    if constexpr (std::is_base_of_v<TGPDataText, W>) {
        TGPField* fresh = nullptr;  // a data text always makes a variable of its own
        made->BindField(fresh, type);
        field = fresh;
    } else {
        made->BindField(field, type);
    }
    W* widget = made.get();
    AdoptHudWidget(kernel, std::move(made));
    return widget;
}

}  // namespace engine
