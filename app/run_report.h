#pragma once
// The run report: what a Test or a Clean did, item by item, in a file an administrator
// collects (JSON, or CSV with one row per item). It is written whole, never through a link.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/run_result.h"
#include "platform/file_system.h"

namespace morvel::app {

enum class ReportFormat { Json, Csv };

// By the file's extension, ".json" or ".csv" in any letter case; nullopt for any other.
std::optional<ReportFormat> ReportFormatOf(std::string_view path);

// What the report says of the run beside its items.
struct ReportRun {
  std::string computer;
  std::string user;
  bool test = false;  // "mode": "test", else "clean"
  std::chrono::system_clock::time_point started;
  std::chrono::system_clock::time_point ended;
};

std::string ReportJson(const ReportRun& run, const std::vector<ItemResult>& items);
// A header row, then per item: key, removed items, removed bytes, left items and the
// reason of its first left thing.
std::string ReportCsv(const std::vector<ItemResult>& items);
std::string ReportText(ReportFormat format, const ReportRun& run,
                       const std::vector<ItemResult>& items);

// `path` with %COMPUTERNAME% and %DATE% (letter case ignored) replaced by `computer` and
// `date`; any other text stays as it is.
std::string ExpandReportPath(std::string_view path, std::string_view computer,
                             std::string_view date);

// Writes the report to `path` whole (a temporary file takes its place), never through a
// link: a link at `path` is refused. nullopt when written, else why not, as a sentence
// fragment ("<path> is a link").
std::optional<std::string> WriteReportFile(platform::FileSystem& files, std::string_view path,
                                           std::string_view text);

}  // namespace morvel::app
