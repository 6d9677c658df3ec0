#!/usr/bin/env python3
"""The assignment bars: veldmark-assign on the published networks with known
true tables, its link volumes against the published equilibrium volumes.

Usage: bench/assign_bars.py VELDMARK_ASSIGN [NAME...] [--gap G] [--threads N]

For each network: converts the true table to a long CSV table (in a temporary
directory), runs veldmark-assign on it, and prints wall time, peak resident
memory (the largest child's so far, from getrusage), CPU time (user + system),
the load average at the start, iterations, the final relative gap, R²
of the volumes against the published ones, and the share of links with
GEH < 1. Names: siouxfalls anaheim barcelona winnipeg chicagosketch
chicago-regional (the last: 0.3 trips between every pair of distinct zones, no
published table, volumes compared with the published flow file all the same).
"""
import json
import math
import os
import resource
import subprocess
import sys
import tempfile
import time

DATA = os.environ.get(
    "VELDMARK_DATA", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "data"))

# name: (base, trips source, published flows, zones, options)
NETWORKS = {
    "siouxfalls": ("siouxfalls/base.txt", "siouxfalls/trips-reference.txt",
                   "siouxfalls/flows.txt", "1-24", ["--through-zones"]),
    "anaheim": ("anaheim/base.txt", "anaheim/trips-reference.txt", "anaheim/flows.txt",
                "1-38", []),
    "barcelona": ("barcelona/base.txt", "barcelona/trips-reference.txt",
                  "barcelona/flows.txt", "1-110", []),
    "winnipeg": ("winnipeg/base.txt", "winnipeg/trips-reference.txt", "winnipeg/flows.txt",
                 "1-147", []),
    "chicagosketch": ("chicagosketch/base.txt", "chicagosketch/trips-reference.txt",
                      "chicagosketch/flows.txt", "1-387",
                      ["--through-zones", "--toll-factor", "0.02", "--distance-factor", "0.04"]),
    "chicago-regional": (None, None, "tntp/chicago-regional/ChicagoRegional_flow.tntp",
                         "1-1790", []),
}


def trips_csv(source, path):
    """trips-reference.txt (a # line, then 'o d trips') to o_zone_id,d_zone_id,volume."""
    with open(source) as lines, open(path, "w") as out:
        out.write("o_zone_id,d_zone_id,volume\n")
        for line in lines:
            if line.startswith("#") or not line.strip():
                continue
            o, d, v = line.split()
            out.write(f"{o},{d},{v}\n")


def regional_inputs(directory):
    """Chicago regional: base.txt from the TNTP net, a table of 0.3 trips a pair."""
    base = os.path.join(directory, "base.txt")
    net = os.path.join(DATA, "tntp/chicago-regional/ChicagoRegional_net.tntp")
    with open(net) as lines, open(base, "w") as out:
        out.write("ChicagoRegional road network\nsource: TNTP net\nfrom ChicagoRegional_net\n"
                  "links 39018 nodes 12982\nTNTP zones 1790 first thru node 1791\n"
                  "8 attributes: TNTP net columns 3 to 10\nconverted by assign_bars.py\n"
                  "from to capacity length free_flow_time b power speed toll link_type\n")
        started = False
        for line in lines:
            if line.lstrip().startswith("~"):
                started = True
                continue
            fields = line.replace(";", " ").split()
            if started and fields:
                out.write(" ".join(fields) + "\n")
    trips = os.path.join(directory, "trips.csv")
    with open(trips, "w") as out:
        out.write("o_zone_id,d_zone_id,volume\n")
        for o in range(1, 1791):
            out.write("".join(f"{o},{d},0.3\n" for d in range(1, 1791) if d != o))
    return base, trips


def published(path):
    """Published volumes in link order (a link flow file or a TNTP flow file)."""
    volumes = []
    with open(path) as lines:
        rows = lines.read().splitlines()
    tntp = path.endswith(".tntp")
    start = next(i for i, r in enumerate(rows) if r.strip().startswith("Tail")) + 1 if tntp else 6
    for row in rows[start:]:
        fields = row.replace(";", " ").split()
        if len(fields) >= 3:
            volumes.append(float(fields[2]))
    return volumes


def compare(mine, theirs):
    n = len(theirs)
    mean = sum(theirs) / n
    ss_tot = sum((t - mean) ** 2 for t in theirs)
    ss_res = sum((m - t) ** 2 for m, t in zip(mine, theirs))
    geh = [math.sqrt(2 * (m - t) ** 2 / (m + t)) if m + t > 0 else 0.0
           for m, t in zip(mine, theirs)]
    return 1 - ss_res / ss_tot, sum(g < 1 for g in geh) / n


def run(program, name, gap, threads, directory):
    print(f"{name}: load average {os.getloadavg()[0]:.1f}", flush=True)
    base, source, flows, zones, options = NETWORKS[name]
    if base is None:
        base, trips = regional_inputs(directory)
    else:
        base = os.path.join(DATA, base)
        trips = os.path.join(directory, name + ".csv")
        trips_csv(os.path.join(DATA, source), trips)
    volumes = os.path.join(directory, name + "-volumes.csv")
    summary = os.path.join(directory, name + ".json")
    command = [program, "--zones", zones, "--gap", str(gap), "--summary", summary,
               "--no-progress"] + options + (["--threads", str(threads)] if threads else []) + \
              [base, trips, volumes]
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    before = time.monotonic()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    seconds = time.monotonic() - before
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime + after.ru_stime - usage.ru_utime - usage.ru_stime
    peak = after.ru_maxrss / 1024
    with open(volumes) as lines:
        mine = [float(row.split(",")[2]) for row in lines.read().splitlines()[1:]]
    r2, geh = compare(mine, published(os.path.join(DATA, flows)))
    result = json.load(open(summary))
    print(f"{name:17s} {seconds:7.2f} s wall {cpu:7.2f} s CPU  peak {peak:6.0f} MiB  iterations "
          f"{len(result['iterations']) - 1:4d}  gap {result['gap']:.2e}  R2 {r2:.6f}  "
          f"GEH<1 {100 * geh:6.2f} %  routes {result['memory']['routes']}", flush=True)


def main():
    args = sys.argv[1:]
    gap, threads = 1e-6, 0
    if "--gap" in args:
        i = args.index("--gap")
        gap = float(args[i + 1])
        del args[i:i + 2]
    if "--threads" in args:
        i = args.index("--threads")
        threads = int(args[i + 1])
        del args[i:i + 2]
    program, names = args[0], args[1:] or [n for n in NETWORKS if n != "chicago-regional"]
    with tempfile.TemporaryDirectory() as directory:
        for name in names:
            run(program, name, gap, threads, directory)


if __name__ == "__main__":
    main()
