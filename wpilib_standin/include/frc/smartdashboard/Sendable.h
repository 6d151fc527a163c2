#pragma once

#include "wpilib_standin/Export.h"

namespace frc {

class SendableBuilder;

// Something that can describe itself to the dashboard.
class WPILIB_STANDIN_INTERFACE Sendable {
 public:
  virtual ~Sendable() = default;

  // Declares the object's dashboard type and properties to the builder.
  virtual void InitSendable(SendableBuilder& builder) = 0;
};

}  // namespace frc
