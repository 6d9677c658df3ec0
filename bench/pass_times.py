#!/usr/bin/env python3
"""Wall time per pivot pass of a running estimation, from the console's dots.

usage: pass_times.py SECONDS VELDMARK [OPTION...] BASE ABSTRACT FLOWS [TRIPS]

Runs the program for SECONDS (then ends it), stamps the arrival of every "."
on its standard output, and prints the number of passes seen and the mean
and median interval between successive dots from the 11th pass on (the first
passes of an iteration are cheaper). The interval that spans the end of an
outer iteration also holds its line search; the median is not moved by it.
"""
import subprocess
import sys
import time


def main():
    seconds = float(sys.argv[1])
    command = sys.argv[2:]
    run = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, bufsize=0)
    start = time.monotonic()
    stamps = []
    while time.monotonic() - start < seconds:
        byte = run.stdout.read(1)
        if not byte:
            break
        if byte == b".":
            stamps.append(time.monotonic())
    run.kill()
    run.wait()
    intervals = sorted(b - a for a, b in zip(stamps[10:], stamps[11:]))
    if not intervals:
        sys.exit("too few passes: give the run more seconds")
    mean = sum(intervals) / len(intervals)
    median = intervals[len(intervals) // 2]
    print(f"passes={len(stamps)} mean={mean * 1000:.1f} ms median={median * 1000:.1f} ms")


if __name__ == "__main__":
    main()
