// Adexa: the analog-input board on I2C.
//
// The driver keeps one board for the whole process, so an Adexa object holds no handle: building
// one opens the board with a reference voltage, destroying it closes the board.
#pragma once

#include "velmora/Export.h"

namespace velmora {

class VELMORA_API Adexa {
 public:
  static constexpr float kDefaultVref = 5.0f;

  // Opens the board with a 5 V reference.
  Adexa();
  // Opens the board with the given reference voltage; the board takes it in whole volts
  // (truncated toward zero: 3.3 V opens it at 3 V). A value beyond what an int holds is taken as
  // the nearest one that fits, and NaN as 0.
  explicit Adexa(float vref);
  ~Adexa();

  // Closing the board twice would close it under another Adexa's feet: not copyable, not movable.
  Adexa(const Adexa&) = delete;
  Adexa& operator=(const Adexa&) = delete;
  Adexa(Adexa&&) = delete;
  Adexa& operator=(Adexa&&) = delete;

  // Inputs are numbered by one byte: only the low 8 bits of `channel` count.
  int GetRawValue(int channel);
  float GetVoltage(int channel);

  // The reference voltage the board was opened with, in volts, as given (3.3 stays 3.3). Only
  // the constructor sends it to the board: changing it afterwards does not reopen the board.
  float vref;
};

}  // namespace velmora
