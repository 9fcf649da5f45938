# Cross toolchain for Windows x86, the shipped target: i686-w64-mingw32 with posix threads and static
# runtimes (see MingwToolchain.cmake); tests run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(HALVERN_MINGW_TRIPLE i686-w64-mingw32)
set(HALVERN_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
