# Cross build for 32-bit Windows: the shipping build, which Windows 95/98 can load.
set(QG_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
