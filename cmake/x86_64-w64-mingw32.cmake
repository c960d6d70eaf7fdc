# Cross-compiles 64-bit Windows binaries with mingw-w64: the same sources and
# tests, for 64-bit hosts and for machines that cannot run 32-bit programs.
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
