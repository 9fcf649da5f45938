#!/usr/bin/env bash
# installed_windows_host.sh CMAKE BUILD-DIR SOURCE-DIR WORKDIR OBJDUMP CLANG
# Installs the Windows build tree into a scratch prefix and builds hosts from the installed tree alone
# through find_package(Halvern), once per toolchain family a host author uses: MinGW (the sample host,
# linked through libHalvern.dll.a) and clang for the Microsoft ABI with lld-link (a probe that refers to
# every export and needs no C runtime, linked through Halvern.lib, since lld-link refuses MinGW's import
# library). Each program must import undecorated names from Halvern.dll.
set -euo pipefail
cmake=$1 build=$2 source=$3 work=$4 objdump=$5 clang=$6
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"
mkdir -p "$work/mingw" "$work/msvc"
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log"

# project DIR SOURCE [LINK OPTIONS...]: a CMake project of one program linked with Halvern::halvern.
project() {
  local dir=$1 program=$2
  shift 2
  cat >"$dir/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(Host C)
find_package(Halvern 1 REQUIRED)
add_executable(host "$program")
target_link_libraries(host PRIVATE Halvern::halvern)
target_link_options(host PRIVATE $*)
get_target_property(configs Halvern::halvern IMPORTED_CONFIGURATIONS)
foreach(config IN LISTS configs)
  get_target_property(implib Halvern::halvern IMPORTED_IMPLIB_\${config})
  message(STATUS "Halvern import library (\${config}): \${implib}")
endforeach()
CMAKE
}

project "$work/mingw" "$source/samples/host.c"
"$cmake" -S "$work/mingw" -B "$work/mingw/build" -G Ninja --toolchain "$source/cmake/mingw32.cmake" \
  -DHalvern_DIR="$prefix/lib/cmake/Halvern" >"$work/mingw.log"
grep -q 'Halvern import library .*/libHalvern.dll.a$' "$work/mingw.log" ||
  { cat "$work/mingw.log" >&2; echo "MinGW did not get libHalvern.dll.a" >&2; exit 1; }
"$cmake" --build "$work/mingw/build" >>"$work/mingw.log" || { cat "$work/mingw.log" >&2; exit 1; }
"$here/check_imports.sh" "$objdump" "$work/mingw/build/host.exe"

cat >"$work/msvc/toolchain.cmake" <<CMAKE
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER "$clang")
set(CMAKE_C_COMPILER_TARGET i686-pc-windows-msvc)
# No Microsoft C runtime here: the compiler checks build a library instead of a program.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
CMAKE
project "$work/msvc" "$here/LinkProbe.c" -fuse-ld=lld -nostdlib -Wl,/nodefaultlib -Wl,/entry:ProbeMain \
  -Wl,/subsystem:console
"$cmake" -S "$work/msvc" -B "$work/msvc/build" -G Ninja --toolchain "$work/msvc/toolchain.cmake" \
  -DHalvern_DIR="$prefix/lib/cmake/Halvern" -DCMAKE_C_STANDARD_LIBRARIES= >"$work/msvc.log"
grep -q 'Halvern import library .*/Halvern.lib$' "$work/msvc.log" ||
  { cat "$work/msvc.log" >&2; echo "clang for the Microsoft ABI did not get Halvern.lib" >&2; exit 1; }
"$cmake" --build "$work/msvc/build" >>"$work/msvc.log" || { cat "$work/msvc.log" >&2; exit 1; }
"$here/check_imports.sh" "$objdump" "$work/msvc/build/host.exe" 34
