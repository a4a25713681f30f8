// The built-in messenger cleaners: MSN Messenger's logs and received files, Yahoo!
// Messenger's log and caches, Skype's .dbb files.

#include "tests/cleaners/cleaners_fixture.h"

namespace morvel::cleaners_test {
namespace {

const std::string kPassports = "Software\\Microsoft\\MSNMessenger\\PerPassportSettings";

class MessengerTest : public CleanersTest {
 protected:
  std::string Received() { return Documents() + "\\My Received Files"; }
  void PutLogPath(const std::string& passport, const platform::RegistryValue& value) {
    PutValue(kPassports + "\\" + passport, value);
  }
};

TEST_F(MessengerTest, MsnCleansTheFirstPassportWithAnExistingLogFolderAndReceivedFiles) {
  const std::string logs_a = Documents() + "\\My Chat Logs";
  const std::string logs_b = Documents() + "\\Other Logs";
  PutFile(logs_a + "\\alice1234.xml", 2000);
  PutFile(logs_a + "\\2009\\bob.xml", 48);
  PutFile(logs_b + "\\carol.xml", 10);
  PutFile(Received() + "\\photo.jpg", 1000);
  // Passports list in key order: a numeric value, a missing folder, then two real ones.
  PutLogPath("1111", platform::RegistryValue::MakeDword("MessageLogPath", 7));
  PutLogPath("2222", platform::RegistryValue::MakeString("MessageLogPath", "C:\\Gone\\Logs"));
  PutLogPath("3333", platform::RegistryValue::MakeString("MessageLogPath", logs_a,
                                                         platform::ValueType::ExpandString));
  PutLogPath("4444", platform::RegistryValue::MakeString("MessageLogPath", logs_b));

  const Outcome clean = TestThenClean("Instant Messengers - MSN Messenger");
  EXPECT_EQ(clean.count, 3);
  EXPECT_EQ(clean.bytes, 3048u);
  ASSERT_EQ(clean.lines.size(), 3u);
  EXPECT_EQ(clean.lines.back(), "deleting " + Received() + "\\photo.jpg");  // logs first
  EXPECT_FALSE(Exists(logs_a + "\\alice1234.xml"));
  EXPECT_FALSE(Exists(logs_a + "\\2009"));
  EXPECT_TRUE(Exists(logs_a));
  EXPECT_TRUE(Exists(Received()));
  EXPECT_TRUE(Exists(logs_b + "\\carol.xml"));  // only the first passport's logs go
  EXPECT_TRUE(KeyExists(kPassports + "\\3333"));
}

TEST_F(MessengerTest, MsnWithoutPassportsStillEmptiesReceivedFiles) {
  PutFile(Received() + "\\setup.zip", 10);
  PutFile(Received() + "\\Holiday\\beach.jpg", 10);
  const Outcome clean = TestThenClean("Instant Messengers - MSN Messenger");
  EXPECT_EQ(clean.count, 2);
  EXPECT_FALSE(Exists(Received() + "\\Holiday"));
}

TEST_F(MessengerTest, MsnBinaryLogPathIsIgnored) {
  const std::string logs = Documents() + "\\Chats";
  PutFile(logs + "\\a.xml", 10);
  const std::string path = logs;
  PutLogPath("1111", platform::RegistryValue::MakeBinary(
                         "MessageLogPath", std::vector<std::uint8_t>(path.begin(), path.end())));
  EXPECT_EQ(TestThenClean("Instant Messengers - MSN Messenger").count, 0);
  EXPECT_TRUE(Exists(logs + "\\a.xml"));
}

TEST_F(MessengerTest, MsnLogFolderThatIsTheReceivedFilesFolderIsCountedOnce) {
  PutFile(Received() + "\\a.xml", 10);
  PutFile(Received() + "\\b.jpg", 10);
  // Stored in another letter case and without the trailing "\": still the same folder.
  std::string path = Received();
  for (char& c : path) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  PutLogPath("1111", platform::RegistryValue::MakeString("MessageLogPath", path));
  const Outcome clean = TestThenClean("Instant Messengers - MSN Messenger");
  EXPECT_EQ(clean.count, 2);
  EXPECT_EQ(clean.lines.size(), 2u);
}

TEST_F(MessengerTest, MsnLogFolderInsideReceivedFilesIsNotListedTwice) {
  // Messenger's own default: the logs in "My Received Files\<account>\History".
  const std::string history = Received() + "\\anna\\History";
  PutFile(history + "\\bob.xml", 10);
  PutFile(Received() + "\\photo.jpg", 10);
  PutLogPath("1111", platform::RegistryValue::MakeString("MessageLogPath", history));
  const Outcome clean = TestThenClean("Instant Messengers - MSN Messenger");
  EXPECT_EQ(clean.count, 2);
  EXPECT_EQ(clean.lines.size(), 2u);
  EXPECT_FALSE(Exists(history + "\\bob.xml"));
  EXPECT_TRUE(Exists(Received()));
}

TEST_F(MessengerTest, MsnLogFolderNamingTheDocumentsFolderIsSkipped) {
  // Were the guard broken, Yes would empty the whole documents folder: a throwaway image only.
  if (!machine().IsEmulated()) GTEST_SKIP() << "would empty the real machine's documents folder";
  // A log path naming the documents folder, which holds "My Received Files" within it: the
  // registry's word does not make Documents a log folder.
  PutFile(Documents() + "\\chat.xml", 10);
  PutFile(Received() + "\\song.mp3", 10);
  PutLogPath("1111", platform::RegistryValue::MakeString("MessageLogPath", Documents()));
  questions = testing::ScriptedQuestions(platform::Answer::Yes);
  const Outcome clean = TestThenClean("Instant Messengers - MSN Messenger");
  EXPECT_EQ(clean.count, 1);
  ASSERT_EQ(clean.lines.size(), 2u);
  EXPECT_TRUE(clean.lines[0].starts_with("skipping " + Documents()));
  EXPECT_TRUE(Exists(Documents() + "\\chat.xml"));
  EXPECT_FALSE(Exists(Received() + "\\song.mp3"));
}

TEST_F(MessengerTest, YahooTakesItsLogAndEmptiesItsCachesKeepingTheFolders) {
  const std::string messenger = ProgramFiles() + "\\Yahoo!\\Messenger";
  PutFile(messenger + "\\YPAGER.LOG", 100);
  PutFile(messenger + "\\ypager.exe", 100);
  PutFile(messenger + "\\Cache\\ypager.log", 100);
  PutFile(messenger + "\\IMVCache\\avatar1.png", 100);
  PutFile(messenger + "\\IMVCache\\friends\\avatar2.png", 100);
  PutFile(messenger + "\\Profiles\\someone\\Archive\\Messages\\friend\\20091201.dat", 100);

  const Outcome clean = TestThenClean("Instant Messengers - Yahoo! Messenger");
  EXPECT_EQ(clean.count, 4);
  EXPECT_EQ(clean.bytes, 400u);
  EXPECT_FALSE(Exists(messenger + "\\YPAGER.LOG"));
  EXPECT_TRUE(Exists(messenger + "\\ypager.exe"));
  EXPECT_TRUE(Exists(messenger + "\\Cache\\ypager.log"));
  EXPECT_TRUE(Exists(messenger + "\\IMVCache"));
  EXPECT_FALSE(Exists(messenger + "\\IMVCache\\friends"));
  EXPECT_TRUE(Exists(messenger + "\\Profiles"));
  EXPECT_FALSE(Exists(messenger + "\\Profiles\\someone"));
}

TEST_F(MessengerTest, SkypeFindsDbbFilesAtAnyDepthAndRemovesNoFolder) {
  const std::string skype = AppData() + "\\Skype";
  PutFile(skype + "\\chatsync.dbb", 10);
  PutFile(skype + "\\someone\\user256.dbb", 10);
  PutFile(skype + "\\someone\\chatsync\\ab\\msg.DBB", 10);
  PutFile(skype + "\\someone\\main.db", 10);
  PutFile(skype + "\\someone\\config.xml", 10);

  const Outcome clean = TestThenClean("Instant Messengers - Skype");
  EXPECT_EQ(clean.count, 3);
  EXPECT_TRUE(Exists(skype + "\\someone\\chatsync\\ab"));
  EXPECT_TRUE(Exists(skype + "\\someone\\main.db"));
  EXPECT_FALSE(Exists(skype + "\\someone\\chatsync\\ab\\msg.DBB"));

  system().app_data = "C:\\No Such Profile";
  PutFile(skype + "\\again.dbb", 10);
  EXPECT_EQ(TestThenClean("Instant Messengers - Skype").count, 0);
}

}  // namespace
}  // namespace morvel::cleaners_test
