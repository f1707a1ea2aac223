// Picture widgets of the menus: a plain image, a rolling image, a slide show and a fading
// logo. They show by becoming visible and draw their children over themselves.
#pragma once

#include "engine/gpInterfaceBase.h"

namespace engine {

class TGPImage : public TGPBaseInterface {
    RTL_CLASS(TGPImage, TGPBaseInterface)
public:
    TGPImage();
    void Create(TObject* owner, int32_t id) override;
    void Show(TObject* caller) override;
    // Pattern 0 at the widget's place, the children, and OnGPClick while pressed.
    void Draw() override;
    // Slot 21, the setter of Paint: with a visible parent form a new name frees the old
    // picture and loads the new one, whose size becomes the pattern size.
    virtual void SetPaint(const std::string& name);
    const std::string& GetPaint() const { return Paint; }

    // The picture is Paint in the forms register, else the file Paint + ".BMP" of the
    // resource folder (set by the shell; not published).
    bool FromFile = false;

    static void DescribeClass(rtl::ClassBuilder<TGPImage>& c);

protected:
    media::TPictureCollectionItem* ImagePicture(const std::string& name);
    // Draws pattern at p (the whole picture by alpha when alpha < 255), then the children,
    // then fires OnGPClick when pressed.
    void DrawAt(media::TPictureCollectionItem& picture, TPoint p, int pattern, int32_t alpha = 255);
    TPoint ImagePos() const;
};

class TGPRollImage : public TGPImage {
    RTL_CLASS(TGPRollImage, TGPImage)
public:
    // The next pattern every RollTick + 1 draws.
    void Draw() override;

    uint8_t RollCounter = 0;
    int32_t RollPattern = 0;

    static void DescribeClass(rtl::ClassBuilder<TGPRollImage>& c);
};

class TGPSlideShow : public TGPImage {
    RTL_CLASS(TGPSlideShow, TGPImage)
public:
    void Create(TObject* owner, int32_t id) override;
    // The slide Paint + CurrentSlide; the next one every Interval + 1 draws while Enabled.
    void Draw() override;
    void SetPaint(const std::string& name) override { Paint = name; }

    int32_t Interval = 1000;
    int32_t CountSlide = 0, CurrentSlide = 0;
    bool Enabled = false;
    int32_t FrameCounter = 0;

    std::string SlideName() const;
    static void DescribeClass(rtl::ClassBuilder<TGPSlideShow>& c);
};

class TGPLogo : public TGPImage {
    RTL_CLASS(TGPLogo, TGPImage)
public:
    void Create(TObject* owner, int32_t id) override;
    void Show(TObject* caller) override;
    // Fade in by StepUp, stand for Stand draws, fade out by StepDown, hide: once per show.
    void Draw() override;
    // 0 fade in (alpha 0), 1 fade out (alpha 255), 2 stand (alpha 255, counter 0).
    void SetPhase(uint8_t phase);
    void SetStand(int32_t value);
    int32_t GetStand() const { return Stand; }

    int32_t StepUp = 0, Stand = 0, StepDown = 0;
    TNotifyEvent OnBeginStand, OnEndStand, OnGPHide;
    uint8_t Phase = 0;
    int32_t Alpha = 0;
    int32_t StandCounter = 0;

    static void DescribeClass(rtl::ClassBuilder<TGPLogo>& c);
};

}  // namespace engine
