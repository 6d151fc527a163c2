/// @file
/// The analog-input board on I2C, `velmora::Adexa`.
#pragma once

#include "velmora/Export.h"

namespace velmora {

/// The analog-input board on I2C: eight inputs read against a reference voltage.
///
/// **Lifetime.** The driver keeps one board for the whole process, so an Adexa object holds no
/// handle: building one opens the board with a reference voltage, destroying it closes the
/// board, also under any other Adexa still alive. Keep exactly one alive while you read the
/// board. Not copyable, not movable (either would close the board twice).
///
/// **Threads.** No locks: read the board from one thread at a time.
class VELMORA_API Adexa {
 public:
  /// The reference voltage the default constructor opens the board with, volts.
  static constexpr float kDefaultVref = 5.0f;

  /// Opens the board with a 5 V reference.
  Adexa();
  /// Opens the board with the reference voltage `vref`, in volts. The board takes it in whole
  /// volts (truncated toward zero: 3.3 V opens it at 3 V). A value beyond what an int holds is
  /// taken as the nearest one that fits, and NaN as 0.
  explicit Adexa(float vref);
  /// Closes the board.
  ~Adexa();

  Adexa(const Adexa&) = delete;             ///< Not copyable: would close the board twice.
  Adexa& operator=(const Adexa&) = delete;  ///< Not copyable: would close the board twice.
  Adexa(Adexa&&) = delete;                  ///< Not movable: would close the board twice.
  Adexa& operator=(Adexa&&) = delete;       ///< Not movable: would close the board twice.

  /// The converter's reading of input `channel` (0 to 7), 0 to 4095 for 0 V to the reference
  /// (a 12-bit converter on the simulated device). Inputs are numbered by one byte: only the
  /// low 8 bits of `channel` count (input 256 is input 0).
  int GetRawValue(int channel);
  /// The voltage on input `channel` (0 to 7), in volts, 0 to the reference. Numbered as in
  /// GetRawValue.
  float GetVoltage(int channel);

  /// The reference voltage the board was opened with, in volts, as given (3.3 stays 3.3). Only
  /// the constructor sends it to the board: changing it afterwards does not reopen the board.
  float vref;
};

}  // namespace velmora
