#pragma once

#include "hal/FRCUsageReporting.h"
#include "hal/HALBase.h"
#include "hal/Types.h"
