// The folds of the cross-validation and the held-out fit they score.
#include "estimation/balancing/cross_validation.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace veldmark {
namespace {

// Every counted link in exactly one fold, fold sizes within one of each
// other, links without a count in none, and the same folds every time.
TEST(CrossValidation, FoldsCoverTheCountedLinksEvenly) {
  std::vector<std::uint8_t> hasCount(103, 1);
  for (int c = 0; c < 103; c += 10) hasCount[c] = 0;
  const std::vector<int> folds = assignFolds(hasCount, kFolds);
  std::vector<int> sizes(kFolds, 0);
  for (int c = 0; c < 103; ++c) {
    if (!hasCount[c]) {
      EXPECT_EQ(folds[c], -1);
      continue;
    }
    ASSERT_GE(folds[c], 0);
    ASSERT_LT(folds[c], kFolds);
    ++sizes[folds[c]];
  }
  EXPECT_LE(
      *std::max_element(sizes.begin(), sizes.end()) - *std::min_element(sizes.begin(), sizes.end()),
      1);
  EXPECT_EQ(assignFolds(hasCount, kFolds), folds);
  // Not simply index order: neighbours in the file are spread over the folds.
  int sameAsNext = 0;
  for (int c = 1; c + 1 < 103; ++c) sameAsNext += folds[c] >= 0 && folds[c] == folds[c + 1];
  EXPECT_LT(sameAsNext, 40);
}

// The estimate sees each fold's links held out (use = 0) exactly once, and
// the trial sums their fit: here the estimate is the count + 10 on held-out
// links, so the score is Σ 100 / max(v, 1) and GEH = √(200 / (2v + 10)).
TEST(CrossValidation, HeldOutFitScoresOnlyTheLinksNotUsed) {
  const std::vector<double> counts{0.0, 50.0, 100.0, 200.0, 400.0, 800.0};
  const std::vector<int> folds{0, 1, 0, 1, 0, 1};
  std::vector<int> heldOutTimes(6, 0);
  const WeightTrial trial = crossValidate(
      folds, 2, counts,
      [&](int fold, const std::vector<std::uint8_t>& use, std::vector<double>& volumes) {
        volumes.assign(6, -1.0);
        for (int c = 0; c < 6; ++c) {
          EXPECT_EQ(use[c] == 0, folds[c] == fold);
          if (!use[c]) {
            ++heldOutTimes[c];
            volumes[c] = counts[c] + 10.0;
          }
        }
        return fold == 0;
      });
  EXPECT_EQ(heldOutTimes, std::vector<int>(6, 1));
  double score = 0.0;
  for (const double v : counts) score += 100.0 / std::max(v, 1.0);
  EXPECT_DOUBLE_EQ(trial.score, score);
  EXPECT_DOUBLE_EQ(trial.shareGehBelow5, 1.0);  // GEH of 0 + 10 against 0: √20 < 5
  EXPECT_DOUBLE_EQ(trial.rSquared, 1.0);        // V = v + 10: perfectly correlated
  EXPECT_FALSE(trial.converged);                // fold 1's estimate said it did not converge
}

}  // namespace
}  // namespace veldmark
