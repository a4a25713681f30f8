// The Cookies Manager's controller on both machines: what it lists, what View shows, and
// Cookies.dat as OK writes it, over longer lists, other encodings and files that refuse.
#include "app/cookies_manager.h"

#include <gtest/gtest.h>

#include <deque>

#include "common/ini_file.h"
#include "common/text.h"
#include "engine/cleaners/cookie_keep_list.h"
#include "stores/index_dat_time.h"
#include "tests/harness/two_backend_test.h"

namespace morvel::testing {
namespace {

using Names = std::vector<std::string>;

class CookiesManagerTest : public TwoBackendTest {
 protected:
  const MachineSetup& Machine() const override {
    static const MachineSetup setup = [] {
      MachineSetup s;
      s.scratch = "Morvel Cookies Manager";
      return s;
    }();
    return setup;
  }
  void SetUp() override {
    TwoBackendTest::SetUp();
    system().program_folder = Path("Program") + "\\";
    system().folders[platform::SpecialFolder::Cookies] = Path("Cookies");
    ASSERT_TRUE(files().CreateFolder(Path("Program")).ok());
    ASSERT_TRUE(files().CreateFolder(Path("Cookies")).ok());
  }
  std::string KeepFile() { return Path("Program\\Cookies.dat"); }
  std::string Saved() { return files().ReadFile(KeepFile()).value; }
  // The dialog as it opens now.
  app::CookiesManager Open() {
    ports_.push_back(Port());
    return app::CookiesManager(ports_.back());
  }

 private:
  std::deque<platform::Port> ports_;  // each manager keeps its own
};

TEST_F(CookiesManagerTest, ListsTheKeepListAndTheCookieFilesNotKeptExactly) {
  for (const char* name :
       {"user@a[1].txt", "User@B[1].txt", "backup.txt.bak", "notes.TXT", "index.dat"})
    WriteAt(Path("Cookies\\") + name, "x");
  ASSERT_TRUE(files().CreateFolder(Path("Cookies\\folder.txt")).ok());
  WriteAt(KeepFile(),
          "[Cookies to keep]\r\nCount=3\r\n0=user@a[1].txt\r\n1=gone@site[1].txt\r\n"
          "2=user@b[1].txt\r\n");
  const app::CookiesManager manager = Open();
  EXPECT_EQ(manager.folder(), Path("Cookies") + "\\");
  // A kept name whose file has gone still shows; one differing only in letter case does not
  // keep the file, which is listed on the left.
  EXPECT_EQ(manager.lists().kept.names,
            (Names{"user@a[1].txt", "gone@site[1].txt", "user@b[1].txt"}));
  EXPECT_EQ(manager.lists().found.names, (Names{"backup.txt.bak", "User@B[1].txt"}));
  EXPECT_EQ(manager.lists().found.selected, -1);
  EXPECT_EQ(manager.lists().kept.selected, -1);
}

TEST_F(CookiesManagerTest, WorksInLowWhenOnlyItHoldsCookies) {
  WriteAt(Path("Cookies\\Low\\low@site[1].txt"), "x");
  WriteAt(Path("Cookies\\index.dat"), "x");
  EXPECT_EQ(Open().folder(), Path("Cookies\\Low") + "\\");
  EXPECT_EQ(Open().lists().found.names, Names{"low@site[1].txt"});
  WriteAt(Path("Cookies\\top@site[1].txt"), "x");
  EXPECT_EQ(Open().lists().found.names, Names{"top@site[1].txt"});
}

TEST_F(CookiesManagerTest, WithoutACookieFolderTheKeepListStillShowsAndSaves) {
  if (Exists("c:\\windows\\cookies")) GTEST_SKIP() << "this machine has the fallback folder";
  system().folders[platform::SpecialFolder::Cookies] = Path("missing");
  WriteAt(KeepFile(), "[Cookies to keep]\r\nCount=1\r\n0=a.txt\r\n");
  app::CookiesManager manager = Open();
  EXPECT_EQ(manager.folder(), "");
  EXPECT_TRUE(manager.lists().found.names.empty());
  manager.lists().kept.selected = 0;
  manager.lists().Remove();
  ASSERT_TRUE(manager.Save().ok());
  EXPECT_EQ(Saved(), "[Cookies to keep]\r\nCount=0\r\n0=a.txt\r\nSiteCount=0\r\n");
}

TEST_F(CookiesManagerTest, ViewShowsTheSelectedCookiesLinesEachAfterALineBreak) {
  WriteAt(Path("Cookies\\a.txt"), "id\r\n1\ncaf\xE9.example/\r*\r\n");
  WriteAt(Path("Cookies\\big.txt"), std::string(app::CookiesManager::kViewLimit + 10, 'x'));
  WriteAt(Path("Cookies\\gone.txt"), "x");
  // UTF-8 with the view's limit in the middle of a three-byte character.
  std::string cut(app::CookiesManager::kViewLimit - 1, 'x');
  cut += "\xE2\x82\xAC";
  WriteAt(Path("Cookies\\utf8.txt"), cut);
  app::CookiesManager manager = Open();
  ASSERT_EQ(manager.lists().found.names, (Names{"a.txt", "big.txt", "gone.txt", "utf8.txt"}));
  EXPECT_EQ(manager.View(), std::nullopt) << "nothing selected";
  manager.lists().found.selected = 0;
  const auto shown = manager.View();
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->caption, "a.txt");
  // Bytes that are not UTF-8 are one character each, as the system's code page gives them.
  EXPECT_EQ(shown->text, "\r\nid\r\n1\r\ncaf\xC3\xA9.example/\r\n*");
  manager.lists().found.selected = 1;
  EXPECT_EQ(manager.View()->text.size(), app::CookiesManager::kViewLimit + 2);
  manager.lists().found.selected = 3;
  EXPECT_EQ(manager.View()->text, "\r\n" + std::string(app::CookiesManager::kViewLimit - 1, 'x'))
      << "a UTF-8 file cut by the limit stays UTF-8, less the cut character";
  ASSERT_TRUE(files().ShellDelete(Path("Cookies\\gone.txt")).ok());
  manager.lists().found.selected = 2;
  EXPECT_EQ(manager.View(), std::nullopt) << "a file that cannot be read shows nothing";
}

// A cookie file as WinINet writes it: one record for `site`, expiring 1 January 2030.
std::string CookieOf(const std::string& site) {
  return "id\n42\n" + site + "/\n1024\n893034496\n31520549\n0\n0\n*\n";
}

TEST_F(CookiesManagerTest, RowsShowSitesAndAKeptSiteKeepsItsCookieUnderANewName) {
  // The site set its cookie again: WinINet wrote it as NEW2.txt, and OLD1.txt is gone.
  WriteAt(Path("Cookies\\NEW2.txt"), CookieOf("mail.example.com"));
  WriteAt(Path("Cookies\\AAAA.txt"), CookieOf("news.example.org"));
  WriteAt(Path("Cookies\\BBBB.txt"), CookieOf("MAIL.example.com"));
  WriteAt(Path("Cookies\\plain.txt"), "no record");
  WriteAt(KeepFile(),
          "[Cookies to keep]\r\nCount=2\r\n0=OLD1.txt\r\n1=gone.txt\r\nSiteCount=2\r\n"
          "Site0=mail.example.com\r\nSite1=gone.example\r\n");
  app::CookiesManager manager = Open();
  EXPECT_EQ(manager.lists().kept.names,
            (Names{"mail.example.com (BBBB.txt)", "mail.example.com (NEW2.txt)",
                   "gone.example (gone.txt)"}));
  EXPECT_EQ(manager.lists().found.names, (Names{"news.example.org (AAAA.txt)", "plain.txt"}));

  manager.lists().found.selected = 0;
  manager.lists().Add();
  ASSERT_TRUE(manager.Save().ok());
  EXPECT_EQ(Saved(),
            "[Cookies to keep]\r\nCount=4\r\n0=BBBB.txt\r\n1=NEW2.txt\r\nSiteCount=4\r\n"
            "Site0=mail.example.com\r\nSite1=mail.example.com\r\n2=gone.txt\r\n3=AAAA.txt\r\n"
            "Site2=gone.example\r\nSite3=news.example.org\r\n");
  EXPECT_EQ(ParseCookieKeepList(Saved()).Names(),
            (Names{"BBBB.txt", "NEW2.txt", "gone.txt", "AAAA.txt"}));
}

TEST_F(CookiesManagerTest, ViewShowsEachCookiesFields) {
  WriteAt(Path("Cookies\\NEW2.txt"),
          CookieOf("mail.example.com") + "lang\nen\nmail.example.com/inbox\n0\n0\n0\n0\n0\n*\n");
  app::CookiesManager manager = Open();
  manager.lists().found.selected = 0;
  const auto shown = manager.View();
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->caption, "NEW2.txt");
  // The expiry in the machine's local time and formats; a time of 0 is none.
  const std::string expires = LastModifiedText(system(), (31520549ULL << 32) | 893034496ULL);
  EXPECT_NE(expires.find("2030"), std::string::npos) << expires;
  EXPECT_EQ(shown->text,
            "\r\nName: id\r\nValue: 42\r\nSite: mail.example.com/\r\nExpires: " + expires +
                "\r\n\r\nName: lang\r\nValue: en\r\nSite: mail.example.com/inbox\r\nExpires: "
                "Not Available");
}

TEST_F(CookiesManagerTest, OkWritesCountAndNumberedKeysOverWhatTheFileHeld) {
  const std::string five =
      "; kept by hand\r\n[Other]\r\nKey=1\r\n[Cookies to keep]\r\nCount=5\r\n0=a\r\n1=b\r\n"
      "2=c\r\n3=d\r\n4=e\r\n";
  const std::string junk =
      "\x01\xFF"
      "garbage\nCount=9\n";
  const struct {
    const char* name;
    std::optional<std::string> before;
    std::vector<KeptCookie> kept;
    std::string after;  // the file's start when `whole` is false
    bool whole = true;
  } cases[] = {
      {"a new file",
       std::nullopt,
       {{"x@y[1].txt", "y.example"}, {"z@w[2].txt", ""}},
       "[Cookies to keep]\r\nCount=2\r\n0=x@y[1].txt\r\n1=z@w[2].txt\r\nSiteCount=2\r\n"
       "Site0=y.example\r\nSite1=\r\n"},
      // The section is not erased first: keys 2 to 4 stay, below Count's reach.
      {"two names over five",
       five,
       {{"p", ""}, {"q", "q.example"}},
       "; kept by hand\r\n[Other]\r\nKey=1\r\n[Cookies to keep]\r\nCount=2\r\n0=p\r\n1=q\r\n"
       "2=c\r\n3=d\r\n4=e\r\nSiteCount=2\r\nSite0=\r\nSite1=q.example\r\n"},
      {"an empty list",
       five,
       {},
       "; kept by hand\r\n[Other]\r\nKey=1\r\n[Cookies to keep]\r\nCount=0\r\n0=a\r\n1=b\r\n"
       "2=c\r\n3=d\r\n4=e\r\nSiteCount=0\r\n"},
      {"damaged lines stay as they were", junk, {{"a", ""}}, junk, false},
  };
  for (const auto& c : cases) {
    if (c.before)
      WriteAt(KeepFile(), *c.before);
    else
      (void)files().ShellDelete(KeepFile());
    ASSERT_TRUE(app::WriteCookieKeepList(files(), system().ExecutableFolder(), c.kept).ok())
        << c.name;
    EXPECT_EQ(c.whole ? Saved() : Saved().substr(0, c.after.size()), c.after) << c.name;
    EXPECT_EQ(ParseCookieKeepList(Saved()).cookies, c.kept) << c.name;
  }
}

TEST_F(CookiesManagerTest, AUtf16FileStaysUtf16) {
  WriteAt(KeepFile(), "\xFF\xFE" + Utf8ToUtf16LeBytes("[Cookies to keep]\r\nCount=1\r\n0=old\r\n"));
  app::CookiesManager manager = Open();
  manager.lists().kept.names = {"new@site[1].txt"};
  ASSERT_TRUE(manager.Save().ok());
  EXPECT_EQ(Saved(), "\xFF\xFE" + Utf8ToUtf16LeBytes("[Cookies to keep]\r\nCount=1\r\n"
                                                     "0=new@site[1].txt\r\nSiteCount=1\r\n"
                                                     "Site0=\r\n"));
}

TEST_F(CookiesManagerTest, AFileThatRefusesIsLeftAsItWasAndTheMessageSaysWhy) {
  const std::string before = "[Cookies to keep]\r\nCount=1\r\n0=old\r\n";
  WriteAt(KeepFile(), before);
  SKIP_IF(machine().SetAttributes(KeepFile(), platform::attr::ReadOnly));
  app::CookiesManager manager = Open();
  manager.lists().kept.names = {"new"};
  const platform::Status saved = manager.Save();
  EXPECT_EQ(saved.kind, platform::ErrorKind::AccessDenied);
  EXPECT_EQ(Saved(), before);
  EXPECT_EQ(manager.SaveFailureMessage(saved),
            "The cookies to keep could not be saved to " + KeepFile() +
                ": access denied. The file is as it was before.");
}

TEST_F(CookiesManagerTest, AKeepFileThatCannotBeReadIsNotReplaced) {
  ASSERT_TRUE(files().CreateFolder(KeepFile()).ok());
  EXPECT_FALSE(app::WriteCookieKeepList(files(), system().ExecutableFolder(), {{"a", ""}}).ok());
  EXPECT_TRUE(files().Stat(KeepFile()).value.IsFolder());
}

}  // namespace
}  // namespace morvel::testing
