"""Balancing a prior table to link counts on fixed routes: the gradient adjustment and
the soft entropy balancing (notes sections 4.1 and 4.2).

Both work on vectors over pairs (x, t: one value per column of the route matrix P, whose
rows are the counted links in the order of the counts v). A pair whose prior is zero
stays zero in both.
"""
from dataclasses import dataclass

import numpy as np


@dataclass
class Balanced:
    table: np.ndarray  # estimate, one value per pair
    iterations: int
    objective: float  # gradient: 1/2 sum (V - v)^2; entropy: the dual D at the end
    converged: bool
    note: str = ""


def gradient_adjustment(P, prior, counts, iterations=50, tolerance=1e-4, PT=None):
    """The peers' gradient adjustment with the bound that keeps every cell non-negative.

    Minimises Z(x) = 1/2 sum_a (V_a - v_a)^2, V = P x, by x <- x o (1 - s g),
    g = P^T (V - v); s* = sum V'(v - V) / sum V'^2 with V' = -P (x o g), bounded by
    1 / max{g_od : g_od > 0, x_od > 0}. Stops after `iterations` steps or when Z changes
    by less than `tolerance` relative to its previous value.
    """
    PT = P.T.tocsr() if PT is None else PT
    x = np.array(prior, dtype=float)
    V = P @ x
    objective = 0.5 * float(np.dot(V - counts, V - counts))
    for k in range(1, iterations + 1):
        g = PT @ (V - counts)  # g = P^T (V - v)
        dV = -(P @ (x * g))  # V' = -P (x o g)
        curvature = float(np.dot(dV, dV))
        if curvature <= 0.0:
            return Balanced(x, k - 1, objective, True, "zero gradient")
        step = float(np.dot(dV, counts - V)) / curvature  # s* = sum V'(v - V) / sum V'^2
        positive = (g > 0) & (x > 0)
        if positive.any():
            step = min(step, 1.0 / float(g[positive].max()))  # no cell turns negative
        x = x * (1.0 - step * g)
        x[x < 0] = 0.0  # rounding at the bound only
        V = P @ x
        previous = objective
        objective = 0.5 * float(np.dot(V - counts, V - counts))
        if previous == 0.0 or abs(previous - objective) < tolerance * previous:
            return Balanced(x, k, objective, True)
    return Balanced(x, iterations, objective, False)


def count_weights(counts, kappa):
    """w_a = kappa / max(v_a, 1)."""
    return kappa / np.maximum(counts, 1.0)


def entropy_balancing(P, prior, counts, kappa, tolerance=1e-8, max_newton=100, PT=None):
    """Soft entropy balancing by Newton-CG on the dual (notes 4.1).

    x(l) = t o exp(-P^T l); D(l) = sum x(l) + l.v + 1/2 sum l^2 / w;
    grad D = v - P x(l) + l / w; hess D . d = P (x o (P^T d)) + d / w.
    Newton directions by conjugate gradients (relative residual min(0.5, sqrt|grad|)),
    Armijo backtracking on D; stops when |grad D| <= tolerance * max(|v|, 1).
    """
    PT = P.T.tocsr() if PT is None else PT
    t = np.array(prior, dtype=float)
    support = t > 0
    w = count_weights(counts, kappa)
    lam = np.zeros(len(counts))

    def table(l):
        x = np.zeros_like(t)
        x[support] = t[support] * np.exp(np.minimum(-(PT @ l)[support], 700.0))
        return x

    def dual(l, x):
        return float(x.sum() + np.dot(l, counts) + 0.5 * np.dot(l, l / w))

    x = table(lam)
    value = dual(lam, x)
    scale = max(float(np.linalg.norm(counts)), 1.0)
    for k in range(1, max_newton + 1):
        grad = counts - P @ x + lam / w
        norm = float(np.linalg.norm(grad))
        if norm <= tolerance * scale:
            return Balanced(x, k - 1, value, True)

        def hess(d):
            return P @ (x * (PT @ d)) + d / w

        direction = conjugate_gradient(hess, -grad, min(0.5, np.sqrt(norm / scale)))
        slope = float(np.dot(grad, direction))
        step = 1.0
        while True:
            trial = lam + step * direction
            x_trial = table(trial)
            value_trial = dual(trial, x_trial)
            if value_trial <= value + 1e-4 * step * slope or step < 1e-12:
                break
            step *= 0.5
        if step < 1e-12:
            return Balanced(x, k, value, False, "line search failed")
        lam, x, value = trial, x_trial, value_trial
    return Balanced(x, max_newton, value, False, "Newton limit")


def conjugate_gradient(apply, rhs, relative, limit=500):
    """Solves apply(d) = rhs (symmetric positive definite) to |r| <= relative * |rhs|."""
    d = np.zeros_like(rhs)
    r = rhs.copy()
    p = r.copy()
    rr = float(np.dot(r, r))
    goal = relative * relative * rr
    for _ in range(limit):
        if rr <= goal:
            break
        q = apply(p)
        a = rr / float(np.dot(p, q))
        d += a * p
        r -= a * q
        rr_new = float(np.dot(r, r))
        p = r + (rr_new / rr) * p
        rr = rr_new
    return d
