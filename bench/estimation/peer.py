"""The estimates of the bar, computed independently of the C++ code.

- The peers' method: gradient adjustment on the routes of an N-iteration Frank-Wolfe
  assignment of the prior ("single"), and with re-assignment ("bi-level": assign the
  estimate, rebuild the routes, adjust again from the estimate; `outer` levels in all).
- The reference soft entropy balancing with a given kappa, on the same routes; its
  bi-level variant re-assigns the estimate and balances the prior again on the new routes
  (the objective is defined against the prior, so every level starts from it).
Routes are restricted to the counted links (the rows of P, in the counts' order).
"""
import time
from dataclasses import dataclass, field

import numpy as np

import assignment
import methods


@dataclass
class Settings:
    fw_iterations: int = 50
    gradient_iterations: int = 50
    gradient_tolerance: float = 1e-4
    outer: int = 2  # levels of the bi-level variants (1 = no re-assignment)
    kappa: float = 10.0  # entropy reference; None: not run
    entropy_tolerance: float = 1e-8
    toll_factor: float = 0.0
    distance_factor: float = 0.0


@dataclass
class Levels:
    """Estimates after each level (level 0: on the prior's routes) and their run times."""

    tables: list = field(default_factory=list)  # Z x Z per level
    seconds: list = field(default_factory=list)  # per level: assignment + balancing
    notes: list = field(default_factory=list)


def assign(net, table, links, settings):
    """Route matrix (counted links x pairs) of an FW assignment of table, with its gap."""
    result = assignment.frank_wolfe(
        net,
        table,
        settings.fw_iterations,
        route_links=links,
        toll_factor=settings.toll_factor,
        distance_factor=settings.distance_factor,
    )
    return result.routes, result.routes.T.tocsr(), result.gap


def gradient_levels(net, prior, links, counts, settings, first_routes):
    """The peers' method on the prior's routes, then re-assigned (settings.outer levels)."""
    levels = Levels()
    P, PT, _ = first_routes
    x = prior.reshape(-1)
    for level in range(settings.outer):
        start = time.perf_counter()
        if level > 0:
            P, PT, _ = assign(net, x.reshape(prior.shape), links, settings)
        result = methods.gradient_adjustment(
            P, x, counts, settings.gradient_iterations, settings.gradient_tolerance, PT
        )
        x = result.table
        levels.tables.append(x.reshape(prior.shape))
        levels.seconds.append(time.perf_counter() - start)
        levels.notes.append(f"{result.iterations} it")
    return levels


def entropy_levels(net, prior, links, counts, settings, first_routes):
    """Soft entropy balancing of the prior (kappa) on the prior's routes, then re-assigned."""
    levels = Levels()
    P, PT, _ = first_routes
    t = prior.reshape(-1)
    x = t
    for level in range(settings.outer):
        start = time.perf_counter()
        if level > 0:
            P, PT, _ = assign(net, x.reshape(prior.shape), links, settings)
        result = methods.entropy_balancing(P, t, counts, settings.kappa, settings.entropy_tolerance, PT=PT)
        x = result.table
        levels.tables.append(x.reshape(prior.shape))
        levels.seconds.append(time.perf_counter() - start)
        levels.notes.append(f"{result.iterations} Newton" + ("" if result.converged else f" ({result.note})"))
    return levels
