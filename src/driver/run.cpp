#include "driver/run.h"

#include <cstdlib>
#include <new>
#include <string>

#include "driver/clock.h"
#include "driver/console_stream.h"
#include "driver/diagnostics.h"
#include "driver/progress.h"
#include "driver/report_step.h"
#include "driver/road_inputs.h"
#include "driver/role_hint.h"
#include "driver/run_state.h"
#include "driver/table_forms.h"
#include "driver/table_output.h"
#include "driver/thread_count.h"
#include "driver/usage.h"
#include "driver/volume_output.h"
#include "estimation/dispatch.h"
#include "estimation/linearised/limits.h"
#include "input/abstract_network.h"
#include "input/link_file.h"
#include "input/link_flow_file.h"
#include "input/node_list.h"
#include "output/file_replace.h"
#include "output/outputs_apart.h"
#include "output/trip_table_writer.h"
#include "veldmark/file_name.h"

namespace veldmark {
namespace {

constexpr const char* kDefaultTripTableName = "default_od_abs.txt";

// Reports a failure on standard error; the console keeps what it has.
int fail(Run& run, const Status& status) {
  run.console.flush();
  run.errors << "veldmark: " << status.message << "\n";
  run.errors.flush();
  return 1;
}

// The console's notice; with no file argument at all, the usage line too.
int missingArgument(Run& run) {
  run.console << "argument(s) missing...";
  run.console.flush();
  if (run.options.operands.empty()) writeUsageLine(run.errors);
  return 1;
}

void writeBanner(std::ostream& console) {
  console << "\n";
  console << "   Veldmark\n";
  console << "   O-D trip table estimation from observed link flows\n";
  console << "   Version " << VELDMARK_VERSION << "\n";
  console << "   Free software; the estimate is only as good as the observed flows.\n";
  console << "\n";
}

void writeClockLine(std::ostream& console, int seconds, const char* what) {
  console << "   Clock"
          << "\t\t" << seconds << " : " << what << "\n";
}

Status readBaseNetwork(Run& run) {
  run.base.path = run.operand(1);
  Status status = readLinkFile(run.base.path, run.base.links, kMaxLinks);
  if (!status.ok()) return status;
  return buildNodeList(run.base.path, run.base.links, run.base.nodeList, kMaxNodes);
}

Status readAbstract(Run& run) {
  if (Status status = readAbstractNetwork(run.operand(2), run.abstract, kLinearisedNetworkLimits);
      !status.ok()) {
    return status;
  }
  run.base.zoneFlags = buildZoneFlags(run.base.nodeList, run.abstract.zoneList);
  return Status{};
}

// Reports the failure of the input `number` (1 = BASE), with a hint when the
// file reads as a file of the other role (role_hint.h).
int failInput(Run& run, Status status, int number) {
  status.message +=
      roleHint(number == 3 ? FileRole::kFlowFile : FileRole::kLinkFile, run.operand(number));
  return fail(run, status);
}

// The balancing methods' reading: the three files must all be named.
int readBalancingFiles(Run& run) {
  if (run.operand(1) == nullptr || run.operand(2) == nullptr || run.operand(3) == nullptr) {
    return missingArgument(run);
  }
  if (Status status = readRoadInputs(run); !status.ok()) return fail(run, status);
  if (Status status = readReference(run); !status.ok()) return fail(run, status);
  return 0;
}

// Reading the three files, each checked for presence just before it is read.
int readFiles(Run& run) {
  if (balancesPrior(run.options.method)) return readBalancingFiles(run);
  if (run.operand(1) == nullptr) return missingArgument(run);
  if (Status status = readBaseNetwork(run); !status.ok()) return failInput(run, status, 1);
  if (run.operand(2) == nullptr) return missingArgument(run);
  if (Status status = readAbstract(run); !status.ok()) return failInput(run, status, 2);
  if (run.operand(3) == nullptr) return missingArgument(run);
  if (Status status = readLinkFlowFile(run.operand(3), run.abstract, &run.flowStatistics);
      !status.ok()) {
    return failInput(run, status, 3);
  }
  if (Status status = readReference(run); !status.ok()) return fail(run, status);
  return 0;
}

// The reading, with a machine out of memory reported rather than an abort.
int readInputs(Run& run) {
  try {
    return readFiles(run);
  } catch (const std::bad_alloc&) {
    return fail(run, Status{"out of memory"});
  }
}

// The files the run reads and writes, by role; TRIPS as settled later.
Status checkFilesApart(const Run& run) {
  std::vector<NamedPath> inputs = {
      {"BASE", run.operand(1)}, {"ABSTRACT", run.operand(2)}, {"FLOWS", run.operand(3)}};
  const Options& options = run.options;
  if (options.referencePath) inputs.push_back({"--reference", *options.referencePath});
  if (options.priorPath) inputs.push_back({"--prior", *options.priorPath});
  std::vector<NamedPath> outputs = {
      {"TRIPS", run.operand(4) != nullptr ? run.operand(4) : kDefaultTripTableName}};
  const std::pair<const char*, const std::optional<std::string>*> written[] = {
      {"--csv", &options.csvPath},       {"--omx", &options.omxPath},
      {"--fit", &options.fitPath},       {"--summary", &options.summaryPath},
      {"--report", &options.reportPath}, {"--volumes", &options.volumesPath}};
  for (const auto& [role, path] : written) {
    if (*path) outputs.push_back({role, **path});
  }
  return checkOutputsApart(inputs, outputs);
}

// The balancing methods' inputs and settings; their phases become clock lines.
void balancingRequest(Run& run, ProgressLine& progress, EstimationRequest& request) {
  request.balancing.network = &run.road;
  request.balancing.zones = &run.zones;
  request.balancing.counted = &run.counted;
  request.balancing.prior = run.prior.empty() ? nullptr : &run.prior;
  BalancingSettings& settings = request.balancingSettings;
  if (run.options.countWeight) settings.countWeight = *run.options.countWeight;
  // A large network: the assignments' iterations capped, one level of
  // routes, and without a prior no trip-end factors, unless the options say
  // otherwise.
  const bool large = isLargeNetwork(run.zones.zoneCount(), run.road.linkCount());
  settings.tripEndWeight = run.options.tripEndWeight
                               ? *run.options.tripEndWeight
                               : defaultTripEndWeight(request.balancing.prior != nullptr, large);
  settings.levels = run.options.outer;
  if (large) {
    if (!run.options.gap) settings.maxAssignmentIterations = kLargeNetworkIterations;
    if (run.options.outer == 0) settings.levels = 1;
  }
  if (run.options.maxIterations > 0) settings.maxIterations = run.options.maxIterations;
  if (run.options.gap) settings.gap = *run.options.gap;
  settings.threads = run.options.threads > 0 ? run.options.threads : 1;
  settings.onPhase = [&run, &progress](const std::string& line) {
    eraseProgress(progress);
    writeClockLine(run.console, clockSeconds(), line.c_str());
    run.console.flush();
  };
  settings.onAssignment = assignmentHook(progress);
}

EstimationRequest estimationRequest(Run& run, ProgressLine& progress) {
  EstimationRequest request;
  request.method = run.options.method;
  request.counts = &run.abstract;
  request.linearised.threads = run.options.threads > 0 ? run.options.threads : 1;
  request.linearised.onPass = progressHook(progress);
  if (balancesPrior(run.options.method)) balancingRequest(run, progress, request);
  return request;
}

// The balancing methods' first console line: what they estimate from.
void writeInputsLine(Run& run) {
  const std::string line = std::string("Estimate by ") + methodName(run.options.method) + ": " +
                           std::to_string(run.zones.zoneCount()) + " zones, " +
                           std::to_string(run.road.linkCount()) + " road links, " +
                           std::to_string(run.counted.countedCount()) + " counts, " +
                           (run.prior.empty() ? std::string("no prior")
                                              : "prior " + displayName(*run.options.priorPath));
  writeClockLine(run.console, clockSeconds(), line.c_str());
}

int estimate(Run& run) {
  if (balancesPrior(run.options.method)) writeInputsLine(run);
  ProgressLine progress = startProgress(run.errors, progressWanted(run.options.noProgress),
                                        ProgressLimits{kMaxOuterIterations, kMaxPivotPasses});
  // The method allocates its storage up front (a failure is its message);
  // what it still takes later (index lists, scratch of the reference
  // kernels) can only fail in a machine that is out of memory, which is
  // reported rather than left to abort the run.
  Status status;
  try {
    status = runEstimation(estimationRequest(run, progress), run.console, run.estimate);
  } catch (const std::bad_alloc&) {
    eraseProgress(progress);
    run.console << "\n";
    return fail(run, Status{"out of memory during the estimation"});
  }
  eraseProgress(progress);
  return status.ok() ? 0 : fail(run, status);
}

// Settles the output name (with its console line when it is the default).
void settleTripTablePath(Run& run) {
  if (run.operand(4) != nullptr) {
    run.tripTablePath = run.operand(4);
    return;
  }
  run.tripTablePath = kDefaultTripTableName;
  run.console << "\n";
  writeClockLine(run.console, clockSeconds(),
                 "Argument(s) missing...Default output file name used");
}

// Writes the table (and, once it is written, the forms the options ask
// for) and the finishing lines; `tableWritten` tells whether it was written.
int finish(Run& run, bool& tableWritten) {
  settleTripTablePath(run);
  const Status written = writeTripTableFile(run);
  if (!written.ok()) fail(run, written);
  tableWritten = written.ok();
  run.tableWritten = tableWritten;
  std::vector<Status> formFailures = written.ok() ? writeTableForms(run) : std::vector<Status>{};
  if (written.ok() && run.options.volumesPath) {
    const Status volumes = replaceFileContents(
        *run.options.volumesPath, formatRoadVolumes(run.road, run.estimate.roadVolumes));
    if (!volumes.ok()) formFailures.push_back(volumes);
  }
  for (const Status& failure : formFailures) fail(run, failure);
  const int finishSeconds = clockSeconds();
  writeClockLine(run.console, finishSeconds, "Finishing");
  run.console << "   CPU time elapsed: " << finishSeconds - run.startSeconds << " sec"
              << "\n";
  run.console.flush();
  return written.ok() && formFailures.empty() ? 0 : 1;
}

// The program's steps; `tableWritten` tells whether a trip table was written.
int runSteps(int argc, char** argv, std::ostream& console, std::ostream& errors,
             bool& tableWritten) {
  if (argc == 2 && isUsageRequest(argv[1])) return writeUsage(argv[1], console);
  Options options;
  if (Status status = parseOptions(argc, argv, options); !status.ok()) {
    errors << "veldmark: " << status.message << "\n";
    return 1;
  }
  if (options.help || options.version) {
    return writeUsage(options.version ? "--version" : "--help", console);
  }
  if (Status status = settleThreadCount(std::getenv("VELDMARK_THREADS"), options); !status.ok()) {
    errors << "veldmark: " << status.message << "\n";
    return 1;
  }
  if (const std::string ignored = ignoredOperandsWarning(options); !ignored.empty()) {
    errors << "veldmark: warning: " << ignored << "\n";
  }
  Run run(options, console, errors);
  writeBanner(console);
  run.startSeconds = clockSeconds();
  writeClockLine(console, run.startSeconds, "Starting");
  if (const int code = readInputs(run); code != 0) return code;
  if (Status status = checkFilesApart(run); !status.ok()) return fail(run, status);
  if (const int code = estimate(run); code != 0) return code;
  const int code = finish(run, tableWritten);
  return reportDiagnostics(run, code);
}

}  // namespace

int runProgram(int argc, char** argv, std::ostream& console, std::ostream& errors) {
  bool tableWritten = false;
  const int code = runSteps(argc, argv, console, errors, tableWritten);
  return checkConsole(console, errors, code, tableWritten);
}

}  // namespace veldmark
