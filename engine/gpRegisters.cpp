#include "engine/gpRegisters.h"

#include "engine/gpClasses.h"
#include "engine/gpKernel.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "engine/gpSprite.h"
#include "engine/gpUtils.h"
#include "media/gpBitmap.h"
#include "rtl/Exceptions.h"
#include "rtl/Streams.h"
#include "rtl/Text.h"

#include <string>

namespace engine {

using media::TCustomDXDraw;

// ---- Adding a picture ----

namespace {

// Where a picture comes from: a container entry, or without a container a loose file.
struct PictureSource {
    TGPResource* Container = nullptr;
    const char* Section = "";
    std::string Key;
    std::string LooseFile;  // data path
};

// How it is kept.
struct PictureLook {
    std::string Name;
    int32_t PatternWidth = 0, PatternHeight = 0;
    bool Keyed = true;  // transparent when the picture's kind allows it
    uint32_t TransparentColor = 0;
    bool PatternOnlyWhenLarger = false;  // widget pictures keep their size when smaller
};

// Loads the picture; false when the container lacks the entry or the data holds no picture
// this loader decodes. Damaged data raises.
bool LoadBitmap(const PictureSource& source, media::TGPBitmap& bitmap) {
    if (source.Container) {
        std::vector<uint8_t> bytes;
        if (source.Key.empty() || !ReadEntryBytes(*source.Container, source.Section, source.Key, bytes)) return false;
        // The entry's own bytes only: a picture that claims more cannot read its neighbours.
        rtl::MemoryStream stream(std::move(bytes));
        bitmap.LoadFromStream(stream);
    } else {
        bitmap.LoadFromFile(RealPath(source.LooseFile));
        bitmap.FormatKind = media::gpbBMP;  // a loose file counts as a BMP whatever it holds
    }
    return !bitmap.Failure && !bitmap.Empty();
}

// Binds the register to the display once (the display replays its state to it); after that
// each new picture builds only its own surfaces.
void Attach(TDXRegisterAnimate& reg, TPictureCollectionItem& item, TCustomDXDraw* display) {
    if (!display) return;
    if (reg.DXDraw() != display)
        reg.SetDXDraw(display);
    else
        item.Restore();
}

// A new item of the register holding the picture; nil when it did not load. An exception
// frees the item and passes on.
TPictureCollectionItem* AddPicture(TDXRegisterAnimate& reg, const PictureSource& source, const PictureLook& look,
                                   TCustomDXDraw* display) {
    media::TGPBitmap bitmap;
    if (!LoadBitmap(source, bitmap)) return nullptr;
    TPictureCollectionItem* item = reg.Items().Add();
    try {
        item->SetName(look.Name);
        item->SetPicture(bitmap);
        const bool patternFits = bitmap.Width() >= look.PatternWidth && bitmap.Height() >= look.PatternHeight;
        if (!look.PatternOnlyWhenLarger || patternFits) {
            item->PatternWidth = look.PatternWidth;
            item->PatternHeight = look.PatternHeight;
        }
        item->Transparent = look.Keyed && (bitmap.FormatKind == media::gpbBMP || bitmap.FormatKind == media::gpbGIF);
        item->SetTransparentColor(look.TransparentColor);
        Attach(reg, *item, display);
    } catch (...) {
        delete item;
        throw;
    }
    return item;
}

// The item of the name: first at the index the description remembers, then by name (the
// index is remembered again).
TPictureCollectionItem* FindRemembered(TDXRegisterAnimate& reg, const std::string& name, int32_t& index) {
    media::TPictureCollection& items = reg.Items();
    if (index >= 0 && index < items.Count()) {
        TPictureCollectionItem* item = items.Items(index);
        if (rtl::SameText(item->Name(), name)) return item;
    }
    index = items.IndexOf(name);
    return index >= 0 ? items.Items(index) : nullptr;
}

// Adds the picture and remembers its index; the description is marked failed (never tried
// again) when it does not load or raises.
template <class Mark>
TPictureCollectionItem* LoadMarked(TDXRegisterAnimate& reg, const PictureSource& source, const PictureLook& look,
                                   TCustomDXDraw* display, int32_t& index, Mark markFailed) {
    TPictureCollectionItem* item = nullptr;
    try {
        item = AddPicture(reg, source, look, display);
    } catch (...) {
        markFailed();
        index = -1;
        throw;
    }
    if (!item) {
        markFailed();
        index = -1;
        return nullptr;
    }
    index = item->Index();
    return item;
}

std::string ResourceFile(const std::string& name) { return ResourceFolders().Resource + name + ".BMP"; }

}  // namespace

// ---- Registers ----

void TDXRegisterAnimate::RegisterAll(TGPKernel&, bool) {}

void TDXRegisterEffects::RegisterAll(TGPKernel& kernel, bool flag) {
    if (!flag || !kernel.Resource) return;
    TGPHashCollection* pictures = kernel.Resource->GetSection("BMP_Effects");
    if (!pictures) return;
    for (int32_t id = 1; id <= NameTableSlots(TNameTable::Effect); ++id) {
        const std::string& name = EffectName(id);
        if (name.empty() || !pictures->Find(name)) continue;
        PictureSource source{kernel.Resource.get(), "BMP_Effects", name, {}};
        PictureLook look;
        look.TransparentColor = kernel.BackColor;
        if (!AddPicture(*this, source, look, kernel.Display())) return;
    }
}

// ---- Picture loaders ----

TPictureCollectionItem* LoadUnitPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneSlide& slide,
                                        TCustomDXDraw* display) {
    if (TPictureCollectionItem* found = FindRemembered(reg, slide.IDSlide, slide.PictureIndex)) return found;
    if (slide.IDName == -1) return nullptr;
    const std::string key = UnitClassName(slide.IDName) + "_" + StateName(slide.IDCondition);
    PictureSource source{kernel.Resource.get(), "BMP_Unit", key, ResourceFile(key)};
    PictureLook look{slide.IDSlide, slide.PatternWidth, slide.PatternHeight, true, kernel.BackColor};
    return LoadMarked(reg, source, look, display, slide.PictureIndex, [&] { slide.IDName = -1; });
}

TPictureCollectionItem* FindMapElementPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneSlide& slide, bool load,
                                              TCustomDXDraw* display) {
    if (TPictureCollectionItem* found = FindRemembered(reg, slide.IDSlide, slide.PictureIndex)) return found;
    return load ? LoadMapElementPicture(reg, kernel, slide, display) : nullptr;
}

TPictureCollectionItem* LoadMapElementPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneSlide& slide,
                                              TCustomDXDraw* display) {
    if (slide.IDName == -1) return nullptr;
    const std::string& name = MapElementName(slide.IDName);
    PictureSource source{kernel.Resource.get(), "BMP_MapElement", name, ResourceFile(name)};
    PictureLook look{slide.IDSlide, slide.PatternWidth, slide.PatternHeight, false, 0};
    return LoadMarked(reg, source, look, display, slide.PictureIndex, [&] { slide.IDName = -1; });
}

namespace {
// Cursors, effects and interface elements: named by IDClasse; failure empties it.
TPictureCollectionItem* LoadByClasse(TDXRegisterAnimate& reg, TGPKernel& kernel, TGPResource* container,
                                     const char* section, std::string& classe, int32_t& index, int32_t patternWidth,
                                     int32_t patternHeight, TCustomDXDraw* display) {
    if (classe.empty()) return nullptr;
    if (TPictureCollectionItem* found = FindRemembered(reg, classe, index)) return found;
    PictureSource source{container, section, classe, ResourceFile(classe)};
    PictureLook look{classe, patternWidth, patternHeight, true, kernel.BackColor};
    return LoadMarked(reg, source, look, display, index, [&] { classe.clear(); });
}
}  // namespace

TPictureCollectionItem* LoadCursorPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneCursor& cursor,
                                          TCustomDXDraw* display) {
    return LoadByClasse(reg, kernel, kernel.InterfaceResource, "BMP_Cursors", cursor.IDClasse, cursor.PictureIndex,
                        cursor.PatternWidth, cursor.PatternHeight, display);
}

TPictureCollectionItem* LoadEffectPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneEffects& effect,
                                          TCustomDXDraw* display) {
    return LoadByClasse(reg, kernel, kernel.Resource.get(), "BMP_Effects", effect.IDClasse, effect.PictureIndex,
                        effect.PatternWidth, effect.PatternHeight, display);
}

TPictureCollectionItem* LoadInterfacePicture(TDXRegisterAnimate& reg, TGPKernel& kernel, TOneEffects& description,
                                             TCustomDXDraw* display) {
    const char* section = dynamic_cast<TLineFont*>(&description) ? "BMP_Font" : "BMP_Interface";
    return LoadByClasse(reg, kernel, kernel.Resource.get(), section, description.IDClasse, description.PictureIndex,
                        description.PatternWidth, description.PatternHeight, display);
}

TPictureCollectionItem* LoadFormPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, const std::string& name,
                                        const TWidgetPicture& widget) {
    if (name.empty()) return nullptr;
    PictureSource source{kernel.InterfaceResource, "BMP", name, ResourceFolders().Forms + name + ".BMP"};
    PictureLook look{name, widget.PatternWidth, widget.PatternHeight, widget.Transparent, widget.TransparentColor, true};
    return AddPicture(reg, source, look, kernel.Display());
}

TPictureCollectionItem* FindWidgetPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, const TWidgetPicture& widget,
                                          TCustomDXDraw*, bool load) {
    return FindNamedPicture(reg, kernel, std::string(widget.Paint), widget, load, kernel.Display());
}

TPictureCollectionItem* FindNamedPicture(TDXRegisterAnimate& reg, TGPKernel& kernel, const std::string& name,
                                         const TWidgetPicture& widget, bool load, TCustomDXDraw*) {
    if (TPictureCollectionItem* found = reg.Items().Find(name)) return found;
    return load ? LoadFormPicture(reg, kernel, name, widget) : nullptr;
}

TPictureCollectionItem* FindImagePicture(TDXRegisterAnimate& reg, TGPKernel& kernel, const TWidgetPicture& image,
                                         TCustomDXDraw* display, bool byPaint, bool load) {
    if (!byPaint) return FindWidgetPicture(reg, kernel, image, display, load);
    const std::string name(image.Paint);
    if (TPictureCollectionItem* found = reg.Items().Find(name)) return found;
    if (!load || name.empty()) return nullptr;
    PictureSource source{nullptr, "", name, ResourceFile(name)};
    PictureLook look{name, 0, 0, image.Transparent, image.TransparentColor};
    return AddPicture(reg, source, look, display);
}

// ---- Sound register ----

void ReadWaveList(rtl::Stream& stream, bool lengthPrefixed, TWaveListData& data) {
    TWaveListData read;
    for (int32_t& base : read.Bases) base = stream.ReadValue<int32_t>();
    int64_t length = stream.Remaining();
    if (lengthPrefixed) {
        const int32_t stated = stream.ReadValue<int32_t>();
        if (stated < 0 || stated > stream.Remaining()) throw rtl::EReadError(rtl::texts::SReadError);
        length = stated;
    }
    std::string text(static_cast<size_t>(length), '\0');
    if (length > 0) stream.ReadBuffer(text.data(), length);
    read.Names.SetText(text);
    data = std::move(read);
}

int SoundGroupOf(int32_t id) {
    auto in = [id](int32_t lo, int32_t hi) { return id >= lo && id <= hi; };
    if (in(1, 2)) return 1;
    if (in(12, 31) || in(71, 90) || in(112, 119) || in(131, 156)) return 2;
    if (id == 3 || in(32, 41) || in(100, 111)) return 3;
    if (id == 11 || in(42, 61) || in(91, 99) || in(120, 130)) return 4;
    if (in(62, 69)) return 5;
    if (in(4, 10)) return 6;
    if (id == 200) return 7;
    return 0;
}

namespace {
// A sound of the register as the kernel's command executor plays it.
class TRegisterSound final : public TKernelSound {
public:
    explicit TRegisterSound(media::TWaveCollectionItem& item) : item_(&item) {}
    bool Looped() const override { return item_->Looped(); }
    void SetLooped(bool value) override { item_->SetLooped(value); }
    bool Playing() const override { return item_->GetPlaying(); }
    void SetPosition(uint32_t position) override { item_->SetPosition(position); }
    void SetPosition3D(double x, double y, double z) override {
        item_->SetPosition3D(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    }
    void Play() override { item_->Play(); }

private:
    media::TWaveCollectionItem* item_;
};
}  // namespace

TDXRegisterSound::TDXRegisterSound(media::TDirectSound* sound) : media::TDXWaveList(sound) {}

TDXRegisterSound::~TDXRegisterSound() { sounds_.clear(); }

void TDXRegisterSound::LoadWaveList(TGPResource* container) {
    try {
        if (container) {
            std::vector<uint8_t> bytes;
            if (!ReadEntryBytes(*container, "Strings", "ListWave", bytes)) {
                Enabled = 0;
                return;
            }
            rtl::MemoryStream stream(std::move(bytes));
            ReadWaveList(stream, true, List);
        } else {
            rtl::FileStream file(RealPath(ResourceFolders().Sound + sListWaveFile), rtl::fmOpenRead);
            ReadWaveList(file, false, List);
        }
    } catch (...) {
        Enabled = 0;
        throw;
    }
}

int64_t TDXRegisterSound::SoundNumber(int32_t classId, int32_t index) const {
    const int group = SoundGroupOf(classId);
    return int64_t{index} + (group > 0 ? List.Bases[static_cast<size_t>(group - 1)] : 0);
}

media::TWaveCollectionItem* TDXRegisterSound::GetSound(int32_t classId, int32_t index, TGPKernel& kernel) {
    if (!Enabled) {
        kernel.SoundState->SoundOn = false;
        return nullptr;
    }
    try {
        const int64_t number = SoundNumber(classId, index);
        if (number < 0 || number >= List.Names.Count()) return nullptr;  // no line: no sound
        const std::string name = std::to_string(number);
        if (media::TWaveCollectionItem* found = Find(name)) return found;
        if (OnLoadSound) {
            const std::string& key = List.Names[static_cast<int>(number)];
            if (key.empty() || !DirectSound()) return nullptr;
            media::TWaveCollectionItem& item = Add(name);
            bool loaded = false;
            try {
                loaded = OnLoadSound(item, key);
            } catch (...) {
                delete &item;
                throw;
            }
            if (!loaded) {
                delete &item;
                return nullptr;
            }
            return &item;
        }
        TGPResource* container = kernel.Resource ? kernel.Resource.get() : kernel.InterfaceResource;
        if (!container || !DirectSound()) return nullptr;
        std::vector<uint8_t> bytes;
        const std::string& key = List.Names[static_cast<int>(number)];
        if (key.empty() || !ReadEntryBytes(*container, "Wav", key, bytes)) return nullptr;
        media::TWaveCollectionItem& item = Add(name);
        try {
            rtl::MemoryStream stream(std::move(bytes));
            item.LoadFromStream(stream);
        } catch (const media::EDirectSoundBufferError&) {
            delete &item;  // data that is not a sound: no sound
            return nullptr;
        } catch (...) {
            delete &item;
            throw;
        }
        return &item;
    } catch (...) {
        kernel.SoundState->SoundOn = false;
        throw;
    }
}

media::TWaveCollectionItem* TDXRegisterSound::GetObjectSound(int32_t classId, const TOneSlide* slide,
                                                             TGPKernel& kernel) {
    return slide ? GetSound(classId, slide->IDWav, kernel) : nullptr;
}

TKernelSound* TDXRegisterSound::KernelSound(media::TWaveCollectionItem* item) {
    if (!item) return nullptr;
    std::unique_ptr<TKernelSound>& sound = sounds_[item];
    if (!sound) sound = std::make_unique<TRegisterSound>(*item);
    return sound.get();
}

TKernelSound* TDXRegisterSound::SoundOfNumber(TGPKernel& kernel, int32_t number, int32_t idClass) {
    return KernelSound(GetSound(idClass, number, kernel));
}

TKernelSound* TDXRegisterSound::SoundOfSlide(TGPKernel& kernel, TGPStructure* source, int32_t idClass) {
    auto* sprite = dynamic_cast<TGPSprite*>(source);
    return KernelSound(GetObjectSound(idClass, sprite ? sprite->CurrentSlide : nullptr, kernel));
}

void TDXRegisterSound::ClearLoaded() {
    sounds_.clear();
    Clear();
}

TDXRegisterSound* WaveRegister(TGPKernel& kernel) { return dynamic_cast<TDXRegisterSound*>(kernel.SoundRegister.get()); }

}  // namespace engine
