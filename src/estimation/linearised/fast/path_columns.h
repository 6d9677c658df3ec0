// Pricing and path tracing with indexes instead of scans: the first link
// between two zones from a table built once per run, and the duplicate test
// against the basic columns by the hash of their link sets.
#pragma once

#include "estimation/linearised/path_columns.h"
#include "estimation/linearised/workspace.h"
#include "veldmark/network.h"

namespace veldmark::fast {

/// Builds Scratch.firstLink (N x N) for this network unless it is built.
void indexFirstLinks(EstimationWorkspace& workspace, const AbstractNetwork& network);

/// As traceColumn, with the first-link table. REQUIRES: indexFirstLinks.
void traceColumn(const EstimationWorkspace& workspace, ZoneIndex origin, ZoneIndex destination,
                 double* column);

/// As priceColumns. Candidates are traced as link lists only: the entering
/// column is traced again after pricing, so EnteringColumn is not written.
/// Falls back to priceColumns when the basis holds values other than 0 and 1.
/// The origin rows are scanned by the members of workspace.Team, with the
/// same entering pair as one row-major scan (the proof is beside the row
/// scan).
/// REQUIRES: indexFirstLinks and indexBasisAndInverse on this pass.
PricingResult priceColumns(EstimationWorkspace& workspace, const AbstractNetwork& network);

}  // namespace veldmark::fast
