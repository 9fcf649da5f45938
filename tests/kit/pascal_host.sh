#!/usr/bin/env bash
# pascal_host.sh FPC UNIT-DIR SOURCE LIBRARY-DIR WORKDIR: compiles SOURCE with Free Pascal against the
# Pascal unit (warnings are errors), links it with libhalvern from LIBRARY-DIR and runs it.
set -euo pipefail
fpc=$1 units=$2 source=$3 libdir=$4 work=$5
mkdir -p "$work"
"$fpc" -Mdelphi -Sew -vw -l- -Fu"$units" -Fl"$libdir" -k-rpath="$libdir" -FU"$work" -o"$work/PascalHost" "$source" >"$work/fpc.log" 2>&1 ||
  { cat "$work/fpc.log" >&2; exit 1; }
exec "$work/PascalHost"
