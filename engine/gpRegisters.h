// The image and sound registers: pictures and sounds load by name on first use and are kept.
//
// An image register is an image list of the media layer to which the engine adds pictures
// from a resource container (or, without one, from loose files in the resource folders) the
// first time a sprite, cursor, effect or widget needs them. Each loader looks the picture up
// first, by the index its description remembers and then by name, so that two sprites of
// one class and state share one item and the second look-up never reads the container.
// A load that fails marks its description, which is never tried again.
//
// Transparency: a picture from a container is keyed when the bitmap loader reports a BMP or
// a GIF (kinds 0 and 2), with the caller's transparent colour; a JPEG is opaque. A loose file
// counts as a BMP. Map element pictures are always opaque.
//
// The sound register is the media layer's wave list plus the wave list of the game data:
// seven group bases and one container key per sound number.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/gpAnimation.h"
#include "engine/gpKernelDevices.h"
#include "media/DXDrawsPicture.h"
#include "media/DXSounds.h"
#include "rtl/StringList.h"

namespace rtl {
class Stream;
}

namespace engine {

class TGPKernel;
class TGPResource;
class TGPSprite;

using media::TPictureCollectionItem;

// ---- Image registers ----

class TDXRegisterAnimate : public media::TDXImageList {
public:
    // Loads every picture of the register in advance; nothing in the base.
    virtual void RegisterAll(TGPKernel& kernel, bool flag);
};

class TDXRegisterElement : public TDXRegisterAnimate {};
class TDXRegisterCursor : public TDXRegisterAnimate {};
class TDXRegisterPanel : public TDXRegisterAnimate {};
class TDXRegisterForms : public TDXRegisterAnimate {};

class TDXRegisterEffects : public TDXRegisterAnimate {
public:
    // With flag and a level-set container: every effect picture of "BMP_Effects", in the
    // order of the effect name table, as an item without a name or pattern size; stops at
    // the first picture that does not load.
    void RegisterAll(TGPKernel& kernel, bool flag) override;
};

// What the widget loaders read of a widget: the name of its picture and how to load it.
struct TWidgetPicture {
    std::string_view Paint;
    int32_t PatternWidth = 0;
    int32_t PatternHeight = 0;
    bool Transparent = true;
    uint32_t TransparentColor = 0;
};

// The view of any widget with these published fields.
template <class W>
TWidgetPicture WidgetPictureOf(const W& widget) {
    return {widget.Paint, widget.PatternWidth, widget.PatternHeight, widget.Transparent, widget.TransparentColor};
}

// ---- Picture loaders; each answers the item or nil ----
//
// Display is the display component the register binds to (nil: no surfaces yet). Binding a
// register replays the display's state once; after that each new picture builds only its
// own surfaces.

// A game-object slide ("BMP_Unit", unit class name + "_" + state name; loose file alike).
// Failure sets the slide's IDName to -1.
TPictureCollectionItem* LoadUnitPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneSlide& slide,
                                        media::TCustomDXDraw* display);
// A map element's slide: looked up, and loaded when load is set.
TPictureCollectionItem* FindMapElementPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneSlide& slide, bool load,
                                              media::TCustomDXDraw* display);
// "BMP_MapElement", map element name; opaque. Failure sets IDName to -1.
TPictureCollectionItem* LoadMapElementPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneSlide& slide,
                                              media::TCustomDXDraw* display);
// The game data's "BMP_Cursors", IDClasse. Failure empties IDClasse.
TPictureCollectionItem* LoadCursorPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneCursor& cursor,
                                          media::TCustomDXDraw* display);
// "BMP_Effects", IDClasse. Failure empties IDClasse.
TPictureCollectionItem* LoadEffectPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneEffects& effect,
                                          media::TCustomDXDraw* display);
// "BMP_Font" for a font line, "BMP_Interface" for an interface element; key IDClasse.
// Failure empties IDClasse.
TPictureCollectionItem* LoadInterfacePicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneEffects& description,
                                             media::TCustomDXDraw* display);
// Always loads: the game data's "BMP", name; loose file in the form folder. The widget's
// pattern size applies only when the picture is at least that large.
TPictureCollectionItem* LoadFormPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, const std::string& name,
                                        const TWidgetPicture& widget);
// The widget's Paint, loaded from the forms data when load is set.
TPictureCollectionItem* FindWidgetPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, const TWidgetPicture& widget,
                                          media::TCustomDXDraw* display, bool load);
TPictureCollectionItem* FindNamedPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, const std::string& name,
                                         const TWidgetPicture& widget, bool load, media::TCustomDXDraw* display);
// By Paint: found by name or loaded from the resource folder's Paint + ".BMP" with the
// image's own transparency; otherwise as FindWidgetPicture.
TPictureCollectionItem* FindImagePicture(TDXRegisterAnimate& reg, TGPKernel& kernel, const TWidgetPicture& image,
                                         media::TCustomDXDraw* display, bool byPaint, bool load);

// ---- Sound register ----

// The wave list as stored: seven group bases, then one container key per line.
struct TWaveListData {
    std::array<int32_t, 7> Bases{};
    rtl::StringList Names;
};
// Reads the wave list at the stream's position: the bases, then the names behind an int32
// length (lengthPrefixed, the container's form; a length the stream cannot hold raises
// EReadError) or the rest of the stream (the loose file's form).
void ReadWaveList(rtl::Stream& stream, bool lengthPrefixed, TWaveListData& data);

// The group of a class for the sound bases, 1..7; 0 for a class in no group.
int SoundGroupOf(int32_t classId);

class TDXRegisterSound : public media::TDXWaveList, public TKernelSoundRegister {
public:
    explicit TDXRegisterSound(media::TDirectSound* sound);
    ~TDXRegisterSound() override;

    // From the container's "Strings"/"ListWave" or, without a container, the sound folder's
    // "ListWave.lw". An absent entry disables the register; an exception disables it and
    // passes on.
    void LoadWaveList(TGPResource* container);
    // Index plus the base of the class's group, summed in 64 bits.
    int64_t SoundNumber(int32_t classId, int32_t index) const;
    // The sound of (class, index), loaded from "Wav" on first use; nil when the number has no
    // line, the entry is absent or its data is not a sound. A disabled register switches the
    // kernel's sound off.
    media::TWaveCollectionItem* GetSound(int32_t classId, int32_t index, TGPKernel& kernel);
    media::TWaveCollectionItem* GetObjectSound(int32_t classId, const TOneSlide* slide, TGPKernel& kernel);

    TKernelSound* SoundOfNumber(TGPKernel& kernel, int32_t number, int32_t idClass) override;
    TKernelSound* SoundOfSlide(TGPKernel& kernel, TGPStructure* source, int32_t idClass) override;
    void ClearLoaded() override;

    TWaveListData List;
    uint8_t Enabled = 1;
    // The loader of a new sound: fills the item with the wave of the name-list line `key` and
    // answers whether it did. Without one the register reads "Wav" of the kernel's container
    // itself.
    std::function<bool(media::TWaveCollectionItem& item, const std::string& key)> OnLoadSound;

private:
    TKernelSound* KernelSound(media::TWaveCollectionItem* item);
    std::unordered_map<const media::TWaveCollectionItem*, std::unique_ptr<TKernelSound>> sounds_;
};

// The kernel's sound register as the wave register, or nil.
TDXRegisterSound* WaveRegister(TGPKernel& kernel);

}  // namespace engine
