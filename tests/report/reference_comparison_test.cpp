#include "report/reference_comparison.h"

#include <gtest/gtest.h>

#include <cmath>

#include "report/reference_json.h"

namespace veldmark {
namespace {

TEST(ReferenceComparison, StatisticsOfSmallListsWorkedOutByHand) {
  // e = 1 2 3, r = 1 2 5: means 2 and 8/3; Sxy = 4, Sxx = 2, Syy = 26/3, so
  // r^2 = 16 / (2 * 26/3) = 12/13; the errors 0 0 -2 give RMSE sqrt(4/3).
  const ComparisonStatistics fit = compareValues({1, 2, 3}, {1, 2, 5});
  EXPECT_EQ(fit.count, 3);
  EXPECT_EQ(fit.estimatedTotal, 6);
  EXPECT_EQ(fit.referenceTotal, 8);
  EXPECT_NEAR(fit.rSquared, 12.0 / 13.0, 1e-15);
  EXPECT_NEAR(fit.rmse, std::sqrt(4.0 / 3.0), 1e-15);
  EXPECT_NEAR(fit.relativeRmse, std::sqrt(4.0 / 3.0) / (8.0 / 3.0), 1e-15);
  // A perfect negative relation is still r^2 = 1; a constant side has none.
  EXPECT_NEAR(compareValues({1, 2, 3}, {6, 4, 2}).rSquared, 1.0, 1e-15);
  const ComparisonStatistics flat = compareValues({1, 2, 3}, {0, 0, 0});
  EXPECT_TRUE(std::isnan(flat.rSquared));
  EXPECT_TRUE(std::isnan(flat.relativeRmse));
  EXPECT_NEAR(flat.rmse, std::sqrt(14.0 / 3.0), 1e-15);
  EXPECT_EQ(compareValues({}, {}).count, 0);
  EXPECT_TRUE(std::isnan(compareValues({}, {}).rmse));
}

// Estimate over zones 1, 2: 1->2 10, 2->1 20, 2->2 5. Reference over zones
// 1, 3: 1->1 2, 1->3 4, 3->1 6 (zone 2 missing, zone 3 extra).
TEST(ReferenceComparison, ReferenceWithMissingAndExtraZones) {
  const ZoneTable estimate{{1, 2}, {0, 10, 20, 5}};
  const ZoneTable reference{{1, 3}, {2.0, 4.0, 6.0, 0.0}};
  ReferenceComparison comparison = compareWithReference(estimate, reference);
  comparison.path = "ref.csv";
  EXPECT_EQ(comparison.referenceCells, (std::vector<double>{2, 0, 0, 0}));
  EXPECT_EQ(comparison.estimateTotal, 35);
  EXPECT_EQ(comparison.referenceTotal, 12);  // the pairs of zone 3 count in the total only
  // Cells e = 0 10 20 5, r = 2 0 0 0: Sxy = -17.5, Sxx = 218.75, Syy = 3,
  // r^2 = 306.25 / 656.25 = 7/15; squared errors 4 100 400 25 give RMSE 11.5,
  // 23 times the mean reference cell 0.5.
  EXPECT_EQ(comparison.cells.count, 4);
  EXPECT_NEAR(comparison.cells.rSquared, 7.0 / 15.0, 1e-15);
  EXPECT_NEAR(comparison.cells.rmse, 11.5, 1e-12);
  EXPECT_NEAR(comparison.cells.relativeRmse, 23.0, 1e-12);
  // Origins e = 10 25, r = 2 0; destinations e = 20 15, r = 2 0.
  EXPECT_EQ(comparison.origins.estimatedTotal, 35);
  EXPECT_NEAR(comparison.origins.rmse, std::sqrt((64.0 + 625.0) / 2), 1e-12);
  EXPECT_NEAR(comparison.destinations.rmse, std::sqrt((324.0 + 225.0) / 2), 1e-12);
  EXPECT_NEAR(comparison.destinations.rSquared, 1.0, 1e-15);
  EXPECT_EQ(comparison.missingFromReference, (std::vector<NodeId>{2}));
  EXPECT_EQ(comparison.missingFromEstimate, (std::vector<NodeId>{3}));
  const std::vector<std::string> warnings = comparisonWarnings(comparison);
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(warnings[0],
            "ref.csv: 1 zones of the estimate are not in the reference (cells counted as 0): 2");
  EXPECT_EQ(warnings[1],
            "ref.csv: 1 zones of the reference are not in the estimate (left out of the "
            "comparison): 3");
  const nlohmann::ordered_json json = referenceJson(comparison);
  EXPECT_EQ(json["reference_total"], 12.0);
  EXPECT_NEAR(json["cells"]["r_squared"].get<double>(), 7.0 / 15.0, 1e-15);
  EXPECT_EQ(json["zones_missing_from_reference"], nlohmann::ordered_json::array({2}));
  EXPECT_EQ(json["zones_missing_from_estimate"], nlohmann::ordered_json::array({3}));
  EXPECT_EQ(json["zones_missing_from_reference_count"], 1);
}

TEST(ReferenceComparison, EmptyReferenceGivesNullStatisticsAndNamesTwentyZonesAtMost) {
  ZoneTable estimate;
  for (NodeId zone = 1; zone <= 25; ++zone) estimate.zones.push_back(zone);
  estimate.values.assign(25 * 25, 1.0);
  estimate.values[0] = 3.0;
  ReferenceComparison comparison = compareWithReference(estimate, ZoneTable{});
  comparison.path = "empty.csv";
  EXPECT_EQ(comparison.missingFromReference.size(), 25u);
  EXPECT_TRUE(comparison.missingFromEstimate.empty());
  const std::vector<std::string> warnings = comparisonWarnings(comparison);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find(": 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 and 5 more"),
            std::string::npos);
  const nlohmann::ordered_json json = referenceJson(comparison);
  EXPECT_TRUE(json["cells"]["r_squared"].is_null());
  EXPECT_TRUE(json["cells"]["relative_rmse"].is_null());
  EXPECT_EQ(json["cells"]["count"], 625);
  // The summary names the first 20 zones and says how many there are.
  EXPECT_EQ(json["zones_missing_from_reference"].size(), 20u);
  EXPECT_EQ(json["zones_missing_from_reference"][19], 20);
  EXPECT_EQ(json["zones_missing_from_reference_count"], 25);
}

}  // namespace
}  // namespace veldmark
