// The frame of an in-process server: reference-counted objects, class factories with lock
// counts, self-registration and the four entry points.
//
// A library declares one TComObjectFactory per creatable class (a static object) and forwards its
// exports to the functions at the end of this header.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "platform/com/Unknown.h"

namespace platform::com {

// Objects and server locks alive in this module; the module may unload when both are zero.
int32_t ModuleObjectCount();
int32_t ModuleLockCount();

// Counts itself among the module's objects for its lifetime.
class ModuleObjectCounter {
public:
    ModuleObjectCounter();
    ~ModuleObjectCounter();
    ModuleObjectCounter(const ModuleObjectCounter&) = delete;
    ModuleObjectCounter& operator=(const ModuleObjectCounter&) = delete;
};

// Implements IUnknown for an object that answers IUnknown and the interfaces its heir accepts.
// Interface is the most derived interface the object implements.
template <typename Interface>
class TComObject : public Interface {
public:
    TComObject() = default;
    virtual ~TComObject() = default;
    TComObject(const TComObject&) = delete;
    TComObject& operator=(const TComObject&) = delete;

    HRESULT QueryInterface(const IID& iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || Answers(iid)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override {
        uint32_t left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    // The interfaces beyond IUnknown this object answers.
    virtual bool Answers(const IID& iid) const = 0;

private:
    std::atomic<uint32_t> refs_{0};
    ModuleObjectCounter counter_;
};

// How objects of a class are shared between threads; written to the registry.
enum class ThreadingModel { tmSingle, tmApartment, tmFree, tmBoth };

// A class factory for one class: makes a new object for every request (multi-instance).
class TComObjectFactory final : public IClassFactory {
public:
    // create answers a new object with no references yet (TComObject heirs start at 0).
    using Creator = std::function<IUnknown*()>;

    TComObjectFactory(const CLSID& classId, std::string className, std::string description,
                      ThreadingModel threading, Creator create);
    ~TComObjectFactory();
    TComObjectFactory(const TComObjectFactory&) = delete;
    TComObjectFactory& operator=(const TComObjectFactory&) = delete;

    HRESULT QueryInterface(const IID& iid, void** object) override;
    // The factory is a static object of the module: references do not own it.
    uint32_t AddRef() override;
    uint32_t Release() override;
    HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) override;
    HRESULT LockServer(int32_t lock) override;

    const CLSID& ClassID() const { return classId_; }
    const std::string& ClassName() const { return className_; }
    const std::string& Description() const { return description_; }
    // "<library name>.<class name>", for example "Palvrek.InternetGame".
    std::string ProgID(const std::string& libraryPath) const;

    // Writes or removes HKEY_CLASSES_ROOT\CLSID\{...} (description, InprocServer32 = the library's
    // path, ThreadingModel, ProgID) and HKEY_CLASSES_ROOT\<ProgID>. Raises on registry failures.
    void UpdateRegistry(bool doRegister, const std::string& libraryPath) const;

private:
    CLSID classId_;
    std::string className_;
    std::string description_;
    ThreadingModel threading_;
    Creator create_;
    std::atomic<uint32_t> refs_{0};
};

// A type library entry written beside the classes: HKEY_CLASSES_ROOT\TypeLib\{libid}\<version>.
struct TypeLibraryEntry {
    GUID libraryId;
    std::string name;
    std::string version;  // "1.0"
};

// The path of the module (executable or shared library) that holds `address`, made absolute.
std::string ModulePathOf(const void* address);

// Entry points, for a library to forward its exports to. libraryPath is the library's own file.
HRESULT ServerGetClassObject(const CLSID* classId, const IID* iid, void** object);
HRESULT ServerCanUnloadNow();
HRESULT ServerRegister(const std::string& libraryPath, const TypeLibraryEntry* typeLibrary);
HRESULT ServerUnregister(const std::string& libraryPath, const TypeLibraryEntry* typeLibrary);

}  // namespace platform::com
