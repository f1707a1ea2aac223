// The engine's own exception classes.
#pragma once

#include "rtl/Exceptions.h"

namespace engine {

using rtl::Exception;
RTL_EXCEPTION(EDebug, Exception);       // consistency errors of the engine
RTL_EXCEPTION(EStackObject, Exception);  // the object pool could not free an object

}  // namespace engine
