// Force-included (-include) into every source of a shipped Linux binary by
// velmora_runtime_floor() in cmake/VelmoraRuntimeFloor.cmake.
//
// WPILib 2020's Linux desktop binaries run on Ubuntu 18.04 (glibc 2.27, the libstdc++ of GCC 8),
// and so must ours. A newer glibc gives a few functions a new symbol version although the old one
// is still exported with the same results: linking on this machine would make the binary ask for
// the new version and refuse to load on an older system. Binding each of them to its oldest
// x86-64 version keeps the binary loadable everywhere WPILib's own binaries load.
//
// The list covers the functions our binaries and a JNI library are known to reach; the floor
// check on the packed archives fails on anything newer, so a new entry is added here when a
// change starts using another one.
#ifndef VELMORA_RUNTIME_FLOOR_H
#define VELMORA_RUNTIME_FLOOR_H

#if defined(__x86_64__)
// GLIBC_2.29 re-versioned exp, exp2, log, log2 and pow (new, faster code; same results);
// GLIBC_2.35 hypot; GLIBC_2.28 fcntl (as fcntl64 with _FILE_OFFSET_BITS=64).
__asm__(".symver exp,exp@GLIBC_2.2.5");
__asm__(".symver exp2,exp2@GLIBC_2.2.5");
__asm__(".symver log,log@GLIBC_2.2.5");
__asm__(".symver log2,log2@GLIBC_2.2.5");
__asm__(".symver pow,pow@GLIBC_2.2.5");
__asm__(".symver expf,expf@GLIBC_2.2.5");
__asm__(".symver logf,logf@GLIBC_2.2.5");
__asm__(".symver powf,powf@GLIBC_2.2.5");
__asm__(".symver hypot,hypot@GLIBC_2.2.5");
__asm__(".symver hypotf,hypotf@GLIBC_2.2.5");
__asm__(".symver fcntl64,fcntl@GLIBC_2.2.5");
#endif

#endif  // VELMORA_RUNTIME_FLOOR_H
