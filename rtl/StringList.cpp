#include "rtl/StringList.h"

#include <algorithm>

#include "rtl/ListError.h"
#include "rtl/Streams.h"
#include "rtl/Text.h"

namespace rtl {

void RaiseInvalidCast() { throw EInvalidCast("Invalid class typecast"); }

size_t StringList::Check(int index) const {
    if (index < 0 || index >= Count()) ListIndexError(index);
    return static_cast<size_t>(index);
}

void StringList::CheckUnsorted() const {
    if (sorted_) throw EStringListError(texts::SSortedListError);
}

int StringList::AddObject(std::string_view text, std::any object) {
    int index = Count();
    if (sorted_) {
        if (Find(text, index)) {
            if (duplicates_ == dupIgnore) return index;
            if (duplicates_ == dupError) throw EStringListError(texts::SDuplicateString);
            // dupAccept: after the equal ones, so equal texts keep the order they came in.
            while (index < Count() && CompareText(items_[index].text, text) == 0) ++index;
        }
    }
    items_.insert(items_.begin() + index, Item{std::string(text), std::move(object)});
    return index;
}

void StringList::AddStrings(const StringList& other) {
    for (const Item& item : std::vector<Item>(other.items_)) AddObject(item.text, item.object);
}

void StringList::InsertObject(int index, std::string_view text, std::any object) {
    CheckUnsorted();
    if (index < 0 || index > Count()) ListIndexError(index);
    items_.insert(items_.begin() + index, Item{std::string(text), std::move(object)});
}

void StringList::Delete(int index) { items_.erase(items_.begin() + Check(index)); }

void StringList::Exchange(int index1, int index2) {
    CheckUnsorted();
    std::swap(items_[Check(index1)], items_[Check(index2)]);
}

void StringList::Move(int curIndex, int newIndex) {
    CheckUnsorted();
    Check(curIndex);
    Check(newIndex);
    if (curIndex == newIndex) return;
    Item item = std::move(items_[curIndex]);
    items_.erase(items_.begin() + curIndex);
    items_.insert(items_.begin() + newIndex, std::move(item));
}

const std::string& StringList::Strings(int index) const { return items_[Check(index)].text; }

void StringList::SetString(int index, std::string_view text) {
    CheckUnsorted();
    items_[Check(index)].text = std::string(text);
}

const std::any& StringList::Objects(int index) const { return items_[Check(index)].object; }

void StringList::SetObject(int index, std::any object) {
    items_[Check(index)].object = std::move(object);
}

int StringList::IndexOf(std::string_view text) const {
    if (sorted_) {
        int index;
        return Find(text, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (SameText(items_[i].text, text)) return i;
    return -1;
}

bool StringList::Find(std::string_view text, int& index) const {
    // First position whose text is not below the given one.
    int lo = 0;
    int hi = Count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (CompareText(items_[mid].text, text) < 0) lo = mid + 1;
        else hi = mid;
    }
    index = lo;
    return lo < Count() && CompareText(items_[lo].text, text) == 0;
}

void StringList::SetSorted(bool sorted) {
    if (sorted && !sorted_) Sort();
    sorted_ = sorted;
}

void StringList::Sort() {
    std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
        return CompareText(a.text, b.text) < 0;
    });
}

std::string StringList::Names(int index) const {
    const std::string& s = Strings(index);
    const size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string StringList::ValueFromIndex(int index) const {
    const std::string& s = Strings(index);
    const size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

int StringList::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = items_[i].text;
        const size_t eq = s.find('=');
        if (eq != std::string::npos && SameText(std::string_view(s).substr(0, eq), name)) return i;
    }
    return -1;
}

std::string StringList::Values(std::string_view name) const {
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void StringList::SetValue(std::string_view name, std::string_view value) {
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    std::string item(name);
    item += '=';
    item += value;
    if (i < 0) {
        Add(item);
    } else if (sorted_) {
        // Same name, so the place in the order holds; only the value part changes.
        items_[i].text = std::move(item);
    } else {
        SetString(i, item);
    }
}

std::string StringList::Text() const {
    size_t size = 0;
    for (const Item& item : items_) size += item.text.size() + 2;
    std::string out;
    out.reserve(size);
    for (const Item& item : items_) {
        out += item.text;
        out += "\r\n";
    }
    return out;
}

void StringList::SetText(std::string_view text) {
    Clear();
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const size_t start = i;
        while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
        Add(text.substr(start, i - start));
        if (i < n && text[i] == '\r') ++i;
        if (i < n && text[i] == '\n') ++i;
    }
}

namespace {
bool IsBlank(char c) { return c != '\0' && static_cast<uint8_t>(c) <= ' '; }
}  // namespace

std::string StringList::CommaText() const {
    std::string out;
    for (int i = 0; i < Count(); ++i) {
        if (i > 0) out += ',';
        const std::string& s = items_[i].text;
        // Empty items are quoted too, so that a trailing one survives the way back.
        const bool quote = s.empty() || std::any_of(s.begin(), s.end(), [](char c) {
            return static_cast<uint8_t>(c) <= ' ' || c == '"' || c == ',';
        });
        if (!quote) {
            out += s;
            continue;
        }
        out += '"';
        for (char c : s) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

void StringList::SetCommaText(std::string_view text) {
    Clear();
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && IsBlank(text[i])) ++i;
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            const size_t start = i;
            while (i < n && !IsBlank(text[i]) && text[i] != ',') ++i;
            item.assign(text.substr(start, i - start));
        }
        Add(item);
        while (i < n && IsBlank(text[i])) ++i;
        if (i < n && text[i] == ',') {
            ++i;
            while (i < n && IsBlank(text[i])) ++i;
        }
    }
}

void StringList::LoadFromStream(Stream& stream) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const int64_t got = stream.Read(buffer, sizeof buffer);
        if (got <= 0) break;
        text.append(buffer, static_cast<size_t>(got));
    }
    SetText(text);
}

void StringList::SaveToStream(Stream& stream) const {
    const std::string text = Text();
    if (stream.Write(text.data(), static_cast<int64_t>(text.size())) !=
        static_cast<int64_t>(text.size()))
        throw EWriteError(texts::SWriteError);
}

std::vector<std::string> StringList::ToVector() const {
    std::vector<std::string> out;
    out.reserve(items_.size());
    for (const Item& item : items_) out.push_back(item.text);
    return out;
}

}  // namespace rtl
