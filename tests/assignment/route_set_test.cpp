// V = P x and Pᵀ y over a route set against a dense P built here: each
// product, their adjointness ⟨P x, y⟩ = ⟨x, Pᵀ y⟩, and the same bits at any
// team size.
#include "assignment/route_set.h"

#include <gtest/gtest.h>

#include <random>

namespace veldmark {
namespace {

// A random route set of `pairs` pairs over `links` links (some pairs without
// a route, routes of 1 to 12 links, shares summing to 1) and its dense P.
RouteSet randomRoutes(int pairs, int links, unsigned seed,
                      std::vector<std::vector<double>>& dense) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> routeCount(0, 3), length(1, 12), link(0, links - 1);
  std::uniform_real_distribution<double> weight(0.1, 1.0);
  RouteSet routes;
  routes.linkCount = links;
  routes.firstRoute = {0};
  routes.firstLink = {0};
  dense.assign(links, std::vector<double>(pairs, 0.0));
  for (int p = 0; p < pairs; ++p) {
    std::vector<std::vector<std::int32_t>> paths(routeCount(random));
    std::vector<double> shares;
    double total = 0.0;
    for (auto& path : paths) {
      for (int k = length(random); k > 0; --k) path.push_back(link(random));
      shares.push_back(weight(random));
      total += shares.back();
    }
    for (std::size_t r = 0; r < paths.size(); ++r) {
      shares[r] /= total;
      for (const std::int32_t a : paths[r]) dense[a][p] += shares[r];
    }
    appendPair(routes, ZonePair{p, p + 1}, paths, shares);
  }
  return routes;
}

TEST(RouteSet, ProductsMatchADensePAndAreAdjoint) {
  const int pairs = 5000;  // several blocks of pairs
  const int links = 300;
  std::vector<std::vector<double>> dense;
  const RouteSet routes = randomRoutes(pairs, links, 11, dense);
  std::mt19937 random(5);
  std::uniform_real_distribution<double> value(0.0, 100.0);
  std::vector<double> x(pairs), y(links);
  for (double& v : x) v = value(random);
  for (double& v : y) v = value(random) - 50.0;
  std::vector<double> px, pty;
  loadPairs(routes, x, px, nullptr);
  sumAlongPairs(routes, y, pty, nullptr);
  ASSERT_EQ(px.size(), static_cast<std::size_t>(links));
  ASSERT_EQ(pty.size(), static_cast<std::size_t>(pairs));
  for (int a = 0; a < links; ++a) {
    double expected = 0.0;
    for (int p = 0; p < pairs; ++p) expected += dense[a][p] * x[p];
    EXPECT_NEAR(px[a], expected, 1e-9 * expected);
  }
  for (int p = 0; p < pairs; ++p) {
    double expected = 0.0;
    for (int a = 0; a < links; ++a) expected += dense[a][p] * y[a];
    EXPECT_NEAR(pty[p], expected, 1e-9 * (1.0 + std::abs(expected)));
  }
  double left = 0.0, right = 0.0;  // ⟨P x, y⟩ and ⟨x, Pᵀ y⟩
  for (int a = 0; a < links; ++a) left += px[a] * y[a];
  for (int p = 0; p < pairs; ++p) right += x[p] * pty[p];
  EXPECT_NEAR(left, right, 1e-9 * std::abs(left));
  EXPECT_GT(routes.bytes(), static_cast<std::int64_t>(routes.routeLinks.size() * 4));
}

TEST(RouteSet, SameBitsAtAnyTeamSize) {
  std::vector<std::vector<double>> dense;
  const RouteSet routes = randomRoutes(20000, 500, 3, dense);
  std::vector<double> x(20000), y(500);
  for (std::size_t p = 0; p < x.size(); ++p) x[p] = 1.0 / (1.0 + static_cast<double>(p % 97));
  for (std::size_t a = 0; a < y.size(); ++a) y[a] = 0.1 * static_cast<double>(a % 13) - 0.3;
  std::vector<double> px1, pty1;
  loadPairs(routes, x, px1, nullptr);
  sumAlongPairs(routes, y, pty1, nullptr);
  for (const int size : {2, 3}) {
    ThreadTeam team(size, 1);
    std::vector<double> px, pty;
    loadPairs(routes, x, px, &team);
    sumAlongPairs(routes, y, pty, &team);
    EXPECT_EQ(px, px1) << size;
    EXPECT_EQ(pty, pty1) << size;
  }
}

}  // namespace
}  // namespace veldmark
