"""The road networks of the estimation benchmark: reading, the routing graph, NET.tntp.

A network folder of the shared data (base.txt, flows.txt, trips-reference.txt) is read
into a Network: every link's TNTP attributes (the source text too, so that NET.tntp
repeats it digit for digit), its published equilibrium volume, and the true table as a
dense Z x Z array with its diagonal (intrazonal trips) removed.

The routing graph: nodes numbered 0..n-1 in order of node id; where routes may not pass
through zones (first thru node Z+1), each zone z is split in two: its source copy keeps
the node's index and its out-links, a sink copy (index n + z) takes its in-links. A
route from zone o to zone d then runs from source(o) to sink(d) and can pass through
no zone, because a sink copy has no out-link and a source copy no in-link.
"""
import os
from dataclasses import dataclass, field

import numpy as np
import scipy.sparse as sp

# The attributes of a link, in TNTP order (base.txt columns 3 to 10).
ATTRIBUTES = ("capacity", "length", "free_flow_time", "b", "power", "speed", "toll", "link_type")


@dataclass
class Network:
    name: str
    zones: int  # Z: zones are node ids 1..Z
    first_thru_node: int
    tail: np.ndarray  # node id of each link's tail, file order
    head: np.ndarray
    attributes: dict  # name -> float array per link (ATTRIBUTES)
    text: list  # per link, the 8 attribute strings as written in base.txt
    volume: np.ndarray  # published equilibrium volume per link
    truth: np.ndarray  # Z x Z true table, diagonal zero
    truth_diagonal: float = 0.0  # intrazonal trips left out of truth
    graph: "Graph" = field(default=None, repr=False)

    @property
    def through_zones(self):
        """True when routes may pass through zone nodes (first thru node 1)."""
        return self.first_thru_node <= 1

    @property
    def links(self):
        return len(self.tail)


@dataclass
class Graph:
    """Forward-star routing graph of a Network (see the module's note on zones)."""

    nodes: int  # routing nodes, sink copies included
    tail: np.ndarray  # routing index of each link's tail (file order)
    head: np.ndarray
    order: np.ndarray  # CSR position -> link index
    indices: np.ndarray  # CSR column (head) per position
    indptr: np.ndarray
    source: np.ndarray  # routing index of each zone's origin node
    sink: np.ndarray  # routing index of each zone's destination node
    link_key: np.ndarray  # sorted tail * nodes + head
    link_of_key: np.ndarray  # link index per sorted key

    def matrix(self, cost):
        """The CSR matrix of link costs (explicit zeros kept: they are links)."""
        return sp.csr_matrix((cost[self.order], self.indices, self.indptr), shape=(self.nodes, self.nodes))

    def links_between(self, tail, head):
        """Link index joining routing nodes tail -> head (arrays), -1 where none."""
        key = tail.astype(np.int64) * self.nodes + head
        at = np.searchsorted(self.link_key, key)
        at = np.minimum(at, len(self.link_key) - 1)
        found = self.link_key[at] == key
        return np.where(found, self.link_of_key[at], -1)


def read_network(folder, name=None):
    """Reads base.txt, flows.txt and trips-reference.txt of a shared data folder."""
    name = name or os.path.basename(os.path.normpath(folder))
    with open(os.path.join(folder, "base.txt")) as f:
        lines = f.read().splitlines()
    meta = lines[4].split()  # "TNTP zones Z first thru node F"
    zones, first_thru = int(meta[2]), int(meta[6])
    rows = [line.split() for line in lines[8:]]
    tail = np.array([int(r[0]) for r in rows])
    head = np.array([int(r[1]) for r in rows])
    text = [r[2:10] for r in rows]
    attributes = {a: np.array([float(r[2 + i]) for r in rows]) for i, a in enumerate(ATTRIBUTES)}
    volume = read_volumes(os.path.join(folder, "flows.txt"), tail, head)
    truth, diagonal = read_table(os.path.join(folder, "trips-reference.txt"), zones)
    net = Network(name, zones, first_thru, tail, head, attributes, text, volume, truth, diagonal)
    net.graph = build_graph(net)
    return net


def make_network(name, zones, first_thru_node, links, truth, volume=None):
    """A Network from a list of (tail, head, capacity, length, fft, b, power) tuples (tests)."""
    rows = np.array(links, dtype=float)
    tail, head = rows[:, 0].astype(int), rows[:, 1].astype(int)
    values = np.zeros((len(rows), len(ATTRIBUTES)))
    values[:, :5] = rows[:, 2:7]
    attributes = {a: values[:, i].copy() for i, a in enumerate(ATTRIBUTES)}
    text = [[repr(float(v)) for v in row] for row in values]
    volume = np.zeros(len(rows)) if volume is None else np.asarray(volume, dtype=float)
    net = Network(name, zones, first_thru_node, tail, head, attributes, text, volume, np.asarray(truth, float))
    net.graph = build_graph(net)
    return net


def read_volumes(path, tail, head):
    """The flow file's volume of every link, in the links' order."""
    with open(path) as f:
        lines = f.read().splitlines()[6:]
    by_pair = {}
    for line in lines:
        parts = line.split()
        by_pair[(int(parts[0]), int(parts[1]))] = float(parts[2])
    return np.array([by_pair[(t, h)] for t, h in zip(tail, head)])


def read_table(path, zones):
    """A Z x Z table from 'origin destination trips' lines; returns (table, diagonal sum)."""
    table = np.zeros((zones, zones))
    with open(path) as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            o, d, v = line.split()
            table[int(o) - 1, int(d) - 1] += float(v)
    diagonal = float(np.trace(table))
    np.fill_diagonal(table, 0.0)
    return table, diagonal


def build_graph(net):
    """The routing graph of net: node ids compacted, zones split unless through_zones."""
    ids = np.unique(np.concatenate([net.tail, net.head, np.arange(1, net.zones + 1)]))
    n = len(ids)
    tail = np.searchsorted(ids, net.tail)
    head = np.searchsorted(ids, net.head)
    source = np.searchsorted(ids, np.arange(1, net.zones + 1))
    if net.through_zones:
        sink = source.copy()
        nodes = n
    else:
        sink = n + np.arange(net.zones)
        nodes = n + net.zones
        zone_of = np.full(n, -1)
        zone_of[source] = np.arange(net.zones)
        into_zone = zone_of[head] >= 0
        head = np.where(into_zone, sink[np.maximum(zone_of[head], 0)], head)
    order = np.lexsort((head, tail))
    indptr = np.searchsorted(tail[order], np.arange(nodes + 1))
    key = tail.astype(np.int64) * nodes + head
    key_order = np.argsort(key)
    if np.any(np.diff(key[key_order]) == 0):
        raise ValueError(f"{net.name}: parallel links are not supported")
    return Graph(nodes, tail, head, order, head[order], indptr, source, sink, key[key_order], key_order)


def write_tntp(net, path):
    """Writes net as a TNTP network file (metadata block, then one tab-separated row per link)."""
    rows = [
        f"<NUMBER OF ZONES> {net.zones}",
        f"<NUMBER OF NODES> {int(max(net.tail.max(), net.head.max()))}",
        f"<FIRST THRU NODE> {net.first_thru_node}",
        f"<NUMBER OF LINKS> {net.links}",
        "<END OF METADATA>",
        "",
        "",
        "~\tinit_node\tterm_node\tcapacity\tlength\tfree_flow_time\tb\tpower\tspeed\ttoll\tlink_type\t;",
    ]
    for t, h, text in zip(net.tail, net.head, net.text):
        rows.append("\t" + "\t".join([str(t), str(h)] + list(text)) + "\t;")
    with open(path, "w") as f:
        f.write("\n".join(rows) + "\n")
