# Shared by the Windows cross toolchains (mingw32.cmake, mingw64.cmake), which set HALVERN_MINGW_TRIPLE
# and HALVERN_WINE_ARCH first. GCC 12's win32-thread variant lacks std::mutex and std::thread, hence the
# posix-thread compilers. Every runtime is linked statically so that Halvern.dll and the test programs
# import only Windows system DLLs; test programs run under Wine through halvern-wine.sh, with a private
# Wine prefix inside the build tree.
set(CMAKE_SYSTEM_NAME Windows)

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
# depend on libwinpthread-1.dll, libgcc_s_*.dll and libstdc++-6.dll.
set(HALVERN_MINGW_STATIC "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${HALVERN_MINGW_STATIC}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${HALVERN_MINGW_STATIC}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${HALVERN_MINGW_STATIC}")

# Test programs run under Wine of the matching width; the prefix lives in the build tree so that builds
# never share one.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/halvern-wine.sh --arch ${HALVERN_WINE_ARCH}
                                  --prefix ${CMAKE_BINARY_DIR}/wineprefix)
