// The component system's runtime: initialisation per thread, creation of registered in-process
// objects by class identifier, and the thread's error information.
//
// CoCreateInstance reads HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 (its default value is the
// library's path), loads the library with dlopen, asks its DllGetClassObject for the class
// factory, lets the factory make the object and answers the asked interface. Loaded libraries stay
// loaded until the last CoUninitialize (or CoFreeUnusedLibraries) finds that their
// DllCanUnloadNow allows it.
#pragma once

#include <optional>
#include <string>

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

namespace platform::com {

// Counts per thread: S_OK for the first call, S_FALSE for a nested one.
HRESULT CoInitialize(void* reserved = nullptr);
void CoUninitialize();

// Failures: CO_E_NOTINITIALIZED (no CoInitialize on this thread), CLASS_E_NOAGGREGATION,
// REGDB_E_CLASSNOTREG (no in-process server registered for the class or the context),
// CO_E_DLLNOTFOUND (the library does not load), CO_E_ERRORINDLL (no DllGetClassObject), or the
// result of the library's factory.
HRESULT CoGetClassObject(const CLSID& classId, uint32_t context, void* reserved, const IID& iid, void** object);
HRESULT CoCreateInstance(const CLSID& classId, IUnknown* outer, uint32_t context, const IID& iid, void** object);
// An export of the library loaded for a class (nullptr when that library is not loaded or lacks it).
void* CoGetLoadedExport(const CLSID& classId, const char* name);
// Unloads every loaded library whose DllCanUnloadNow answers S_OK.
void CoFreeUnusedLibraries();

// The thread's error information: what the last failing operation said about its failure.
// It is shared by every module of the process (executables export it; see the build file).
struct ErrorInfo {
    std::u16string source;
    std::u16string description;
};
void SetErrorInfo(const ErrorInfo& info);
void ClearErrorInfo();
// Answers and clears the thread's error information.
std::optional<ErrorInfo> GetErrorInfo();

}  // namespace platform::com
