#!/usr/bin/env bash
# guide_example.sh GUIDE WORKDIR DEVICE-ROOT COMMAND...: takes the first ```pascal block of the host
# guide as GuideExample.pas, runs COMMAND with @SOURCE@ replaced by its path (a script that compiles
# and runs it: pascal_host.sh or pascal_win32.sh) against the emulator with DEVICE-ROOT as the device
# (as the program sees it), and checks what the example says it did and the device file it wrote.
set -euo pipefail
guide=$1 work=$2 device=$3
shift 3
mkdir -p "$work/device"
rm -f "$work/device/stock.txt"
source=$work/GuideExample.pas
awk '/^```pascal$/ { inside = 1; next } inside && /^```$/ { exit } inside { print }' "$guide" >"$source"
[[ -s $source ]] || { echo "$guide has no \`\`\`pascal block" >&2; exit 1; }
command=()
for arg in "$@"; do command+=("${arg//@SOURCE@/$source}"); done
HALVERN_DEVICE_ROOT=$device "${command[@]}" | tee "$work/output.txt"
grep -qx '3 records read back, 0 failures' <(tr -d '\r' <"$work/output.txt") ||
  { echo "the example did not read its three records back" >&2; exit 1; }
python3 - "$work/device/stock.txt" <<'PY'
import sys
expected = ("编号|资产名称|账面数量\r\nA001|办公桌|3\r\nA002|\"文件柜 (铁)\"|12\r\n"
            "A003|\"投影仪|会议室\"|1").encode("gbk")
actual = open(sys.argv[1], "rb").read()
if actual != expected:
    sys.exit(f"device file: {actual!r}\nexpected:    {expected!r}")
PY
