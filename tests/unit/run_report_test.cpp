// The run report: JSON field by field, CSV row by row, and the file name's macros.
#include <gtest/gtest.h>

#include "app/product.h"
#include "app/run_report.h"
#include "tests/unit/json_reader.h"

namespace morvel::testing {
namespace {

using app::ItemResult;
using namespace std::chrono_literals;

const std::vector<ItemResult> kItems = {
    {"Windows - Temporary Files", 24, 2474, {{"C:\\Temp\\export-07.csv", LeftReason::InUse, 1, 9}}},
    {"Applications - \"Quoted\", with a comma",
     0,
     0,
     {{"HKEY_CURRENT_USER\\Software\\A\\B", LeftReason::AccessDenied, 1, 0},
      {"C:\\a\tb\\\x01", LeftReason::Refused, 0, 0}}},
    {"=cmd|' /C calc'!A0", 3, 0, {}}};

app::ReportRun ReportedRun(bool test) {
  const auto start = std::chrono::system_clock::from_time_t(1796724000);  // 2026-12-08 10:00 UTC
  return {"PC-01", "User", test, start, start + 4s};
}

TEST(RunReport, JsonHoldsEveryFieldOfTheRunItsItemsAndTotals) {
  const Json report = Json::Parse(app::ReportJson(ReportedRun(false), kItems));
  EXPECT_EQ(report.keys(),
            (std::vector<std::string>{"program", "version", "computer", "user", "mode", "started",
                                      "ended", "items", "totals"}));
  EXPECT_EQ(report["program"].text(), "Morvel");
  EXPECT_EQ(report["version"].text(), app::kReleaseVersion);
  EXPECT_EQ(report["computer"].text(), "PC-01");
  EXPECT_EQ(report["user"].text(), "User");
  EXPECT_EQ(report["mode"].text(), "clean");
  EXPECT_EQ(report["started"].text(), "2026-12-08T10:00:00Z");
  EXPECT_EQ(report["ended"].text(), "2026-12-08T10:00:04Z");
  ASSERT_EQ(report["items"].size(), kItems.size());
  for (std::size_t i = 0; i < kItems.size(); ++i) {
    const Json& item = report["items"][i];
    EXPECT_EQ(item.keys(), (std::vector<std::string>{"key", "removed", "left"}));
    EXPECT_EQ(item["key"].text(), kItems[i].key);
    EXPECT_EQ(item["removed"].keys(), (std::vector<std::string>{"items", "bytes"}));
    EXPECT_EQ(item["removed"]["items"].number(), kItems[i].removed_items);
    EXPECT_EQ(item["removed"]["bytes"].number(),
              static_cast<std::int64_t>(kItems[i].removed_bytes));
    ASSERT_EQ(item["left"].size(), kItems[i].left.size());
    for (std::size_t j = 0; j < kItems[i].left.size(); ++j) {
      EXPECT_EQ(item["left"][j].keys(), (std::vector<std::string>{"path", "reason"}));
      EXPECT_EQ(item["left"][j]["path"].text(), kItems[i].left[j].path);
      EXPECT_EQ(item["left"][j]["reason"].text(), app::ReasonText(kItems[i].left[j].reason));
    }
  }
  EXPECT_EQ(report["items"][1]["left"][0]["reason"].text(), "access denied");
  EXPECT_EQ(report["totals"].keys(),
            (std::vector<std::string>{"removed_items", "removed_bytes", "left_items"}));
  EXPECT_EQ(report["totals"]["removed_items"].number(), 27);
  EXPECT_EQ(report["totals"]["removed_bytes"].number(), 2474);
  EXPECT_EQ(report["totals"]["left_items"].number(), 3);

  const Json test = Json::Parse(app::ReportJson(ReportedRun(true), {}));
  EXPECT_EQ(test["mode"].text(), "test");
  EXPECT_EQ(test["items"].size(), 0u);
  EXPECT_EQ(test["totals"]["left_items"].number(), 0);
}

TEST(RunReport, JsonStaysJsonForNamesThatAreNotText) {
  // A host name no Windows program could have made: invalid UTF-8 becomes U+FFFD.
  const ItemResult odd{"K - I", 1, 1, {{"C:\\bad\xFF\xFEname", LeftReason::InUse, 1, 1}}};
  const std::string text = app::ReportJson(ReportedRun(false), {odd});
  EXPECT_NE(text.find("C:\\\\bad\xEF\xBF\xBD\xEF\xBF\xBDname"), std::string::npos) << text;
}

TEST(RunReport, CsvHasAHeaderAndARowPerItemQuotedAsSpreadsheetsRead) {
  EXPECT_EQ(app::ReportCsv(kItems),
            "Key,Removed items,Removed bytes,Left items,First reason\r\n"
            "Windows - Temporary Files,24,2474,1,in use\r\n"
            "\"Applications - \"\"Quoted\"\", with a comma\",0,0,2,access denied\r\n"
            "'=cmd|' /C calc'!A0,3,0,0,\r\n");
  EXPECT_EQ(app::ReportCsv({}), "Key,Removed items,Removed bytes,Left items,First reason\r\n");
}

TEST(RunReport, TheFileNameChoosesTheFormatAndItsMacrosAreExpanded) {
  EXPECT_EQ(app::ReportFormatOf("C:\\r\\run.json"), app::ReportFormat::Json);
  EXPECT_EQ(app::ReportFormatOf("\\\\server\\r\\RUN.CSV"), app::ReportFormat::Csv);
  EXPECT_EQ(app::ReportFormatOf("C:\\r\\run.txt"), std::nullopt);
  EXPECT_EQ(app::ReportFormatOf("C:\\r\\json"), std::nullopt);
  EXPECT_EQ(app::ExpandReportPath("\\\\srv\\r\\%COMPUTERNAME%-%date%.json", "PC-01", "2026-12-08"),
            "\\\\srv\\r\\PC-01-2026-12-08.json");
  EXPECT_EQ(app::ExpandReportPath("C:\\%USERNAME%\\%DATE%%DATE", "PC", "D"),
            "C:\\%USERNAME%\\D%DATE");
}

}  // namespace
}  // namespace morvel::testing
