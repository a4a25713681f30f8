// A Clean that leaves things behind, on both machines, through the command line's own
// commands: each thing left for its own reason reaches the verified summary after the log,
// the run report and the exit status; the Test before it reports what would go; and once
// the held and denied files are free, an unattended Clean removes them and its event tells
// what still stays.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <set>
#include <sstream>

#include "app/run_result.h"
#include "cli/commands.h"
#include "common/windows_names.h"
#include "tests/harness/two_backend_test.h"
#include "tests/removal/spy_files.h"
#include "tests/unit/json_reader.h"

namespace morvel::testing {
namespace {

using platform::SpecialFolder;

constexpr const char* kTemp = "Windows - Temporary Files";
constexpr const char* kCustom = "Custom Lists - <New List>";
constexpr const char* kMessenger = "Instant Messengers - MSN Messenger";
constexpr const char* kIndexDat = "Internet Explorer - Index.dat Files";
constexpr const char* kPassport = "Software\\Microsoft\\MSNMessenger\\PerPassportSettings\\1";

// The events a run reports, passed on to the machine's own log.
class RecordingEvents final : public platform::EventLog {
 public:
  explicit RecordingEvents(platform::EventLog& real) : real_(real) {}
  platform::Status Report(const platform::Event& event) override {
    reported.push_back(event);
    return real_.Report(event);
  }
  std::vector<platform::Event> reported;

 private:
  platform::EventLog& real_;
};

struct Ran {
  int status;
  std::string out, err;
};

class VerifiedCleanTest : public TwoBackendTest {
 public:
  using TwoBackendTest::Exists;
  using TwoBackendTest::files;
  using TwoBackendTest::machine;
  using TwoBackendTest::Path;
  using TwoBackendTest::PutKey;
  using TwoBackendTest::registry;
  using TwoBackendTest::WriteAt;
  // A folder of the scratch folder that stands for one of the user's.
  std::string Folder(SpecialFolder folder) { return system().folders.at(folder); }
  // The machine's own Documents, which the guard keeps whatever a program says.
  std::string MachineDocuments() {
    return std::string(
        WithoutTrailingSeparators(machine().system().SpecialFolderPath(SpecialFolder::Personal)));
  }
  std::set<std::string> denied;  // names of files that may not be deleted

 protected:
  // A Windows 7 machine whose folders the items look in are scratch folders, rid of the
  // traces the cleaners look for before and after.
  const MachineSetup& Machine() const override {
    static const MachineSetup setup = [] {
      MachineSetup s;
      s.scratch = "Morvel Verified";
      s.machine_ini = "[System]\r\nPlatform=NT\r\nVersion=6.1\r\nAdministrator=1\r\n";
      s.image_folders = {"drives/C/Windows/system32", "stores"};
      s.remove_cleaner_traces = true;
      return s;
    }();
    return setup;
  }

  void SetUp() override {
    TwoBackendTest::SetUp();
    if (!machine().IsThrowawayMachine()) GTEST_SKIP() << "a live Clean needs a throwaway machine";
    for (const auto& [folder, name] : {std::pair{SpecialFolder::Pictures, "Pictures"},
                                       {SpecialFolder::Personal, "Documents"},
                                       {SpecialFolder::Cookies, "Cookies"},
                                       {SpecialFolder::InternetCache, "Cache"},
                                       {SpecialFolder::History, "History"},
                                       {SpecialFolder::Profile, "Profile"}}) {
      system().folders[folder] = Path(name);
      ASSERT_TRUE(files().CreateFolder(Path(name)).ok()) << name;
    }
    system().program_folder = Path("Program") + "\\";
    WriteAt(Path("Program\\settings.ini"), "[Settings]\r\nAskForSweep=0\r\nFastScan=0\r\n");
    WriteAt(Path("Program\\Clist.dat"),
            "[<New List>]\r\nDelFile1=" + Folder(SpecialFolder::Pictures) + "\r\n");
    SKIP_IF(machine().SetTempFolder(Path("Temp")));
    WriteAt(Path("Temp\\free.txt"), "12345");
  }

  // One command as the program runs it, on this machine as it is now (locking a file may
  // reopen it), the files of the `denied` names denied.
  template <class Command>
  Ran Run(Command command) {
    removal_test::SpyFiles spy(files());
    spy.denied = denied;
    RecordingEvents recorded(machine().events());
    platform::Port port = Port();
    platform::Port spied{
        port.registry,          spy,           port.system,      port.windows, port.questions,
        port.protected_storage, port.internet, port.logon_tasks, recorded};
    std::ostringstream out, err;
    const int status = command(spied, cli::Streams{out, err, false});
    events.insert(events.end(), recorded.reported.begin(), recorded.reported.end());
    return {status, out.str(), err.str()};
  }

  Json Report(const std::string& name) {
    const auto text = files().ReadFile(Path(name));
    if (!text.ok()) throw std::runtime_error("no report " + name);
    return Json::Parse(text.value);
  }

  std::vector<platform::Event> events;
};

// One thing a Clean leaves, laid down by `arrange` (which says why it cannot be here).
struct LeftRow {
  const char* name;
  const char* key;  // the item that meets it
  std::function<SkipReason(VerifiedCleanTest&)> arrange;
  std::function<std::string(VerifiedCleanTest&)> path;  // as the report names it
  LeftReason reason;
  // Whether a Test counts it among what would go: it cannot know the user's answer.
  bool test_removes = false;
  // Whether it is still there once nobody holds or denies a file.
  bool stays = true;
};

const std::vector<LeftRow>& Rows() {
  static const std::vector<LeftRow> rows = {
      {"a file another program holds", kTemp,
       [](VerifiedCleanTest& t) {
         t.WriteAt(t.Path("Temp\\held.dat"), "HELD");
         return t.machine().LockFile(t.Path("Temp\\held.dat"));
       },
       [](VerifiedCleanTest& t) { return t.Path("Temp\\held.dat"); }, LeftReason::InUse, false,
       false},
      {"a file that may not be deleted", kTemp,
       [](VerifiedCleanTest& t) {
         t.WriteAt(t.Path("Temp\\denied.txt"), "123");
         t.denied.insert("denied.txt");
         return SkipReason{};
       },
       [](VerifiedCleanTest& t) { return t.Path("Temp\\denied.txt"); }, LeftReason::AccessDenied,
       false, false},
      {"a folder the user answers No for", kCustom,
       [](VerifiedCleanTest& t) {
         t.WriteAt(t.Folder(SpecialFolder::Pictures) + "\\photo.jpg", "JPEG!!");
         return SkipReason{};
       },
       [](VerifiedCleanTest& t) { return t.Folder(SpecialFolder::Pictures) + "\\"; },
       LeftReason::Refused, true},
      {"a folder the guard refuses (another program names the user's Documents)", kMessenger,
       [](VerifiedCleanTest& t) {
         const std::string documents = t.MachineDocuments();
         if (!t.Exists(documents) && !t.files().CreateFolder(documents).ok())
           return SkipReason{"no Documents folder here"};
         t.PutKey(platform::RootKey::CurrentUser, kPassport);
         const auto named = platform::RegistryValue::MakeString("MessageLogPath", documents);
         EXPECT_TRUE(
             t.registry().WriteValue(platform::RootKey::CurrentUser, kPassport, named).ok());
         return SkipReason{};
       },
       [](VerifiedCleanTest& t) { return t.MachineDocuments() + "\\"; }, LeftReason::Refused},
      {"an index removed at the next start", kIndexDat,
       [](VerifiedCleanTest& t) {
         t.WriteAt(t.Folder(SpecialFolder::Cookies) + "\\index.dat", std::string(0x800, '\0'));
         return SkipReason{};
       },
       [](VerifiedCleanTest& t) { return t.Folder(SpecialFolder::Cookies) + "\\index.dat"; },
       LeftReason::AtRestart},
  };
  return rows;
}

// The left entry of the report's item `key` at `path`; null when there is none.
const Json* LeftAt(const Json& report, std::string_view key, const std::string& path) {
  for (std::size_t i = 0; i < report["items"].size(); ++i) {
    const Json& item = report["items"][i];
    if (item["key"].text() != key) continue;
    for (std::size_t j = 0; j < item["left"].size(); ++j)
      if (item["left"][j]["path"].text() == path) return &item["left"][j];
  }
  return nullptr;
}

const Json& ItemOf(const Json& report, std::string_view key) {
  for (std::size_t i = 0; i < report["items"].size(); ++i)
    if (report["items"][i]["key"].text() == key) return report["items"][i];
  throw std::out_of_range("no item " + std::string(key));
}

std::string SummaryHead(std::size_t in_use, std::size_t denied, std::size_t refused,
                        std::size_t at_restart) {
  return "Verified: " + std::to_string(in_use + denied + refused + at_restart) +
         " left (in use: " + std::to_string(in_use) + ", access denied: " + std::to_string(denied) +
         ", refused: " + std::to_string(refused) + ", at restart: " + std::to_string(at_restart) +
         ").";
}

TEST_F(VerifiedCleanTest, WhatACleanLeavesReachesTheSummaryTheReportAndTheStatus) {
  std::vector<const LeftRow*> rows;
  std::size_t by_reason[4] = {};
  for (const LeftRow& row : Rows()) {
    if (const auto why = row.arrange(*this)) {
      std::cout << "[ row skipped ] " << row.name << ": " << *why << "\n";
      continue;
    }
    rows.push_back(&row);
    ++by_reason[static_cast<std::size_t>(row.reason)];
  }
  const std::vector<std::string> keys = {kTemp, kCustom, kMessenger, kIndexDat};

  // The Test reports what would go, and, asking every entry, what would stay.
  const Ran test = Run([&keys, this](platform::Port& p, const cli::Streams& io) {
    return cli::TestCommand(p, keys, io, Path("test.json"));
  });
  EXPECT_EQ(test.status, 0) << test.err;
  const Json tested = Report("test.json");
  EXPECT_EQ(tested["mode"].text(), "test");
  for (const LeftRow* row : rows) {
    SCOPED_TRACE(row->name);
    const Json* left = LeftAt(tested, row->key, row->path(*this));
    if (row->test_removes) {
      EXPECT_EQ(left, nullptr);
    } else {
      ASSERT_NE(left, nullptr);
      EXPECT_EQ((*left)["reason"].text(), app::ReasonText(row->reason));
    }
  }
  EXPECT_EQ(ItemOf(tested, kTemp)["removed"]["items"].number(), 1) << "free.txt alone";
  EXPECT_EQ(ItemOf(tested, kTemp)["removed"]["bytes"].number(), 5);
  EXPECT_TRUE(Exists(Path("Temp\\free.txt"))) << "a Test removes nothing";

  // The Clean: the log, then what the verify pass proved, the report and status 3.
  const Ran clean = Run([&keys, this](platform::Port& p, const cli::Streams& io) {
    return cli::CleanCommand(p, keys, false, io, Path("clean.json"));
  });
  EXPECT_EQ(clean.status, 3) << clean.err;
  EXPECT_FALSE(Exists(Path("Temp\\free.txt")));
  const std::string head = SummaryHead(by_reason[0], by_reason[1], by_reason[2], by_reason[3]);
  const std::size_t at = clean.out.find("\n" + head + "\n");
  ASSERT_NE(at, std::string::npos) << clean.out;
  EXPECT_NE(clean.out.rfind("Total items to be removed = ", at), std::string::npos)
      << "the summary follows the log's last line";
  const Json cleaned = Report("clean.json");
  EXPECT_EQ(cleaned["mode"].text(), "clean");
  EXPECT_EQ(cleaned["totals"]["left_items"].number(), static_cast<std::int64_t>(rows.size()));
  for (const LeftRow* row : rows) {
    SCOPED_TRACE(row->name);
    const std::string path = row->path(*this);
    EXPECT_NE(
        clean.out.find("\n" + path + " (" + std::string(app::ReasonText(row->reason)) + ")\n"),
        std::string::npos)
        << clean.out;
    const Json* left = LeftAt(cleaned, row->key, path);
    ASSERT_NE(left, nullptr);
    EXPECT_EQ((*left)["reason"].text(), app::ReasonText(row->reason));
    EXPECT_TRUE(Exists(path.ends_with('\\') ? path.substr(0, path.size() - 1) : path));
  }
  EXPECT_EQ(ItemOf(cleaned, kTemp)["removed"]["items"].number(), 1);
  EXPECT_EQ(ItemOf(cleaned, kTemp)["removed"]["bytes"].number(), 5);

  // Nothing held or denied any more: an unattended Clean removes those two, and its event
  // counts what still stays.
  machine().UnlockFiles();
  denied.clear();
  const Ran again = Run([&keys](platform::Port& p, const cli::Streams& io) {
    return cli::CleanCommand(p, keys, true, io);
  });
  std::size_t staying = 0;
  for (const LeftRow* row : rows) {
    SCOPED_TRACE(row->name);
    staying += row->stays;
    if (!row->stays) {
      EXPECT_FALSE(Exists(row->path(*this)));
    }
  }
  EXPECT_EQ(again.status, staying == 0 ? 0 : 3) << again.err;
  ASSERT_EQ(events.size(), 1u) << "only the unattended run leaves an event";
  EXPECT_EQ(again.out.find("The Application log refused this run's event."), std::string::npos)
      << "the machine's own log took it (under Wine: ReportEvent, which keeps nothing)";
  EXPECT_EQ(events[0].level,
            staying == 0 ? platform::EventLevel::Information : platform::EventLevel::Warning);
  EXPECT_EQ(events[0].strings.at(3), std::to_string(staying));
  EXPECT_EQ(events[0].strings.at(4), "0") << "nothing in use";
  EXPECT_EQ(events[0].strings.at(5), "0") << "nothing denied";
}

}  // namespace
}  // namespace morvel::testing
