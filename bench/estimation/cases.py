#!/usr/bin/python3
"""The 30 cases of the estimation bar: 5 networks x 2 kinds of counts x 3 kinds of prior.

usage: cases.py [--data DIR] [--seed N] [--networks a,b] [--cases PATTERN,...] OUTDIR

Per network (OUTDIR/NETWORK/): NET.tntp (written from base.txt), TRUTH.csv (the true
table, diagonal left out). Per case (OUTDIR/NETWORK/COUNTS-PRIOR/): COUNTS.csv
(from_node_id,to_node_id,count) and P.csv (o_zone_id,d_zone_id,volume; non-zero cells).

- Counted links: a seeded random 30 % of the links (rounded), the same links for both
  kinds of counts of a network. exact: the published volume; noisy: volume x U(0.9, 1.1).
- Priors (diagonal always zero; lognormal factors exp(s z - s^2 / 2), mean 1):
  noise: each true cell x lognormal(s = NOISE_SIGMA);
  stale: each origin's row x a factor drawn from STALE_FACTORS, then each cell x
  lognormal(s = 0.1);
  gravity: trip ends of the truth x lognormal(s = 0.2), destination ends scaled to the
  origin total, deterrence exp(-beta * free-flow shortest route time), doubly constrained
  by Furness, beta fitted so that the mean trip time equals the truth's.
Every random draw comes from numpy's default_rng seeded with (seed, crc32 of the network
name, a fixed number per draw), so one network's cases do not depend on which others run.
"""
import argparse
import os
import sys
import zlib
from dataclasses import dataclass

import numpy as np
from scipy.optimize import brentq

import assignment
import network

NETWORKS = ("siouxfalls", "anaheim", "chicagosketch", "barcelona", "winnipeg")
COUNT_KINDS = ("exact", "noisy")
PRIOR_KINDS = ("noise", "stale", "gravity")
DEFAULT_SEED = 23
COUNTED_SHARE = 0.30
COUNT_NOISE = 0.10  # noisy counts: volume x U(1 - COUNT_NOISE, 1 + COUNT_NOISE)
NOISE_SIGMA = 0.3
STALE_FACTORS = (0.5, 1.5)
STALE_SIGMA = 0.1
TRIP_END_SIGMA = 0.2
FURNESS_TOLERANCE = 1e-10
FURNESS_LIMIT = 1000

# The fixed number of each draw (the third part of its seed).
DRAW_LINKS, DRAW_NOISY, DRAW_NOISE, DRAW_STALE, DRAW_GRAVITY = 1, 2, 3, 4, 5


@dataclass
class Case:
    network: str
    counts_kind: str
    prior_kind: str
    counted: np.ndarray  # link indices counted (file order)
    counts: np.ndarray  # their counts
    prior: np.ndarray  # Z x Z

    @property
    def name(self):
        return f"{self.network}-{self.counts_kind}-{self.prior_kind}"


def parameters(seed):
    """Every parameter of the generation, for printing beside the results."""
    return {
        "seed": seed,
        "counted_share": COUNTED_SHARE,
        "count_noise": f"U({1 - COUNT_NOISE:g}, {1 + COUNT_NOISE:g})",
        "noise_prior_sigma": NOISE_SIGMA,
        "stale_row_factors": list(STALE_FACTORS),
        "stale_cell_sigma": STALE_SIGMA,
        "gravity_trip_end_sigma": TRIP_END_SIGMA,
        "lognormal": "exp(s z - s^2/2)",
    }


def rng(seed, name, draw):
    return np.random.default_rng([seed, zlib.crc32(name.encode()), draw])


def lognormal(generator, sigma, shape):
    """Factors exp(s z - s^2 / 2): lognormal with mean 1."""
    return np.exp(sigma * generator.standard_normal(shape) - 0.5 * sigma * sigma)


def counted_links(net, seed):
    """The seeded 30 % of the links, in file order."""
    count = int(round(COUNTED_SHARE * net.links))
    return np.sort(rng(seed, net.name, DRAW_LINKS).choice(net.links, size=count, replace=False))


def counts_of(net, links, kind, seed):
    volume = net.volume[links]
    if kind == "exact":
        return volume.copy()
    u = rng(seed, net.name, DRAW_NOISY).uniform(1 - COUNT_NOISE, 1 + COUNT_NOISE, len(links))
    return volume * u


def noise_prior(net, seed):
    return net.truth * lognormal(rng(seed, net.name, DRAW_NOISE), NOISE_SIGMA, net.truth.shape)


def stale_prior(net, seed):
    g = rng(seed, net.name, DRAW_STALE)
    rows = g.choice(np.array(STALE_FACTORS), size=net.zones)
    return net.truth * rows[:, None] * lognormal(g, STALE_SIGMA, net.truth.shape)


def furness(seed_table, origins, destinations):
    """Scales seed_table's rows and columns to the trip ends (destinations sum to origins)."""
    table = seed_table.copy()
    for _ in range(FURNESS_LIMIT):
        rows = table.sum(axis=1)
        table *= np.divide(origins, rows, out=np.zeros_like(rows), where=rows > 0)[:, None]
        cols = table.sum(axis=0)
        table *= np.divide(destinations, cols, out=np.zeros_like(cols), where=cols > 0)[None, :]
        rows = table.sum(axis=1)
        live = origins > 0
        if np.all(np.abs(rows[live] - origins[live]) <= FURNESS_TOLERANCE * origins[live]):
            break
    return table


def gravity_prior(net, seed):
    """Doubly constrained gravity table with beta fitted to the truth's mean trip time."""
    times = assignment.zone_times(net, net.attributes["free_flow_time"])
    usable = np.isfinite(times)
    np.fill_diagonal(usable, False)
    times = np.where(usable, times, 0.0)
    target = float((net.truth * times).sum() / net.truth.sum())
    g = rng(seed, net.name, DRAW_GRAVITY)
    origins = net.truth.sum(axis=1) * lognormal(g, TRIP_END_SIGMA, net.zones)
    destinations = net.truth.sum(axis=0) * lognormal(g, TRIP_END_SIGMA, net.zones)
    destinations *= origins.sum() / destinations.sum()
    scale = float(times[usable].mean())

    def table(beta):
        deterrence = np.where(usable, np.exp(-beta * (times - times[usable].min())), 0.0)
        return furness(deterrence, origins, destinations)

    def excess(log_beta):
        t = table(np.exp(log_beta) / scale)
        return float((t * times).sum() / t.sum()) - target

    low, high = np.log(1e-4), np.log(1e3)
    if excess(low) <= 0:
        beta = np.exp(low) / scale
    elif excess(high) >= 0:
        beta = np.exp(high) / scale
    else:
        beta = np.exp(brentq(excess, low, high, xtol=1e-10)) / scale
    return table(beta), beta


def make_cases(net, seed, wanted=None):
    """The six cases of one network (those whose name matches `wanted`, if given)."""
    links = counted_links(net, seed)
    priors = {}
    cases = []
    for counts_kind in COUNT_KINDS:
        counts = counts_of(net, links, counts_kind, seed)
        for prior_kind in PRIOR_KINDS:
            name = f"{net.name}-{counts_kind}-{prior_kind}"
            if wanted and not any(w in name for w in wanted):
                continue
            if prior_kind not in priors:
                priors[prior_kind] = make_prior(net, prior_kind, seed)
            cases.append(Case(net.name, counts_kind, prior_kind, links, counts, priors[prior_kind]))
    return cases


def make_prior(net, kind, seed):
    if kind == "noise":
        return noise_prior(net, seed)
    if kind == "stale":
        return stale_prior(net, seed)
    return gravity_prior(net, seed)[0]


def write_table(path, table):
    """o_zone_id,d_zone_id,volume for every non-zero cell, shortest round-trip numbers."""
    o, d = np.nonzero(table)
    with open(path, "w") as f:
        f.write("o_zone_id,d_zone_id,volume\n")
        f.writelines(f"{i + 1},{j + 1},{float(table[i, j])!r}\n" for i, j in zip(o, d))


def write_counts(path, net, case):
    with open(path, "w") as f:
        f.write("from_node_id,to_node_id,count\n")
        f.writelines(f"{net.tail[a]},{net.head[a]},{float(c)!r}\n" for a, c in zip(case.counted, case.counts))


def write_network_files(out, net):
    folder = os.path.join(out, net.name)
    os.makedirs(folder, exist_ok=True)
    network.write_tntp(net, os.path.join(folder, "NET.tntp"))
    write_table(os.path.join(folder, "TRUTH.csv"), net.truth)
    return folder


def write_case(out, net, case):
    folder = os.path.join(out, net.name, f"{case.counts_kind}-{case.prior_kind}")
    os.makedirs(folder, exist_ok=True)
    write_counts(os.path.join(folder, "COUNTS.csv"), net, case)
    write_table(os.path.join(folder, "P.csv"), case.prior.astype(float))
    return folder


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("out")
    parser.add_argument("--data", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "shared", "data"))
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED)
    parser.add_argument("--networks", default=",".join(NETWORKS))
    parser.add_argument("--cases", default="", help="comma-separated substrings of case names")
    args = parser.parse_args()
    wanted = [w for w in args.cases.split(",") if w]
    for name in args.networks.split(","):
        net = network.read_network(os.path.join(args.data, name))
        write_network_files(args.out, net)
        for case in make_cases(net, args.seed, wanted):
            print(write_case(args.out, net, case))
    print(parameters(args.seed), file=sys.stderr)


if __name__ == "__main__":
    main()
