#!/usr/bin/env bash
# installed_host.sh CMAKE CC BUILD-DIR SOURCE-DIR WORKDIR
# Installs the build tree into a scratch prefix, then builds the sample host from the installed tree
# alone, once with pkg-config and once with find_package(Halvern), and runs both against the installed
# emulator. Each host must bind the versioned library name, and the installed halvern must find the
# library and the emulator by itself.
set -euo pipefail
cmake=$1 cc=$2 build=$3 source=$4 work=$5
rm -rf "$work"
mkdir -p "$work/device" "$work/cmake-host"
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log"
library=$(find "$prefix" -name libhalvern.so.1 -print -quit)
emulator=$(find "$prefix" -name librapiemu.so -print -quit)
[[ -n $library && -n $emulator ]] || { echo "installed tree lacks libhalvern.so.1 or librapiemu.so" >&2; exit 1; }
libdir=$(dirname "$library")
export HALVERN_RAPI_LIBRARY=$emulator HALVERN_DEVICE_ROOT=$work/device LD_LIBRARY_PATH=$libdir

needs_soname() {
  readelf -d "$1" | grep -F 'Shared library: [libhalvern.so.1]' >/dev/null ||
    { echo "$1 does not bind libhalvern.so.1" >&2; exit 1; }
}

# shellcheck disable=SC2046
"$cc" "$source/samples/host.c" $(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --cflags --libs halvern) \
  -o "$work/host-pkgconfig"
needs_soname "$work/host-pkgconfig"
"$work/host-pkgconfig"

cat >"$work/cmake-host/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(SampleHost C)
find_package(Halvern 1 REQUIRED)
add_executable(host "$source/samples/host.c")
target_link_libraries(host PRIVATE Halvern::halvern)
CMAKE
"$cmake" -S "$work/cmake-host" -B "$work/cmake-host/build" -DCMAKE_C_COMPILER="$cc" \
  -DCMAKE_PREFIX_PATH="$prefix" >"$work/cmake-host.log"
"$cmake" --build "$work/cmake-host/build" >>"$work/cmake-host.log"
needs_soname "$work/cmake-host/build/host"
"$work/cmake-host/build/host"

# The installed program finds the installed library and emulator by itself, with no variable set.
env -u HALVERN_RAPI_LIBRARY -u HALVERN_DEVICE_ROOT -u LD_LIBRARY_PATH "$prefix/bin/halvern" demo \
  --device "$work/device" >"$work/demo.log" 2>&1 || { cat "$work/demo.log" >&2; exit 1; }
