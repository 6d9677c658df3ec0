#include "estimation/balancing/counted_routes.h"

#include <vector>

namespace veldmark {
namespace {

// The counted links of full route r, in route order.
void countedLinksOf(const RouteSet& full, const RoadToCounted& map, std::int64_t r,
                    std::vector<std::int32_t>& links) {
  links.clear();
  for (std::int64_t k = full.firstLink[r]; k < full.firstLink[r + 1]; ++k) {
    const std::int32_t a = full.routeLinks[k];
    for (std::int32_t m = map.first[a]; m < map.first[a + 1]; ++m) {
      links.push_back(map.countedOf[m]);
    }
  }
}

}  // namespace

RouteSet restrictRoutes(const RouteSet& full, const RoadToCounted& map, int countedLinks) {
  RouteSet counted;
  counted.linkCount = countedLinks;
  counted.firstRoute = {0};
  counted.firstLink = {0};
  counted.pairs.reserve(full.pairs.size());
  std::vector<std::vector<std::int32_t>> links;
  std::vector<double> shares;
  std::vector<std::int32_t> route;
  for (int p = 0; p < full.pairCount(); ++p) {
    links.clear();
    shares.clear();
    for (std::int64_t r = full.firstRoute[p]; r < full.firstRoute[p + 1]; ++r) {
      countedLinksOf(full, map, r, route);
      std::size_t same = 0;
      while (same < links.size() && links[same] != route) ++same;
      if (same < links.size()) {
        shares[same] += full.shares[r];
      } else {
        links.push_back(route);
        shares.push_back(full.shares[r]);
      }
    }
    appendPair(counted, full.pairs[p], links, shares);
  }
  return counted;
}

}  // namespace veldmark
