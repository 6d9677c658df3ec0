#!/usr/bin/env python3
"""Wall and CPU time per pivot pass of a running estimation, from the console's dots.

usage: pass_times.py SECONDS VELDMARK [OPTION...] BASE ABSTRACT FLOWS [TRIPS]

Runs the program for SECONDS (then ends it), stamps the arrival of every "."
on its standard output, and prints the number of passes seen, the mean and
median wall interval between successive dots from the 11th pass on (the
first passes of an iteration are cheaper), and the CPU time (user + system,
all threads) per pass over the same passes, read from /proc at the 11th and
the last dot. The interval that spans the end of an outer iteration also
holds its line search; the median is not moved by it.
"""
import os
import subprocess
import sys
import time

FIRST = 10  # passes left out at the start


def cpu_seconds(pid):
    """User + system time of the process so far (all its threads)."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    seconds = float(sys.argv[1])
    command = sys.argv[2:]
    run = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, bufsize=0)
    start = time.monotonic()
    stamps, cpu = [], []
    while time.monotonic() - start < seconds:
        byte = run.stdout.read(1)
        if not byte:
            break
        if byte == b".":
            stamps.append(time.monotonic())
            cpu.append(cpu_seconds(run.pid))
    run.kill()
    run.wait()
    intervals = sorted(b - a for a, b in zip(stamps[FIRST:], stamps[FIRST + 1 :]))
    if not intervals:
        sys.exit("too few passes: give the run more seconds")
    mean = sum(intervals) / len(intervals)
    median = intervals[len(intervals) // 2]
    cpu_per_pass = (cpu[-1] - cpu[FIRST]) / len(intervals)
    print(
        f"passes={len(stamps)} mean={mean * 1000:.1f} ms median={median * 1000:.1f} ms"
        f" cpu={cpu_per_pass * 1000:.1f} ms"
    )


if __name__ == "__main__":
    main()
