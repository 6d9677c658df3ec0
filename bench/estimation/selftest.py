#!/usr/bin/python3
"""Checks of the independent implementation against the closed forms of the notes (section 6).

usage: selftest.py [--data DIR]

Prints one line per check ("ok" or "FAIL" with the figures) and ends with
"N passed, M failed"; the exit code is 1 when a check failed. With the shared data
folder present it also checks the route matrix on Sioux Falls (P x = the assigned volumes,
and the assignment of the true table against the published volumes).
"""
import argparse
import os
import sys

import numpy as np
import scipy.sparse as sp
from scipy.special import lambertw

import assignment
import methods
import network

RESULTS = []


def check(name, ok, detail=None):
    RESULTS.append(bool(ok))
    print(f"{'ok  ' if ok else 'FAIL'} {name}" + (f": {detail}" if detail is not None else ""))


def close(a, b, tol):
    return bool(np.all(np.abs(np.asarray(a, float) - np.asarray(b, float)) <= tol))


def chain():
    """1. Chain A -> B -> C, pairs AB, AC, BC, prior 1 each, counts 6 and 6."""
    P = sp.csr_matrix(np.array([[1.0, 1.0, 0.0], [0.0, 1.0, 1.0]]))
    prior, counts = np.ones(3), np.array([6.0, 6.0])
    one = methods.gradient_adjustment(P, prior, counts, iterations=1)
    check("chain: one gradient step gives (7/3, 11/3, 7/3)", close(one.table, [7 / 3, 11 / 3, 7 / 3], 1e-12), one.table)
    check("chain: that step fits both counts", close(P @ one.table, counts, 1e-12), P @ one.table)
    hard = methods.entropy_balancing(P, prior, counts, kappa=1e9, tolerance=1e-12)
    check("chain: entropy, kappa -> inf, gives (2, 4, 2)", close(hard.table, [2, 4, 2], 1e-6), hard.table)


def two_routes():
    """2. One pair on two routes 50/50, counts 60 and 40, prior 80, w = kappa / v."""
    P = sp.csr_matrix(np.array([[0.5], [0.5]]))
    p, v, t = np.array([0.5, 0.5]), np.array([60.0, 40.0]), 80.0
    for kappa, quoted in ((1.0, 87.451), (10.0, 94.410), (100.0, 95.827)):
        w = kappa / v
        A, B = float(np.sum(w * p * p)), float(np.sum(w * p * v))
        exact = float(lambertw(A * t * np.exp(B)).real) / A  # x = W(A t e^B) / A
        got = methods.entropy_balancing(P, np.array([t]), v, kappa, tolerance=1e-13).table[0]
        ok = abs(got - exact) <= 1e-6 and abs(exact - quoted) <= 5e-4
        check(f"two routes: entropy kappa {kappa:g} = W(A t e^B)/A = {quoted}", ok, f"{got:.9f} vs {exact:.9f}")
    limit = methods.entropy_balancing(P, np.array([t]), v, 1e9, tolerance=1e-13).table[0]
    check("two routes: entropy kappa -> inf gives 96", abs(limit - 96.0) <= 1e-4, f"{limit:.9f}")
    grad = methods.gradient_adjustment(P, np.array([t]), v, iterations=1000, tolerance=0.0).table[0]
    check("two routes: gradient gives 100", abs(grad - 100.0) <= 1e-6, f"{grad:.9f}")


def step_bound():
    """3. P = [[1, 1], [1, 0]], prior (1, 1), counts (0, 0): one step gives (0, 1/3)."""
    P = sp.csr_matrix(np.array([[1.0, 1.0], [1.0, 0.0]]))
    prior, counts = np.ones(2), np.zeros(2)
    one = methods.gradient_adjustment(P, prior, counts, iterations=1)
    check("bound: one step gives (0, 1/3)", close(one.table, [0.0, 1 / 3], 1e-12), one.table)
    more = methods.gradient_adjustment(P, prior, counts, iterations=50, tolerance=0.0)
    ok = more.table[0] == 0.0 and np.all(more.table >= 0.0)
    check("bound: the zero cell never leaves zero, no cell negative", ok, more.table)


def parallel_routes(iterations):
    """4. Two parallel routes, costs 1 + v and 2 + v, demand 3: volumes (2, 1)."""
    # zones 1 and 2; route 1 -> 3 -> 2 costs 1 + v, route 1 -> 4 -> 2 costs 2 + v (b = 1, cap 1)
    links = [
        (1, 3, 1.0, 0.0, 1.0, 1.0, 1.0),
        (3, 2, 1.0, 0.0, 0.0, 0.0, 1.0),
        (1, 4, 1.0, 0.0, 2.0, 0.5, 1.0),
        (4, 2, 1.0, 0.0, 0.0, 0.0, 1.0),
    ]
    truth = np.array([[0.0, 3.0], [0.0, 0.0]])
    net = network.make_network("parallel", 2, 3, links, truth)
    result = assignment.frank_wolfe(net, truth, iterations)
    check(
        f"Frank-Wolfe ({iterations} it): volumes (2, 1)",
        close(result.volume[[0, 2]], [2, 1], 1e-6),
        result.volume[[0, 2]],
    )
    shares = result.routes.toarray()[[0, 2], 1]  # pair 1 -> 2 is column 0 * 2 + 1
    check("Frank-Wolfe: route shares (2/3, 1/3)", close(shares, [2 / 3, 1 / 3], 1e-6), shares)


def centroids():
    """Routes pass through a zone only when the first thru node is 1."""
    # zones 1, 2, 3; 1 -> 3 -> 2 costs 2 (through zone 3), 1 -> 4 -> 2 costs 10
    links = [(1, 3, 1, 0, 1, 0, 1), (3, 2, 1, 0, 1, 0, 1), (1, 4, 1, 0, 5, 0, 1), (4, 2, 1, 0, 5, 0, 1)]
    truth = np.zeros((3, 3))
    truth[0, 1] = 7.0
    for first_thru, expected in ((4, [0, 0, 7, 7]), (1, [7, 7, 0, 0])):
        net = network.make_network("centroids", 3, first_thru, links, truth)
        volume = assignment.frank_wolfe(net, truth, 3).volume
        check(f"centroids: first thru node {first_thru} routes 1 -> 2 on {expected}", close(volume, expected, 0), volume)


def unchanged():
    """5. A prior that already meets every count comes back unchanged from either method."""
    g = np.random.default_rng(6)
    P = sp.random(40, 120, density=0.1, random_state=7, format="csr")
    prior = g.uniform(1, 10, 120) * (g.uniform(size=120) > 0.2)
    counts = P @ prior
    grad = methods.gradient_adjustment(P, prior, counts)
    check("unchanged: gradient", np.array_equal(grad.table, prior), np.abs(grad.table - prior).max())
    ent = methods.entropy_balancing(P, prior, counts, 10.0)
    check("unchanged: entropy", close(ent.table, prior, 1e-12 * prior.max()), np.abs(ent.table - prior).max())
    # the entropy dual's gradient and Hessian against finite differences
    x_of = lambda l: prior * np.exp(-(P.T @ l))  # noqa: E731
    w = methods.count_weights(counts * 0.7, 10.0)
    v = counts * 0.7
    dual = lambda l: x_of(l).sum() + l @ v + 0.5 * l @ (l / w)  # noqa: E731
    lam = g.normal(0, 0.05, 40)
    grad_d = v - P @ x_of(lam) + lam / w
    h = 1e-6
    fd = np.array([(dual(lam + h * e) - dual(lam - h * e)) / (2 * h) for e in np.eye(40)])
    check("dual gradient against finite differences", close(grad_d, fd, 1e-5 * max(1, np.abs(fd).max())))


def sioux_falls(data):
    """Route matrix and assignment on Sioux Falls (when the data folder is there)."""
    folder = os.path.join(data, "siouxfalls")
    if not os.path.isdir(folder):
        print(f"skip Sioux Falls: {folder} absent")
        return
    net = network.read_network(folder)
    result = assignment.frank_wolfe(net, net.truth, 50)
    loaded = result.routes @ net.truth.reshape(-1)
    check("Sioux Falls: P x = the assigned volumes", close(loaded, result.volume, 1e-9 * result.volume.max()))
    r2 = np.corrcoef(result.volume, net.volume)[0, 1] ** 2
    check("Sioux Falls: 50 FW iterations of the truth give R2 > 0.999 on the published volumes", r2 > 0.999, r2)
    # sum over the out-links of o of P[a, od] = 1 for every routed pair od
    g = net.graph
    origin_of_link = np.full(net.links, -1)
    for zone, node in enumerate(g.source):
        origin_of_link[g.tail == node] = zone
    pairs = np.flatnonzero(net.truth.reshape(-1) > 0)
    leaving = np.zeros(len(pairs))
    routes = result.routes.tocsc()
    for k, pair in enumerate(pairs):
        column = routes[:, pair]
        leaving[k] = column.data[origin_of_link[column.indices] == pair // net.zones].sum()
    check("Sioux Falls: every pair's route shares leave its origin once", close(leaving, 1.0, 1e-12), leaving.min())


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--data", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "shared", "data"))
    args = parser.parse_args()
    chain()
    two_routes()
    step_bound()
    parallel_routes(50)
    centroids()
    unchanged()
    sioux_falls(args.data)
    passed = sum(RESULTS)
    print(f"{passed} passed, {len(RESULTS) - passed} failed")
    return 0 if passed == len(RESULTS) else 1


if __name__ == "__main__":
    sys.exit(main())
