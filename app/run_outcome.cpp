#include "app/run_outcome.h"

#include <cstdio>

#include "app/run_report.h"
#include "common/text.h"

namespace morvel::app {

namespace {

// FILETIME ticks (100 ns) between 1601-01-01 and the Unix epoch.
constexpr std::uint64_t kEpochAsFileTime = 116444736000000000ULL;

// Writes the report; nullopt when written, else why not.
std::optional<std::string> WriteReport(platform::Port& port, const RunOutcome& outcome) {
  const auto format = ReportFormatOf(outcome.report_path);
  if (!format) return outcome.report_path + " does not end in .json or .csv";
  const ReportRun run{port.system.ComputerName(), port.system.UserName(), outcome.test,
                      outcome.started, std::chrono::system_clock::now()};
  return WriteReportFile(port.files, outcome.report_path,
                         ReportText(*format, run, outcome.results));
}

}  // namespace

std::vector<ItemResult> TestResults(const std::vector<FinishedItem>& test) {
  std::vector<ItemResult> results;
  for (const FinishedItem& item : test) results.push_back(TestResult(item.key, item.tally));
  return results;
}

std::vector<ItemResult> VerifiedResults(const std::vector<FinishedItem>& clean,
                                        const std::vector<FinishedItem>& verify) {
  std::vector<ItemResult> results;
  for (std::size_t i = 0; i < clean.size(); ++i) {
    const bool verified = i < verify.size() && verify[i].key == clean[i].key;
    results.push_back(
        VerifiedResult(clean[i].key, clean[i].tally, verified ? verify[i].tally : Tally{}));
  }
  return results;
}

std::string ReportDate(const platform::SystemInfo& system,
                       std::chrono::system_clock::time_point now) {
  const auto since_epoch =
      std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch()).count();
  const std::uint64_t filetime = kEpochAsFileTime + static_cast<std::uint64_t>(since_epoch) * 10;
  const auto local = system.FileTimeToLocalCalendar(filetime);
  if (!local) return UtcTimeText(now).substr(0, 10);
  char text[24];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned{local->year}, unsigned{local->month},
                unsigned{local->day});
  return text;
}

std::vector<std::string> Deliver(platform::Port& port, const RunOutcome& outcome,
                                 std::optional<std::string>& report_failure) {
  std::vector<std::string> lines;
  std::string report = "none";
  if (!outcome.report_path.empty()) {
    report_failure = WriteReport(port, outcome);
    if (report_failure) {
      lines.push_back("The report was not written: " + *report_failure);
      report = "not written (" + *report_failure + ")";
    } else {
      report = outcome.report_path;
    }
  }
  if (outcome.unattended &&
      !port.events.Report(CleanEvent(*outcome.unattended, TotalsOf(outcome.results), report)))
    lines.push_back("The Application log refused this run's event.");
  return lines;
}

}  // namespace morvel::app
