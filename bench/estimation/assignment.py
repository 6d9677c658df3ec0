"""Frank-Wolfe equilibrium assignment, and the route proportions of its trees.

Link cost: c(v) = fft * (1 + b * (v / cap)^power) + toll_factor * toll + distance_factor * length.
Iteration k: costs at the current volumes v, one shortest-path tree per origin
(scipy.sparse.csgraph.dijkstra), the all-or-nothing volumes y of the table on those trees,
then v <- v + alpha (y - v) with alpha minimising the Beckmann objective on [0, 1]
(bisection on its derivative sum (y - v) c(v + alpha (y - v))). The first tree set, at
free-flow costs, is the starting solution (alpha = 1).

Route proportions: P[a, od] = sum_k w_k [a on tree_k's path o -> d], w_k = alpha_k
prod_{j>k} (1 - alpha_j) (notes section 3), kept as a scipy.sparse CSR matrix whose rows
are a chosen subset of the links (the counted ones) and whose columns are the pairs
o * Z + d. It is accumulated as P <- (1 - alpha) P + alpha A_k, A_k the 0/1 incidence of
tree set k, which gives exactly the weights above.

Pairs: the diagonal is never assigned; a pair whose destination cannot be reached gets no
route (its column of P is empty) and its trips are counted as unassigned.
"""
from dataclasses import dataclass

import numpy as np
import scipy.sparse as sp
from scipy.sparse.csgraph import dijkstra


@dataclass
class Assignment:
    volume: np.ndarray  # final link volumes (file order)
    gap: float  # relative gap at the last tree set's costs
    iterations: int
    routes: sp.csr_matrix  # rows: the requested links; columns: pairs o * Z + d
    unassigned: float  # trips of pairs with no route


def link_costs(net, volume, toll_factor=0.0, distance_factor=0.0):
    """c(v) per link (see the module's note)."""
    a = net.attributes
    ratio = np.divide(volume, a["capacity"], out=np.zeros_like(volume), where=a["capacity"] > 0)
    congestion = np.where(a["b"] > 0, a["b"] * ratio ** a["power"], 0.0)
    return a["free_flow_time"] * (1.0 + congestion) + toll_factor * a["toll"] + distance_factor * a["length"]


def zone_times(net, cost):
    """Z x Z shortest route costs between zones at the given link costs (inf: unreachable)."""
    g = net.graph
    dist = dijkstra(g.matrix(cost), directed=True, indices=g.source)
    return dist[:, g.sink]


def tree_walk(net, cost, demand, pairs, rows):
    """One all-or-nothing loading on shortest-path trees at `cost`.

    demand: Z*Z trips per pair; pairs: the pair indices o * Z + d to route (off-diagonal);
    rows: per link, its row in the route matrix or -1 (not wanted).
    Returns (link volumes, sum of demand * shortest cost, A as CSR with 0/1 entries, trips
    of pairs in `pairs` that have no route).
    """
    g = net.graph
    Z = net.zones
    dist, pred = dijkstra(g.matrix(cost), directed=True, indices=g.source, return_predecessors=True)
    origin = pairs // Z
    dest = pairs % Z
    sp_cost = dist[origin, g.sink[dest]]
    reach = np.isfinite(sp_cost)
    unassigned = float(demand[pairs[~reach]].sum())
    pairs, origin, dest = pairs[reach], origin[reach], dest[reach]
    spend = float(np.dot(demand[pairs], sp_cost[reach]))
    # link entering each node of each origin's tree
    node = np.arange(g.nodes)
    flat_pred = pred.ravel()
    into = g.links_between(np.maximum(flat_pred, 0), np.tile(node, Z))
    into[flat_pred < 0] = -1
    volume = np.zeros(net.links)
    link_parts, pair_parts = [], []
    column = np.arange(len(pairs))
    at = origin * g.nodes + g.sink[dest]  # position in the flat tree arrays
    load = demand[pairs]
    while len(at):
        link = into[at]
        live = link >= 0
        at, link, column, load = at[live], link[live], column[live], load[live]
        volume += np.bincount(link, weights=load, minlength=net.links)
        wanted = rows[link] >= 0
        link_parts.append(rows[link[wanted]])
        pair_parts.append(pairs[column[wanted]])
        at = (at // g.nodes) * g.nodes + flat_pred[at]
    r = np.concatenate(link_parts) if link_parts else np.zeros(0, int)
    c = np.concatenate(pair_parts) if pair_parts else np.zeros(0, int)
    shape = (int(rows.max()) + 1 if len(rows) else 0, Z * Z)
    incidence = sp.csr_matrix((np.ones(len(r)), (r, c)), shape=shape)
    return volume, spend, incidence, unassigned


def line_search(net, volume, target, toll_factor, distance_factor, steps=40):
    """alpha in [0, 1] minimising the Beckmann objective along volume -> target (bisection)."""
    direction = target - volume

    def slope(alpha):
        return float(np.dot(direction, link_costs(net, volume + alpha * direction, toll_factor, distance_factor)))

    if slope(1.0) <= 0.0:
        return 1.0
    low, high = 0.0, 1.0
    for _ in range(steps):
        mid = 0.5 * (low + high)
        if slope(mid) > 0.0:
            high = mid
        else:
            low = mid
    return 0.5 * (low + high)


def frank_wolfe(net, table, iterations=50, route_links=None, toll_factor=0.0, distance_factor=0.0):
    """Assigns the Z x Z table by `iterations` tree sets of Frank-Wolfe.

    route_links: link indices (rows of the route matrix, in this order); default all links.
    The route matrix has a column for every pair o * Z + d; only pairs with trips are routed.
    """
    Z = net.zones
    demand = np.array(table, dtype=float).reshape(-1).copy()
    demand[np.arange(Z) * (Z + 1)] = 0.0
    pairs = np.flatnonzero(demand > 0)
    if route_links is None:
        route_links = np.arange(net.links)
    rows = np.full(net.links, -1)
    rows[route_links] = np.arange(len(route_links))
    volume = np.zeros(net.links)
    routes = None
    gap = np.inf
    unassigned = 0.0
    for k in range(iterations):
        cost = link_costs(net, volume, toll_factor, distance_factor)
        target, spend, incidence, unassigned = tree_walk(net, cost, demand, pairs, rows)
        if k == 0:
            alpha = 1.0
        else:
            total = float(np.dot(volume, cost))
            gap = (total - spend) / total if total > 0 else 0.0
            alpha = line_search(net, volume, target, toll_factor, distance_factor)
        volume = volume + alpha * (target - volume)
        routes = incidence if routes is None else (routes * (1.0 - alpha) + incidence * alpha).tocsr()
    final_cost = link_costs(net, volume, toll_factor, distance_factor)
    total = float(np.dot(volume, final_cost))
    times = zone_times(net, final_cost).reshape(-1)[pairs]
    reach = np.isfinite(times)
    spend = float(np.dot(demand[pairs][reach], times[reach]))
    gap = (total - spend) / total if total > 0 else 0.0
    return Assignment(volume, gap, iterations, routes, unassigned)
