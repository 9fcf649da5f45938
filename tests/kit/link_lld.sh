#!/usr/bin/env bash
# link_lld.sh CLANG LLD-LINK OBJDUMP TARGET INCLUDE-DIR HALVERN.LIB SOURCE WORKDIR
# Compiles SOURCE for the Microsoft ABI with clang, links it with lld-link against the Microsoft-format
# import library alone (no C runtime) and checks the program's imports.
set -euo pipefail
clang=$1 lld=$2 objdump=$3 target=$4 include=$5 lib=$6 source=$7 work=$8
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work"
"$clang" --target="$target" -ffreestanding -O1 -Wall -Wextra -Werror -I"$include" -c "$source" -o "$work/probe.obj"
"$lld" /nologo /nodefaultlib /entry:ProbeMain /subsystem:console "/out:$work/probe.exe" "$work/probe.obj" "$lib"
"$here/check_imports.sh" "$objdump" "$work/probe.exe" 34
