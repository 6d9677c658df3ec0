// Everything a run can say about itself beyond the trip table: its inputs,
// every outer iteration, how it ended, the fit of the estimate to the counts
// and the warnings. Plain data, built once after the estimation; the JSON
// summary (--summary), the fit file (--fit), the warnings on standard error
// and the HTML report (--report) all read this same struct.
#pragma once

#include <string>
#include <vector>

#include "estimation/estimate.h"
#include "input/link_flow_file.h"
#include "veldmark/network.h"

namespace veldmark {

// One warning: a single line, without the "veldmark: warning: " prefix.
struct Warning {
  std::string message;
};

// The inputs as the run read them.
struct RunInputs {
  std::string basePath;
  std::string abstractPath;
  std::string flowPath;
  int zones = 0;               // N
  int links = 0;               // L, abstract links
  int flowLinesMatched = 0;    // flow lines naming at least one abstract link
  int flowLinesUnmatched = 0;  // flow lines naming none (skipped)
  int linksWithoutCount = 0;   // abstract links no flow line names (taken as kFlowFloor)
  int zeroFlowsFloored = 0;    // named links whose count was exactly 0 (taken as kFlowFloor by
                               //   the linearised method; a count of 0 for the others)
};

// The fit of one abstract link: its (floored) count beside the flow the
// estimate puts on it.
struct LinkFit {
  NodeId from = 0;
  NodeId to = 0;
  int line = 0;             // 1-based line in the abstract network file
  double observed = 0.0;    // the count, floored at kFlowFloor
  double estimated = 0.0;   // EstimationWorkspace::LinkFlows at the end
  double difference = 0.0;  // estimated - observed
  double geh = 0.0;         // sqrt(2 (E - O)^2 / (E + O))
};

// The fit over all abstract links.
struct FitStatistics {
  double largestAbsoluteDifference = 0.0;  // max |E - O|
  double largestRelativeDifference = 0.0;  // max |E - O| / O
  double rmse = 0.0;                       // sqrt(sum (E - O)^2 / L); 0 without links
  double shareGehBelow5 = 0.0;             // links with GEH < 5, over L; 1 without links
  double largestGeh = 0.0;                 // max GEH over the links; 0 without links
  int linksOff = 0;    // links with |E - O| > kFitTolerance * O (each a deviation)
  int worstLink = -1;  // the link of the largest relative difference; -1 without links
};

// A link whose estimated flow differs from its count by more than this
// relative amount is reported.
inline constexpr double kFitTolerance = 1e-6;

struct RunSummary {
  EstimationMethod method = EstimationMethod::kLinearised;  // the method that ran
  RunInputs inputs;
  std::vector<IterationRecord> iterations;  // linearised: one per outer iteration, in order
  RunOutcome outcome;                       // optimum reached, or why the method stopped
  double tableTotal = 0.0;                  // sum of |TripTable|, as the trip table file's total
  std::vector<LinkFit> fit;   // per abstract link, file order (balancing methods: those with a
                              //   count)
  BalancingRecord balancing;  // balancing methods: the count weight, the levels
  FitStatistics fitStatistics;
  std::vector<Warning> warnings;  // in the order they are printed
};

// The pieces of a finished run the summary is built from (all read only).
struct RunPieces {
  const std::string& basePath;
  const AbstractNetwork& abstract;  // after the estimation (floored counts)
  const std::string& flowPath;
  const FlowFileStatistics& flows;  // links beyond linkNamed's size count as named
  const Estimate& estimate;         // the table, the volume on each abstract link, the record
  const std::vector<std::string>* inputWarnings = nullptr;  // the reading's, printed first
};

/// Builds the whole summary of a finished run from its pieces: inputs,
/// iterations, end, fit and warnings. Allocates; prints nothing; changes
/// nothing in the pieces.
RunSummary buildRunSummary(const RunPieces& pieces);

}  // namespace veldmark
