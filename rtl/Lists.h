// A checked list: the class library's list of items with an index check on every access.
//
// Used throughout the engine for lists of pointers that refer without owning (nation
// lists, child sprites, riders, crowds). A bad index raises EListError
// "List index out of bounds (%d)" naming the index, never undefined behaviour.
#pragma once

#include <algorithm>
#include <vector>

#include "rtl/Exceptions.h"
#include "rtl/ListError.h"

namespace rtl {

template <typename T>
class List {
public:
    List() = default;

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    bool Empty() const noexcept { return items_.empty(); }

    const T& Items(int index) const { return items_[Check(index)]; }
    T& Items(int index) { return items_[Check(index)]; }
    void SetItem(int index, T item) { items_[Check(index)] = std::move(item); }
    const T& operator[](int index) const { return Items(index); }
    T& operator[](int index) { return Items(index); }
    const T& First() const { return Items(0); }
    const T& Last() const { return Items(Count() - 1); }

    // Answers the index of the new item.
    int Add(T item) {
        items_.push_back(std::move(item));
        return Count() - 1;
    }
    // Index may be Count (append).
    void Insert(int index, T item) {
        if (index < 0 || index > Count()) ListIndexError(index);
        items_.insert(items_.begin() + index, std::move(item));
    }
    void Delete(int index) { items_.erase(items_.begin() + Check(index)); }
    // Removes the first equal item; answers its former index, or -1.
    int Remove(const T& item) {
        const int i = IndexOf(item);
        if (i >= 0) items_.erase(items_.begin() + i);
        return i;
    }
    // Answers the index of the first equal item, or -1.
    int IndexOf(const T& item) const {
        const auto it = std::find(items_.begin(), items_.end(), item);
        return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
    }
    bool Contains(const T& item) const { return IndexOf(item) >= 0; }
    void Clear() noexcept { items_.clear(); }

    void Exchange(int index1, int index2) {
        std::swap(items_[Check(index1)], items_[Check(index2)]);
    }
    // Takes the item at curIndex out and puts it back at newIndex.
    void Move(int curIndex, int newIndex) {
        Check(curIndex);
        Check(newIndex);
        if (curIndex == newIndex) return;
        T item = std::move(items_[curIndex]);
        items_.erase(items_.begin() + curIndex);
        items_.insert(items_.begin() + newIndex, std::move(item));
    }
    // compare(a, b) answers < 0, 0 or > 0 as a sorts before, with or after b.
    // Stable: equal items keep their order, so sorting is reproducible.
    template <typename Compare>
    void Sort(Compare compare) {
        std::stable_sort(items_.begin(), items_.end(),
                         [&compare](const T& a, const T& b) { return compare(a, b) < 0; });
    }

    // A copy of the items, for loops whose body may change the list.
    std::vector<T> Snapshot() const { return items_; }

    auto begin() const noexcept { return items_.begin(); }
    auto end() const noexcept { return items_.end(); }
    auto begin() noexcept { return items_.begin(); }
    auto end() noexcept { return items_.end(); }

private:
    size_t Check(int index) const {
        if (index < 0 || index >= Count()) ListIndexError(index);
        return static_cast<size_t>(index);
    }

    std::vector<T> items_;
};

}  // namespace rtl
