// Compiled into every shipped Linux shared library by velmora_runtime_floor().
//
// A few libstdc++ functions that GCC 12 calls were first exported by libstdc++ after GCC 8: a
// library that calls them does not load with the libstdc++ 2020-era systems carry
// (GLIBCXX_3.4.25). Each gets a private (hidden) definition here, made of what GCC 8's libstdc++
// already exports, so that every call inside the library binds to it.
#include <new>
#include <sstream>

// GLIBCXX_3.4.29: how GCC 12 reports an allocation of too many elements. It throws what
// libstdc++'s own throws: std::bad_array_new_length, whose type information libstdc++ has
// exported since GCC 4.9.
extern "C" [[noreturn]] __attribute__((visibility("hidden"), used)) void
velmora_floor_throw_bad_array_new_length() {
  throw std::bad_array_new_length();
}

// Each name below is bound to its private definition: global, so that calls from other files of
// the library resolve to it, and hidden, so that the library neither exports nor imports it.
#define VELMORA_FLOOR_ALIAS(name, definition) \
  __asm__(".globl " name "\n.hidden " name "\n.set " name ", " definition "\n")
VELMORA_FLOOR_ALIAS("_ZSt28__throw_bad_array_new_lengthv",
                    "velmora_floor_throw_bad_array_new_length");

// GLIBCXX_3.4.26: std::ostringstream's default constructor, which unoptimised code calls. It is
// the constructor with std::ios_base::out, exported since GCC 5 (3.4.21). A complete-object
// constructor takes the object's address alone, as this function does.
extern "C" __attribute__((visibility("hidden"), used)) void velmora_floor_ostringstream(
    std::ostringstream* object) {
  ::new (static_cast<void*>(object)) std::ostringstream(std::ios_base::out);
}
VELMORA_FLOOR_ALIAS("_ZNSt7__cxx1119basic_ostringstreamIcSt11char_traitsIcESaIcEEC1Ev",
                    "velmora_floor_ostringstream");

// GLIBC_2.32: GCC 12's reference counting (std::shared_ptr, std::locale, ...) reads glibc's
// __libc_single_threaded to skip atomic operations in a program that never started a thread.
// Older glibc has no such flag. The library's own copy says "not single-threaded" for good, so
// every reference count stays atomic: always correct, at most a few cycles slower.
extern "C" {
__attribute__((visibility("hidden"), used)) char __libc_single_threaded = 0;
}
