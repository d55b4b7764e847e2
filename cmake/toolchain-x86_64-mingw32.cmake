# The same toolchain for 64-bit Windows: the test build on machines that run
# no 32-bit code (see scripts/host-arch.sh).
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-i686-mingw32.cmake)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
