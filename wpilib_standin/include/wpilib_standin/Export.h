#pragma once

// Symbol export for the wpilibc stand-in library. The library is built with
// hidden visibility, so everything a robot program links against is marked
// here explicitly. On Windows it is a DLL: the library itself exports and its
// users import. Define WPILIB_STANDIN_STATIC when linking a static build.
//
// WPILIB_STANDIN_API       classes and functions compiled into the library.
// WPILIB_STANDIN_INTERFACE header-only polymorphic types (interfaces). On ELF
//                          they get default visibility so that their type
//                          information is one and the same in the library and
//                          in the program; on Windows nothing is needed.

#if defined(WPILIB_STANDIN_STATIC)
#define WPILIB_STANDIN_API
#define WPILIB_STANDIN_INTERFACE
#elif defined(_WIN32) || defined(__CYGWIN__)
#ifdef WPILIB_STANDIN_BUILDING
#define WPILIB_STANDIN_API __declspec(dllexport)
#else
#define WPILIB_STANDIN_API __declspec(dllimport)
#endif
#define WPILIB_STANDIN_INTERFACE
#else
#define WPILIB_STANDIN_API __attribute__((visibility("default")))
#define WPILIB_STANDIN_INTERFACE __attribute__((visibility("default")))
#endif
