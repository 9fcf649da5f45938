#!/usr/bin/env bash
# callback_signatures.sh UNIT-DIR PROBE WORKDIR COMPILER [ARGUMENTS...]: proves that HvSetLogEvent
# refuses an event procedure of the wrong signature. PROBE is compiled with COMPILER once per variant:
# the right signature must compile (so the probe itself is sound), and one without the calling
# convention, one with PChar text and one of the hint's shape must each fail at the setter's
# argument, not anywhere else.
set -euo pipefail
units=$1 probe=$2 work=$3
shift 3
mkdir -p "$work"
failures=0
for variant in RIGHT NO_CONVENTION PCHAR_TEXT HINT_SHAPE; do
  log=$work/$variant.log
  status=0
  "$@" -Sew -vw -l- -s -d"$variant" -Fu"$units" -FU"$work" -o"$work/CallbackProbe" "$probe" >"$log" 2>&1 || status=$?
  if [[ $variant == RIGHT ]]; then
    if [[ $status -ne 0 ]]; then
      echo "$variant: the right signature does not compile (probe broken?)"
      cat "$log"
      failures=$((failures + 1))
    else
      echo "$variant: compiles"
    fi
  elif [[ $status -eq 0 ]]; then
    echo "$variant: compiled, but a wrong signature must not"
    failures=$((failures + 1))
  elif ! grep -q 'Incompatible type for arg no. 3' "$log"; then
    echo "$variant: refused for another reason:"
    cat "$log"
    failures=$((failures + 1))
  else
    echo "$variant: refused ($(grep -o 'Incompatible type for arg no. 3[^"]*"[^"]*"' "$log" | head -n 1))"
  fi
done
exit $((failures > 0))
