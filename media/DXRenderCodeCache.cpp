// The code buffer and the routine cache of the pipeline machine.
#include <sys/mman.h>
#include <unistd.h>

#include "media/DXRenderJit.h"

namespace media {

namespace {
std::size_t pageSize() {
    static const std::size_t size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}
std::size_t pageFloor(std::size_t n) { return n / pageSize() * pageSize(); }
std::size_t pageCeil(std::size_t n) { return (n + pageSize() - 1) / pageSize() * pageSize(); }

// Routines start on cache lines.
constexpr std::size_t routineAlign = 64;
}  // namespace

TDXRCodeBuffer::TDXRCodeBuffer(std::size_t size) {
    size = pageCeil(size);
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) throw EDXRenderError("Pixel pipeline: code buffer cannot be mapped");
    data_ = static_cast<uint8_t*>(p);
    size_ = size;
}

TDXRCodeBuffer::~TDXRCodeBuffer() {
    if (data_) munmap(data_, size_);
}

bool TDXRCodeBuffer::openFrom(std::size_t from) {
    const std::size_t first = pageFloor(from);
    if (first >= sealedEnd_) return true;
    if (mprotect(data_ + first, sealedEnd_ - first, PROT_READ | PROT_WRITE) != 0) return false;
    sealedEnd_ = first;
    return true;
}

bool TDXRCodeBuffer::seal(std::size_t from, std::size_t to) {
    const std::size_t first = pageFloor(from), last = pageCeil(to);
    if (last <= first) return true;
    if (mprotect(data_ + first, last - first, PROT_READ | PROT_EXEC) != 0) return false;
    if (last > sealedEnd_) sealedEnd_ = last;
    return true;
}

TDXRCodeCache::TDXRCodeCache(std::size_t bytes, std::size_t routines)
    : buffer_(bytes), limit_(routines == 0 ? 1 : routines) {}

const TDXRCodeCache::TRoutine* TDXRCodeCache::Find(const std::string& key) const {
    const auto it = routines_.find(key);
    return it == routines_.end() ? nullptr : &it->second;
}

void TDXRCodeCache::Clear() {
    routines_.clear();
    used_ = 0;
    ++flushes_;
}

const TDXRCodeCache::TRoutine* TDXRCodeCache::emitAt(std::size_t start, const std::string& key,
                                                     const TEmitter& emit) {
    if (!buffer_.openFrom(start)) return nullptr;
    TRoutine r = emit(buffer_.data() + start, buffer_.size() - start);
    if (!buffer_.seal(start, start + r.Size)) return nullptr;
    __builtin___clear_cache(reinterpret_cast<char*>(buffer_.data() + start),
                            reinterpret_cast<char*>(buffer_.data() + start + r.Size));
    r.Entry = buffer_.data() + start;
    used_ = start + r.Size;
    ++generations_;
    return &routines_.insert_or_assign(key, r).first->second;
}

const TDXRCodeCache::TRoutine* TDXRCodeCache::Add(const std::string& key, const TEmitter& emit) {
    if (routines_.size() >= limit_) Clear();
    const std::size_t start = (used_ + routineAlign - 1) / routineAlign * routineAlign;
    if (start < buffer_.size()) {
        try {
            return emitAt(start, key, emit);
        } catch (const TNoRoom&) {
            if (start == 0) return nullptr;
        }
    }
    // Full: start again from the front.
    Clear();
    try {
        return emitAt(0, key, emit);
    } catch (const TNoRoom&) {
        return nullptr;  // larger than the whole buffer
    }
}

}  // namespace media
