// The escape suite: folders that are never emptied without their question (a drive root,
// the profile, Documents, Pictures) or never on another program's word (also the shell
// folders, the Windows folder and the folders Windows, the programs and Morvel run from),
// reached by many spellings and through links, by each door a folder comes in: the custom
// list, Morvel.dat, MSN Messenger's MessageLogPath and the folders the system names. Every
// case runs the item as the program does, on a machine image of its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <sstream>

#include "cli/commands.h"
#include "common/text.h"
#include "demo/image.h"
#include "platform/emulated/emulated_files.h"
#include "platform/emulated/machine.h"
#include "stores/sqlite_database.h"
#include "tests/cli/image_snapshot.h"
#include "tests/unit/temp_image.h"

namespace morvel::escape_test {
namespace {

namespace fs = std::filesystem;
using morvel::testing::Snapshot;

// Answers every question with one answer and remembers them.
class Answering final : public platform::UserQuestions {
 public:
  explicit Answering(platform::Answer answer) : answer_(answer) {}
  platform::Answer Ask(const platform::Question& q) override {
    asked.emplace_back(q.text);
    return q.buttons == platform::Buttons::Ok ? platform::Answer::Ok : answer_;
  }
  std::vector<std::string> asked;

 private:
  platform::Answer answer_;
};

void WriteFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The folders a case aims at, as Windows paths of the image below.
constexpr const char* kRoot = R"(C:\)";
constexpr const char* kDocuments = R"(C:\Users\User\Documents)";
constexpr const char* kProfile = R"(C:\Users\User)";
constexpr const char* kDesktop = R"(C:\Users\User\Desktop)";
constexpr const char* kRoaming = R"(C:\Users\User\AppData\Roaming)";
constexpr const char* kWindows = R"(C:\Windows)";
constexpr const char* kPictures = R"(C:\Users\User\Pictures)";
// Where Windows, the programs and Morvel run from.
constexpr const char* kSystem32 = R"(C:\Windows\system32)";
constexpr const char* kProgramFiles = R"(C:\Program Files)";
constexpr const char* kMorvelFolder = R"(C:\Program Files\Morvel)";

// The host files that hold the user's data; none may go without its question.
const std::vector<std::string> kPrecious = {
    "C/root.txt",
    "C/Windows/win.ini",
    "C/Users/User/NTUSER.DAT",
    "C/Users/User/Documents/thesis.doc",
    "C/Users/User/Documents/My Pictures/holiday.jpg",
    "C/Users/User/Desktop/plan.txt",
    "C/Users/User/Pictures/cat.jpg",
    "C/Users/User/Music/song.mp3",
    "C/Users/User/Videos/clip.avi",
    "C/Users/User/Downloads/setup.exe",
    "C/Users/User/AppData/Roaming/app.ini",
    "C/Users/User/AppData/Local/cache.db",
    // Files the doors' own masks would take if they were led here.
    "C/crash.dmp",
    "C/Windows/setup.log",
    "C/Users/User/Documents/Backup/index.dat",
    "C/Users/User/Documents/diary.txt",
    "C/Users/User/Desktop/chat.dbb",
    "C/Users/User/Music/File0000.chk",
    // What Windows and the programs run from.
    "C/Windows/system32/chkdsk.exe",
    "C/Windows/system32/drivers/etc/hosts",
    "C/Windows/system32/FILE0000.CHK",
    "C/Program Files/TeamViewer/TeamViewer.exe",
    // What the programs share and keep for every user.
    "C/Program Files/Common Files/System/ado/msado15.dll",
    "C/ProgramData/Vendor/licence.dat",
    "C/Users/Public/Documents/shared.txt",
    "C/Users/User/AppData/LocalLow/Vendor/settings.dat",
};

// Spellings of one folder that Windows takes for that folder: separators, "." and "..",
// trailing dots and blanks, letter case, the "\\?\" and "\\.\" forms, the administrative
// share, and a link on the way.
std::vector<std::string> SpellingsOf(const std::string& path) {
  const std::string rest = path.substr(3);  // after "C:\"
  std::string slashes = path;
  std::replace(slashes.begin(), slashes.end(), '\\', '/');
  std::vector<std::string> out = {
      path,
      UpperCase(path),
      path + "\\",
      slashes,
      "C:\\\\" + rest,
      "C:\\.\\" + rest,
      "C:\\Windows\\..\\" + rest,
      "\\\\?\\" + path,
      "\\\\.\\" + path,
      "\\\\localhost\\C$\\" + rest,
      "\\\\127.0.0.1\\c$\\" + rest,
      "\\\\?\\UNC\\localhost\\C$\\" + rest,
      R"(C:\Links\ToRoot\)" + rest,
  };
  if (!rest.empty()) {
    out.push_back(path + ".");
    out.push_back(path + " ");
    out.push_back(path + "\\.");
    out.push_back(path + "\\sub\\..");
  }
  return out;
}

struct Target {
  const char* folder;
  std::vector<std::string> links;  // links in the image that lead to it
};

const std::vector<Target>& Targets() {
  static const std::vector<Target> targets = {
      {kRoot, {R"(C:\Links\ToRoot)", R"(C:\Users\User\..\..\Links\ToRoot\)"}},
      {kDocuments, {R"(C:\Links\ToDocuments)", R"(C:\Users\User\My Documents)"}},
      {kProfile, {R"(C:\Links\ToProfile)", R"(C:\Users\User\Documents\..)"}},
      {kPictures, {}},
      {kDesktop, {}},
      {kRoaming, {}},
      {kWindows, {}},
  };
  return targets;
}

// Whether the primitives ask before emptying this folder (the others are guarded only
// against other programs' data).
bool IsAskedAbout(const std::string& folder) {
  return folder == kRoot || folder == kProfile || folder == kDocuments || folder == kPictures;
}

struct Case {
  std::string target;
  std::string spelling;
};

std::vector<Case> AllCases() {
  std::vector<Case> cases;
  for (const Target& target : Targets()) {
    for (const std::string& s : SpellingsOf(target.folder)) cases.push_back({target.folder, s});
    for (const std::string& s : target.links) cases.push_back({target.folder, s});
  }
  return cases;
}

class EscapeTest : public ::testing::Test {
 protected:
  // A Windows 7 machine with the user's folders, Windows 7's own "My Documents" junction,
  // links leading to the root, Documents and the profile, and a real log folder.
  void MakeImage(const std::string& clist, const std::string& morvel_dat,
                 const std::string& message_log_path) {
    fs::remove_all(dir);
    WriteFile(dir / "machine.ini", "[System]\r\nPlatform=NT\r\nVersion=6.1\r\n");
    std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n";
    if (!message_log_path.empty()) {
      std::string escaped;
      for (char c : message_log_path)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
      reg +=
          "[HKEY_CURRENT_USER\\Software\\Microsoft\\MSNMessenger\\PerPassportSettings\\"
          "1234]\r\n\"MessageLogPath\"=\"" +
          escaped + "\"\r\n\r\n";
    }
    WriteFile(dir / "registry.reg", reg);
    const fs::path drives = dir / "drives";
    for (const std::string& file : kPrecious) WriteFile(drives / file, "precious");
    WriteFile(drives / "C/Logs/chat.log", "hello");
    WriteFile(drives / "C/Users/User/Documents/My Received Files/photo.png", "received");
    const fs::path program = drives / "C/Program Files/Morvel";
    WriteFile(program / "settings.ini", "[Settings]\r\nAskForSweep=0\r\nFastScan=0\r\n");
    WriteFile(program / "Clist.dat", clist);
    WriteFile(program / "Morvel.dat", morvel_dat);
    fs::create_directories(drives / "C/Links");
    fs::create_directory_symlink("..", drives / "C/Links/ToRoot");
    fs::create_directory_symlink("../Users/User/Documents", drives / "C/Links/ToDocuments");
    fs::create_directory_symlink("../Users/User", drives / "C/Links/ToProfile");
    fs::create_directory_symlink("Documents", drives / "C/Users/User/My Documents");
  }

  struct RunResult {
    std::vector<std::string> lines;
    std::vector<std::string> asked;
  };

  // One command on a freshly opened machine, as the program runs it.
  // `hook` (when given) makes it one unattended pass, so that the hook sees the removal.
  // `opening` (when given) sees every file a held folder opens for SQLite, just before.
  RunResult Run(const std::string& key, bool clean, platform::Answer answer,
                platform::emulated::ListingHook hook = {},
                platform::emulated::OpeningHook opening = {}) {
    Answering questions(answer);
    auto machine = platform::emulated::EmulatedMachine::Open(dir);
    auto& files = dynamic_cast<platform::emulated::EmulatedFiles&>(machine->files());
    if (hook) files.SetListingHook(hook);
    if (opening) files.SetOpeningHook(opening);
    platform::Port port = platform::PortOf(*machine, questions);
    std::ostringstream out, err;
    const cli::Streams io{out, err, false};
    const int status =
        clean ? cli::CleanCommand(port, {key}, bool(hook), io) : cli::TestCommand(port, {key}, io);
    machine->Save();
    RunResult result;
    std::istringstream in(out.str());
    for (std::string l; std::getline(in, l);) result.lines.push_back(l);
    // A Clean that left something (a folder refused, a question answered No) says so in its
    // verified summary and its status.
    const bool left = std::any_of(result.lines.begin(), result.lines.end(), [](const auto& l) {
      return l.starts_with("Verified: ") && l != "Verified: nothing left.";
    });
    EXPECT_EQ(status, left ? 3 : 0) << err.str();
    result.asked = std::move(questions.asked);
    return result;
  }

  [[nodiscard]] std::vector<std::string> MissingPrecious() const {
    std::vector<std::string> missing;
    for (const std::string& file : kPrecious)
      if (!fs::exists(dir / "drives" / file)) missing.push_back(file);
    return missing;
  }

  // An image for the program's own items: the shipped Morvel.dat, the shell folders and the
  // program folders a real machine names in its registry; `machine_ini` is added to
  // machine.ini, after the [System] section of a Windows 7 or (`windows_98`) a Windows 98.
  void MakeProgramImage(const std::string& machine_ini = "", bool windows_98 = false) {
    const std::string morvel_dat =
        ::morvel::testing::ReadText(std::string(MORVEL_SOURCE_DIR) + "/data/Morvel.dat");
    MakeImage("", morvel_dat, "");
    WriteFile(dir / "machine.ini", std::string("[System]\r\n") +
                                       (windows_98 ? "Platform=9x\r\nVersion=4.10\r\n"
                                                   : "Platform=NT\r\nVersion=6.1\r\n") +
                                       machine_ini);
    WriteFile(dir / "registry.reg",
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
              "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"
              "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
              "Shell Folders]\r\n"
              "\"AppData\"=\"C:\\\\Users\\\\User\\\\AppData\\\\Roaming\"\r\n"
              "\"Local AppData\"=\"C:\\\\Users\\\\User\\\\AppData\\\\Local\"\r\n\r\n");
  }

  // The host folder of a folder of the image ("C:\Users\User" -> drives/C/Users/User).
  fs::path HostOf(std::string_view windows_folder) const {
    std::string rest(windows_folder.substr(3));
    std::replace(rest.begin(), rest.end(), '\\', '/');
    return dir / "drives" / "C" / rest;
  }

  // An index.dat of one table and one record, which a wipe would change.
  static std::string RealIndexDat() {
    std::string bytes(0x1000, '\0');
    const auto put32 = [&bytes](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
    };
    put32(28, 0x1000);
    put32(32, 0x100);
    bytes.replace(0x100, 4, "HASH");
    put32(0x104, 1);
    bytes.replace(0x200, 4, "URL ");
    bytes.replace(0x268, 12, "http://kept/");
    return bytes;
  }

  // How many "skipping" lines a run wrote.
  static std::size_t Skipped(const std::vector<std::string>& lines) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const auto& l) {
      return l.find(": skipping ") != std::string::npos;
    }));
  }

  // The entry lines of a run without their "Test: " or "Clean: ".
  static std::vector<std::string> Entries(const std::vector<std::string>& lines) {
    std::vector<std::string> entries;
    for (const std::string& line : lines) {
      const std::size_t at = line.find(": deleting ");
      if (at != std::string::npos) entries.push_back(line.substr(at + 2));
    }
    return entries;
  }

  morvel::testing::TempImage image{"escape"};
  const fs::path& dir = image.path();
};

// Through the user's own list, a folder the primitives guard is asked about whatever it
// is called; answered No, nothing at all changes. Answered Yes, Clean removes exactly
// what Test listed. Through Morvel.dat, another program's word, it is never even asked
// about: skipped with a line, answered Yes or not, in Test as in Clean.
TEST_F(EscapeTest, ListedFoldersAreAskedAboutHoweverSpelled) {
  for (const Case& c : AllCases()) {
    if (!IsAskedAbout(c.target)) continue;
    for (const bool by_morvel_dat : {false, true}) {
      SCOPED_TRACE((by_morvel_dat ? "Morvel.dat: " : "Clist.dat: ") + c.spelling);
      const std::string key =
          by_morvel_dat ? "Windows - Windows Log Files" : "Custom Lists - <New List>";
      const auto make = [&](const std::string& entries) {
        MakeImage(by_morvel_dat ? "" : "[<New List>]\r\n" + entries,
                  by_morvel_dat ? "[Windows Log Files]\r\n" + entries : "", "");
      };
      // The folder with everything in it, and its files by a mask that takes all.
      make("DelFile1=" + c.spelling + "\r\nDelFile2=" + c.spelling + ",*\r\n");
      const auto before = Snapshot(dir);
      const RunResult refused =
          Run(key, true, by_morvel_dat ? platform::Answer::Yes : platform::Answer::No);
      EXPECT_EQ(refused.asked.empty(), by_morvel_dat);
      EXPECT_TRUE(Snapshot(dir) == before) << "changed without a Yes";
      if (by_morvel_dat) {
        EXPECT_GE(Skipped(refused.lines), 1u);
        EXPECT_TRUE(Entries(Run(key, false, platform::Answer::Yes).lines).empty());
        continue;
      }

      make("DelFile1=" + c.spelling + "\r\n");
      const auto fresh = Snapshot(dir);
      const RunResult listed = Run(key, false, platform::Answer::No);
      EXPECT_TRUE(listed.asked.empty());
      EXPECT_TRUE(Snapshot(dir) == fresh) << "Test changed the image";
      const RunResult removed = Run(key, true, platform::Answer::Yes);
      // The first question is the folder's own; emptying a whole drive asks again on the
      // way, for Documents and My Pictures.
      EXPECT_FALSE(removed.asked.empty());
      EXPECT_FALSE(Entries(listed.lines).empty());
      EXPECT_EQ(Entries(removed.lines), Entries(listed.lines));
    }
  }
}

// Another program's word is not enough: MSN Messenger's log folder that is really a guarded
// folder is skipped with a line, asked or not and answered Yes or not, while My Received
// Files is still emptied.
TEST_F(EscapeTest, MessengerLogFolderNeverEmptiesGuardedFolders) {
  for (const Case& c : AllCases()) {
    SCOPED_TRACE(c.spelling);
    MakeImage("", "", c.spelling);
    const RunResult run = Run("Instant Messengers - MSN Messenger", true, platform::Answer::Yes);
    EXPECT_EQ(MissingPrecious(), std::vector<std::string>{});
    EXPECT_TRUE(run.asked.empty());
    bool skipped = false;
    for (const std::string& line : run.lines)
      skipped = skipped || line.starts_with("Clean: skipping " + c.spelling);
    EXPECT_TRUE(skipped);
    EXPECT_FALSE(fs::exists(dir / "drives/C/Users/User/Documents/My Received Files/photo.png"));
  }
}

// The guard stops at what it guards: a real log folder, and one inside Documents, are
// emptied as before.
TEST_F(EscapeTest, RealLogFoldersAreStillEmptied) {
  for (const std::string& log : {std::string(R"(C:\Logs)"), std::string(R"(c:\logs\.)"),
                                 std::string(R"(C:\Users\User\Documents\My Received Files)")}) {
    SCOPED_TRACE(log);
    MakeImage("", "", log);
    const RunResult run = Run("Instant Messengers - MSN Messenger", true, platform::Answer::No);
    EXPECT_TRUE(run.asked.empty());
    const bool logs_named = SameText(log.substr(0, 7), R"(C:\Logs)");
    EXPECT_EQ(fs::exists(dir / "drives/C/Logs/chat.log"), !logs_named);
    EXPECT_FALSE(fs::exists(dir / "drives/C/Users/User/Documents/My Received Files/photo.png"));
    EXPECT_TRUE(fs::exists(dir / "drives/C/Users/User/Documents/My Received Files"));
    EXPECT_EQ(MissingPrecious(), std::vector<std::string>{});
  }
}

// Spellings made at random from the rules above, mixed, always lead to the question for
// the folder they name; answered No, the drive and Documents stay whole.
TEST_F(EscapeTest, RandomSpellingsOfGuardedFoldersNeverPassUnasked) {
  std::mt19937 random(20261207);
  const auto pick = [&random](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  const std::vector<std::string> separators = {"\\", "/", "\\\\", "\\.\\", "/./", "\\Users\\..\\"};
  const std::vector<std::string> tails = {"", ".", " ", ". .", "\\", "\\.", "/"};
  // After a drive or share name only a separator keeps the path absolute: "C:." is C:'s
  // current folder.
  const std::vector<std::string> root_tails = {"\\", "/", "\\.", "\\Windows\\..", "/./"};
  for (int round = 0; round < 60; ++round) {
    const bool documents = round % 2 == 1;
    std::string spelling =
        pick({"C:", "c:", "\\\\.\\C:", "\\\\localhost\\c$", "\\\\127.0.0.1\\C$"});
    if (documents) {
      for (const char* name : {"users", "USER", "Documents"}) {
        spelling += pick(separators);
        spelling += name;
        spelling += pick({"", ".", " "});
      }
    }
    spelling += pick(documents ? tails : root_tails);
    SCOPED_TRACE(spelling);
    MakeImage("[<New List>]\r\nDelFile1=" + spelling + "\r\n", "", "");
    const auto before = Snapshot(dir);
    const RunResult run = Run("Custom Lists - <New List>", true, platform::Answer::No);
    EXPECT_TRUE(Snapshot(dir) == before);
    EXPECT_EQ(run.asked.size(), 1u);
  }
}

// Folders that come from the program (built-in places, Morvel.dat, messenger folders, the
// browsers'), each replaced by a link to each guarded folder: the item takes nothing there,
// asks nothing, and the drives stay byte for byte as they were, answered Yes or No.
TEST_F(EscapeTest, NoProgramFolderLeadsIntoTheUsersFolders) {
  struct Door {
    const char* key;
    const char* folder;  // below drives/, replaced by the link
  };
  const Door doors[] = {
      {"Windows - Temporary Files", "C/Users/User/AppData/Local/Temp"},
      {"Windows - Recent Documents", "C/Users/User/AppData/Roaming/Microsoft/Windows/Recent"},
      {"Windows - Memory Dumps", "C/Windows/MiniDump"},
      {"Applications - VLC media player", "C/Users/User/AppData/Roaming/vlc/art"},
      {"Instant Messengers - MSN Messenger", "C/Users/User/Documents/My Received Files"},
      {"Instant Messengers - Yahoo! Messenger", "C/Program Files/Yahoo!/Messenger/Profiles"},
      {"Instant Messengers - Skype", "C/Users/User/AppData/Roaming/Skype"},
      {"Internet Explorer - Cookies", "C/Users/User/AppData/Roaming/Microsoft/Windows/Cookies"},
      {"Internet Explorer - Temporary Internet Files",
       "C/Users/User/AppData/Local/Microsoft/Windows/Temporary Internet Files"},
      {"Google Chrome - Temporary Internet Files",
       "C/Users/User/AppData/Local/Google/Chrome/User Data/Default/Cache"},
      {"Mozilla Firefox - Cookies", "C/Users/User/AppData/Roaming/Mozilla/Firefox/Profiles"},
  };
  const fs::path drives = dir / "drives";
  // Yes to anything asked: nothing may be asked at all, so No would only repeat the run.
  for (const Door& door : doors) {
    for (const Target& target : Targets()) {
      SCOPED_TRACE(std::string(door.key) + " -> " + target.folder);
      MakeProgramImage();
      const fs::path link = drives / door.folder;
      fs::remove_all(link);
      fs::create_directories(link.parent_path());
      fs::create_directory_symlink(HostOf(target.folder), link);
      const auto before = Snapshot(drives);
      const RunResult run = Run(door.key, true, platform::Answer::Yes);
      EXPECT_TRUE(run.asked.empty());
      EXPECT_TRUE(Snapshot(drives) == before);
    }
  }
}

// A folder the system names that is one of the guarded folders (GetTempPath gives whatever
// TMP says, and falls back to the profile when TMP and TEMP are unset; a shell folder is
// whatever its registry value says), or a folder Windows, the programs or Morvel run from,
// is never emptied either: the item takes nothing there and asks nothing.
TEST_F(EscapeTest, FoldersTheSystemNamesAreLeftAloneWhereTheyAreGuarded) {
  struct Door {
    const char* folder;  // its [Folders] key
    const char* key;
  };
  const Door doors[] = {
      {"Temp", "Windows - Temporary Files"},
      {"Recent", "Windows - Recent Documents"},
      {"Cookies", "Internet Explorer - Cookies"},
      {"InternetCache", "Internet Explorer - Temporary Internet Files"},
      {"History", "Internet Explorer - Visited URL History"},
  };
  std::vector<std::string> guarded = {kSystem32,
                                      kProgramFiles,
                                      kMorvelFolder,
                                      R"(C:\ProgramData)",
                                      R"(C:\Users\Public)",
                                      R"(C:\Users\User\AppData\LocalLow)",
                                      R"(C:\Program Files\Common Files)"};
  for (const Target& target : Targets()) guarded.emplace_back(target.folder);
  for (const Door& door : doors) {
    for (const std::string& folder : guarded) {
      SCOPED_TRACE(std::string(door.key) + " -> " + folder);
      MakeProgramImage("[Folders]\r\n" + std::string(door.folder) + "=" + folder + "\r\n");
      const auto before = Snapshot(dir / "drives");
      const RunResult run = Run(door.key, true, platform::Answer::Yes);
      EXPECT_TRUE(run.asked.empty());
      EXPECT_TRUE(Snapshot(dir / "drives") == before) << ::testing::PrintToString(run.lines);
      if (door.folder == std::string_view("Temp")) {
        EXPECT_EQ(Skipped(run.lines), 1u);
      }
    }
  }
}

// Entries cut by a zero byte or holding another control character name nothing a user can
// type: the run skips each with a line, and the key or folder before the cut keeps every
// value and file, through the user's list as through Morvel.dat.
TEST_F(EscapeTest, EntriesThatAreNotTextAreNeverCarriedOut) {
  using namespace std::string_literals;
  const std::string entries[] = {
      "DelRegValue1=HKEY_CURRENT_USER\\Software\\RT4Leaf\0\\SomethingElse"s,
      "DelRegValue1=HKEY_CURRENT_USER\\Software\\RT4Leaf\0,"s,
      "DelRegValue1=HKEY_CURRENT_USER\\Software\\RT4Leaf\x01"s,
      "DelFile1=C:\\RT4\\Keep\0\\Old"s,
      "DelFile1=C:\\RT4\\Keep\0,*.*"s,
      "DelFile1=C:\\RT4\\Keep\t\\Old"s,
  };
  for (const std::string& entry : entries) {
    for (const bool by_morvel_dat : {false, true}) {
      SCOPED_TRACE(::testing::PrintToString(entry) + (by_morvel_dat ? " in Morvel.dat" : ""));
      MakeImage(by_morvel_dat ? "" : "[<New List>]\r\n" + entry + "\r\n",
                by_morvel_dat ? "[Windows Log Files]\r\n" + entry + "\r\n" : "", "");
      WriteFile(dir / "registry.reg",
                "Windows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\RT4Leaf]\r\n\"a\"=\"1\"\r\n\r\n"
                "[HKEY_CURRENT_USER\\Software\\RT4Leaf\\Sub]\r\n\"b\"=\"2\"\r\n\r\n");
      WriteFile(dir / "drives/C/RT4/Keep/kept.txt", "kept");
      WriteFile(dir / "drives/C/RT4/Keep/Old/old.txt", "kept too");
      const auto before = Snapshot(dir);
      const RunResult run =
          Run(by_morvel_dat ? "Windows - Windows Log Files" : "Custom Lists - <New List>", true,
              platform::Answer::Yes);
      EXPECT_TRUE(Snapshot(dir) == before);
      EXPECT_TRUE(run.asked.empty());
      ASSERT_EQ(Skipped(run.lines), 1u) << ::testing::PrintToString(run.lines);
    }
  }
}

// The demo writes only into a new or empty folder or over an earlier demo image, which it
// clears whole first; a folder holding anything else, or a link in the image's place, is
// refused with a line before anything is written, and nothing a link leads to changes.
TEST_F(EscapeTest, TheDemoWritesOnlyIntoItsOwnFolder) {
  const fs::path morvel_dat = fs::path(MORVEL_SOURCE_DIR) / "data" / "Morvel.dat";
  const fs::path outside = dir / "outside";
  const fs::path image_dir = dir / "image";
  fs::path spelled = image_dir;  // as the command line names it
  const auto write_demo = [&] { cli::WriteDemoImage(spelled, morvel_dat); };
  struct Case {
    const char* what;
    std::function<void()> arrange;
    bool refused;
  };
  const Case cases[] = {
      {"a new folder", [] {}, false},
      {"an empty folder", [&] { fs::create_directories(image_dir); }, false},
      {"an earlier demo image", write_demo, false},
      {"an earlier demo image with a link among its folders",
       [&] {
         write_demo();
         const fs::path temp = image_dir / "drives/C/Users/User/AppData/Local/Temp";
         fs::remove_all(temp);
         fs::create_directory_symlink(outside, temp);
       },
       false},
      {"a folder of the user's", [&] { WriteFile(image_dir / "registry.reg", "mine"); }, true},
      {"a link to a file in the image's place",
       [&] {
         fs::create_directories(image_dir);
         fs::create_symlink(outside / "keep.txt", image_dir / "machine.ini");
       },
       true},
      {"a link in the folder's place", [&] { fs::create_directory_symlink(outside, image_dir); },
       true},
      {"a link in the folder's place, named with a trailing separator",
       [&] {
         fs::create_directory_symlink(outside, image_dir);
         spelled = image_dir.string() + "/";
       },
       true},
      {"an earlier demo image with a file of the user's",
       [&] {
         write_demo();
         WriteFile(image_dir / "notes.txt", "mine");
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    spelled = image_dir;
    fs::remove_all(image_dir);
    fs::remove_all(outside);
    WriteFile(outside / "keep.txt", "precious");
    c.arrange();
    const auto outside_before = Snapshot(outside);
    const auto before = fs::exists(fs::symlink_status(image_dir)) && !fs::is_symlink(image_dir)
                            ? Snapshot(image_dir)
                            : std::map<std::string, std::string>{};
    std::string error;
    try {
      write_demo();
    } catch (const std::runtime_error& e) {
      error = e.what();
    }
    EXPECT_TRUE(Snapshot(outside) == outside_before);
    if (c.refused) {
      EXPECT_NE(error.find("the demo writes only into a new or empty folder"), std::string::npos)
          << error;
      if (!fs::is_symlink(image_dir)) {
        EXPECT_TRUE(Snapshot(image_dir) == before);
      }
    } else {
      EXPECT_EQ(error, "");
      EXPECT_TRUE(fs::is_regular_file(image_dir / "registry.reg"));
      EXPECT_TRUE(fs::is_directory(
          fs::symlink_status(image_dir / "drives/C/Users/User/AppData/Local/Temp")));
    }
  }
}

// A sub-folder swapped for a link to Documents between the listing of its parent and its
// turn (the machine lets the test in right after the listing) is not entered: the scan
// says so and goes on, and Documents keeps every file.
TEST_F(EscapeTest, AFolderSwappedForALinkWhileTheScanRunsIsNotEntered) {
  MakeProgramImage();
  const fs::path temp = dir / "drives/C/Users/User/AppData/Local/Temp";
  for (const char* file : {"aaa/1.tmp", "aaa/2.tmp", "zzz/3.tmp"}) WriteFile(temp / file, "tmp");
  bool swapped = false;
  const RunResult run =
      Run("Windows - Temporary Files", true, platform::Answer::Yes, [&](std::string_view folder) {
        if (swapped || folder != R"(C:\Users\User\AppData\Local\Temp)") return;
        swapped = true;
        fs::remove_all(temp / "zzz");
        fs::create_directory_symlink(HostOf(kDocuments), temp / "zzz");
      });
  EXPECT_TRUE(swapped);
  EXPECT_EQ(MissingPrecious(), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(temp / "aaa"));
  EXPECT_TRUE(fs::is_symlink(temp / "zzz"));
  EXPECT_NE(
      std::find(
          run.lines.begin(), run.lines.end(),
          R"(Clean: skipping C:\Users\User\AppData\Local\Temp\zzz\: a link is never followed)"),
      run.lines.end())
      << ::testing::PrintToString(run.lines);
}

// A browser's profile exchanged for a link to a folder of the user's between the listing of
// the profiles and the visit (the machine lets the test in right after the listing, as a
// program renaming in a loop could): the item enters no link, so the files and the
// database that the link leads to keep every byte and row, cache, masks and history alike.
TEST_F(EscapeTest, AProfileExchangedForALinkAfterItsListingLeadsNowhere) {
  const std::string roaming = R"(C:\Users\User\AppData\Roaming)";
  struct Door {
    const char* key;
    std::string parent;       // the folder whose listing names the profile
    const char* profile;      // its name there
    const char* inside;       // a file of the profile the item would take, below it
    const char* victim_file;  // the user's file of the same place below the link's target
    int listing = 1;          // the listing of `parent` after which the profile is exchanged
  };
  const Door doors[] = {
      {"Mozilla Firefox - Temporary Internet Files", roaming + R"(\Mozilla\Firefox\Profiles)",
       "abc.default", "Cache/entry", "Cache/2019/IMG_0001.CR2"},
      // The second listing: the database step's own, after the sweep of "history.dat".
      {"Mozilla Firefox - Visited URL History", roaming + R"(\Mozilla\Firefox\Profiles)",
       "abc.default", "history.dat", "places.sqlite", 2},
      {"Opera - Temporary Internet Files", roaming + R"(\Opera)", "Opera", "profile/cache4/entry",
       "profile/cache4/IMG_0002.CR2"},
      {"Netscape - Preferences", roaming + R"(\Netscape\NSB\Profiles)", "xyz.default", "prefs.js",
       "prefs.js"},
      {"Netscape - Cookies", roaming + R"(\Netscape\NSB\Profiles)", "xyz.default", "cookies.txt",
       "cookies-2019.txt"},
  };
  for (const Door& door : doors) {
    SCOPED_TRACE(door.key);
    MakeProgramImage();
    const fs::path profile = HostOf(door.parent) / door.profile;
    WriteFile(profile / door.inside, "trace");
    const fs::path victim = dir / "drives/C/Photos";
    WriteFile(victim / door.victim_file, "precious");
    const bool database = std::string_view(door.victim_file) == "places.sqlite";
    if (database) {
      fs::remove(victim / door.victim_file);
      stores::TSQLiteDatabase db((victim / door.victim_file).string());
      for (const char* sql : {"CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY)",
                              "INSERT INTO moz_historyvisits VALUES (1), (2), (3)"})
        db.RunStatement(sql);
      WriteFile(profile / "places.sqlite", "");
    }
    const auto before = Snapshot(victim);
    bool exchanged = false;
    int listings = 0;
    const RunResult run = Run(door.key, true, platform::Answer::Yes, [&](std::string_view listed) {
      if (exchanged || !SameText(listed, door.parent) || ++listings < door.listing) return;
      exchanged = true;
      fs::rename(profile, profile.string() + ".moved");
      fs::create_directory_symlink(victim, profile);
    });
    EXPECT_TRUE(exchanged);
    EXPECT_TRUE(run.asked.empty());
    EXPECT_TRUE(Snapshot(victim) == before) << ::testing::PrintToString(run.lines);
    if (database) {
      stores::TSQLiteDatabase db((victim / door.victim_file).string());
      EXPECT_EQ(db.QueryTable("SELECT 1 FROM moz_historyvisits")->RowCount(), 3u);
    }
    EXPECT_EQ(MissingPrecious(), std::vector<std::string>{});
  }
}

// Files a cleaner writes in place, made a link to, or another name of, a file of the user's:
// the index.dat wipe, on Windows 98 the renames added to Wininit.ini, and a browser
// database's journal, which is made another name of the user's file at the very moment
// SQLite makes it (the machine lets the test in just before the file is opened). The
// user's files keep every byte, and so does the database.
TEST_F(EscapeTest, FilesWrittenInPlaceAreNeverTheUsersFiles) {
  const std::string index = "C/Users/User/AppData/Roaming/Microsoft/Windows/Cookies/index.dat";
  const std::string profile = "C/Users/User/AppData/Roaming/Mozilla/Firefox/Profiles/x.default";
  const std::string journal = profile + "/places.sqlite-journal";
  constexpr const char* kIndexDat = "Internet Explorer - Index.dat Files";
  constexpr const char* kHistory = "Mozilla Firefox - Visited URL History";
  struct Door {
    const char* file;    // below drives/: the link or second name
    const char* target;  // below drives/: the user's file
    const char* key;
    bool windows_98;
    bool at_opening;  // put there as the file is about to be opened, not before the run
  };
  const Door doors[] = {
      {index.c_str(), "C/Users/User/Documents/Backup/index.dat", kIndexDat, false, false},
      {index.c_str(), "C/Users/User/Documents/Backup/index.dat", kIndexDat, true, false},
      {"C/Windows/Wininit.ini", "C/Users/User/Documents/thesis.doc", kIndexDat, true, false},
      {journal.c_str(), "C/Users/User/Documents/thesis.doc", kHistory, false, true},
  };
  const fs::path drives = dir / "drives";
  for (const Door& door : doors) {
    for (const bool hard : {false, true}) {
      SCOPED_TRACE(std::string(door.file) + (hard ? " (another name)" : " (a link)"));
      MakeProgramImage("", door.windows_98);
      WriteFile(drives / "C/Users/User/Documents/Backup/index.dat", RealIndexDat());
      {
        fs::create_directories(drives / profile);
        stores::TSQLiteDatabase places((drives / profile / "places.sqlite").string());
        places.RunStatement("CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY)");
        places.RunStatement("INSERT INTO moz_historyvisits VALUES (1), (2)");
      }
      const auto plant = [&] {
        fs::create_directories((drives / door.file).parent_path());
        if (hard)
          fs::create_hard_link(drives / door.target, drives / door.file);
        else
          fs::create_symlink(drives / door.target, drives / door.file);
      };
      const std::string name = fs::path(door.file).filename().string();
      bool planted = false;
      if (!door.at_opening) plant();
      const auto before = Snapshot(drives / "C/Users/User/Documents");
      const std::string places = (drives / profile / "places.sqlite").string();
      const std::string database = ::morvel::testing::ReadText(places);
      const RunResult run = Run(door.key, true, platform::Answer::Yes, {},
                                [&](std::string_view, std::string_view opened) {
                                  if (!door.at_opening || planted || opened != name) return;
                                  planted = true;
                                  plant();
                                });
      EXPECT_EQ(planted, door.at_opening);
      EXPECT_TRUE(Snapshot(drives / "C/Users/User/Documents") == before);
      EXPECT_EQ(::morvel::testing::ReadText(places), database);
      EXPECT_GE(Skipped(run.lines), 1u) << ::testing::PrintToString(run.lines);
    }
  }
}

// A day folder of the history exchanged for a link to a folder of the user's once the wipe
// of the indexes has entered and listed it: the index is written in the folder that was
// entered, never through a path the link now redirects, so the user's index.dat keeps
// every byte.
TEST_F(EscapeTest, AnIndexFolderExchangedForALinkAfterItWasEnteredIsNotWrittenThrough) {
  MakeProgramImage();
  const std::string day =
      R"(C:\Users\User\AppData\Local\Microsoft\Windows\History\History.IE5\MSHist012019)";
  const fs::path entered = HostOf(day);
  const fs::path moved = entered.string() + ".moved";
  const fs::path users = dir / "drives/C/Users/User/Documents/Backup";
  WriteFile(entered / "index.dat", RealIndexDat());
  WriteFile(users / "index.dat", RealIndexDat());
  int listings = 0;
  bool exchanged = false;
  const RunResult run = Run("Internet Explorer - Visited URL History", true, platform::Answer::Yes,
                            [&](std::string_view listed) {
                              // The day folders' sweep lists it first, the wipe of the indexes
                              // second.
                              if (exchanged || !SameText(listed, day) || ++listings < 2) return;
                              exchanged = true;
                              fs::rename(entered, moved);
                              fs::create_directory_symlink(users, entered);
                            });
  EXPECT_TRUE(exchanged);
  // Compared whole, not printed: 4 KB of bytes say nothing in a failure.
  EXPECT_TRUE(::morvel::testing::ReadText((users / "index.dat").string()) == RealIndexDat())
      << ::testing::PrintToString(run.lines);
  EXPECT_FALSE(::morvel::testing::ReadText((moved / "index.dat").string()) == RealIndexDat());
  EXPECT_EQ(MissingPrecious(), std::vector<std::string>{});
}

}  // namespace
}  // namespace morvel::escape_test
