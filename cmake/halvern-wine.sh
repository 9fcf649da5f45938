#!/usr/bin/env bash
# Runs a Windows program under Wine with a private prefix, for CTest (CMAKE_CROSSCOMPILING_EMULATOR) and
# for running the cross-built programs by hand:
#   halvern-wine.sh [--prefix DIR] program.exe [arguments...]
# The prefix (default $HALVERN_WINEPREFIX, else ./wineprefix) is created once with `wineboot -i`,
# quietly and without dialogs; creation is serialised with a lock file so that parallel test runs
# neither race nor see a half-made prefix. Needs no DISPLAY for console programs; GUI programs use
# whatever DISPLAY the caller provides. A program's exit status is passed through; when Wine cannot run
# at all the status is non-zero, so a Windows test never passes by not running.
set -euo pipefail

prefix="${HALVERN_WINEPREFIX:-$PWD/wineprefix}"
if [[ "${1:-}" == "--prefix" ]]; then
  prefix="$2"
  shift 2
fi
if [[ $# -lt 1 ]]; then
  echo "usage: $0 [--prefix DIR] program.exe [arguments...]" >&2
  exit 2
fi
if ! command -v wine >/dev/null 2>&1; then
  echo "halvern-wine: wine is not installed; Windows tests cannot run" >&2
  exit 127
fi

# Wine names host files in the locale's character set: under the C locale a device folder or file with
# a Chinese name cannot be created at all. C.UTF-8 is built into the C library, so it is always there.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *.UTF-8 | *.utf8 | *.UTF8 | *.utf-8) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac

export WINEPREFIX="$prefix"
export WINEARCH=win32
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
    if ! wineboot -i >"$log" 2>&1 || ! wineserver -w >>"$log" 2>&1; then
      echo "halvern-wine: creating the Wine prefix $prefix failed; see $log" >&2
      cat "$log" >&2 || true
      exit 126
    fi
    touch "$ready"
  fi
  flock -u 9
  exec 9>&-
fi

exec wine "$@"
