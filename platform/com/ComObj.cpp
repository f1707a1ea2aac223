#include "platform/com/ComObj.h"

#include <dlfcn.h>

#include <map>
#include <memory>
#include <mutex>

#include "platform/registry/Registry.h"

// The runtime's per-thread state. One definition serves the whole process: executables export
// this symbol, and a library looks it up in the process before falling back to its own copy, so
// an error set inside a loaded component is seen by its caller.
extern "C" __attribute__((visibility("default"))) void* SprallionComThreadState();

namespace platform::com {
namespace {

struct ThreadState {
    int initCount = 0;
    bool hasError = false;
    BSTR source = nullptr;
    BSTR description = nullptr;
    ~ThreadState() {
        SysFreeString(source);
        SysFreeString(description);
    }
};

using StateFunction = void* (*)();

ThreadState& State() {
    static StateFunction shared = [] {
        auto found = reinterpret_cast<StateFunction>(::dlsym(RTLD_DEFAULT, "SprallionComThreadState"));
        return found ? found : &SprallionComThreadState;
    }();
    return *static_cast<ThreadState*>(shared());
}

using GetClassObjectFunction = HRESULT (*)(const CLSID*, const IID*, void**);
using CanUnloadNowFunction = HRESULT (*)();

struct LoadedLibrary {
    void* handle = nullptr;
    GetClassObjectFunction getClassObject = nullptr;
    CanUnloadNowFunction canUnloadNow = nullptr;
};

std::mutex gLibrariesMutex;
std::map<std::string, LoadedLibrary>& Libraries() {
    static std::map<std::string, LoadedLibrary> libraries;
    return libraries;
}
int gInitializedThreads = 0;

std::string InprocServerPath(const CLSID& classId) {
    platform::registry::Registry reg(platform::registry::RootKey::HKEY_CLASSES_ROOT);
    if (!reg.OpenKeyReadOnly("CLSID\\" + GUIDToString(classId) + "\\InprocServer32")) return {};
    auto v = reg.ReadValue("");
    if (!v || v->type != platform::registry::ValueType::String) return {};
    return v->data;
}

}  // namespace

HRESULT CoInitialize(void*) {
    ThreadState& s = State();
    if (s.initCount++ > 0) return S_FALSE;
    std::lock_guard lock(gLibrariesMutex);
    ++gInitializedThreads;
    return S_OK;
}

void CoUninitialize() {
    ThreadState& s = State();
    if (s.initCount == 0) return;
    if (--s.initCount > 0) return;
    bool last = false;
    {
        std::lock_guard lock(gLibrariesMutex);
        last = --gInitializedThreads == 0;
    }
    if (last) CoFreeUnusedLibraries();
}

HRESULT CoGetClassObject(const CLSID& classId, uint32_t context, void*, const IID& iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (State().initCount == 0) return CO_E_NOTINITIALIZED;
    if ((context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)) == 0) return REGDB_E_CLASSNOTREG;
    std::string path;
    try {
        path = InprocServerPath(classId);
    } catch (const std::exception&) {
        return REGDB_E_CLASSNOTREG;
    }
    if (path.empty()) return REGDB_E_CLASSNOTREG;
    GetClassObjectFunction getClassObject = nullptr;
    {
        std::lock_guard lock(gLibrariesMutex);
        auto it = Libraries().find(path);
        if (it == Libraries().end()) {
            void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) return CO_E_DLLNOTFOUND;
            LoadedLibrary lib;
            lib.handle = handle;
            lib.getClassObject = reinterpret_cast<GetClassObjectFunction>(::dlsym(handle, "DllGetClassObject"));
            lib.canUnloadNow = reinterpret_cast<CanUnloadNowFunction>(::dlsym(handle, "DllCanUnloadNow"));
            if (!lib.getClassObject) {
                ::dlclose(handle);
                return CO_E_ERRORINDLL;
            }
            it = Libraries().emplace(path, lib).first;
        }
        getClassObject = it->second.getClassObject;
    }
    return getClassObject(&classId, &iid, object);
}

HRESULT CoCreateInstance(const CLSID& classId, IUnknown* outer, uint32_t context, const IID& iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(classId, context, nullptr, IID_IClassFactory, factory.out());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(outer, iid, object);
}

void* CoGetLoadedExport(const CLSID& classId, const char* name) {
    std::string path;
    try {
        path = InprocServerPath(classId);
    } catch (const std::exception&) {
        return nullptr;
    }
    std::lock_guard lock(gLibrariesMutex);
    auto it = Libraries().find(path);
    return it == Libraries().end() ? nullptr : ::dlsym(it->second.handle, name);
}

void CoFreeUnusedLibraries() {
    std::lock_guard lock(gLibrariesMutex);
    auto& libs = Libraries();
    for (auto it = libs.begin(); it != libs.end();) {
        // A library without DllCanUnloadNow cannot say it is idle, so it stays.
        if (it->second.canUnloadNow && it->second.canUnloadNow() == S_OK) {
            ::dlclose(it->second.handle);
            it = libs.erase(it);
        } else {
            ++it;
        }
    }
}

void SetErrorInfo(const ErrorInfo& info) {
    ThreadState& s = State();
    AssignBstr(s.source, info.source);
    AssignBstr(s.description, info.description);
    s.hasError = true;
}

void ClearErrorInfo() {
    ThreadState& s = State();
    FreeBstr(s.source);
    FreeBstr(s.description);
    s.hasError = false;
}

std::optional<ErrorInfo> GetErrorInfo() {
    ThreadState& s = State();
    if (!s.hasError) return std::nullopt;
    ErrorInfo info{BstrToString(s.source), BstrToString(s.description)};
    ClearErrorInfo();
    return info;
}

}  // namespace platform::com

extern "C" void* SprallionComThreadState() {
    thread_local platform::com::ThreadState state;
    return &state;
}
