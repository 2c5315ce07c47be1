# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (posix
# threads: std::thread and friends need them). Used by the `windows` preset.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(nw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${nw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${nw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${nw_triple}-windres)

# Headers and libraries from the target's sysroot only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${nw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and GoogleTest's discovery run the .exe files under Wine, in a prefix
# of this build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ${CMAKE_BINARY_DIR}/wine)
