#include "driver/progress.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace veldmark {
namespace {

constexpr std::chrono::milliseconds kRedrawInterval{200};
constexpr const char* kEraseLine = "\r\033[K";

// Elapsed seconds as M:SS, or H:MM:SS from an hour on.
std::string elapsedText(double seconds) {
  const long long whole = static_cast<long long>(seconds);
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

void draw(ProgressLine& line, int iteration, int pass, ProgressLine::Clock::time_point now) {
  const double seconds = std::chrono::duration<double>(now - line.start).count();
  *line.out << kEraseLine << progressText(iteration, pass, line.limits, line.passes, seconds)
            << std::flush;
  line.lastDraw = now;
  line.drawn = true;
}

// True when standard output is the terminal standard error is on: the
// console's dots are then on the screen line the status line would erase.
bool consoleOnTheSameTerminal() {
  struct stat out {};
  struct stat err {};
  return isatty(STDOUT_FILENO) == 1 && fstat(STDOUT_FILENO, &out) == 0 &&
         fstat(STDERR_FILENO, &err) == 0 && out.st_rdev == err.st_rdev;
}

}  // namespace

bool progressWanted(bool noProgress) {
  return !noProgress && isatty(STDERR_FILENO) == 1 && !consoleOnTheSameTerminal();
}

ProgressLine startProgress(std::ostream& out, bool wanted, ProgressLimits limits) {
  ProgressLine line;
  line.out = wanted ? &out : nullptr;
  line.limits = limits;
  line.start = ProgressLine::Clock::now();
  return line;
}

std::function<void(int, int)> progressHook(ProgressLine& line) {
  if (line.out == nullptr) return {};
  return [&line](int iteration, int pass) {
    ++line.passes;
    const ProgressLine::Clock::time_point now = ProgressLine::Clock::now();
    if (line.drawn && now - line.lastDraw < kRedrawInterval) return;
    draw(line, iteration, pass, now);
  };
}

std::function<void(int, int, double)> assignmentHook(ProgressLine& line) {
  if (line.out == nullptr) return {};
  return [&line](int level, int iteration, double gap) {
    const ProgressLine::Clock::time_point now = ProgressLine::Clock::now();
    if (line.drawn && now - line.lastDraw < kRedrawInterval) return;
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", gap);
    const double seconds = std::chrono::duration<double>(now - line.start).count();
    *line.out << kEraseLine << "level " << level << ", assignment iteration " << iteration
              << ", relative gap " << text << ", " << elapsedText(seconds) << std::flush;
    line.lastDraw = now;
    line.drawn = true;
  };
}

void eraseProgress(ProgressLine& line) {
  if (!line.drawn) return;
  *line.out << kEraseLine << std::flush;
  line.drawn = false;
}

std::string progressText(int iteration, int pass, ProgressLimits limits, long long passes,
                         double seconds) {
  char rate[32];
  std::snprintf(rate, sizeof rate, "%.1f", seconds > 0 ? passes / seconds : 0.0);
  return "iteration " + std::to_string(iteration) + " of at most " +
         std::to_string(limits.iterations) + ", pass " + std::to_string(pass) + " of at most " +
         std::to_string(limits.passes) + ", " + rate + " passes/s, " + elapsedText(seconds);
}

}  // namespace veldmark
