#include "driver/diagnostics.h"

#include <optional>
#include <string>

#include "output/file_replace.h"
#include "report/fit.h"
#include "report/run_summary.h"
#include "report/summary_json.h"

namespace veldmark {
namespace {

// Writes `text` to the file of an option, when it was given.
int writeOptionFile(Run& run, const std::optional<std::string>& path, const std::string& text,
                    int exitCode) {
  if (!path) return exitCode;
  const Status written = replaceFileContents(*path, text);
  if (written.ok()) return exitCode;
  run.errors << "veldmark: " << written.message << "\n";
  return 1;
}

}  // namespace

int reportDiagnostics(Run& run, int exitCode) {
  const std::string basePath = run.operand(1);
  const std::string flowPath = run.operand(3);
  const RunSummary summary = buildRunSummary(
      RunPieces{basePath, run.abstract, flowPath, run.flowStatistics, run.workspace, run.record});
  for (const Warning& warning : summary.warnings) {
    run.errors << "veldmark: warning: " << warning.message << "\n";
  }
  exitCode = writeOptionFile(run, run.options.fitPath, formatFitCsv(summary.fit), exitCode);
  exitCode = writeOptionFile(run, run.options.summaryPath, formatSummaryJson(summary), exitCode);
  run.errors.flush();
  return exitCode;
}

}  // namespace veldmark
