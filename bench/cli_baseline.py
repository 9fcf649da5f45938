#!/usr/bin/env python3
"""Baseline for bench_cli.sh: python3's csv module doing what `halvern export` and `halvern import` do.

    python3 bench/cli_baseline.py export CSV DEVICE_FILE   # UTF-8 CSV with a header -> "|" GBK, title line
    python3 bench/cli_baseline.py import DEVICE_FILE CSV   # "|" GBK with a title line -> UTF-8 CSV

Both directions use the device file's dialect: "|" between fields, CR LF between lines, a field quoted
when it holds "|", CR LF, a double quote or a blank (inner quotes tripled), no final line break.
"""
import csv
import io
import sys


def quote(value: str) -> str:
    if "|" in value or "\r\n" in value or '"' in value or " " in value:
        return '"' + value.replace('"', '"""') + '"'
    return value


def export(csv_path: str, device_path: str) -> None:
    with open(csv_path, "r", encoding="utf-8", newline="") as source, \
            open(device_path, "w", encoding="gbk", newline="") as target:
        lines = []
        for row in csv.reader(source):
            lines.append("|".join(quote(v) for v in row))
        target.write("\r\n".join(lines))


def import_(device_path: str, csv_path: str) -> None:
    with open(device_path, "r", encoding="gbk", newline="") as source, \
            open(csv_path, "w", encoding="utf-8", newline="") as target:
        # The device file triples a quote inside quoted text where the csv module doubles it.
        text = io.StringIO(source.read().replace('"""', '""'), newline="")
        writer = csv.writer(target, lineterminator="\r\n")
        writer.writerows(csv.reader(text, delimiter="|", quotechar='"'))


def main() -> int:
    if len(sys.argv) != 4 or sys.argv[1] not in ("export", "import"):
        print(__doc__, file=sys.stderr)
        return 2
    (export if sys.argv[1] == "export" else import_)(sys.argv[2], sys.argv[3])
    return 0


if __name__ == "__main__":
    sys.exit(main())
