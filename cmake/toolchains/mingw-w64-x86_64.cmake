# Cross build for 64-bit x86 Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix).
#
# The posix thread model is the one whose libstdc++ has std::thread and std::mutex; GoogleTest
# needs them. Programs built here run on Windows, or under Wine through cmake/wine-run.sh, which
# CTest puts in front of every test program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELMORA_MINGW_TRIPLET x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${VELMORA_MINGW_TRIPLET}-gcc-posix ${VELMORA_MINGW_TRIPLET}-gcc
             REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VELMORA_MINGW_TRIPLET}-g++-posix
             ${VELMORA_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VELMORA_MINGW_TRIPLET}-windres)

# Libraries and packages for Windows come from the MinGW tree, or from a root a project adds
# with -DCMAKE_FIND_ROOT_PATH=<install prefix> (an installed Velmora for Windows, say).
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One C++ runtime for every module of a program: the library, the driver and the robot program
# share libstdc++-6.dll and libgcc_s_seh-1.dll, so objects that own heap memory (the driver's
# scan record owns a std::vector), exceptions and std::cout cross the DLL boundaries safely.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-shared-libgcc")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-shared-libgcc")

get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh
                       ABSOLUTE)
