// The built-in cleaners of Windows, Advanced, Microsoft Office and the messengers on the
// demo image. A Test run of every item of the four categories must write exactly the
// checked-in log (golden/system_cleaners_test.log; set MORVEL_UPDATE_GOLDEN=1 to rewrite
// it, then review the difference). A Clean must remove exactly what the Test listed and
// nothing else, and a second Test must find nothing left.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "demo/image.h"
#include "engine/catalogue.h"
#include "platform/emulated/machine.h"
#include "tests/cli/image_snapshot.h"
#include "tests/unit/temp_image.h"

namespace morvel::cli {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const fs::path kGolden =
    fs::path(MORVEL_SOURCE_DIR) / "tests" / "cli" / "golden" / "system_cleaners_test.log";

class Answers final : public platform::UserQuestions {
 public:
  platform::Answer Ask(const platform::Question& question) override {
    asked.emplace_back(question.text);
    return platform::Answer::Yes;
  }
  Lines asked;
};

// Every item of the four categories, in the catalogue's tree order.
std::vector<std::string> SystemItemKeys() {
  const std::set<std::string> roots = {"Windows", "Advanced", "Microsoft Office",
                                       "Instant Messengers"};
  std::vector<std::string> keys;
  const Catalogue catalogue = Catalogue::Fixed();
  for (const CatalogueRoot& root : catalogue.roots())
    if (roots.count(root.text))
      for (const CatalogueLeaf& leaf : root.children) keys.push_back(ItemKey(root.text, leaf.text));
  return keys;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A readable difference: the changed lines with two lines of context, "-" for the
// expected (golden) side and "+" for what the run wrote, numbered as in the golden file.
std::string Diff(const Lines& expected, const Lines& actual) {
  const std::size_t n = expected.size(), m = actual.size();
  std::vector<std::vector<int>> common(n + 1, std::vector<int>(m + 1, 0));
  for (std::size_t i = n; i-- > 0;)
    for (std::size_t j = m; j-- > 0;)
      common[i][j] = expected[i] == actual[j] ? common[i + 1][j + 1] + 1
                                              : std::max(common[i + 1][j], common[i][j + 1]);
  struct Op {
    char kind;
    std::size_t line;  // in the golden file (for "+", the line it comes before)
    std::string text;
  };
  std::vector<Op> ops;
  std::size_t i = 0, j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && expected[i] == actual[j]) {
      ops.push_back({' ', i + 1, expected[i]});
      ++i, ++j;
    } else if (i < n && (j == m || common[i + 1][j] >= common[i][j + 1])) {
      ops.push_back({'-', i + 1, expected[i++]});
    } else {
      ops.push_back({'+', i + 1, actual[j++]});
    }
  }
  std::string out;
  std::size_t shown_up_to = 0;
  for (std::size_t k = 0; k < ops.size(); ++k) {
    if (ops[k].kind == ' ') continue;
    const std::size_t from = std::max(k, shown_up_to + 2) - 2;
    if (from > shown_up_to || shown_up_to == 0)
      out += "@@ golden line " + std::to_string(ops[from].line) + "\n";
    for (std::size_t c = std::max(from, shown_up_to); c <= std::min(k + 2, ops.size() - 1); ++c) {
      out += ops[c].kind;
      out += ' ' + ops[c].text + '\n';
      shown_up_to = c + 1;
    }
  }
  return out;
}

// One item of a run's log: its entry lines (log prefix removed) and its count.
struct ItemLog {
  Lines entries;
  long count = -1;
};

struct RunLog {
  std::vector<std::string> keys;  // in log order
  std::map<std::string, ItemLog> items;
};

RunLog ParseRun(const Lines& lines, const std::string& prefix) {
  RunLog run;
  ItemLog* item = nullptr;
  const std::string header = prefix + "Clearing ";
  for (const std::string& line : lines) {
    if (line.rfind(header, 0) == 0 && line.ends_with(" ...")) {
      const std::string key = line.substr(header.size(), line.size() - header.size() - 4);
      run.keys.push_back(key);
      item = &run.items[key];
    } else if (item && line.find(" items ") != std::string::npos) {
      item->count = std::stol(line);
      item = nullptr;
    } else if (item && !line.empty()) {
      item->entries.push_back(line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : line);
    }
  }
  return run;
}

const std::string kFileEntry = "deleting ";
const std::string kKeyEntry = "deleting registry key ";
const std::string kValueEntry = "deleting registry value ";

// Every key ("K ROOT\path") and value ("V ROOT\path\name") of the two hives.
std::set<std::string> RegistryEntries(const platform::Registry& registry) {
  std::set<std::string> entries;
  const std::pair<platform::RootKey, std::string> roots[] = {
      {platform::RootKey::CurrentUser, "HKEY_CURRENT_USER"},
      {platform::RootKey::LocalMachine, "HKEY_LOCAL_MACHINE"}};
  for (const auto& [root, name] : roots) {
    std::vector<std::string> pending = {""};
    while (!pending.empty()) {
      const std::string path = pending.back();
      pending.pop_back();
      const std::string full = path.empty() ? name : name + "\\" + path;
      if (!path.empty()) entries.insert("K " + Upper(full));
      if (const auto values = registry.Values(root, path))
        for (const auto& value : values.value)
          entries.insert("V " + Upper(full + "\\" + value.name));
      if (const auto subs = registry.SubKeyNames(root, path))
        for (const std::string& sub : subs.value)
          pending.push_back(path.empty() ? sub : path + "\\" + sub);
    }
  }
  return entries;
}

class SystemCleaners : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = temp_.path();
    WriteDemoImage(dir, fs::path(MORVEL_SOURCE_DIR) / "data" / "Morvel.dat");
  }

  // One command on a freshly opened machine, as the program runs it; its log lines.
  Lines Run(bool clean) {
    auto machine = platform::emulated::EmulatedMachine::Open(dir);
    platform::Port port = platform::PortOf(*machine, answers);
    std::ostringstream out, err;
    const Streams io{out, err, false};
    const int status = clean ? CleanCommand(port, keys, false, io) : TestCommand(port, keys, io);
    EXPECT_EQ(status, 0) << err.str();
    machine->Save();
    return SplitLines(out.str());
  }

  std::set<std::string> Registry() {
    return RegistryEntries(platform::emulated::EmulatedMachine::Open(dir)->registry());
  }

  fs::path dir;

  ::morvel::testing::TempImage temp_{"system"};  // unique per process: fixtures run in parallel
  const std::vector<std::string> keys = SystemItemKeys();
  Answers answers;
};

TEST_F(SystemCleaners, TestRunWritesTheGoldenLogAndChangesNothing) {
  ASSERT_EQ(keys.size(), 28u);
  const auto before = morvel::testing::Snapshot(dir);
  const Lines log = Run(false);
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(morvel::testing::Snapshot(dir), before);

  if (std::getenv("MORVEL_UPDATE_GOLDEN")) {
    fs::create_directories(kGolden.parent_path());
    std::ofstream out(kGolden, std::ios::binary | std::ios::trunc);
    for (const std::string& line : log) out << line << '\n';
    ASSERT_TRUE(out.good()) << "cannot write " << kGolden;
  }
  std::ifstream in(kGolden, std::ios::binary);
  ASSERT_TRUE(in) << "missing " << kGolden << " (MORVEL_UPDATE_GOLDEN=1 writes it)";
  const Lines golden = SplitLines(std::string(std::istreambuf_iterator<char>(in), {}));
  EXPECT_TRUE(log == golden) << "the log differs from " << kGolden << ":\n" << Diff(golden, log);
}

TEST_F(SystemCleaners, CleanRemovesWhatTestListedAndNothingElse) {
  const auto files_before = morvel::testing::Snapshot(dir);
  const auto registry_before = Registry();
  const RunLog test = ParseRun(Run(false), "Test: ");
  const RunLog clean = ParseRun(Run(true), "Clean: ");
  EXPECT_EQ(answers.asked.size(), 1u);  // the confirmation, nothing else
  ASSERT_EQ(test.keys, keys);
  ASSERT_EQ(clean.keys, keys);

  // Clean lists and counts what the Test did, less what an earlier item already took
  // (Office's "Recent Files" comes after the items that take one kind of its files).
  std::set<std::string> taken;
  std::set<std::string> listed_files, listed_keys, listed_values;
  for (const std::string& key : keys) {
    const ItemLog& found = test.items.at(key);
    Lines expected;
    for (const std::string& entry : found.entries)
      if (!taken.count(Upper(entry))) expected.push_back(entry);
    EXPECT_EQ(clean.items.at(key).entries, expected) << key;
    EXPECT_EQ(clean.items.at(key).count,
              found.count - static_cast<long>(found.entries.size() - expected.size()))
        << key;
    for (const std::string& entry : found.entries) {
      taken.insert(Upper(entry));
      if (entry.rfind(kKeyEntry, 0) == 0)
        listed_keys.insert(Upper(entry.substr(kKeyEntry.size())));
      else if (entry.rfind(kValueEntry, 0) == 0)
        listed_values.insert(Upper(entry.substr(kValueEntry.size())));
      else if (entry.rfind(kFileEntry, 0) == 0)
        listed_files.insert(Upper(entry.substr(kFileEntry.size())));
      else
        ADD_FAILURE() << key << ": unexpected line " << entry;
    }
  }

  // Files: gone exactly when listed, apart from what the shell empties from the fixed
  // disks' bins, and the clipboard. Nothing that stays was changed.
  const auto files_after = morvel::testing::Snapshot(dir);
  std::set<std::string> gone;
  for (const auto& [file, bytes] : files_before) {
    const auto after = files_after.find(file);
    if (after != files_after.end()) {
      if (file != "registry.reg") {
        EXPECT_EQ(after->second, bytes) << file;
      }
      continue;
    }
    if (file == fs::path("stores/clipboard.txt").string()) continue;
    std::string windows = Upper(file.substr(std::string("drives/").size()));
    windows.insert(1, ":");
    std::replace(windows.begin(), windows.end(), '/', '\\');
    gone.insert(windows);
    const bool shell_bin =
        windows.rfind("C:\\$RECYCLE.BIN\\", 0) == 0 || windows.rfind("D:\\RECYCLED\\", 0) == 0;
    EXPECT_TRUE(listed_files.count(windows) || shell_bin) << "removed, never listed: " << file;
  }
  for (const std::string& file : listed_files)
    EXPECT_TRUE(gone.count(file)) << "listed, still there: " << file;
  EXPECT_FALSE(files_after.count("stores/clipboard.txt"));

  // Registry: an entry is gone exactly when it or a key above it was listed.
  const auto registry_after = Registry();
  const auto under_listed_key = [&](const std::string& path) {
    for (const std::string& k : listed_keys)
      if (path == k || path.rfind(k + "\\", 0) == 0) return true;
    return false;
  };
  for (const std::string& entry : registry_before) {
    const std::string path = entry.substr(2);
    const bool listed = under_listed_key(path) || (entry[0] == 'V' && listed_values.count(path));
    EXPECT_EQ(registry_after.count(entry) == 0, listed) << entry;
  }
  for (const std::string& k : listed_keys) EXPECT_TRUE(registry_before.count("K " + k)) << k;
  for (const std::string& v : listed_values) EXPECT_TRUE(registry_before.count("V " + v)) << v;

  // What the cleaners must keep, named once more so that a golden log that lists it
  // cannot pass unnoticed.
  const fs::path c = dir / "drives" / "C";
  const fs::path user = c / "Users" / "User";
  for (const fs::path& kept : {
           user / "AppData/Roaming/Microsoft/Windows/Recent/AutomaticDestinations",
           user / "AppData/Local/Temp",
           c / "Windows/Minidump/Saved/090126-12001-01.dmp",
           c / "Windows/system32/chkdsk.exe",
           c / "Windows/system32/drivers/etc/hosts",
           dir / "drives/D/Data/projects.xlsx",
           dir / "drives/D/Recycled/desktop.ini",
           dir / "drives/E/Recycled/De1.txt",
           dir / "drives/E/Recycled/INFO2",
           user / "Documents/Chat Logs/ben/anna_example1122334455.xml",
           user / "Documents/Chat Logs/anna",
           user / "Documents/My Received Files",
           c / "Program Files/Yahoo!/Messenger/YahooMessenger.exe",
           c / "Program Files/Yahoo!/Messenger/IMVCache",
           c / "Program Files/Yahoo!/Messenger/Profiles",
           user / "AppData/Roaming/Skype/anna.smith/main.db",
           user / "AppData/Roaming/Skype/anna.smith/config.xml",
       })
    EXPECT_TRUE(fs::exists(kept)) << kept;
  const std::string cu = "V HKEY_CURRENT_USER\\SOFTWARE\\";
  const std::string explorer = cu + "MICROSOFT\\WINDOWS\\CURRENTVERSION\\EXPLORER\\";
  for (const std::string& kept : {
           cu + "MICROSOFT\\SEARCH ASSISTANT\\SOCIALUI",
           explorer + "COMDLG32\\LASTVISITEDMRU\\MRULIST",
           explorer + "TRAYNOTIFY\\LASTADVERTISEMENT",
           explorer + "USERASSIST\\{5E6AB780-7743-11CF-A12B-00AA004AE837}\\VERSION",
           explorer + "USERASSIST\\{75048700-EF1F-11D0-9888-006097DEACF9}\\VERSION",
           cu + "MICROSOFT\\WINDOWS\\CURRENTVERSION\\APPLETS\\PAINT\\VIEW\\SHOWTHUMBNAIL",
           cu + "YAHOO\\COMPANION\\VERSION",
           cu + "MICROSOFT\\OFFICE\\12.0\\ACCESS\\SECURITY\\VBAWARNINGS",
           cu + "MICROSOFT\\OFFICE\\11.0\\POWERPOINT\\OPTIONS\\AUTORECOVERTIME",
           cu + "MICROSOFT\\OFFICE\\11.0\\WORD\\DATA\\TOOLBARS",
           cu + "MICROSOFT\\OFFICE\\12.0\\WORD\\DATA\\TOOLBARS",
           cu + "MICROSOFT\\OFFICE\\14.0\\EXCEL\\FILE MRU\\ITEM 1",
           cu + "MICROSOFT\\FRONTPAGE\\EXPLORER\\FRONTPAGE EXPLORER\\SETTINGS\\SHOWHIDDENFILES",
           cu + "MICROSOFT\\MSNMESSENGER\\PERPASSPORTSETTINGS\\3816502247\\MESSAGELOGPATH",
       })
    EXPECT_TRUE(registry_after.count(kept)) << kept;

  // Nothing is left to find.
  const RunLog again = ParseRun(Run(false), "Test: ");
  for (const std::string& key : keys) EXPECT_EQ(again.items.at(key).count, 0) << key;
}

}  // namespace
}  // namespace morvel::cli
