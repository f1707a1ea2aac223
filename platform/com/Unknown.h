// The base interface of every component object and the class factory.
//
// An interface is a C++ class of pure virtual operations and nothing else, so that its table
// of operations has one slot per operation in declaration order (slot 0 QueryInterface, 1 AddRef,
// 2 Release, then the heir's own) and can be called across module boundaries. No interface has
// a virtual destructor (it would take slots): objects go through Release.
#pragma once

#include <cstdint>

#include "platform/com/Guid.h"
#include "platform/com/Types.h"

namespace platform::com {

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IUnknown {
public:
    // Answers S_OK and an added reference in *object, or E_NOINTERFACE and nullptr.
    virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
public:
    // Makes a new object and answers its interface `iid`. outer must be null (no aggregation).
    virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;
    // lock != 0 keeps the server loaded; 0 undoes one earlier lock.
    virtual HRESULT LockServer(int32_t lock) = 0;

protected:
    ~IClassFactory() = default;
};

// Holds one reference and releases it when it goes.
template <typename I>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = o.p_;
            o.p_ = nullptr;
        }
        return *this;
    }

    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    I* get() const { return p_; }
    I* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Address for an out parameter of type void**; the old reference is released first.
    void** out() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }

private:
    I* p_ = nullptr;
};

}  // namespace platform::com
