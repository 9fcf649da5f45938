#!/usr/bin/env python3
"""Baseline for bench_transfer: python3's csv module reading and writing the same stocktake records.

    python3 bench/csv_baseline.py FILE

FILE is a GBK text file, "|" between fields, CR LF between lines, no title line. The script reads every
record (touching each field, as a host copies each value), then writes the records to a scratch file
beside FILE with the same dialect, and prints one "name=value" line per figure:

    records=2000000
    read_seconds=1.234
    write_seconds=1.567
"""
import csv
import os
import sys
import time


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    path = sys.argv[1]
    out_path = path + ".python-out"

    start = time.perf_counter()
    records = []
    total = 0
    with open(path, "r", encoding="gbk", newline="") as source:
        for row in csv.reader(source, delimiter="|", quotechar='"', lineterminator="\r\n"):
            for field in row:
                total += len(field)
            records.append(row)
    read_seconds = time.perf_counter() - start

    start = time.perf_counter()
    with open(out_path, "w", encoding="gbk", newline="") as target:
        writer = csv.writer(target, delimiter="|", quotechar='"', lineterminator="\r\n")
        for row in records:
            writer.writerow(row)
    write_seconds = time.perf_counter() - start
    os.remove(out_path)

    print(f"records={len(records)}")
    print(f"chars={total}")
    print(f"read_seconds={read_seconds:.6f}")
    print(f"write_seconds={write_seconds:.6f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
