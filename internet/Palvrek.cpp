// The library file: the exports of the in-process server and the message-pump hook.
#include "internet/HTTPClientU.h"
#include "internet/PalvrekU.h"

#define PALVREK_EXPORT extern "C" __attribute__((visibility("default")))

using platform::com::CLSID;
using platform::com::HRESULT;
using platform::com::IID;

namespace {

// The factory is registered as soon as the library is loaded.
[[maybe_unused]] const auto& gFactory = palvrek::InternetGameFactory();

const platform::com::TypeLibraryEntry kTypeLibrary{palvrek::LIBID_Palvrek, "R_Internet", "1.0"};

std::string LibraryPath() { return platform::com::ModulePathOf(reinterpret_cast<const void*>(&LibraryPath)); }

// Unloading the library forgets its settings: the library state goes with the module's statics.

}  // namespace

PALVREK_EXPORT HRESULT DllGetClassObject(const CLSID* classId, const IID* iid, void** object) {
    palvrek::InternetGameFactory();
    return platform::com::ServerGetClassObject(classId, iid, object);
}

PALVREK_EXPORT HRESULT DllCanUnloadNow() { return platform::com::ServerCanUnloadNow(); }

PALVREK_EXPORT HRESULT DllRegisterServer() {
    palvrek::InternetGameFactory();
    return platform::com::ServerRegister(LibraryPath(), &kTypeLibrary);
}

PALVREK_EXPORT HRESULT DllUnregisterServer() {
    palvrek::InternetGameFactory();
    return platform::com::ServerUnregister(LibraryPath(), &kTypeLibrary);
}

PALVREK_EXPORT void PalvrekSetMessagePump(palvrek::PalvrekMessagePump pump, void* context) {
    palvrek::SetMessagePump(pump, context);
}
