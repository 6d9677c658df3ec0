#include "driver/diagnostics.h"

#include <new>
#include <string>

#include "driver/report_step.h"
#include "output/file_replace.h"
#include "report/fit.h"
#include "report/summary_json.h"

namespace veldmark {
namespace {

// Writes `text` as the whole file at `path`; returns 1 after the message
// when it cannot, else `exitCode`.
int writeOptionFile(Run& run, const std::string& path, const std::string& text, int exitCode) {
  const Status written = replaceFileContents(path, text);
  if (written.ok()) return exitCode;
  run.errors << "veldmark: " << written.message << "\n";
  return 1;
}

}  // namespace

RunSummary summariseRun(const Run& run) {
  const std::string basePath = run.operand(1);
  const std::string flowPath = run.operand(3);
  RunSummary summary = buildRunSummary(RunPieces{
      basePath, run.abstract, flowPath, run.flowStatistics, run.estimate, &run.inputWarnings});
  addReferenceWarnings(run, summary);
  return summary;
}

namespace {

// The warnings and the option files of reportDiagnostics.
int reportSummary(Run& run, int exitCode) {
  compareReference(run);
  const RunSummary summary = summariseRun(run);
  for (const Warning& warning : summary.warnings) {
    run.errors << "veldmark: warning: " << warning.message << "\n";
  }
  const Options& options = run.options;
  if (options.fitPath) {
    exitCode = writeOptionFile(run, *options.fitPath, formatFitCsv(summary.fit), exitCode);
  }
  if (options.summaryPath) {
    const ReferenceComparison* comparison = run.comparison ? &*run.comparison : nullptr;
    exitCode = writeOptionFile(run, *options.summaryPath, formatSummaryJson(summary, comparison),
                               exitCode);
  }
  return writeReport(run, summary, exitCode);
}

}  // namespace

int reportDiagnostics(Run& run, int exitCode) {
  // The summary is built in memory after the table is written; a machine
  // out of memory by then is reported rather than left to abort the run.
  try {
    exitCode = reportSummary(run, exitCode);
  } catch (const std::bad_alloc&) {
    const Status status{"out of memory while summarising the run"};
    run.errors << "veldmark: " << status.message << "\n";
    exitCode = 1;
  }
  run.errors.flush();
  return exitCode;
}

}  // namespace veldmark
