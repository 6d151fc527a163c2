# Cross build for 64-bit Windows in the MSVC C++ ABI (as Visual Studio 2019, v142, builds it: MSVC
# name mangling, MSVC's standard library, the Visual C++ runtime DLLs), made on Linux with the
# clang-cl cross toolchain kit, programs run under Wine through cmake/wine-run.sh.
#
# The maker's driver is an MSVC-built DLL that hands std::string and std::vector objects across
# its boundary, so only a library built in this ABI, against the same release runtime (/MD), can
# load beside it.
#
# The kit is found at ../shared/msvc-wine-kit beside the source tree (or VELMORA_MSVC_WINE_KIT in
# the environment). The toolchain is made from it once, into build/msvc-toolchain of the source
# tree, the first time a build is configured; later configures (and CMake's own try-compiles,
# which read this file again) find it made.
get_filename_component(_velmora_source "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)
if(DEFINED ENV{VELMORA_MSVC_WINE_KIT})
  set(_velmora_kit "$ENV{VELMORA_MSVC_WINE_KIT}")
else()
  get_filename_component(_velmora_kit "${_velmora_source}/../shared/msvc-wine-kit" ABSOLUTE)
endif()
if(DEFINED ENV{VELMORA_MSVC_TOOLCHAIN_DIR})
  set(_velmora_toolchain "$ENV{VELMORA_MSVC_TOOLCHAIN_DIR}")
else()
  set(_velmora_toolchain "${_velmora_source}/build/msvc-toolchain")
endif()

set(_velmora_made "${_velmora_toolchain}/.velmora-made")
if(NOT EXISTS "${_velmora_made}")
  if(NOT EXISTS "${_velmora_kit}/make-toolchain.sh")
    message(FATAL_ERROR "No MSVC-ABI cross toolchain kit at ${_velmora_kit} (set VELMORA_MSVC_WINE_KIT "
                        "to its folder); it needs Debian's clang-14 lld-14 llvm-14 wine64 libwine-dev")
  endif()
  file(MAKE_DIRECTORY "${_velmora_toolchain}")
  # Two builds configured at once make it once.
  file(LOCK "${_velmora_toolchain}.lock" GUARD PROCESS TIMEOUT 600)
  if(NOT EXISTS "${_velmora_made}")
    message(STATUS "Making the MSVC-ABI cross toolchain in ${_velmora_toolchain} (about a minute)")
    execute_process(COMMAND "${_velmora_kit}/make-toolchain.sh" "${_velmora_toolchain}"
                    OUTPUT_VARIABLE _velmora_log ERROR_VARIABLE _velmora_log
                    RESULT_VARIABLE _velmora_result)
    file(WRITE "${_velmora_toolchain}.log" "${_velmora_log}")
    if(NOT _velmora_result EQUAL 0)
      message(FATAL_ERROR "Making the MSVC-ABI cross toolchain failed (${_velmora_result}); "
                          "see ${_velmora_toolchain}.log")
    endif()
    file(WRITE "${_velmora_made}" "${_velmora_kit}\n")
  endif()
  file(LOCK "${_velmora_toolchain}.lock" RELEASE)
endif()

include("${_velmora_toolchain}/toolchain-msvc-wine.cmake")
# The kit searches, besides its own root, the prefixes of CMAKE_PREFIX_PATH as they are (Windows
# packages, such as a WPILib build for Windows); those of the environment's too, as a team's shell
# or IDE gives them.
if(DEFINED ENV{CMAKE_PREFIX_PATH})
  string(REPLACE ":" ";" _velmora_env_prefixes "$ENV{CMAKE_PREFIX_PATH}")
  list(APPEND CMAKE_FIND_ROOT_PATH ${_velmora_env_prefixes})
endif()

# For the binary checks: the kit's checker of imports that Wine only stubs, with the toolchain's
# lists of Wine's exports and stubs, and a reader of PE tables (binutils' objdump reads them).
set(VELMORA_MSVC_TOOLCHAIN_DIR "${_velmora_toolchain}" CACHE INTERNAL "")
set(VELMORA_MSVC_WINE_KIT "${_velmora_kit}" CACHE INTERNAL "")
find_program(CMAKE_OBJDUMP NAMES objdump)

# The project's one Wine runner: a prefix of the build's own, made once, a lingering server.
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh"
                       ABSOLUTE)
