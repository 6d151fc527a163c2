#include "velmora/MockDS.h"

#include "../driver_link/VelmoraDriver.h"

namespace velmora {

MockDS::MockDS() { c_MockDS_create(); }

MockDS::~MockDS() { c_MockDS_destroy(); }

void MockDS::Enable() { c_MockDS_enable(); }

void MockDS::Disable() { c_MockDS_disable(); }

}  // namespace velmora
