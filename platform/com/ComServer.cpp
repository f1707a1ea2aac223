#include "platform/com/ComServer.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <mutex>
#include <vector>

#include "platform/registry/Registry.h"

namespace platform::com {
namespace {

std::atomic<int32_t> gObjects{0};
std::atomic<int32_t> gLocks{0};

std::mutex gFactoriesMutex;
std::vector<TComObjectFactory*>& Factories() {
    static std::vector<TComObjectFactory*> factories;
    return factories;
}

const char* ThreadingModelName(ThreadingModel m) {
    switch (m) {
    case ThreadingModel::tmSingle: return "";
    case ThreadingModel::tmApartment: return "Apartment";
    case ThreadingModel::tmFree: return "Free";
    case ThreadingModel::tmBoth: return "Both";
    }
    return "";
}

std::string BaseNameWithoutExtension(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.starts_with("lib")) name.erase(0, 3);
    size_t dot = name.find('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

using platform::registry::Registry;
using platform::registry::RootKey;

void WriteDefault(Registry& reg, const std::string& key, const std::string& value) {
    if (!reg.OpenKey("\\" + key, true)) throw platform::registry::ERegistryException("Cannot create key " + key);
    reg.WriteString("", value);
}

}  // namespace

int32_t ModuleObjectCount() { return gObjects.load(); }
int32_t ModuleLockCount() { return gLocks.load(); }
ModuleObjectCounter::ModuleObjectCounter() { ++gObjects; }
ModuleObjectCounter::~ModuleObjectCounter() { --gObjects; }

TComObjectFactory::TComObjectFactory(const CLSID& classId, std::string className, std::string description,
                                     ThreadingModel threading, Creator create)
    : classId_(classId),
      className_(std::move(className)),
      description_(std::move(description)),
      threading_(threading),
      create_(std::move(create)) {
    std::lock_guard lock(gFactoriesMutex);
    Factories().push_back(this);
}

TComObjectFactory::~TComObjectFactory() {
    std::lock_guard lock(gFactoriesMutex);
    std::erase(Factories(), this);
}

HRESULT TComObjectFactory::QueryInterface(const IID& iid, void** object) {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

uint32_t TComObjectFactory::AddRef() {
    ++gObjects;  // a factory handed out keeps the module loaded like an object
    return ++refs_;
}

uint32_t TComObjectFactory::Release() {
    --gObjects;
    return --refs_;
}

HRESULT TComObjectFactory::CreateInstance(IUnknown* outer, const IID& iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    IUnknown* created = nullptr;
    try {
        created = create_();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
    if (!created) return E_OUTOFMEMORY;
    // Hold one reference while asking, so a refused interface frees the object.
    created->AddRef();
    HRESULT hr = created->QueryInterface(iid, object);
    created->Release();
    return hr;
}

HRESULT TComObjectFactory::LockServer(int32_t lock) {
    if (lock) ++gLocks;
    else if (gLocks.load() > 0) --gLocks;
    return S_OK;
}

std::string TComObjectFactory::ProgID(const std::string& libraryPath) const {
    return BaseNameWithoutExtension(libraryPath) + "." + className_;
}

void TComObjectFactory::UpdateRegistry(bool doRegister, const std::string& libraryPath) const {
    const std::string clsid = GUIDToString(classId_);
    const std::string progId = ProgID(libraryPath);
    const std::string classKey = "CLSID\\" + clsid;
    Registry reg(RootKey::HKEY_CLASSES_ROOT);
    if (!doRegister) {
        reg.DeleteKey("\\" + classKey);
        reg.DeleteKey("\\" + progId);
        return;
    }
    WriteDefault(reg, progId, description_);
    WriteDefault(reg, progId + "\\Clsid", clsid);
    WriteDefault(reg, classKey, description_);
    WriteDefault(reg, classKey + "\\ProgID", progId);
    WriteDefault(reg, classKey + "\\InprocServer32", libraryPath);
    if (threading_ != ThreadingModel::tmSingle) reg.WriteString("ThreadingModel", ThreadingModelName(threading_));
    else reg.DeleteValue("ThreadingModel");
}

std::string ModulePathOf(const void* address) {
    Dl_info info{};
    if (!::dladdr(address, &info) || !info.dli_fname) return {};
    char resolved[PATH_MAX];
    if (::realpath(info.dli_fname, resolved)) return resolved;
    return info.dli_fname;
}

HRESULT ServerGetClassObject(const CLSID* classId, const IID* iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!classId || !iid) return E_INVALIDARG;
    std::lock_guard lock(gFactoriesMutex);
    for (TComObjectFactory* f : Factories())
        if (f->ClassID() == *classId) return f->QueryInterface(*iid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT ServerCanUnloadNow() { return gObjects.load() == 0 && gLocks.load() == 0 ? S_OK : S_FALSE; }

namespace {

void UpdateTypeLibrary(bool doRegister, const std::string& libraryPath, const TypeLibraryEntry& lib) {
    const std::string key = "TypeLib\\" + GUIDToString(lib.libraryId);
    Registry reg(RootKey::HKEY_CLASSES_ROOT);
    if (!doRegister) {
        reg.DeleteKey("\\" + key);
        return;
    }
    WriteDefault(reg, key + "\\" + lib.version, lib.name);
    WriteDefault(reg, key + "\\" + lib.version + "\\0\\linux64", libraryPath);
    if (!reg.OpenKey("\\" + key + "\\" + lib.version + "\\FLAGS", true))
        throw platform::registry::ERegistryException("Cannot create key " + key);
    reg.WriteString("", "0");
}

HRESULT UpdateServer(bool doRegister, const std::string& libraryPath, const TypeLibraryEntry* typeLibrary) {
    try {
        std::vector<TComObjectFactory*> factories;
        {
            std::lock_guard lock(gFactoriesMutex);
            factories = Factories();
        }
        for (TComObjectFactory* f : factories) f->UpdateRegistry(doRegister, libraryPath);
        if (typeLibrary) UpdateTypeLibrary(doRegister, libraryPath, *typeLibrary);
        return S_OK;
    } catch (...) {
        return SELFREG_E_CLASS;
    }
}

}  // namespace

HRESULT ServerRegister(const std::string& libraryPath, const TypeLibraryEntry* typeLibrary) {
    return UpdateServer(true, libraryPath, typeLibrary);
}

HRESULT ServerUnregister(const std::string& libraryPath, const TypeLibraryEntry* typeLibrary) {
    return UpdateServer(false, libraryPath, typeLibrary);
}

}  // namespace platform::com
