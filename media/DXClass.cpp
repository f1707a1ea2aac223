#include "media/DXClass.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

#include "rtl/Text.h"

namespace media {

// ---- Name hash ----

int HashName(std::string_view name) noexcept {
    const size_t n = name.size();
    uint32_t h = static_cast<uint32_t>(n) << 4;
    if (n >= 2) {
        h += rtl::LowerChar(static_cast<uint8_t>(name[0]));
        h += rtl::LowerChar(static_cast<uint8_t>(name[n - 2]));
    }
    return static_cast<int>(h & 255);
}

THashCollectionItem::THashCollectionItem(THashCollection* collection)
    : TDXCollectionItem(collection) {
    Link();
}

THashCollectionItem::~THashCollectionItem() { Unlink(); }

void THashCollectionItem::Link() {
    auto* owner = static_cast<THashCollection*>(GetCollection());
    if (!owner) return;
    bucket_ = owner->HashOf(name_);
    THashCollectionItem*& head = owner->buckets_[static_cast<size_t>(bucket_)];
    prev_ = nullptr;
    next_ = head;
    if (head) head->prev_ = this;
    head = this;
}

void THashCollectionItem::Unlink() {
    auto* owner = static_cast<THashCollection*>(GetCollection());
    if (!owner || bucket_ < 0) return;
    if (prev_) prev_->next_ = next_;
    else owner->buckets_[static_cast<size_t>(bucket_)] = next_;
    if (next_) next_->prev_ = prev_;
    prev_ = next_ = nullptr;
    bucket_ = -1;
}

void THashCollectionItem::SetName(std::string_view value) {
    if (value == name_) return;
    Unlink();
    name_ = std::string(value);
    Link();
}

std::string THashCollectionItem::GetDisplayName() const {
    return name_.empty() ? TDXCollectionItem::GetDisplayName() : name_;
}

void THashCollectionItem::Assign(const TDXCollectionItem& source) {
    if (const auto* other = dynamic_cast<const THashCollectionItem*>(&source)) {
        SetName(other->Name());
        return;
    }
    TDXCollectionItem::Assign(source);
}

THashCollection::THashCollection()
    : THashCollection([](TDXCollection* c) -> TDXCollectionItem* {
          return new THashCollectionItem(static_cast<THashCollection*>(c));
      }) {}

THashCollection::THashCollection(ItemFactory factory, HashFunction hash)
    : TDXCollection(std::move(factory)), hash_(hash ? hash : HashName) {}

THashCollectionItem* THashCollection::NextInBucket(const THashCollectionItem& item) const noexcept {
    return item.next_;
}

// The items unlink from the buckets as they go, so the buckets must still be here.
THashCollection::~THashCollection() { Clear(); }

int THashCollection::IndexOf(std::string_view name) const {
    for (const THashCollectionItem* item = buckets_[static_cast<size_t>(HashOf(name))]; item;
         item = item->next_) {
        if (rtl::SameText(item->name_, name)) return item->Index();
    }
    return -1;
}

THashCollectionItem* THashCollection::Find(std::string_view name) const {
    const int i = IndexOf(name);
    return i < 0 ? nullptr : Items(i);
}

THashCollectionItem* THashCollection::Items(int index) const {
    return static_cast<THashCollectionItem*>(TDXCollection::Items(index));
}

// ---- Angle tables ----

namespace {
// cos(2*pi*i/256) for the first quadrant, i = 0..64 (the last exactly 0).
constexpr double kQuadrant[65] = {
    1.0, 0.9996988186962042, 0.9987954562051724, 0.9972904566786902,
    0.9951847266721969, 0.99247953459871, 0.989176509964781, 0.9852776423889412,
    0.9807852804032304, 0.9757021300385286, 0.970031253194544, 0.9637760657954398,
    0.9569403357322088, 0.9495281805930367, 0.9415440651830208, 0.932992798834739,
    0.9238795325112867, 0.9142097557035307, 0.9039892931234433, 0.8932243011955153,
    0.881921264348355, 0.8700869911087115, 0.8577286100002721, 0.8448535652497071,
    0.8314696123025452, 0.8175848131515837, 0.8032075314806449, 0.7883464276266063,
    0.773010453362737, 0.7572088465064846, 0.7409511253549591, 0.724247082951467,
    0.7071067811865476, 0.6895405447370669, 0.6715589548470183, 0.6531728429537768,
    0.6343932841636455, 0.6152315905806268, 0.5956993044924335, 0.5758081914178453,
    0.5555702330196023, 0.5349976198870973, 0.5141027441932217, 0.4928981922297841,
    0.4713967368259978, 0.4496113296546066, 0.4275550934302822, 0.40524131400498986,
    0.38268343236508984, 0.3598950365349883, 0.33688985339222005, 0.3136817403988916,
    0.29028467725446233, 0.2667127574748984, 0.24298017990326398, 0.21910124015686977,
    0.19509032201612833, 0.17096188876030136, 0.14673047445536175, 0.12241067519921628,
    0.09801714032956077, 0.07356456359966745, 0.049067674327418126, 0.024541228522912264,
    0.0,
};
constexpr std::array<double, 256> MakeCosTable() {
    std::array<double, 256> t{};
    for (int i = 0; i <= 64; ++i) {
        const double c = kQuadrant[i];
        t[static_cast<size_t>(i)] = c;                // first quadrant
        t[static_cast<size_t>((256 - i) & 255)] = c;  // cos(-x) = cos x
        t[static_cast<size_t>(128 - i)] = -c + 0.0;   // cos(pi - x) = -cos x
        t[static_cast<size_t>(128 + i)] = -c + 0.0;   // cos(pi + x) = -cos x
    }
    return t;
}
}  // namespace

namespace detail {
constinit const std::array<double, 256> cosTable256 = MakeCosTable();
}

// ---- Shared libraries ----

namespace {
struct LibCache {
    std::mutex lock;
    std::map<std::string, void*> modules;  // lower-cased name -> handle
    ~LibCache() { Release(); }
    void Release() {
        for (auto& [name, handle] : modules) dlclose(handle);
        modules.clear();
    }
};
LibCache& Libs() {
    static LibCache cache;
    return cache;
}
[[noreturn]] void NotLoaded(const std::string& libraryName) {
    throw rtl::Exception(libraryName + " not loaded");
}
}  // namespace

void* DXLoadLibrary(const std::string& libraryName, const std::string& procName) {
    LibCache& cache = Libs();
    std::lock_guard guard(cache.lock);
    const std::string key = rtl::LowerCase(libraryName);
    auto it = cache.modules.find(key);
    if (it == cache.modules.end()) {
        void* handle = dlopen(libraryName.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) NotLoaded(libraryName);
        it = cache.modules.emplace(key, handle).first;
    }
    void* proc = dlsym(it->second, procName.c_str());
    if (!proc) NotLoaded(libraryName);
    return proc;
}

void FreeLibList() {
    LibCache& cache = Libs();
    std::lock_guard guard(cache.lock);
    cache.Release();
}

// ---- Rectangles ----

bool PointInRect(const rtl::TPoint& p, const rtl::TRect& r) noexcept {
    return r.Left <= p.X && p.X <= r.Right && r.Top <= p.Y && p.Y <= r.Bottom;
}

bool OverlapRect(const rtl::TRect& a, const rtl::TRect& b) noexcept {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace media
