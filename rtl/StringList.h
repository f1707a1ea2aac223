// A list of 1251 texts with an object per item: the class library's string list.
//
// - Compares (IndexOf, Find, Sort, IndexOfName, duplicates) use the one case fold of
//   rtl/Text.h: CompareText.
// - Sorted keeps the items in CompareText order; Add then inserts at its place, Find is a
//   binary search, and Duplicates says what Add does with a text already there. Operations
//   that would break the order (Insert, SetString, Exchange, Move) raise EStringListError
//   "Operation not allowed on sorted string list".
// - Objects: each item carries a std::any, empty by default. It holds whatever the caller
//   stored (a non-owning pointer, an index, a small value) and hands it back only as the same
//   type: ObjectAs<T*>(i) answers nullptr for an item without object and raises EInvalidCast
//   for one of another type, so a wrong cast is an error, never a reinterpretation.
// - Text joins the items with CRLF after each (the files are Windows texts); setting Text
//   splits at CR, LF and CRLF; a final line break adds no empty item.
// - Names and values: an item "name=value" has the name before its first '='.
#pragma once

#include <any>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "rtl/Exceptions.h"

namespace rtl {

class Stream;

enum class TDuplicates { dupIgnore, dupAccept, dupError };
using enum TDuplicates;

class StringList {
public:
    StringList() = default;

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    bool Empty() const noexcept { return items_.empty(); }

    // Answers the index the text went to (for a sorted list with dupIgnore, that of the
    // equal text already there).
    int Add(std::string_view text) { return AddObject(text, std::any{}); }
    int AddObject(std::string_view text, std::any object);
    void AddStrings(const StringList& other);
    void Insert(int index, std::string_view text) { InsertObject(index, text, std::any{}); }
    void InsertObject(int index, std::string_view text, std::any object);
    void Delete(int index);
    void Clear() noexcept { items_.clear(); }
    void Exchange(int index1, int index2);
    void Move(int curIndex, int newIndex);

    const std::string& Strings(int index) const;
    const std::string& operator[](int index) const { return Strings(index); }
    void SetString(int index, std::string_view text);

    const std::any& Objects(int index) const;
    void SetObject(int index, std::any object);
    template <typename T> T ObjectAs(int index) const;
    // Answers the first item whose object is a T equal to object, or -1.
    template <typename T> int IndexOfObject(const T& object) const;

    // First index of a text equal under the fold, or -1 (binary search when sorted).
    int IndexOf(std::string_view text) const;
    // Binary search over a sorted list: answers whether the text is there and, in index,
    // its first position or the position it would go to.
    bool Find(std::string_view text, int& index) const;

    bool Sorted() const noexcept { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const noexcept { return duplicates_; }
    void SetDuplicates(TDuplicates d) noexcept { duplicates_ = d; }
    void Sort();

    // ---- Names and values ----
    std::string Names(int index) const;
    std::string ValueFromIndex(int index) const;
    int IndexOfName(std::string_view name) const;
    // The value of the first item with this name, or "" when there is none.
    std::string Values(std::string_view name) const;
    // Replaces the value of the first item with this name, or adds "name=value";
    // an empty value deletes the item.
    void SetValue(std::string_view name, std::string_view value);

    // ---- Whole texts ----
    std::string Text() const;
    void SetText(std::string_view text);
    // Items separated by commas; an empty item or one with a space, control byte, comma or
    // quote is quoted with '"' (quotes doubled). Setting splits at commas and at runs of blanks
    // outside quotes.
    std::string CommaText() const;
    void SetCommaText(std::string_view text);

    // The rest of the stream is the text.
    void LoadFromStream(Stream& stream);
    void SaveToStream(Stream& stream) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;  // crash-safe replacement

    std::vector<std::string> ToVector() const;

private:
    struct Item {
        std::string text;
        std::any object;
    };

    size_t Check(int index) const;
    void CheckUnsorted() const;

    std::vector<Item> items_;
    bool sorted_ = false;
    TDuplicates duplicates_ = dupIgnore;
};

[[noreturn]] void RaiseInvalidCast();

template <typename T> T StringList::ObjectAs(int index) const {
    const std::any& o = Objects(index);
    if (!o.has_value()) {
        if constexpr (std::is_default_constructible_v<T>) return T{};
        else RaiseInvalidCast();
    }
    if (const T* p = std::any_cast<T>(&o)) return *p;
    RaiseInvalidCast();
}

template <typename T> int StringList::IndexOfObject(const T& object) const {
    for (int i = 0; i < Count(); ++i) {
        if (const T* p = std::any_cast<T>(&items_[i].object); p && *p == object) return i;
    }
    return -1;
}

}  // namespace rtl
