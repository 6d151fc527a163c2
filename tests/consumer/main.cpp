// A minimal robot program: opens an Orvex controller through the installed library and whatever
// driver is installed beside it, reads its identity, and shows that a rejected argument reaches
// the program as an exception.
#include <velmora/Orvex.h>

#include <iostream>
#include <stdexcept>

int main() {
  velmora::Orvex orvex(5);
  std::cout << "Orvex " << orvex.GetID() << " opened, firmware \"" << orvex.GetFirmwareVersion()
            << "\"\n";
  try {
    orvex.GetMotor(4);
  } catch (const std::out_of_range& e) {
    std::cout << "rejected: " << e.what() << "\n";
    return 0;
  }
  std::cout << "GetMotor(4) was not rejected\n";
  return 1;
}
