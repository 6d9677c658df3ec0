// How well an estimate predicts counts it did not see: the counted links are
// cut into folds; each fold's counts are held out in turn, the estimate is
// made from the others, and its volumes on the held-out links are compared
// with their counts. Summed over the folds this scores a setting (such as
// the count weight κ) by the data alone.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "estimation/balancing/balancing_record.h"

namespace veldmark {

/// Folds of the cross-validation.
inline constexpr int kFolds = 5;

/// The fold (0 .. folds − 1) of every link with hasCount[c] = 1, −1 for the
/// others: the links with a count in a fixed pseudo-random order (by a
/// 64-bit mix of their index, so the same on every run and machine), dealt
/// out to the folds in turn. REQUIRES: folds >= 1. Allocates; prints nothing.
std::vector<int> assignFolds(const std::vector<std::uint8_t>& hasCount, int folds);

/// An estimate made without fold `fold`'s counts: given the links it may use
/// (use[c] = 1), it fills the modelled volume of every link. Returns false
/// when the estimate did not meet its own tolerance (it is still used).
using HeldOutEstimate = std::function<bool(int fold, const std::vector<std::uint8_t>& use,
                                           std::vector<double>& volumes)>;

/// For each fold f in order: estimate with every counted link not in f
/// (`estimate`), then compare its volumes V on f's links with their counts
/// v. Returns the trial (countWeight left 0): score Σ (V − v)² / max(v, 1)
/// over all held-out links, the share with GEH = √(2 (V − v)² / (V + v)) < 5
/// (GEH 0 where V + v = 0), the squared correlation of V and v over them
/// (0 when either is constant), and whether every fold's estimate converged.
WeightTrial crossValidate(const std::vector<int>& folds, int foldCount,
                          const std::vector<double>& counts, const HeldOutEstimate& estimate);

}  // namespace veldmark
