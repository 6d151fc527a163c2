# The newest symbol version of each runtime library that a shipped Linux binary may ask for: what
# Ubuntu 18.04 has, the system WPILib 2020's Linux desktop binaries were built for (glibc 2.27,
# the libstdc++ of GCC 8). Read by the floor check and by the archives' README.
set(velmora_runtime_floor GLIBC_2.27 GLIBCXX_3.4.25 CXXABI_1.3.11)
