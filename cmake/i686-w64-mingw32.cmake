# Cross-build for 32-bit x86 Windows with Debian's mingw-w64. The POSIX thread
# model gives the test programs std::thread and std::mutex; every program is
# linked statically, so no winpthread DLL ships, and the module itself links
# no runtime at all.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(PLOKVAR_TARGET_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${PLOKVAR_TARGET_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLOKVAR_TARGET_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PLOKVAR_TARGET_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PLOKVAR_TARGET_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
