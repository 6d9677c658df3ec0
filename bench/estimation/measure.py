"""The measures of the bar (notes section 5) and the reading of an estimated table."""
import csv

import numpy as np


def cells_r2(estimate, truth):
    """Squared Pearson correlation over all zone pairs, diagonal excluded, zeros included."""
    off = ~np.eye(truth.shape[0], dtype=bool)
    a, b = np.asarray(estimate, float)[off], np.asarray(truth, float)[off]
    if a.std() == 0.0 or b.std() == 0.0:
        return float("nan")
    return float(np.corrcoef(a, b)[0, 1] ** 2)


def geh(model, count):
    """sqrt(2 (M - C)^2 / (M + C)), 0 where both are 0."""
    total = model + count
    return np.sqrt(np.divide(2.0 * (model - count) ** 2, total, out=np.zeros_like(total), where=total > 0))


def read_long_table(path, zones):
    """A Z x Z table from a long CSV (header, then origin,destination,value rows).

    Zones are 1..zones; a row naming another zone is an error (ValueError).
    """
    table = np.zeros((zones, zones))
    with open(path, newline="") as f:
        rows = csv.reader(f)
        next(rows)
        for row in rows:
            if not row:
                continue
            o, d, v = int(row[0]), int(row[1]), float(row[2])
            if not (1 <= o <= zones and 1 <= d <= zones):
                raise ValueError(f"{path}: zone pair {o},{d} outside 1-{zones}")
            table[o - 1, d - 1] += v
    return table
