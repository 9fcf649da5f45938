#!/usr/bin/env bash
# Runs a Windows program under Wine with a private prefix, for CTest (CMAKE_CROSSCOMPILING_EMULATOR) and
# for running the cross-built programs by hand:
#   halvern-wine.sh [--arch win32|win64] [--prefix DIR] program.exe [arguments...]
#   halvern-wine.sh [--arch win32|win64] [--prefix DIR] --start-server
# --arch (default win32) picks the Wine of the program's width: win32 runs through `wine`, which needs a
# machine that runs 32-bit x86 programs, natively or through qemu-user (scripts/lib/i386.sh sets that
# up); win64 runs through the 64-bit loader alone (wine64). --start-server makes the prefix if needed and
# leaves a persistent Wine server on it, so that programs run one after another share one server and
# one start of the prefix's services (stop it with `wineserver -k`). The prefix (default
# $HALVERN_WINEPREFIX, else ./wineprefix) is created once with `wineboot -i`, quietly and without
# dialogs; creation is serialised with a lock file so that parallel test runs neither race nor see a
# half-made prefix. Needs no DISPLAY for console programs; GUI programs use whatever DISPLAY the caller
# provides. A program's exit status is passed through; when Wine cannot run at all the status is
# non-zero, so a Windows test never passes by not running.
set -euo pipefail

usage() {
  echo "usage: $0 [--arch win32|win64] [--prefix DIR] program.exe [arguments...] | --start-server" >&2
  exit 2
}

prefix="${HALVERN_WINEPREFIX:-$PWD/wineprefix}"
arch=win32
while [[ $# -ge 2 ]]; do
  case "$1" in
    --prefix) prefix="$2" ;;
    --arch) arch="$2" ;;
    *) break ;;
  esac
  shift 2
done
[[ $# -ge 1 ]] || usage

case "$arch" in
  win32)
    if ! command -v wine >/dev/null 2>&1; then
      echo "halvern-wine: wine is not installed; Windows tests cannot run" >&2
      exit 127
    fi
    wine=(wine)
    wineboot=(wineboot -i)
    ;;
  win64)
    # The `wine` wrapper prefers the 32-bit loader whenever it is installed, even where the kernel cannot
    # execute it: call the 64-bit loader directly, and tell Wine to start every process with it.
    loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
    if [[ ! -x "$loader" ]]; then
      echo "halvern-wine: wine64 is not installed; 64-bit Windows tests cannot run" >&2
      exit 127
    fi
    export WINELOADER="$loader"
    wine=("$loader")
    wineboot=("$loader" wineboot -i)
    ;;
  *) usage ;;
esac

# Wine names host files in the locale's character set: under the C locale a device folder or file with
# a Chinese name cannot be created at all. C.UTF-8 is built into the C library, so it is always there.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *.UTF-8 | *.utf8 | *.UTF8 | *.utf-8) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac

export WINEPREFIX="$prefix"
export WINEARCH="$arch"
export WINEDEBUG=-all
# No Mono or Gecko install prompts, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

ready="$prefix/.halvern-ready"
if [[ ! -f "$ready" ]]; then
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [[ ! -f "$ready" ]]; then
    # A prefix without the marker is left over from an interrupted creation: start again.
    rm -rf "$prefix"
    log="$prefix.log"
    status=0
    "${wineboot[@]}" >"$log" 2>&1 || status=$?
    if [[ $status -eq 0 ]]; then
      wineserver -w >>"$log" 2>&1 || status=$?
    fi
    if [[ $status -ne 0 ]]; then
      echo "halvern-wine: creating the Wine prefix $prefix failed; see $log" >&2
      cat "$log" >&2 || true
      # 126: the loader itself could not be executed, typically a kernel without 32-bit support.
      if [[ $status -eq 126 && $arch == win32 ]]; then
        echo "halvern-wine: this machine cannot execute 32-bit x86 programs; scripts/test.sh sets up" \
          "qemu-user for them (as root), or use the mingw64 preset" >&2
      fi
      exit 126
    fi
    touch "$ready"
  fi
  flock -u 9
  exec 9>&-
fi

if [[ $1 == --start-server ]]; then
  # wineserver -p returns at once and the server stays until `wineserver -k`. The prefix's services start
  # here too, with no output attached: a service that a test program started would inherit that
  # program's output pipe and keep it open, and CTest would wait for the pipe until its time-out.
  wineserver -p
  "${wine[@]}" wineboot </dev/null >/dev/null 2>&1
  exit 0
fi
exec "${wine[@]}" "$@"
