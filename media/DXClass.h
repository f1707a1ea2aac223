// What every media unit shares: the base of the DirectX wrapper objects, the media layer's
// error base, a named collection with a 256-bucket name hash, the 256-step cosine and sine
// tables behind every direction of the game, a cached loader of shared libraries, and a few
// integer and rectangle tests.
//
// The main window's form class and the control window-procedure hook live with the display.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "media/DXCollection.h"
#include "rtl/Exceptions.h"
#include "rtl/Types.h"

namespace media {

// ---- DirectX wrapper base ----

class TDirectX {
public:
    virtual ~TDirectX() = default;

    int32_t DXResult() const noexcept { return dxResult_; }
    // Stores the result of a call; a failure (non-zero) goes through Check, so a heir that
    // overrides Check sees every failure. Never raises by itself.
    void SetDXResult(int32_t value) {
        dxResult_ = value;
        if (value != 0) Check();
    }
    virtual void Check() {}

private:
    int32_t dxResult_ = 0;
};

// Base of the media layer's DirectX errors.
class EDirectXError : public rtl::Exception {
public:
    using Exception::Exception;
    const char* className() const noexcept override { return "EDirectXError"; }
};

// ---- Named collection with a name hash ----

class THashCollection;

// Bucket of a name: the folded name's length times 16, plus (for two letters or more) the
// codes of its first and second-to-last letters, modulo 256. The fold is the one of
// rtl/Text.h, the same the look-up compares with, so names that differ only in case
// (Cyrillic included) share a bucket.
int HashName(std::string_view name) noexcept;

// How a collection spreads names over its 256 buckets. Whatever the function, names that
// the look-up counts as equal (the fold) must fall in one bucket.
using HashFunction = int (*)(std::string_view name);

class THashCollectionItem : public TDXCollectionItem {
public:
    // Joins the collection at its end and links into the bucket of its (empty) name.
    explicit THashCollectionItem(THashCollection* collection);
    ~THashCollectionItem() override;

    const char* ClassName() const override { return "THashCollectionItem"; }
    const std::string& Name() const noexcept { return name_; }
    // A different name (exact compare) re-links the item into the new name's bucket.
    void SetName(std::string_view value);
    std::string GetDisplayName() const override;
    // From another THashCollectionItem copies the name only.
    void Assign(const TDXCollectionItem& source) override;

    int Bucket() const noexcept { return bucket_; }

private:
    friend class THashCollection;
    void Link();
    void Unlink();

    std::string name_;
    int bucket_ = -1;  // -1: not linked
    THashCollectionItem* prev_ = nullptr;
    THashCollectionItem* next_ = nullptr;
};

class THashCollection : public TDXCollection {
public:
    // The factory makes the heir's item class; the default makes plain THashCollectionItems.
    // The hash is HashName unless the heir names its own.
    THashCollection();
    explicit THashCollection(ItemFactory factory, HashFunction hash = HashName);
    ~THashCollection() override;

    int HashOf(std::string_view name) const { return hash_(name) & 255; }
    // First item of a bucket's chain (0..255, checked).
    THashCollectionItem* Head(int bucket) const { return buckets_.at(static_cast<size_t>(bucket)); }
    THashCollectionItem* NextInBucket(const THashCollectionItem& item) const noexcept;

    // Index of the first item of the name's bucket whose name equals name under the fold
    // (rtl::SameText); -1 when none.
    int IndexOf(std::string_view name) const;
    THashCollectionItem* Find(std::string_view name) const;
    THashCollectionItem* Items(int index) const;

private:
    friend class THashCollectionItem;
    HashFunction hash_;
    std::array<THashCollectionItem*, 256> buckets_{};
};

// ---- Angles: 256 steps to the full turn, 0 along +x, 64 a quarter turn ----

namespace detail {
extern const std::array<double, 256> cosTable256;
}
// Table values: entry i = cos(2*pi*i/256), made from the first quadrant by symmetry so that
// the quarter turns are exact (0, 1, -1) and opposite angles give equal magnitudes.
inline double TableCos256(uint8_t angle) noexcept { return detail::cosTable256[angle]; }
// The cosine a three-quarter turn ahead, which is the sine.
inline double TableSin256(uint8_t angle) noexcept {
    return detail::cosTable256[static_cast<uint8_t>(angle + 192)];
}

// ---- Shared libraries ----

// The address of procName in the library. Libraries are cached by their lower-cased name;
// a library that does not load and a procedure that is missing both raise rtl::Exception
// "%s not loaded" naming the library. A library that loaded stays cached even when the
// procedure was missing.
void* DXLoadLibrary(const std::string& libraryName, const std::string& procName);
// Releases every cached library (also done when the program ends).
void FreeLibList();

// ---- Integers and rectangles ----

inline int32_t Max(int32_t a, int32_t b) noexcept { return a > b ? a : b; }
inline int32_t Min(int32_t a, int32_t b) noexcept { return a < b ? a : b; }
// The right and bottom edges count as inside.
bool PointInRect(const rtl::TPoint& point, const rtl::TRect& rect) noexcept;
// Rectangles that only touch do not overlap.
bool OverlapRect(const rtl::TRect& r1, const rtl::TRect& r2) noexcept;

}  // namespace media
