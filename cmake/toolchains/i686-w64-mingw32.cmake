# Cross toolchain for the 32-bit Windows executable: Debian's MinGW-w64 for i686.
# INVITATION_WIN32_PREFIX names the prefix of cross-built libraries
# (tools/win32/build_prefix.sh); headers and libraries are looked up only there
# and in the toolchain's own sysroot.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(toolchain_host i686-w64-mingw32)
set(CMAKE_C_COMPILER ${toolchain_host}-gcc)
set(CMAKE_CXX_COMPILER ${toolchain_host}-g++)
set(CMAKE_RC_COMPILER ${toolchain_host}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${toolchain_host} ${INVITATION_WIN32_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The prefix variable must reach the compiler checks' own configure runs too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES INVITATION_WIN32_PREFIX)
