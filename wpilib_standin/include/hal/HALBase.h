#pragma once

#include <stdint.h>

#include "hal/Types.h"
#include "wpilib_standin/Export.h"

#ifdef __cplusplus
extern "C" {
#endif

// Prepares the hardware layer. The stand-in has nothing to wait for: every
// call succeeds and returns true, however often it is made.
WPILIB_STANDIN_API HAL_Bool HAL_Initialize(int32_t timeout, int32_t mode);

#ifdef __cplusplus
}  // extern "C"
#endif
