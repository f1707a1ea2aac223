// Basic types of the component system: result codes, 16-bit booleans, wide characters.
#pragma once

#include <cstdint>

namespace platform::com {

// A 32-bit result: negative values are failures.
using HRESULT = int32_t;

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr HRESULT MakeResult(uint32_t bits) { return static_cast<HRESULT>(bits); }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeResult(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = MakeResult(0x80004002u);
inline constexpr HRESULT E_POINTER = MakeResult(0x80004003u);
inline constexpr HRESULT E_FAIL = MakeResult(0x80004005u);
inline constexpr HRESULT E_UNEXPECTED = MakeResult(0x8000FFFFu);
inline constexpr HRESULT E_OUTOFMEMORY = MakeResult(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = MakeResult(0x80070057u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeResult(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = MakeResult(0x80040111u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = MakeResult(0x80040154u);
inline constexpr HRESULT CO_E_NOTINITIALIZED = MakeResult(0x800401F0u);
inline constexpr HRESULT CO_E_CLASSSTRING = MakeResult(0x800401F3u);
inline constexpr HRESULT CO_E_DLLNOTFOUND = MakeResult(0x800401F8u);
inline constexpr HRESULT CO_E_ERRORINDLL = MakeResult(0x800401F9u);
inline constexpr HRESULT SELFREG_E_CLASS = MakeResult(0x80040201u);

// Booleans that cross an interface are 16 bits wide; true is -1, and any non-zero reads as true.
using VARIANT_BOOL = int16_t;
inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;
constexpr VARIANT_BOOL ToVariantBool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }
constexpr bool FromVariantBool(VARIANT_BOOL b) { return b != 0; }

// Class contexts accepted by CoCreateInstance.
inline constexpr uint32_t CLSCTX_INPROC_SERVER = 0x1;
inline constexpr uint32_t CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr uint32_t CLSCTX_LOCAL_SERVER = 0x4;

}  // namespace platform::com
