// A shared library that calls what newer glibc re-versioned (hypot: GLIBC_2.35; exp: GLIBC_2.29;
// fcntl with 64-bit file offsets: fcntl64, GLIBC_2.28) and what GCC 12 reaches in libstdc++
// 3.4.29 (an allocation of a run-time number of elements). Built twice: as is, it needs more than
// the runtime floor and the floor check must refuse it; with velmora_runtime_floor() it must pass.
#define _FILE_OFFSET_BITS 64  // NOLINT: as a program built for large files does
#include <fcntl.h>

#include <cmath>
#include <cstddef>
#include <memory>

__attribute__((visibility("default"))) double velmora_floor_probe(double x, double y, int fd) {
  std::allocator<double> allocator;
  const auto count = static_cast<std::size_t>(fd);
  double* values = allocator.allocate(count);
  values[0] = std::hypot(x, y) + std::exp(x) + ::fcntl(fd, F_GETFL);
  const double result = values[0];
  allocator.deallocate(values, count);
  return result;
}
