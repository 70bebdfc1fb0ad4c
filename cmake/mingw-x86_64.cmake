# Cross build for 64-bit Windows, the same sources: the test bench's build on machines whose
# kernel runs no 32-bit programs, so that only 64-bit Wine works there (cmake/testbench.sh).
set(QG_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
