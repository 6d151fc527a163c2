#pragma once

#include <stdint.h>

#include "wpilib_standin/Export.h"

#ifdef __cplusplus
extern "C" {
#endif

// Reports the use of a resource (a kind of device) by the robot program.
// Returns the index of the report; the stand-in records the report (see
// wpilib_standin/Sim.h) and returns 0.
#ifdef __cplusplus
WPILIB_STANDIN_API int64_t HAL_Report(int32_t resource, int32_t instanceNumber, int32_t context = 0,
                                      const char* feature = nullptr);
#else
WPILIB_STANDIN_API int64_t HAL_Report(int32_t resource, int32_t instanceNumber, int32_t context,
                                      const char* feature);
#endif

#ifdef __cplusplus
}  // extern "C"

namespace HALUsageReporting {
// Resource types, numbered as in the usage-reporting list. Only the generic
// ones used here are named; other resources are reported by number.
enum tResourceType : int32_t {
  kResourceType_PWM = 29,
  kResourceType_Servo = 33,
};
}  // namespace HALUsageReporting
#endif
