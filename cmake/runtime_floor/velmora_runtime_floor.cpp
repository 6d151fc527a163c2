// Compiled into every shipped Linux shared library by velmora_runtime_floor().
//
// GCC 12 reports a too-large array allocation through std::__throw_bad_array_new_length(), which
// the libstdc++ of GCC 12 exports as GLIBCXX_3.4.29: a library that calls it does not load with
// the libstdc++ of GCC 8 that 2020-era systems carry. A private copy of the function here binds
// every call inside the library to this definition, so the library asks libstdc++ for nothing
// newer than GLIBCXX_3.4.25. It throws what libstdc++'s own throws: std::bad_array_new_length,
// whose type information libstdc++ has exported since GCC 4.9.
#include <new>

namespace std {  // NOLINT(cert-dcl58-cpp): the compiler emits calls to this name
[[noreturn]] __attribute__((visibility("hidden"))) void __throw_bad_array_new_length();
[[noreturn]] void __throw_bad_array_new_length() { throw bad_array_new_length(); }
}  // namespace std
