// What a run removed and left, item by item: a Test's prediction, a Clean's result with the
// verify pass after it, and the verified summary the log gets.
#include <gtest/gtest.h>

#include "app/run_result.h"

namespace morvel::testing {
namespace {

using app::ItemResult;
using R = LeftReason;

LeftEntry Left(std::string path, LeftReason reason, std::int32_t items = 1,
               std::uint64_t bytes = 0) {
  return {std::move(path), reason, items, bytes};
}

TEST(RunResult, ATestPredictsWhatGoesAsWhatItCountedLessWhatWouldStay) {
  const Tally test{5,
                   500,
                   {Left("C:\\t\\held.log", R::InUse, 1, 100),
                    Left("HKEY_CURRENT_USER\\Software\\X", R::AccessDenied, 2)}};
  const ItemResult result = app::TestResult("Windows - Temporary Files", test);
  EXPECT_EQ(result.key, "Windows - Temporary Files");
  EXPECT_EQ(result.removed_items, 2);
  EXPECT_EQ(result.removed_bytes, 400u);
  EXPECT_EQ(result.left, test.left);
}

// A Clean's left entries and the verify pass's: each thing once, the Clean's reason first.
struct VerifyCase {
  const char* name;
  std::vector<LeftEntry> clean, verify, expected;
};

class Verified : public ::testing::TestWithParam<VerifyCase> {};

TEST_P(Verified, LeftIsWhatEitherPassNamesOnce) {
  const VerifyCase& c = GetParam();
  const ItemResult result =
      app::VerifiedResult("K - I", Tally{7, 70, c.clean}, Tally{3, 9, c.verify});
  EXPECT_EQ(result.removed_items, 7) << "what went is what the Clean removed";
  EXPECT_EQ(result.removed_bytes, 70u);
  EXPECT_EQ(result.left, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    RunResult, Verified,
    ::testing::Values(
        VerifyCase{"NothingLeft", {}, {}, {}},
        VerifyCase{"HeldInBoth",
                   {Left("C:\\a", R::InUse)},
                   {Left("C:\\a", R::InUse)},
                   {Left("C:\\a", R::InUse)}},
        // Released between the passes: the Clean still could not remove it.
        VerifyCase{"ReleasedSince", {Left("C:\\a", R::InUse)}, {}, {Left("C:\\a", R::InUse)}},
        // Deleted as far as Windows said, but another program still held it open.
        VerifyCase{"OnlyTheVerifyPassSeesIt",
                   {},
                   {Left("C:\\b", R::AccessDenied)},
                   {Left("C:\\b", R::AccessDenied)}},
        VerifyCase{"SameThingOtherSpellingKeepsTheCleansReason",
                   {Left("C:\\Temp\\A.log", R::InUse)},
                   {Left("c:\\temp\\a.LOG", R::AccessDenied)},
                   {Left("C:\\Temp\\A.log", R::InUse)}},
        VerifyCase{"RefusedAndAtRestartStayInOrder",
                   {Left("C:\\Users\\User\\Documents\\", R::Refused, 0),
                    Left("C:\\x\\index.dat", R::AtRestart, 0)},
                   {Left("C:\\x\\index.dat", R::AtRestart, 0), Left("C:\\c", R::InUse)},
                   {Left("C:\\Users\\User\\Documents\\", R::Refused, 0),
                    Left("C:\\x\\index.dat", R::AtRestart, 0), Left("C:\\c", R::InUse)}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunResult, TheSummarySaysNothingLeftOrCountsByReasonAndNamesEachThing) {
  EXPECT_EQ(app::VerifiedSummary({{"A - B", 3, 30, {}}, {"A - C", 0, 0, {}}}),
            std::vector<std::string>{"Verified: nothing left."});
  const std::vector<ItemResult> items = {
      {"Windows - Temporary Files",
       24,
       2474,
       {Left("C:\\t\\export-07.csv", R::InUse), Left("C:\\t\\locked", R::AccessDenied)}},
      {"Internet Explorer - Index.dat Files", 3, 0, {Left("C:\\i\\index.dat", R::AtRestart, 0)}},
      {"Custom Lists - <New List>", 0, 0, {Left("C:\\Users\\User\\Documents\\", R::Refused, 0)}}};
  EXPECT_EQ(app::VerifiedSummary(items),
            (std::vector<std::string>{
                "Verified: 4 left (in use: 1, access denied: 1, refused: 1, at restart: 1).",
                "C:\\t\\export-07.csv (in use)", "C:\\t\\locked (access denied)",
                "C:\\i\\index.dat (at restart)", "C:\\Users\\User\\Documents\\ (refused)"}));
  const app::RunTotals totals = app::TotalsOf(items);
  EXPECT_EQ(totals.removed_items, 27);
  EXPECT_EQ(totals.removed_bytes, 2474u);
  EXPECT_EQ(totals.left_items, 4u);
}

TEST(RunResult, AThingTwoItemsLeaveIsCountedOnceAtRestartWhenEitherScheduledIt) {
  const std::vector<ItemResult> items = {
      {"Internet Explorer - Temporary Internet Files",
       3,
       9,
       {Left(R"(C:\c\Content.IE5\index.dat)", R::InUse), Left(R"(C:\c\held.gif)", R::InUse)}},
      {"Internet Explorer - Index.dat Files",
       3,
       62,
       {Left(R"(C:\C\content.ie5\INDEX.DAT)", R::AtRestart, 0),
        Left(R"(C:\k\index.dat)", R::AtRestart, 0)}},
      {"Custom Lists - <New List>", 1, 0, {Left(R"(C:\c\held.gif)", R::AccessDenied)}}};
  EXPECT_EQ(app::VerifiedSummary(items),
            (std::vector<std::string>{
                "Verified: 3 left (in use: 1, access denied: 0, refused: 0, at restart: 2).",
                R"(C:\c\Content.IE5\index.dat (at restart))", R"(C:\c\held.gif (in use))",
                R"(C:\k\index.dat (at restart))"}));
  EXPECT_EQ(app::TotalsOf(items).left_items, 3u);
}

TEST(RunResult, TheSummaryNamesAHundredThingsAcrossItemsAndCountsTheRest) {
  std::vector<ItemResult> items(3);
  for (int i = 0; i < 130; ++i)
    items[i % 3].left.push_back(Left("C:\\f" + std::to_string(i), R::InUse));
  const std::vector<std::string> lines = app::VerifiedSummary(items);
  ASSERT_EQ(lines.size(), 1 + app::kSummaryLines + 1);
  EXPECT_EQ(lines.front(),
            "Verified: 130 left (in use: 130, access denied: 0, refused: 0, at restart: 0).");
  EXPECT_EQ(lines[1], "C:\\f0 (in use)");
  EXPECT_EQ(lines.back(), "\xE2\x80\xA6 and 30 more");
  // Exactly a hundred: no "more" line.
  for (std::size_t i = 0; i < items.size(); ++i)
    items[i].left.erase(items[i].left.begin() + (i == 0 ? 34 : 33), items[i].left.end());
  EXPECT_EQ(app::VerifiedSummary(items).size(), 1 + app::kSummaryLines);
}

}  // namespace
}  // namespace morvel::testing
