#!/usr/bin/python3
"""The estimation bar, measured: every case's cells R2 for the prior alone, the peers'
method (independent Python implementation), the reference entropy balancing, and the
C++ methods when the binaries given support them.

usage: run.py [--networks a,b] [--cases PAT,...] [--veldmark BIN --convert BIN]
              [--veldmark-option OPT ...] [--work DIR] [--results PREFIX] ...

See bench/estimation/README.md. Prints every parameter, one row per case, the averages
and the bar's checks; writes PREFIX.csv (one row per case) and PREFIX.json (parameters,
rows, checks).
"""
import argparse
import json
import os
import platform
import shlex
import shutil
import subprocess
import sys
import time

import numpy as np

import cases
import measure
import network
import peer
import selftest

COLUMNS = [
    "case",
    "prior",
    "peer_single",
    "peer_bilevel",
    "peer",
    "py_entropy_single",
    "py_entropy_bilevel",
    "entropy",
    "gradient",
    "entropy_minus_peer",
    "gradient_minus_py",
]


def parse_args():
    p = argparse.ArgumentParser(description="cells R2 of the estimation bar's 30 cases")
    p.add_argument("--data", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "shared", "data"), help="shared data folder")
    p.add_argument("--networks", default=",".join(cases.NETWORKS))
    p.add_argument("--cases", default="", help="comma-separated substrings of case names")
    p.add_argument("--seed", type=int, default=cases.DEFAULT_SEED)
    p.add_argument("--work", default="estimation-cases", help="folder for the case files and runs")
    p.add_argument("--results", default=None, help="PREFIX of PREFIX.csv and PREFIX.json (default WORK/results)")
    p.add_argument("--fw-iterations", type=int, default=50)
    p.add_argument("--outer", type=int, default=2, help="levels of the bi-level variants")
    p.add_argument("--kappa", default="10", help="kappa of the Python entropy reference, or 'none'")
    p.add_argument("--toll-factor", type=float, default=0.0)
    p.add_argument("--distance-factor", type=float, default=0.0)
    p.add_argument("--veldmark", default=None, help="veldmark binary")
    p.add_argument("--convert", default=None, help="veldmark-convert binary")
    p.add_argument(
        "--veldmark-option",
        action="append",
        default=[],
        help="extra veldmark options, shell-quoted (repeatable), e.g. '--count-weight auto'",
    )
    p.add_argument("--methods", default="entropy,gradient", help="veldmark methods to run")
    p.add_argument("--timeout", type=float, default=600.0, help="seconds per veldmark run")
    p.add_argument(
        "--gradient-reference",
        choices=("best", "single", "bilevel"),
        default="best",
        help="the Python figure veldmark's gradient is checked against (peer, peer1 or peer2)",
    )
    p.add_argument("--selftest", action="store_true", help="run selftest.py's checks instead, and exit")
    return p.parse_args()


def settings_of(args):
    kappa = None if args.kappa.lower() == "none" else float(args.kappa)
    return peer.Settings(
        fw_iterations=args.fw_iterations,
        outer=args.outer,
        kappa=kappa,
        toll_factor=args.toll_factor,
        distance_factor=args.distance_factor,
    )


def run_binary(command, timeout):
    """(ok, seconds, first line of standard error or the reason)."""
    start = time.perf_counter()
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return False, time.perf_counter() - start, f"timed out after {timeout:g} s"
    except OSError as error:
        return False, 0.0, str(error)
    seconds = time.perf_counter() - start
    lines = [line for line in done.stderr.splitlines() if line.strip()]
    message = lines[0] if lines else ""
    return done.returncode == 0, seconds, message if done.returncode else ""


def convert_case(args, net_file, folder):
    """veldmark-convert tntp NET.tntp COUNTS.csv DIR; returns (DIR or None, message)."""
    target = os.path.join(folder, "converted")
    shutil.rmtree(target, ignore_errors=True)
    command = [args.convert, "tntp", net_file, os.path.join(folder, "COUNTS.csv"), target]
    ok, _, message = run_binary(command, args.timeout)
    return (target if ok else None), message


def run_veldmark(args, net, folder, converted, method):
    """One veldmark run as the bar runs it; returns (table or None, seconds, message)."""
    estimate = os.path.join(folder, f"est-{method}.csv")
    trips = os.path.join(folder, f"trips-{method}.txt")
    for old in (estimate, trips):
        if os.path.exists(old):
            os.remove(old)
    command = [args.veldmark, "--method", method, "--prior", os.path.join(folder, "P.csv")]
    command += ["--zones", f"1-{net.zones}"] + (["--through-zones"] if net.through_zones else [])
    for option in args.veldmark_option:
        command += shlex.split(option)
    command += ["--csv", estimate]
    command += [os.path.join(converted, f) for f in ("base.txt", "abstract.txt", "flows.txt")] + [trips]
    ok, seconds, message = run_binary(command, args.timeout)
    if not ok:
        return None, seconds, message
    try:
        return measure.read_long_table(estimate, net.zones), seconds, ""
    except (OSError, ValueError, IndexError) as error:
        return None, seconds, f"unreadable estimate: {error}"


def best(values):
    live = [v for v in values if v is not None and np.isfinite(v)]
    return max(live) if live else None


def measure_case(args, settings, net, case, folder, routes, timing):
    """The row of one case (R2 per method) and its notes."""
    truth = net.truth
    links = case.counted
    row = {"case": case.name, "prior": measure.cells_r2(case.prior, truth)}
    notes = []
    levels = peer.gradient_levels(net, case.prior, links, case.counts, settings, routes)
    r2 = [measure.cells_r2(t, truth) for t in levels.tables]
    row["peer_single"] = r2[0]
    row["peer_bilevel"] = r2[-1] if len(r2) > 1 else None
    row["peer"] = best(r2)
    timing["peer"] += sum(levels.seconds)
    seconds = {"peer": sum(levels.seconds)}
    notes.append("peer " + "/".join(levels.notes))
    if settings.kappa is not None:
        levels = peer.entropy_levels(net, case.prior, links, case.counts, settings, routes)
        r2 = [measure.cells_r2(t, truth) for t in levels.tables]
        row["py_entropy_single"] = r2[0]
        row["py_entropy_bilevel"] = r2[-1] if len(r2) > 1 else None
        timing["py_entropy"] += sum(levels.seconds)
        seconds["py_entropy"] = sum(levels.seconds)
        notes.append("entropy " + "/".join(levels.notes))
    if args.veldmark and args.convert:
        converted, message = convert_case(args, os.path.join(args.work, net.name, "NET.tntp"), folder)
        if converted is None:
            notes.append(f"convert refused: {message}")
        else:
            for method in [m for m in args.methods.split(",") if m]:
                table, elapsed, message = run_veldmark(args, net, folder, converted, method)
                timing[method] += elapsed
                seconds[method] = elapsed
                if table is None:
                    notes.append(f"{method} refused: {message}")
                else:
                    row[method] = measure.cells_r2(table, truth)
    row["seconds"] = seconds
    if row.get("entropy") is not None:
        row["entropy_minus_peer"] = row["entropy"] - row["peer"]
    if row.get("gradient") is not None:
        reference = {"best": "peer", "single": "peer_single", "bilevel": "peer_bilevel"}[args.gradient_reference]
        if row.get(reference) is not None:
            row["gradient_minus_py"] = row["gradient"] - row[reference]
    return row, notes


def mean(rows, key):
    values = [r[key] for r in rows if r.get(key) is not None]
    return (float(np.mean(values)), len(values)) if values else (None, 0)


def checks(rows):
    """The bar's four checks over the cases that have the figures (None: no case has them)."""
    with_entropy = [r for r in rows if r.get("entropy") is not None]
    with_gradient = [r for r in rows if r.get("gradient_minus_py") is not None]
    result = {}
    if with_entropy:
        diffs = [r["entropy_minus_peer"] for r in with_entropy]
        prior_mean = float(np.mean([r["prior"] for r in with_entropy]))
        entropy_mean = float(np.mean([r["entropy"] for r in with_entropy]))
        result["entropy - peer mean >= 0.01"] = (float(np.mean(diffs)), bool(np.mean(diffs) >= 0.01))
        result["every case entropy - peer >= -0.01"] = (float(min(diffs)), bool(min(diffs) >= -0.01))
        result["entropy mean > prior mean"] = (entropy_mean - prior_mean, bool(entropy_mean > prior_mean))
        result["cases with entropy"] = (len(with_entropy), len(with_entropy) == len(rows))
    if with_gradient:
        worst = max(abs(r["gradient_minus_py"]) for r in with_gradient)
        result["every case |gradient - python peer| <= 0.03"] = (float(worst), bool(worst <= 0.03))
        result["cases with gradient"] = (len(with_gradient), len(with_gradient) == len(rows))
    return result


def print_row(row, out):
    cells = [f"{row['case']:<30}"]
    for key in COLUMNS[1:]:
        value = row.get(key)
        cells.append(f"{value:>8.4f}" if value is not None else f"{'-':>8}")
    print(" ".join(cells), file=out, flush=True)


def header(out):
    names = ["prior", "peer1", "peer2", "peer", "pyent1", "pyent2", "entropy", "gradient", "ent-peer", "grad-py"]
    print(f"{'case':<30} " + " ".join(f"{n:>8}" for n in names), file=out)


def parameters(args, settings):
    return {
        "generation": cases.parameters(args.seed),
        "fw_iterations": settings.fw_iterations,
        "gradient": {"iterations": settings.gradient_iterations, "relative_change": settings.gradient_tolerance},
        "outer_levels": settings.outer,
        "entropy_reference_kappa": settings.kappa,
        "entropy_tolerance": settings.entropy_tolerance,
        "toll_factor": settings.toll_factor,
        "distance_factor": settings.distance_factor,
        "veldmark": args.veldmark,
        "convert": args.convert,
        "veldmark_options": args.veldmark_option,
        "methods": args.methods,
        "gradient_reference": args.gradient_reference,
        "networks": args.networks,
        "cases": args.cases,
        "machine": f"{platform.node()} {platform.machine()} {os.cpu_count()} cpus",
        "load_at_start": os.getloadavg(),
        "python": platform.python_version(),
        "numpy": np.__version__,
    }


def main():
    args = parse_args()
    if args.selftest:
        sys.argv = [sys.argv[0], "--data", args.data]
        sys.exit(selftest.main())
    settings = settings_of(args)
    out = sys.stdout
    params = parameters(args, settings)
    print("parameters: " + json.dumps(params), file=out)
    header(out)
    rows, notes = [], {}
    timing = {"cases": 0.0, "prior_assignment": 0.0, "peer": 0.0, "py_entropy": 0.0}
    timing.update({m: 0.0 for m in args.methods.split(",") if m})
    wanted = [w for w in args.cases.split(",") if w]
    for name in [n for n in args.networks.split(",") if n]:
        start = time.perf_counter()
        net = network.read_network(os.path.join(args.data, name))
        cases.write_network_files(args.work, net)
        net_cases = cases.make_cases(net, args.seed, wanted)
        timing["cases"] += time.perf_counter() - start
        routes = {}
        for case in net_cases:
            folder = cases.write_case(args.work, net, case)
            if case.prior_kind not in routes:
                start = time.perf_counter()
                routes[case.prior_kind] = peer.assign(net, case.prior, case.counted, settings)
                timing["prior_assignment"] += time.perf_counter() - start
            row, case_notes = measure_case(args, settings, net, case, folder, routes[case.prior_kind], timing)
            row["prior_gap"] = routes[case.prior_kind][2]
            rows.append(row)
            notes[case.name] = case_notes
            print_row(row, out)
    report(args, params, rows, notes, timing, out)


def report(args, params, rows, notes, timing, out):
    """Averages, checks, notes and timings on `out`; the CSV and JSON files."""
    averages = {key: mean(rows, key) for key in COLUMNS[1:]}
    print(
        f"{'mean':<30} "
        + " ".join(f"{v:>8.4f}" if v is not None else f"{'-':>8}" for v, _ in averages.values()),
        file=out,
    )
    result = checks(rows)
    for name, (value, ok) in result.items():
        shown = f"{value}" if isinstance(value, int) else f"{value:.4f}"
        print(f"check: {name}: {shown} {'PASS' if ok else 'FAIL'}", file=out)
    for key in ("py_entropy_single", "py_entropy_bilevel"):
        diffs = [r[key] - r["peer"] for r in rows if r.get(key) is not None]
        if diffs:
            print(f"info: {key} - peer: mean {np.mean(diffs):.4f}, worst {min(diffs):.4f}", file=out)
    if not result:
        print("check: no veldmark figures (no binaries given, or every run refused)", file=out)
    for name, case_notes in notes.items():
        print(f"note: {name}: " + "; ".join(case_notes), file=out)
    print("seconds: " + ", ".join(f"{k} {v:.1f}" for k, v in timing.items()), file=out)
    prefix = args.results or os.path.join(args.work, "results")
    with open(prefix + ".csv", "w") as f:
        f.write(",".join(COLUMNS + ["prior_gap"]) + "\n")
        for row in rows:
            f.write(",".join("" if row.get(k) is None else str(row[k]) for k in COLUMNS + ["prior_gap"]) + "\n")
    record = {
        "parameters": params,
        "rows": rows,
        "means": {k: v for k, (v, _) in averages.items()},
        "checks": {k: {"value": v, "pass": ok} for k, (v, ok) in result.items()},
        "notes": notes,
        "seconds": timing,
    }
    with open(prefix + ".json", "w") as f:
        json.dump(record, f, indent=1)
    print(f"wrote {prefix}.csv and {prefix}.json", file=out)


if __name__ == "__main__":
    main()
