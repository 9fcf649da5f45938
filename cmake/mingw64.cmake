# Cross toolchain for Windows x64: x86_64-w64-mingw32 with posix threads and static runtimes (see
# MingwToolchain.cmake); tests run under 64-bit Wine. Not a shipped target: it exercises the Win32
# code on machines that cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(HALVERN_MINGW_TRIPLE x86_64-w64-mingw32)
set(HALVERN_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/MingwToolchain.cmake)
