// A shared library that calls what newer glibc re-versioned (hypot: GLIBC_2.35; exp: GLIBC_2.29;
// fcntl with 64-bit file offsets: fcntl64, GLIBC_2.28) and what GCC 12 reaches in newer
// libstdc++ (an allocation of a run-time number of elements: 3.4.29; std::ostringstream's default
// constructor, unoptimised: 3.4.26). Built twice, without optimisation: as is, it needs more than
// the runtime floor and the floor check must refuse it; with velmora_runtime_floor() it must pass,
// and a program runs it to show that the old versions give the same results.
#define _FILE_OFFSET_BITS 64  // NOLINT: as a program built for large files does
#include <fcntl.h>

#include <cstddef>
#include <memory>
#include <sstream>

#include <cmath>

__attribute__((visibility("default"))) double velmora_floor_probe(double x, double y, int fd,
                                                                  int count) {
  std::allocator<double> allocator;
  const auto n = static_cast<std::size_t>(count);
  double* values = allocator.allocate(n);
  std::ostringstream text;
  text << x;
  values[0] = std::hypot(x, y) + std::exp(x) + ::fcntl(fd, F_GETFD) +
              static_cast<double>(text.str().size());
  const double result = values[0];
  allocator.deallocate(values, n);
  return result;
}
