# Cross toolchain for Windows x86: i686-w64-mingw32 with posix threads (the win32-thread variant of
# GCC 12 lacks std::mutex and std::thread). Every runtime is linked statically so that Halvern.dll and
# the test programs import only Windows system DLLs; test programs run under Wine through
# halvern-wine.sh, with a private Wine prefix inside the build tree.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(HALVERN_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${HALVERN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HALVERN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${HALVERN_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${HALVERN_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${HALVERN_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${HALVERN_MINGW_TRIPLE}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${HALVERN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static pulls libwinpthread in statically as well; without it the posix compilers make every binary
# depend on libwinpthread-1.dll, libgcc_s_dw2-1.dll and libstdc++-6.dll.
set(HALVERN_MINGW_STATIC "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${HALVERN_MINGW_STATIC}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${HALVERN_MINGW_STATIC}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${HALVERN_MINGW_STATIC}")

# Test programs run under Wine; the prefix lives in the build tree so that builds never share one.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/halvern-wine.sh --prefix ${CMAKE_BINARY_DIR}/wineprefix)
