// The engine's own exception classes.
#pragma once

#include "rtl/Exceptions.h"

namespace engine {

using rtl::EStreamError;
using rtl::Exception;
RTL_EXCEPTION(EDebug, Exception);       // consistency errors of the engine
RTL_EXCEPTION(EStackObject, Exception);  // the object pool could not free an object
RTL_EXCEPTION(ERunCPC, Exception);       // a compiled object script failed while running
RTL_EXCEPTION(ECodeVariable, Exception);  // a script variable's value could not be read or written

// Level sets and the interface description (stream errors of their readers).
RTL_EXCEPTION(EFLReadHeder, EStreamError);        // a header or name that cannot be used
RTL_EXCEPTION(EFLReadTextures, EStreamError);     // a level set without a usable name
RTL_EXCEPTION(EFLInterfacesCreat, EStreamError);  // the interface reader lacks its kernel

namespace texts {
// Windows-1251: "Ошибка заголовка файла %s." and "Ошибка создания Interfaces %S".
inline constexpr const char* SFLReadHeader =
    "\xCE\xF8\xE8\xE1\xEA\xE0 \xE7\xE0\xE3\xEE\xEB\xEE\xE2\xEA\xE0 \xF4\xE0\xE9\xEB\xE0 %s.";
inline constexpr const char* SFLInterfacesCreate = "\xCE\xF8\xE8\xE1\xEA\xE0 \xF1\xEE\xE7\xE4\xE0\xED\xE8\xFF Interfaces %S";
inline constexpr const char* SAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* SSendObjectError = "Error calling SendObject for the class %D.";
}  // namespace texts

}  // namespace engine
