// The class library's graphic and JPEG exception classes.
#pragma once

#include "rtl/Exceptions.h"

namespace rtl {

RTL_EXCEPTION(EInvalidGraphic, Exception);
RTL_EXCEPTION(EInvalidGraphicOperation, Exception);
RTL_EXCEPTION(EOutOfResources, EOutOfMemory);
RTL_EXCEPTION(EJPEG, Exception);

}  // namespace rtl
