# What the MinGW-w64 cross builds share; mingw-i686.cmake and mingw-x86_64.cmake set
# QG_MINGW_ARCH and include this. Posix thread model, linked statically: no DLL of ours.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QG_MINGW_ARCH})

set(CMAKE_C_COMPILER ${QG_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${QG_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${QG_MINGW_ARCH}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QG_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest runs the cross-built test programs under Wine (cmake/testbench.sh passes the loader
# that fits the build: Debian's `wine` script picks the 32-bit one whenever it is installed).
find_program(QG_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QG_WINE})
