// Runs the probe built with the runtime floor: the pinned glibc functions and the private
// libstdc++ helpers give what the current versions give.
#include <cmath>
#include <cstdio>
#include <sstream>

double velmora_floor_probe(double x, double y, int fd, int count);

int main() {
  // volatile: computed at run time by this machine's current versions, not folded by the compiler.
  volatile double vx = 0.1;
  volatile double vy = 2.7;
  const double x = vx;
  const double y = vy;
  std::ostringstream text;
  text << x;
  // fd -1: fcntl reports -1.
  const double expected =
      std::hypot(x, y) + std::exp(x) - 1.0 + static_cast<double>(text.str().size());
  const double got = velmora_floor_probe(x, y, -1, 4);
  if (got != expected) {
    std::printf("velmora_floor_probe gave %.17g, expected %.17g\n", got, expected);
    return 1;
  }
  std::printf("velmora_floor_probe: %.17g as expected\n", got);
  return 0;
}
