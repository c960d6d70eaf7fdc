# Shared by the two mingw-w64 toolchain files, which set MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first. The -posix compilers are required: the -win32
# flavour of GCC 12 has no std::thread or std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Static runtime: the binaries import nothing but Windows system DLLs.
set(_static_runtime "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${_static_runtime}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${_static_runtime}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${_static_runtime}")

# Test executables run under Wine through this wrapper; it picks the Wine prefix
# that matches the program's bitness.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
