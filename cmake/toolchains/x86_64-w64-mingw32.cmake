# Cross toolchain for the 64-bit twin of the Windows executable: Debian's
# MinGW-w64 for x86_64. The twin is built from the same sources as the shipped
# 32-bit executable and is never shipped; the Windows tests run it under 64-bit
# Wine where this host cannot run 32-bit programs. INVITATION_WIN32_PREFIX names
# its own prefix of cross-built libraries (tools/win32/build_prefix.sh DIR
# x86_64-w64-mingw32); headers and libraries are looked up only there and in the
# toolchain's own sysroot.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(toolchain_host x86_64-w64-mingw32)
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
