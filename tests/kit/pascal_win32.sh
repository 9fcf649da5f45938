#!/usr/bin/env bash
# pascal_win32.sh FPC FPC-WORKDIR UNIT-DIR SOURCE EXE OBJDUMP [unbound|compile] -- RUNNER...: compiles
# SOURCE for 32-bit Windows with the Free Pascal cross compiler that fpc_win32.sh makes in FPC-WORKDIR
# (warnings are errors) into EXE, beside Halvern.dll, and runs it with RUNNER (Wine). With "unbound"
# EXE must not import Halvern.dll (it binds it at run time); with "compile" it is only compiled.
set -euo pipefail
fpc=$1 fpcwork=$2 units=$3 source=$4 exe=$5 objdump=$6
shift 6
mode=
if [[ $1 != -- ]]; then
  mode=$1
  shift
fi
shift
here=$(cd "$(dirname "$0")" && pwd)
read -r -a compiler < <("$here/fpc_win32.sh" "$fpc" "$fpcwork")
name=$(basename "$source" .pas)
work=$fpcwork/hosts/$name
mkdir -p "$work"
"${compiler[@]}" -Mdelphi -Sew -vw -l- -Fu"$units" -FU"$work" -o"$exe" "$source" >"$work/fpc.log" 2>&1 ||
  { cat "$work/fpc.log" >&2; exit 1; }
imports=$("$objdump" -p "$exe" | grep -c 'DLL Name: Halvern.dll' || true)
if [[ $mode == unbound && $imports -ne 0 ]]; then
  echo "$exe imports Halvern.dll: it would not start without it" >&2
  exit 1
fi
[[ $mode == compile ]] && exit 0
exec "$@" "$exe"
