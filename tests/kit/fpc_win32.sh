#!/usr/bin/env bash
# fpc_win32.sh FPC WORKDIR: makes a Free Pascal compiler for 32-bit Windows from the distribution's
# compiler sources (Debian's fpc-source, the version of FPC) with FPC itself, once per WORKDIR, and
# prints its command line: a cross compiler (ppc386, about 400,000 lines) and the win32 run-time
# library. Debian's source package leaves out the compiler's message file and the RTL's i386 make
# fragment, which this supplies. Takes about 15 s of CPU; later calls only print.
set -euo pipefail
fpc=$1 work=$2
version=$("$fpc" -iV)
source=/usr/share/fpcsrc/$version
compiler=$work/src/compiler/ppc386
units=$work/src/rtl/units/i386-win32
[[ -d $source/compiler && -d $source/rtl ]] || {
  echo "no Free Pascal $version sources in $source (Debian package fpc-source-$version)" >&2
  exit 1
}
mkdir -p "$work"
exec 9>"$work/.lock"
flock 9
if [[ ! -f $work/.ready ]]; then
  rm -rf "$work/src"
  mkdir -p "$work/src"
  cp -r "$source/compiler" "$source/rtl" "$work/src/"
  (
    cd "$work/src"
    fpcmake -r -Tall compiler/Makefile.fpc rtl/Makefile.fpc
    mkdir -p compiler/msg
    cp /usr/lib/*/fpc/"$version"/msg/errore.msg compiler/msg/
    # Only dependency names: the processor's include files of the system unit.
    printf 'CPUNAMES=i386 math set setjump setjumph\nCPUINCNAMES=$(addsuffix .inc,$(CPUNAMES))\n' >rtl/i386/makefile.cpu
    ppcx64=$("$fpc" -PB)
    make -C compiler PPC_TARGET=i386 FPC="$ppcx64" compiler
    make -C rtl CPU_TARGET=i386 OS_TARGET=win32 FPC="$work/src/compiler/ppc386" all
  ) >"$work/build.log" 2>&1 || {
    tail -n 30 "$work/build.log" >&2
    exit 1
  }
  [[ -x $compiler && -f $units/system.ppu ]] || { echo "the build left no ppc386 or system.ppu" >&2; exit 1; }
  touch "$work/.ready"
fi
echo "$compiler -Twin32 -Fu$units"
