# The runtime floor of the shipped Linux binaries: they load where WPILib 2020's own desktop
# binaries load (Ubuntu 18.04: glibc 2.27, the libstdc++ of GCC 8), so they need no symbol version
# newer than GLIBC_2.27, GLIBCXX_3.4.25 or CXXABI_1.3.11, whatever machine builds them.
#
#   velmora_runtime_floor(<target>)
#
# Applies the floor to one target: every source is compiled with runtime_floor/
# velmora_runtime_floor.h force-included (it binds the few glibc functions that newer glibc
# re-versioned to their old, still exported versions), and a shared or module library also gets
# runtime_floor/velmora_runtime_floor.cpp (a private copy of the one libstdc++ helper GCC 12 calls
# that GCC 8's libstdc++ lacks). A static library linked into a shipped library takes the header
# only. The floor is kept in every build, tests included, so the tests run the shipped binaries;
# the packed archives are checked against it (packaging/check_floor.cmake, which holds the
# versions in packaging/runtime_floor.cmake).
#
# Other platforms and C libraries are left as they are.
function(velmora_runtime_floor target)
  set(dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/runtime_floor)
  if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang"
     OR NOT CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|amd64|AMD64)$")
    return()
  endif()
  target_compile_options(${target} PRIVATE
                         "SHELL:-include ${dir}/velmora_runtime_floor.h")
  get_target_property(type ${target} TYPE)
  if(type MATCHES "^(SHARED|MODULE)_LIBRARY$")
    target_sources(${target} PRIVATE ${dir}/velmora_runtime_floor.cpp)
  endif()
endfunction()
