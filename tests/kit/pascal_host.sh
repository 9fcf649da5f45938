#!/usr/bin/env bash
# pascal_host.sh FPC UNIT-DIR SOURCE LIBRARY-DIR WORKDIR [unbound]: compiles SOURCE with Free Pascal
# against the Pascal units (warnings are errors), links it with libhalvern from LIBRARY-DIR and runs
# it. With "unbound" the program must not need libhalvern to start (it binds it at run time).
set -euo pipefail
fpc=$1 units=$2 source=$3 libdir=$4 work=$5 mode=${6:-}
name=$(basename "$source" .pas)
mkdir -p "$work"
"$fpc" -Mdelphi -Sew -vw -l- -Fu"$units" -Fl"$libdir" -k-rpath="$libdir" -FU"$work" -o"$work/$name" "$source" >"$work/$name.log" 2>&1 ||
  { cat "$work/$name.log" >&2; exit 1; }
if [[ $mode == unbound ]] && readelf -d "$work/$name" | grep -q 'NEEDED.*libhalvern'; then
  echo "$name needs libhalvern to start" >&2
  exit 1
fi
exec "$work/$name"
