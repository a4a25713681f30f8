// The questions before emptying a drive root, the profile, My Documents or My Pictures.

#include "common/text.h"
#include "engine/folder_lookups.h"
#include "tests/removal/removal_fixture.h"

namespace morvel::removal_test {
namespace {

// The questions belong to the user's own list; a program's folder is refused without one
// (the escape suite shows that).
struct AsUser {
  // Everything in the folder (itself too with `remove_self`): the bytes removed.
  static std::uint64_t Sweep(RecordingRun& run, std::string folder, bool remove_self = false) {
    return RemovalTest::RunAction(
               run, RemovalTest::Sweep(std::move(folder), remove_self, {}, FolderOrigin::User))
        .bytes;
  }
  static std::uint64_t ByMask(RecordingRun& run, std::string folder, std::string mask,
                              bool recurse) {
    return RemovalTest::RunAction(run, RemovalTest::ByMask(std::move(folder), std::move(mask),
                                                           recurse, FolderOrigin::User))
        .bytes;
  }
};

using platform::Answer;

class ProtectedFolderTest : public RemovalTest {
 protected:
  static void ExpectQuestion(const AskedQuestion& q, const std::string& text) {
    EXPECT_EQ(q.text, text);
    EXPECT_EQ(q.caption, "Morvel");
    EXPECT_EQ(q.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(q.icon, platform::Icon::Information);
    EXPECT_EQ(q.default_answer, Answer::No);
  }
  static std::string Everything(const std::string& f) {
    return "Do you want to delete all files and folders under " + f + "?";
  }
};

// On every backend, with the real My Documents: No leaves it whole.
TEST_F(ProtectedFolderTest, NoLeavesMyDocumentsAlone) {
  auto clean = MakeRun(RunMode::Clean);
  const std::string documents = GetMyDocumentsFolder(*clean);
  ASSERT_FALSE(documents.empty());
  ASSERT_EQ(documents.back(), '\\');
  const std::string marker = documents + "morvel-removal-test.txt";
  WriteAt(marker, "mine");
  // Letter case does not hide the folder, nor does a missing trailing "\".
  const std::string upper = UpperCase(documents.substr(0, documents.size() - 1));

  EXPECT_EQ(AsUser::Sweep(*clean, upper), 0u);
  EXPECT_EQ(AsUser::ByMask(*clean, documents, "morvel-removal-test.txt", false), 0u);
  ASSERT_EQ(clean->questions.asked.size(), 2u);
  ExpectQuestion(clean->questions.asked[0], Everything(upper + "\\"));
  ExpectQuestion(clean->questions.asked[1],
                 "Do you want to delete the files on " + documents + "?");
  EXPECT_TRUE(clean->log.empty());
  const bool still_there = files().Exists(marker);
  (void)files().ShellDelete(marker);
  EXPECT_TRUE(still_there);

  // Test mode asks nothing.
  auto test = MakeRun(RunMode::Test);
  AsUser::ByMask(*test, documents, "*.none", false);
  EXPECT_TRUE(test->questions.asked.empty());
}

// The rest may empty a whole drive or the user's documents if wrong: emulated only.
class EmulatedProtectedFolderTest : public ProtectedFolderTest {
 protected:
  void SetUp() override {
    ProtectedFolderTest::SetUp();
    if (!backend().IsEmulated()) GTEST_SKIP() << "would risk the prefix's own drive and documents";
  }
};

TEST_F(EmulatedProtectedFolderTest, DriveRootIsAskedForUnlessTheMaskIsAnExactName) {
  Write("x.txt", "12");
  const std::vector<std::string> before = TreeAt("C:\\");

  auto test = MakeRun(RunMode::Test);
  const Tally every_file =
      RunAction(*test, Sweep("C:", false, {}, FolderOrigin::User));  // every file of the drive
  EXPECT_EQ(every_file.bytes, 2u);
  EXPECT_EQ(every_file.items, 1);
  EXPECT_TRUE(test->questions.asked.empty());

  auto clean = MakeRun(RunMode::Clean);
  // Answered No, the drive is left: with nothing counted, and said so in the tally.
  const Tally refused = RunAction(*clean, Sweep("C:", true, {}, FolderOrigin::User));
  EXPECT_EQ(refused.items, 0);
  EXPECT_EQ(refused.left, (std::vector<LeftEntry>{{"C:\\", LeftReason::Refused}}));
  EXPECT_EQ(AsUser::Sweep(*clean, "c:\\", true), 0u);
  EXPECT_EQ(AsUser::ByMask(*clean, "C:\\", "*.txt", true), 0u);
  EXPECT_EQ(AsUser::ByMask(*clean, "C:\\", "", true), 0u);
  ASSERT_EQ(clean->questions.asked.size(), 4u);
  ExpectQuestion(clean->questions.asked[0], Everything("C:\\"));
  ExpectQuestion(clean->questions.asked[1], Everything("c:\\"));
  ExpectQuestion(clean->questions.asked[2], Everything("C:\\"));
  ExpectQuestion(clean->questions.asked[3], Everything("C:\\"));
  EXPECT_EQ(TreeAt("C:\\"), before);

  // An exact name on a drive root is not asked about.
  WriteAt("C:\\exact.txt", "1");
  auto exact = MakeRun(RunMode::Clean);
  EXPECT_EQ(AsUser::ByMask(*exact, "C:\\", "exact.txt", false), 1u);
  EXPECT_TRUE(exact->questions.asked.empty());
  EXPECT_EQ(TreeAt("C:\\"), before);
}

TEST_F(EmulatedProtectedFolderTest, AnswersApplyToTheAskedFolderOnly) {
  const std::string user = "C:\\Users\\User\\";
  const std::string documents = user + "Documents\\";
  const std::string pictures = documents + "My Pictures\\";
  WriteAt(user + "settings.txt", "1");
  WriteAt(documents + "a.txt", "22");
  WriteAt(documents + "sub\\b.txt", "333");
  WriteAt(pictures + "p.jpg", "4444");

  // The profile is asked about first, as a drive root is; No leaves it whole.
  const std::vector<std::string> whole = TreeAt(user);
  auto refused = MakeRun(RunMode::Clean);
  EXPECT_EQ(AsUser::Sweep(*refused, user + "Documents\\.."), 0u);
  ASSERT_EQ(refused->questions.asked.size(), 1u);
  ExpectQuestion(refused->questions.asked[0], Everything(user));
  EXPECT_EQ(TreeAt(user), whole);

  // Yes to it, No to My Documents inside it: the scan of the profile goes on.
  auto clean = MakeRun(RunMode::Clean);
  clean->questions.answers = {Answer::Yes, Answer::No};
  EXPECT_EQ(AsUser::Sweep(*clean, user), 1u);
  ASSERT_EQ(clean->questions.asked.size(), 2u);
  ExpectQuestion(clean->questions.asked[0], Everything(user));
  ExpectQuestion(clean->questions.asked[1], Everything(documents));
  EXPECT_EQ(TreeAt(user),
            (std::vector<std::string>{"Documents\\", "Documents\\a.txt 2",
                                      "Documents\\My Pictures\\", "Documents\\My Pictures\\p.jpg 4",
                                      "Documents\\sub\\", "Documents\\sub\\b.txt 3"}));

  // Yes to My Documents, No to My Pictures.
  auto again = MakeRun(RunMode::Clean);
  again->questions.answers = {Answer::Yes, Answer::No};
  EXPECT_EQ(AsUser::Sweep(*again, documents), 5u);
  ASSERT_EQ(again->questions.asked.size(), 2u);
  ExpectQuestion(again->questions.asked[1], Everything(pictures));
  EXPECT_EQ(TreeAt(documents), (std::vector<std::string>{"My Pictures\\", "My Pictures\\p.jpg 4"}));

  // The mask scan asks in its own words, for My Pictures too.
  auto by_mask = MakeRun(RunMode::Clean);
  EXPECT_EQ(AsUser::ByMask(*by_mask, documents, "*.jpg", true), 0u);
  EXPECT_EQ(AsUser::ByMask(*by_mask, pictures, "p.jpg", false), 0u);
  ASSERT_EQ(by_mask->questions.asked.size(), 2u);
  ExpectQuestion(by_mask->questions.asked[0],
                 "Do you want to delete the files on " + documents + "?");
  ExpectQuestion(by_mask->questions.asked[1],
                 "Do you want to delete the files on " + pictures + "?");
  by_mask->questions.answers = {Answer::Yes};
  const Tally yes = RunAction(*by_mask, ByMask(pictures, "p.jpg", false, FolderOrigin::User));
  EXPECT_EQ(yes.bytes, 4u);
  EXPECT_EQ(yes.items, 1);

  // The Pictures folder of today's Windows is My Pictures as well.
  const std::string today = system().SpecialFolderPath(platform::SpecialFolder::Pictures);
  ASSERT_FALSE(today.empty());
  WriteAt(today + "\\cat.jpg", "55555");
  auto own = MakeRun(RunMode::Clean);
  EXPECT_EQ(AsUser::Sweep(*own, today, true), 0u);
  ASSERT_EQ(own->questions.asked.size(), 1u);
  ExpectQuestion(own->questions.asked[0], Everything(today + "\\"));
  EXPECT_TRUE(Exists(today + "\\cat.jpg"));
}

}  // namespace
}  // namespace morvel::removal_test
