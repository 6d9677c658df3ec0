// What a balancing method (entropy or gradient) records of its run: how the
// count weight was chosen, and per level the assignment that gave the routes
// and the balancing on them. The summary, the report and the console read it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace veldmark {

// One count weight tried by cross-validation: the held-out fit of the
// estimates made without each fold's counts.
struct WeightTrial {
  double countWeight = 0.0;     // κ
  double score = 0.0;           // Σ over held-out links of (V − v)² / max(v, 1), all folds
  double shareGehBelow5 = 0.0;  // held-out links with GEH < 5, over those links
  double rSquared = 0.0;        // squared correlation of held-out V with v
  bool converged = true;        // every fold's balancing met its tolerance
};

// One level: routes from an equilibrium assignment, then a balancing on them.
struct LevelRecord {
  double assignmentGap = 0.0;      // relative gap where the assignment stopped
  int assignmentIterations = 0;    // its iterations after the all-or-nothing start
  bool assignmentCapped = false;   // it stopped at its iteration limit
  double assignmentSeconds = 0.0;  // wall time of the assignment
  std::int64_t routes = 0;         // routes of the pairs
  int steps = 0;                   // Newton steps (entropy) or gradient steps
  int innerSteps = 0;              // conjugate-gradient steps (entropy)
  bool converged = false;          // entropy: the tolerance met; gradient: stopped before the cap
  std::string stop;                // entropy: why the balancing stopped ("converged", "no further
                                   //   decrease", ...: lbfgs.h's names); gradient: empty
  double measure = 0.0;       // entropy: ‖∇D‖ / max(‖v‖, 1); gradient: ½ Σ (V − v)²
  double startMeasure = 0.0;  // gradient: ½ Σ (V − v)² of the level's starting table
  double balancingSeconds = 0.0;  // wall time of the balancing (with cross-validation)
};

struct BalancingRecord {
  int pairs = 0;                    // zone pairs with prior trips (off the diagonal)
  int countedLinks = 0;             // counted links used
  bool flatPrior = false;           // no prior was given: a flat one at the counts' level
  double flatPriorLevel = 0.0;      // its trips per pair
  double countWeight = 0.0;         // κ used (entropy); +inf: the hard limit
  bool countWeightChosen = false;   // κ came from cross-validation
  double tripEndWeight = 0.0;       // ρ used (entropy); +inf: no trip-end factors
  int folds = 0;                    // folds of the cross-validation (0: none)
  std::vector<WeightTrial> trials;  // the weights tried, in order
  int chosenTrial = -1;             // the trial of the weight chosen; -1: none
  std::vector<LevelRecord> levels;  // the levels run, in order
  double unreachableTrips = 0.0;    // prior trips of pairs no route joins (left as they are)
  int unreachablePairs = 0;
  double diagonalTrips = 0.0;   // prior trips within a zone (left as they are)
  std::int64_t routeBytes = 0;  // bytes of the largest route sets held
};

}  // namespace veldmark
