// The status line of a long run: on a terminal's standard error, rewritten
// in place as the pivot passes go by, and erased when the estimation ends.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

namespace veldmark {

// The limits the line shows beside the counts: the method's most iterations
// and most passes in one iteration.
struct ProgressLimits {
  int iterations = 0;
  int passes = 0;
};

struct ProgressLine {
  using Clock = std::chrono::steady_clock;
  std::ostream* out = nullptr;  // where the line goes; null: no line
  ProgressLimits limits;        // shown as "of at most"
  Clock::time_point start;      // when the estimation started
  Clock::time_point lastDraw;   // when the line was last drawn
  long long passes = 0;         // passes started in the whole run
  bool drawn = false;           // a line is on the terminal
};

/// True when the line is wanted: standard error (descriptor 2) is a
/// terminal, standard output is not that same terminal (its dots would
/// share the screen line the status line rewrites) and --no-progress was not
/// given.
bool progressWanted(bool noProgress);

/// A line on `out` when `wanted`, else none, showing `limits`; its clock
/// starts now.
ProgressLine startProgress(std::ostream& out, bool wanted, ProgressLimits limits);

/// The pass hook for EstimationSettings::onPass: counts the pass and redraws
/// the line ("\r\033[K" then progressText) when
/// none is drawn yet or at least 200 ms have gone by since the last drawing,
/// so at most five times a second. Does nothing without a line.
std::function<void(int iteration, int pass)> progressHook(ProgressLine& line);

/// The assignment hook for BalancingSettings::onAssignment: redraws the line
/// ("level L, assignment iteration I, relative gap G, M:SS") as progressHook
/// does, at most five times a second. Does nothing without a line.
std::function<void(int level, int iteration, double gap)> assignmentHook(ProgressLine& line);

/// Erases a drawn line ("\r\033[K"), leaving the cursor where the line
/// began; writes nothing when none is drawn. Safe to call more than once.
void eraseProgress(ProgressLine& line);

/// The text of the line (no control characters), e.g. "iteration 2 of at
/// most 25, pass 317 of at most 500, 5.2 passes/s, 1:04": the iteration and
/// its pass, each with its limit, the passes per second over the whole run
/// (`passes` in `seconds`) and the elapsed time.
std::string progressText(int iteration, int pass, ProgressLimits limits, long long passes,
                         double seconds);

}  // namespace veldmark
