#!/usr/bin/env python3
"""Benchmark: `halvern export` and `halvern import` against python3's csv module (cli_baseline.py) doing
the same conversion, on the device emulator. Prints figures; never run as a test.

    python3 bench/bench_cli.py [--rows N] [--runs N] [--halvern build/linux/halvern]

The data is a stocktake asset list with Chinese names, commas, quotes, "|", blanks and line breaks in
values. halvern and python take turns, --runs rounds, and each one's fastest wall-clock time counts (the
machine may be busy); the user+system time of that run is shown as well. Both programs' outputs are compared byte for byte.
"""
import argparse
import csv
import os
import random
import resource
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
NAMES = ["联想台式电脑 ThinkCentre M720", "会议桌（实木，2.4米）", "惠普激光打印机", "办公椅",
         '戴尔显示器 24"', "投影仪|含幕布", "文件柜", "货架（四层）", "笔记本电脑, 14寸", "空调 格力1.5匹",
         "碎纸机", "饮水机\r\n备用"]
COLUMNS = "编号,资产名称,账面数量"


def make_csv(path: str, rows: int) -> None:
    rng = random.Random(16)
    with open(path, "w", encoding="utf-8", newline="") as out:
        writer = csv.writer(out, lineterminator="\r\n")
        writer.writerow(COLUMNS.split(","))
        for i in range(rows):
            writer.writerow([f"ZC-2023-{i:06d}", rng.choice(NAMES), str(rng.randint(0, 50))])


def run_once(args, stdin=None, stdout=None):
    """Wall-clock and CPU seconds of one run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    with open(stdin, "rb") if stdin else open(os.devnull, "rb") as src, \
            open(stdout, "wb") if stdout else open(os.devnull, "wb") as dst:
        subprocess.run(args, stdin=src, stdout=dst, stderr=subprocess.DEVNULL, check=True)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def alternated(rounds, *jobs):
    """Runs the jobs in turn, round after round, and keeps each one's fastest run: on a shared machine a
    slow spell then hits every side alike."""
    best = [None] * len(jobs)
    for _ in range(rounds):
        for i, job in enumerate(jobs):
            figure = run_once(**job)
            if best[i] is None or figure[0] < best[i][0]:
                best[i] = figure
    return best


def same(a: str, b: str) -> bool:
    with open(a, "rb") as x, open(b, "rb") as y:
        return x.read() == y.read()


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("--rows", type=int, default=200_000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--halvern", default=os.path.join(HERE, "..", "build", "linux", "halvern"))
    a = parser.parse_args()
    if not os.access(a.halvern, os.X_OK):
        print(f"no program at {a.halvern}: build the linux preset first", file=sys.stderr)
        return 2

    work = tempfile.mkdtemp(prefix="halvern-bench-cli-")
    try:
        os.makedirs(os.path.join(work, "Temp"))
        source = os.path.join(work, "in.csv")
        make_csv(source, a.rows)
        device = os.path.join(work, "Temp", "assets.txt")
        port = [a.halvern, "--device", work, "--file", "\\Temp\\assets.txt", "--title", "--columns", COLUMNS]
        baseline = [sys.executable, os.path.join(HERE, "cli_baseline.py")]
        python_device = os.path.join(work, "python.txt")
        halvern_csv, python_csv = os.path.join(work, "halvern.csv"), os.path.join(work, "python.csv")

        figures = {
            "export": alternated(a.runs, {"args": [port[0], "export"] + port[1:], "stdin": source},
                                 {"args": baseline + ["export", source, python_device]}),
            "import": alternated(a.runs, {"args": [port[0], "import"] + port[1:], "stdout": halvern_csv},
                                 {"args": baseline + ["import", device, python_csv]}),
        }
        size = os.path.getsize(source)
        print(f"{a.rows} rows, {size / 1e6:.1f} MB of UTF-8 CSV, {os.path.getsize(device) / 1e6:.1f} MB of GBK")
        for name, ((hw, hc), (pw, pc)) in figures.items():
            print(f"{name}: halvern {hw:.3f} s ({hc:.3f} s cpu, {size / hw / 1e6:.0f} MB/s), "
                  f"python csv {pw:.3f} s ({pc:.3f} s cpu): {pw / hw:.1f}x wall, {pc / hc:.1f}x cpu")
        print("outputs identical:", same(device, python_device) and same(source, halvern_csv)
              and same(halvern_csv, python_csv))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
