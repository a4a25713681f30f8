// Community entries in the cleaning language: each FileKey, RegKey and exclusion as the
// actions it becomes with a machine's folders.

#include "engine/community/compile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/community/reader.h"

namespace morvel::community {
namespace {

using platform::RootKey;

constexpr const char* kRoaming = "C:\\Users\\U\\AppData\\Roaming";

VariableValues Machine() {
  VariableValues values;
  values.SetFolders(Variable::AppData, {kRoaming});
  values.SetFolders(Variable::ProgramFiles, {"C:\\Program Files", "C:\\Program Files (x86)"});
  values.SetFolders(Variable::SystemDrive, {"C:"});
  values.SetUserName("U");
  return values;
}

Actions Compile(const std::vector<std::string>& lines, const VariableValues& values = Machine()) {
  std::string text = "[Entry *]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  const Definitions read = ReadDefinitions(text);
  EXPECT_EQ(read.entries.size(), 1u);
  EXPECT_TRUE(read.entries.front().skipped.empty()) << read.entries.front().skipped.front().why;
  return CompileEntry(read.entries.front(), values);
}

Segment Named(std::string name) {
  Segment segment;
  segment.names = {std::move(name)};
  return segment;
}
Segment Each(std::string pattern) {
  Segment segment;
  segment.kind = SegmentKind::Each;
  segment.pattern = std::move(pattern);
  return segment;
}
DeleteKey KeyAction(RootKey root, std::string path, std::vector<KeptKey> keep = {}) {
  DeleteKey key;
  key.root = root;
  key.path = std::move(path);
  key.keep = std::move(keep);
  return key;
}

CleanFolder Folder(std::string folder, std::vector<Segment> segments) {
  CleanFolder clean;
  clean.where = {Anchor::Folder, std::move(folder), std::move(segments)};
  clean.depth = Depth::ThisFolder;
  clean.remove_emptied = false;
  return clean;
}

struct CompileCase {
  const char* what;
  std::vector<std::string> lines;
  Actions actions;
};

TEST(CommunityCompile, EachKindOfLineBecomesItsActions) {
  CleanFolder masks = Folder(kRoaming, {Named("Vendor"), Each("App*"), Named("U")});
  masks.masks = {Mask()};
  masks.masks.front().patterns = {"*.log", "cache?.db"};
  CleanFolder recurse = Folder(kRoaming, {Named("V")});
  recurse.depth = Depth::Recursive;
  CleanFolder remove_self = recurse;
  remove_self.remove_emptied = remove_self.remove_self = true;
  CleanFolder each_program_files = Folder("C:\\Program Files", {Named("V")});
  CleanFolder each_program_files_x86 = Folder("C:\\Program Files (x86)", {Named("V")});
  CleanFolder kept = Folder(kRoaming, {Named("V")});
  kept.keep.paths = {{"C:\\Users\\U\\AppData\\Roaming\\V", {"keep.log"}, false},
                     {"C:\\Program Files\\V\\*\\Sub", {}, true},
                     {"C:\\Program Files (x86)\\V\\*\\Sub", {}, true},
                     {"C:\\Users\\U\\AppData\\Roaming\\V", {"~*.doc"}, true}};
  DeleteKey key_kept{RootKey::CurrentUser,
                     "Software\\V\\Bags",
                     FolderOrigin::Program,
                     {{"AllFolders", std::nullopt}, {"", "Kept"}, {"1\\Desktop", "Mode"}}};
  const std::vector<CompileCase> cases = {
      {"masks in one pass, wildcards and the user's name in the folder",
       {"FileKey1=%AppData%\\Vendor\\App*\\%UserName%|*.log;cache?.db"},
       {masks}},
      {"RECURSE and REMOVESELF", {"FileKey1=%AppData%\\V|*|RECURSE"}, {recurse}},
      {"REMOVESELF", {"FileKey1=%AppData%\\V|*.*|REMOVESELF"}, {remove_self}},
      {"both Program Files folders",
       {"FileKey1=%ProgramFiles%\\V|*"},
       {each_program_files, each_program_files_x86}},
      {"the drive's root", {"FileKey1=%SystemDrive%|*"}, {Folder("C:\\", {})}},
      {"a variable that names no folder here gives nothing",
       {"FileKey1=%LocalLowAppData%\\V|*", "FileKey2=%Public%\\V|*"},
       {}},
      {"FILE and PATH exclusions are every folder action's",
       {"FileKey1=%AppData%\\V|*", "ExcludeKey1=FILE|%AppData%\\V\\|keep.log",
        "ExcludeKey2=PATH|%ProgramFiles%\\V\\*\\Sub\\", "ExcludeKey3=PATH|%AppData%\\V|~*.doc"},
       {kept}},
      {"keys and values, RegKeys after FileKeys",
       {"RegKey1=HKCU\\Software\\V\\Sub", "FileKey1=%SystemDrive%|*",
        "RegKey2=HKLM\\Software\\V|Last"},
       {Folder("C:\\", {}), KeyAction(RootKey::CurrentUser, "Software\\V\\Sub"),
        DeleteValue{RootKey::LocalMachine, "Software\\V", "Last"}}},
      {"REG exclusions: kept keys and values inside a key, covered RegKeys dropped",
       {"RegKey1=HKCU\\Software\\V\\Bags", "RegKey2=HKCU\\Software\\V\\Bags\\AllFolders\\Shell",
        "RegKey3=HKCU\\Software\\V\\Bags|Kept", "RegKey4=HKCU\\Software\\V\\Bags|Gone",
        "RegKey5=HKLM\\Software\\V\\Bags", "ExcludeKey1=REG|HKCU\\Software\\V\\Bags\\AllFolders",
        "ExcludeKey2=REG|hkcu\\software\\v\\bags|Kept",
        "ExcludeKey3=REG|HKCU\\Software\\V\\Bags\\1\\Desktop|Mode",
        "ExcludeKey4=REG|HKCU\\Software\\Other"},
       {key_kept, DeleteValue{RootKey::CurrentUser, "Software\\V\\Bags", "Gone"},
        KeyAction(RootKey::LocalMachine, "Software\\V\\Bags")}},
  };
  VariableValues values = Machine();
  for (const CompileCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Compile(c.lines, values), c.actions);
  }
}

TEST(CommunityCompile, AnUnknownUserLeavesFoldersNamedByTheUserOut) {
  VariableValues values = Machine();
  values.SetUserName("");
  EXPECT_TRUE(Compile({"FileKey1=%AppData%\\history\\%UserName%|*"}, values).empty());
  EXPECT_EQ(Compile({"FileKey1=%AppData%\\history|*"}, values).size(), 1u);
}

}  // namespace
}  // namespace morvel::community
