// A robot program's smallest use of the library, run beside one driver or the other: it opens a
// controller and reads its firmware version (a std::string from the driver), and says what it got.
#include <iostream>
#include <string>

#include "velmora/Orvex.h"

int main() {
  velmora::Orvex orvex(3);
  const std::string firmware = orvex.GetFirmwareVersion();
  std::cout << "firmware '" << firmware << "'" << std::endl;
  return 0;
}
