#!/usr/bin/env bash
# The full test command: installs what is missing, checks formatting, builds and tests the linux,
# linux-asan, linux-tsan and mingw32 presets (the shipped 32-bit Windows build under 32-bit Wine, with a
# private Xvfb for the configuration page tests), builds the fuzz targets with clang and runs each for a
# bounded time on its checked-in corpus. Ends with the line "N passed, N failed" over every check: each
# CTest test, the formatting check, each fuzz run, and any preset that fails to configure or build. Exit
# status 0 only when nothing failed.
#
# 32-bit Wine needs a machine that runs 32-bit x86 programs: natively, or emulated through qemu-user,
# which this command sets up itself where the kernel lacks 32-bit support (scripts/lib/i386.sh; root
# only). It says which of the two it used. Where neither is possible, mingw32 is still configured and
# built and its static checks (CTest label "static") run; its Wine tests (label "wine") are counted as
# not run, neither a pass nor a failure, the summary line gains ", N not run (REASON)", and the mingw64
# preset runs after it so that the Windows code still runs under 64-bit Wine. A mingw64 named in
# HALVERN_PRESETS runs in any case.
#
# Environment: HALVERN_PRESETS (default "linux linux-asan linux-tsan mingw32"), HALVERN_FUZZ_SECONDS
# (default 20, 0 skips the fuzz runs), HALVERN_JOBS (default 2).
#
# No -e: a failure is counted and the command goes on, so that one run reports every failing check (a
# preset that does not build still leaves the others to build and test) instead of hiding all that
# would have come after the first.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
# shellcheck source=lib/setup.sh
source "$root/scripts/lib/setup.sh"
# shellcheck source=lib/i386.sh
source "$root/scripts/lib/i386.sh"

presets=${HALVERN_PRESETS:-linux linux-asan linux-tsan mingw32}
fuzz_seconds=${HALVERN_FUZZ_SECONDS:-20}
jobs=${HALVERN_JOBS:-2}

passed=0
failed=0
not_run=0
failures=()
timings=()

pass() { passed=$((passed + $1)); }
fail() {
  failed=$((failed + 1))
  failures+=("$1")
  halvern_log "FAILED: $1"
}
# timed NAME COMMAND...: runs the command and records how long it took.
timed() {
  local name=$1 start=$SECONDS status=0
  shift
  "$@" || status=$?
  timings+=("$(printf '%-28s %4ds' "$name" $((SECONDS - start)))")
  return $status
}

xvfb_pid=""
stop_xvfb() {
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  fi
}
# Starts a private X server and exports its DISPLAY; Xvfb picks a free display number itself.
start_xvfb() {
  local fifo_dir display
  fifo_dir=$(mktemp -d)
  mkfifo "$fifo_dir/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  if read -r -t 20 display <"$fifo_dir/display"; then
    export DISPLAY=":$display"
    halvern_log "Xvfb on $DISPLAY"
  else
    halvern_log "Xvfb did not start"
    stop_xvfb
  fi
  rm -rf "$fifo_dir"
  [[ -n $xvfb_pid ]]
}
# Wine servers left running by test_preset, stopped however the run ends.
wine_prefixes=()
stop_wine() {
  local prefix
  for prefix in "${wine_prefixes[@]}"; do
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  done
  wine_prefixes=()
}
trap 'stop_wine; stop_xvfb' EXIT

# How 32-bit programs run here, found out on first use: native, emulated or none (scripts/lib/i386.sh).
i386_mode=unknown
detect_32bit() {
  [[ $i386_mode == unknown ]] || return 0
  halvern_detect_i386
  i386_mode=$HALVERN_I386_MODE
  if [[ $i386_mode == none ]]; then
    halvern_log "32-bit Windows tests cannot run: $HALVERN_I386_DETAIL"
  else
    halvern_log "32-bit Windows tests run $i386_mode: $HALVERN_I386_DETAIL"
  fi
}

check_format() {
  local files
  if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git -C "$root" ls-files '*.h' '*.cpp')
  else
    mapfile -t files < <(find . -path ./build -prune -o \( -name '*.h' -o -name '*.cpp' \) -print)
  fi
  # One clang-format over every file: it names each unformatted one in its diagnostics.
  local report
  report=$(clang-format --dry-run -Werror "${files[@]}" 2>&1) && return 0
  grep -o '^[^:]*\.\(h\|cpp\):[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  return 1
}

# Prints "passed NAME" or "failed NAME" for each test of CTest's JUnit file $1. A test that could not run
# (its program did not build) is a failure; one that is disabled is neither.
junit_results() {
  python3 - "$1" <<'PYTHON'
import sys
import xml.etree.ElementTree as ET

for case in ET.parse(sys.argv[1]).getroot().iter("testcase"):
    status = case.get("status")
    if status != "disabled":
        print("passed" if status == "run" and case.find("failure") is None else "failed", case.get("name"))
PYTHON
}

# run_ctest PRESET [CTEST ARGUMENTS...]: runs the preset's tests and adds their counts.
run_ctest() {
  local preset=$1 junit="$root/build/ctest-$1.xml" status=0 results
  shift
  local launcher=()
  # ThreadSanitizer cannot map its shadow memory under the high address-space randomisation of newer
  # kernels; the tests run with randomisation off.
  if [[ $preset == *tsan* ]] && setarch "$(uname -m)" -R true 2>/dev/null; then
    launcher=(setarch "$(uname -m)" -R)
  fi
  rm -f "$junit"
  "${launcher[@]}" ctest --preset "$preset" -j "$jobs" --no-tests=error --output-junit "$junit" "$@" 2>&1 |
    tee "build/ctest-$preset.log"
  status=${PIPESTATUS[0]}
  if ! results=$(junit_results "$junit" 2>/dev/null) || [[ -z $results ]]; then
    fail "ctest $preset (no results)"
    return
  fi
  local outcome name failed_tests=0
  while read -r outcome name; do
    if [[ $outcome == passed ]]; then
      pass 1
    else
      fail "$preset: $name"
      failed_tests=$((failed_tests + 1))
    fi
  done <<<"$results"
  # A non-zero status with no failed test (a crash of ctest itself) still fails the run.
  if [[ $status -ne 0 && $failed_tests -eq 0 ]]; then
    fail "ctest $preset (exit status $status)"
  fi
}

test_preset() {
  local preset=$1
  if ! timed "configure $preset" cmake --preset "$preset" -DHALVERN_BUILD_TESTS=ON; then
    fail "configure $preset"
    return
  fi
  # Keep going past a failing target so that every other test still builds and runs.
  if ! timed "build $preset" cmake --build --preset "$preset" -j "$jobs" -- -k 0; then
    fail "build $preset"
  fi
  if [[ $preset == mingw32 && $i386_mode == none ]]; then
    local skipped
    skipped=$(ctest --preset "$preset" -N -L wine --show-only=json-v1 |
      python3 -c 'import json, sys; print(len(json.load(sys.stdin)["tests"]))')
    not_run=$((not_run + ${skipped:-0}))
    halvern_log "$preset: ${skipped:-0} Wine tests not run ($HALVERN_I386_DETAIL);" \
      "its static checks run, and mingw64 runs the Windows code instead"
    timed "ctest $preset (static)" run_ctest "$preset" -LE wine
  elif [[ $preset == mingw* ]]; then
    if ! start_xvfb; then
      fail "Xvfb for $preset"
    fi
    local arch=win64 prefix="$root/build/$preset/wineprefix"
    [[ $preset == mingw32 ]] && arch=win32
    # One prefix and one Wine server for all of the preset's test programs: the server and the
    # prefix's services start once, not once per program.
    wine_prefixes+=("$prefix")
    if ! timed "wine prefix $preset" cmake/halvern-wine.sh --arch "$arch" --prefix "$prefix" --start-server; then
      fail "Wine prefix for $preset"
    fi
    timed "ctest $preset" run_ctest "$preset"
    stop_wine
    stop_xvfb
    unset DISPLAY
  else
    timed "ctest $preset" run_ctest "$preset"
  fi
}

# Each fuzz target runs on a scratch copy of its corpus, so new inputs never land in the checkout.
run_fuzz() {
  if ! timed "configure fuzz" cmake --preset fuzz; then
    fail "configure fuzz"
    return
  fi
  if ! timed "build fuzz" cmake --build --preset fuzz -j "$jobs" -- -k 0; then
    fail "build fuzz"
  fi
  local source name corpus scratch
  for source in fuzz/*.cpp; do
    [[ -e $source ]] || continue
    name=$(basename "$source" .cpp)
    scratch=$(mktemp -d)
    corpus=()
    [[ -d fuzz/corpus/$name ]] && corpus=("fuzz/corpus/$name")
    if [[ -x build/fuzz/$name ]] &&
      timed "fuzz $name" "build/fuzz/$name" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build/fuzz/$name-" "$scratch" "${corpus[@]}" \
        >"build/fuzz/$name.log" 2>&1; then
      pass 1
      halvern_log "fuzz $name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "build/fuzz/$name.log")"
    else
      tail -n 40 "build/fuzz/$name.log" 2>/dev/null
      fail "fuzz $name"
    fi
    rm -rf "$scratch"
  done
}

started=$SECONDS
timed "install" halvern_install_packages "${HALVERN_PACKAGES_TEST[@]}" || fail "installing packages"
mkdir -p build
if timed "format" check_format; then pass 1; else fail "formatting (run clang-format -i on the files listed)"; fi
# Where 32-bit Wine cannot run at all, mingw64 follows mingw32 as the build whose Windows code does run.
run_presets=()
for preset in $presets; do
  run_presets+=("$preset")
  if [[ $preset == mingw32 ]]; then
    timed "32-bit set-up" detect_32bit
    [[ $i386_mode == none && " $presets " != *" mingw64 "* ]] && run_presets+=(mingw64)
  fi
done
for preset in "${run_presets[@]}"; do
  test_preset "$preset"
done
if [[ $fuzz_seconds != 0 ]]; then
  run_fuzz
fi

echo
if [[ $i386_mode != unknown ]]; then
  echo "32-bit Windows tests: $i386_mode ($HALVERN_I386_DETAIL)"
fi
echo "Timings:"
printf '  %s\n' "${timings[@]}"
printf '  %-28s %4ds\n' total $((SECONDS - started))
if [[ ${#failures[@]} -gt 0 ]]; then
  echo "Failures:"
  printf '  %s\n' "${failures[@]}"
fi
summary="$passed passed, $failed failed"
if [[ $not_run -gt 0 ]]; then
  summary+=", $not_run not run ($HALVERN_I386_DETAIL)"
fi
echo "$summary"
[[ $failed -eq 0 ]]
