// The community file's format as read: every kind of line, what each becomes, and what is
// skipped with which reason; the file's own limits.

#include "engine/community/reader.h"

#include <gtest/gtest.h>

#include "common/text.h"

#include <string>
#include <vector>

namespace morvel::community {
namespace {

using platform::RootKey;

std::string Entry1(const std::vector<std::string>& lines) {
  std::string text = "[Some Program *]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

const Entry& OnlyEntry(const Definitions& read) {
  EXPECT_EQ(read.entries.size(), 1u);
  EXPECT_TRUE(read.skipped.empty()) << read.skipped.front().why;
  return read.entries.front();
}

// One line inside an entry, and what it becomes: an entry with that line read, or the reason
// it was skipped.
struct LineCase {
  LineCase(std::string line, Entry read, std::string why = {})
      : line(std::move(line)), read(std::move(read)), why(std::move(why)) {}
  std::string line;
  Entry read;       // the entry's parts this line fills in (name, category and line aside)
  std::string why;  // when the line is skipped
};

PathPattern Path(Variable base, std::vector<std::string> names) { return {base, std::move(names)}; }

Exclusion Excluded(ExclusionKind kind, PathPattern folder, std::vector<std::string> masks) {
  Exclusion exclusion;
  exclusion.kind = kind;
  exclusion.folder = std::move(folder);
  exclusion.masks = std::move(masks);
  return exclusion;
}

Entry With(auto fill) {
  Entry entry;
  fill(entry);
  return entry;
}

TEST(CommunityReader, EveryKindOfLine) {
  const std::vector<LineCase> cases = {
      // Detection: registry keys of four roots, short and long names, trailing "\" ignored.
      {"Detect=HKCU\\Software\\Vendor\\", With([](Entry& e) {
         e.has_detection = true;
         e.detect_keys = {{RootKey::CurrentUser, "Software\\Vendor"}};
       }),
       ""},
      {"Detect2=HKEY_LOCAL_MACHINE\\Software\\X", With([](Entry& e) {
         e.has_detection = true;
         e.detect_keys = {{RootKey::LocalMachine, "Software\\X"}};
       }),
       ""},
      {"detect1=hku\\.DEFAULT\\Software\\X", With([](Entry& e) {
         e.has_detection = true;
         e.detect_keys = {{RootKey::Users, ".DEFAULT\\Software\\X"}};
       }),
       ""},
      {"Detect=HKCR\\.ext", With([](Entry& e) {
         e.has_detection = true;
         e.detect_keys = {{RootKey::ClassesRoot, ".ext"}};
       }),
       ""},
      {"DetectFile=%LocalAppData%\\Vendor\\App*", With([](Entry& e) {
         e.has_detection = true;
         e.detect_paths = {Path(Variable::LocalAppData, {"Vendor", "App*"})};
       }),
       ""},
      // A detection line that cannot be read still makes the entry one that detects.
      {"Detect=HKXX\\Software", With([](Entry& e) { e.has_detection = true; }),
       "unknown registry root \"HKXX\""},
      {"Detect=HKCU", With([](Entry& e) { e.has_detection = true; }), "names a registry root"},
      {"DetectFile=%AppData%\\V*\\App", With([](Entry& e) { e.has_detection = true; }),
       "a wildcard stands only in the last name"},
      {"SpecialDetect=DET_CHROME", With([](Entry& e) { e.has_detection = true; }),
       "a detection by another program's own rule"},
      // FileKeys: every flag, masks, wildcards in any name, "/" and doubled "\".
      {"FileKey1=%AppData%\\Vendor\\App|*.log;cache?.db", With([](Entry& e) {
         e.file_keys = {{Path(Variable::AppData, {"Vendor", "App"}),
                         {"*.log", "cache?.db"},
                         Reach::ThisFolder}};
       }),
       ""},
      {"FileKey2=%ProgramFiles%/Vendor\\\\*Cache*\\|*|RECURSE", With([](Entry& e) {
         e.file_keys = {{Path(Variable::ProgramFiles, {"Vendor", "*Cache*"}), {}, Reach::Recurse}};
       }),
       ""},
      {"FileKey3=%WinDir%|*.*;x.log|removeself", With([](Entry& e) {
         e.file_keys = {{Path(Variable::WinDir, {}), {}, Reach::RemoveSelf}};
       }),
       ""},
      {"FileKey4=%LocalAppData%\\Novell\\history\\%UserName%|*", With([](Entry& e) {
         e.file_keys = {{Path(Variable::LocalAppData, {"Novell", "history", "%UserName%"}),
                         {},
                         Reach::ThisFolder}};
       }),
       ""},
      {"FileKey1=%LocalAppData%\\Dropbox\\", {}, "no \"|\" and file masks after the folder"},
      {"FileKey1=%AppData%\\X\\*Cache*|RECURSE", {}, "no file mask before RECURSE"},
      {"FileKey1=%AppData%\\X|;", {}, "no file mask"},
      {"FileKey1=%AppData%\\X|*|RECURSE|REMOVESELF", {}, "more than a folder, masks and one flag"},
      {"FileKey1=%AppData%\\X|*|DELETE", {}, "unknown flag \"DELETE\""},
      {"FileKey1=%AppData%\\X|..\\*.*",
       {},
       "the mask \"..\\*.*\" names more than files of the folder"},
      {"FileKey1=%Foo%\\X|*", {}, "unknown variable %Foo%"},
      {"FileKey1=%UserName%\\X|*", {}, "%UserName% is a name, not a folder to start from"},
      {"FileKey1=C:\\X|*", {}, "a path starts with a variable"},
      {"FileKey1=%Package\\X|*", {}, "the variable at the start has no closing \"%\""},
      {"DetectFile=%WinDir%|SIGVERIF.TXT", With([](Entry& e) { e.has_detection = true; }),
       "\"|\" has no place in a path"},
      {"FileKey1=%AppData%X|*", {}, "the variable is not followed by \"\\\""},
      {"FileKey1=%AppData%\\..\\..|*", {}, "the name \"..\" steps out of its folder"},
      {"FileKey1=%AppData%\\X\\. \\Y|*", {}, "the name \". \" steps out of its folder"},
      {"FileKey1=%AppData%\\X:stream|*",
       {},
       "the name \"X:stream\" holds a character no Windows name holds"},
      {"FileKey1=%AppData%\\%Temp%|*", {}, "the folder variable %Temp% stands only first"},
      {"FileKey", {}, "not a key=value line"},
      {"FileKey=%AppData%\\X|*", {}, "a key this program does not read"},
      // RegKeys: a key, a value; roots and keys right below them refused, below a user's hive too.
      {"RegKey1=HKCU\\Software\\Vendor\\App", With([](Entry& e) {
         e.reg_keys = {{{RootKey::CurrentUser, "Software\\Vendor\\App"}, std::nullopt}};
       }),
       ""},
      {"RegKey2=HKLM\\Software\\Vendor|Last Path|x", With([](Entry& e) {
         e.reg_keys = {{{RootKey::LocalMachine, "Software\\Vendor"}, "Last Path|x"}};
       }),
       ""},
      {"RegKey1=HKU\\.DEFAULT\\Software\\7-Zip", With([](Entry& e) {
         e.reg_keys = {{{RootKey::Users, ".DEFAULT\\Software\\7-Zip"}, std::nullopt}};
       }),
       ""},
      {"RegKey1=HKCU\\Software", {}, "names a registry root or a key right below one"},
      {"RegKey1=HKCU\\Software|Value", {}, "names a registry root or a key right below one"},
      {"RegKey1=HKU\\.DEFAULT\\Software", {}, "names a registry root or a key right below one"},
      {"RegKey1=HKCU", {}, "names a registry root"},
      {"RegKey1=HKCU\\Software\\X|", {}, "no value name after \"|\""},
      // Exclusions of every kind.
      {"ExcludeKey1=FILE|%AppData%\\X\\|keep.log;b?.txt", With([](Entry& e) {
         e.exclusions = {
             Excluded(ExclusionKind::File, Path(Variable::AppData, {"X"}), {"keep.log", "b?.txt"})};
       }),
       ""},
      {"ExcludeKey2=PATH|%UserProfile%\\Documents\\*\\", With([](Entry& e) {
         e.exclusions = {
             Excluded(ExclusionKind::Path, Path(Variable::UserProfile, {"Documents", "*"}), {})};
       }),
       ""},
      {"ExcludeKey3=path|%AppData%\\X\\|~*.doc*.*", With([](Entry& e) {
         e.exclusions = {
             Excluded(ExclusionKind::Path, Path(Variable::AppData, {"X"}), {"~*.doc*.*"})};
       }),
       ""},
      {"ExcludeKey4=REG|HKCU\\Software\\X\\Bags\\AllFolders", With([](Entry& e) {
         Exclusion exclusion;
         exclusion.kind = ExclusionKind::Registry;
         exclusion.key = {RootKey::CurrentUser, "Software\\X\\Bags\\AllFolders"};
         e.exclusions = {exclusion};
       }),
       ""},
      {"ExcludeKey5=REG|HKCU\\Software\\X|Kept", With([](Entry& e) {
         Exclusion exclusion;
         exclusion.kind = ExclusionKind::Registry;
         exclusion.key = {RootKey::CurrentUser, "Software\\X"};
         exclusion.value = "Kept";
         e.exclusions = {exclusion};
       }),
       ""},
      {"ExcludeKey1=FILE|%AppData%\\X\\", {}, "no file names after the folder"},
      {"ExcludeKey1=DIR|%AppData%\\X\\", {}, "unknown kind of exclusion \"DIR\""},
      {"ExcludeKey1=PATH", {}, "no \"|\" after the kind of exclusion"},
      // The warning, and the lines of no kind.
      {"Warning=This also deletes your settings.",
       With([](Entry& e) { e.warning = "This also deletes your settings."; })},
      {"DetectOS=6.1|", {}, "a key this program does not read"},
      {"LangSecRef=abc", {}, "not a category number"},
      {"Section=", {}, "an empty category"},
      {"FileKey1=%AppData%\\X\x01|*", {}, "not text (control character 0x01)"},
      {"FileKey1=%AppData%\\\xC3(|*", {}, "not text (invalid UTF-8)"},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    const Definitions read = ReadDefinitions(Entry1({c.line}));
    ASSERT_EQ(read.entries.size(), 1u);
    Entry entry = read.entries.front();
    const std::vector<SkippedLine> skipped = entry.skipped;
    if (c.why.empty()) {
      EXPECT_TRUE(skipped.empty()) << skipped.front().why;
    } else {
      ASSERT_EQ(skipped.size(), 1u);
      EXPECT_EQ(skipped.front().line, 2u);
      EXPECT_EQ(skipped.front().why, c.why);
    }
    entry.name = entry.category = {};
    entry.line = 0;
    entry.skipped.clear();
    EXPECT_EQ(entry, c.read);
  }
}

TEST(CommunityReader, NamesCategoriesAndTheirDefaults) {
  const Definitions read = ReadDefinitions(
      "; comment\r\n\r\n"
      "[Brave Caches *]\r\nSection=Brave Web Browser\r\nLangSecRef=3022\r\n"
      "[ Discord * ]\r\nLangSecRef=3022\r\n"
      "[Edge]\r\nLangSecRef=3006\r\n"
      "[Unknown Number *]\r\nLangSecRef=4711\r\n"
      "[No Category *]\n"
      "[//N.P.P.D. RUSH// - The Milk *]\rsection =  Games  \r");
  ASSERT_EQ(read.entries.size(), 6u);
  EXPECT_TRUE(read.skipped.empty());
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Brave Caches", "Brave Web Browser"},  // Section wins over a number
      {"Discord", "Internet"},
      {"Edge", "Microsoft Edge"},
      {"Unknown Number", "Applications"},
      {"No Category", "Applications"},
      {"//N.P.P.D. RUSH// - The Milk", "Games"},
  };
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(read.entries[i].name, expected[i].first);
    EXPECT_EQ(read.entries[i].category, expected[i].second);
  }
  EXPECT_EQ(read.entries[0].line, 3u);
  EXPECT_EQ(read.entries[5].line, 13u);  // CR LF, LF and CR each end a line
}

// As the profile functions read an INI file: the first of two sections or keys counts.
TEST(CommunityReader, TheFirstOfTwoCounts) {
  const Definitions read = ReadDefinitions(
      "FileKey1=%AppData%\\Stray|*\r\n"
      "[A "
      "*]\r\nFileKey1=%AppData%\\One|*\r\nfilekey1=%AppData%\\Two|*\r\nWarning=1\r\nWarning=2\r\n"
      "[a]\r\nFileKey1=%AppData%\\Three|*\r\n"
      "[ *]\r\nFileKey1=%AppData%\\Four|*\r\n"
      "[Open\r\nFileKey1=%AppData%\\Five|*\r\n");
  ASSERT_EQ(read.entries.size(), 1u);
  const Entry& entry = read.entries.front();
  ASSERT_EQ(entry.file_keys.size(), 1u);
  EXPECT_EQ(entry.file_keys.front().folder.names, std::vector<std::string>{"One"});
  EXPECT_EQ(entry.warning, "1");
  EXPECT_EQ(
      entry.skipped,
      (std::vector<SkippedLine>{
          {4, "filekey1=%AppData%\\Two|*", "a second filekey1 of the entry (the first counts)"},
          {6, "Warning=2", "a second Warning of the entry (the first counts)"}}));
  EXPECT_EQ(read.skipped,
            (std::vector<SkippedLine>{
                {1, "FileKey1=%AppData%\\Stray|*", "the line stands before the first entry"},
                {7, "[a]", "a second section of this name is left out (the first counts)"},
                {9, "[ *]", "a section without a name is left out"},
                {11, "[Open", "a section header without \"]\": the section is left out"}}));
}

TEST(CommunityReader, ReadsUtf16AndUtf8WithTheirMarks) {
  const std::string text = "[Zo\xC3\xAB *]\r\nFileKey1=%AppData%\\Zo\xC3\xAB|*\r\n";
  std::string utf16 = "\xFF\xFE";
  for (const char16_t unit : Utf8ToUtf16(text)) {
    utf16 += static_cast<char>(unit & 0xFF);
    utf16 += static_cast<char>(unit >> 8);
  }
  for (const std::string& bytes : {utf16, "\xEF\xBB\xBF" + text}) {
    const Definitions read = ReadDefinitions(bytes);
    const Entry& entry = OnlyEntry(read);
    EXPECT_EQ(entry.name, "Zo\xC3\xAB");
    ASSERT_EQ(entry.file_keys.size(), 1u);
    EXPECT_EQ(entry.file_keys.front().folder.names, std::vector<std::string>{"Zo\xC3\xAB"});
  }
}

// Bad input of every size: refused or skipped with a reason, never a crash or a hang.
TEST(CommunityReader, RefusesOrSkipsWhatItCannotRead) {
  ReadLimits small;
  small.max_bytes = 1 << 20;
  small.max_entries = 3;
  small.max_lines_per_entry = 2;
  small.max_skipped = 5;
  // Larger than the limit: not read at all.
  const Definitions large = ReadDefinitions(std::string((1 << 20) + 1, 'a'), small);
  EXPECT_TRUE(large.entries.empty());
  EXPECT_EQ(large.skipped,
            (std::vector<SkippedLine>{{0, "", "the file is larger than 1 MB and is not read"}}));
  // Binary: a zero byte early on.
  std::string binary = "MZ\x90";
  binary += '\0';
  binary += "[X *]\r\nFileKey1=%AppData%\\X|*\r\n";
  const Definitions refused = ReadDefinitions(binary);
  EXPECT_TRUE(refused.entries.empty());
  EXPECT_EQ(refused.skipped.front().why,
            "the file is not text (it holds zero bytes) and is not read");
  // A line of 1 MB, a zero byte in a line far into the file: those lines alone.
  std::string text = "[A *]\r\nFileKey1=%AppData%\\" + std::string(1 << 20, 'x') + "|*\r\n" +
                     std::string(5000, '\n') + "FileKey2=%AppData%\\Y|*";
  text += '\0';
  text += "\r\nFileKey3=%AppData%\\Z|*\r\n";
  const Definitions read = ReadDefinitions(text);
  const Entry& entry = OnlyEntry(read);
  ASSERT_EQ(entry.skipped.size(), 2u);
  EXPECT_EQ(entry.skipped[0].why, "the line is longer than 8192 characters");
  EXPECT_EQ(entry.skipped[0].text.size(), 203u);  // cut short, with "..."
  EXPECT_EQ(entry.skipped[1].line, 5003u);
  EXPECT_EQ(entry.skipped[1].why, "not text (a zero byte)");
  ASSERT_EQ(entry.file_keys.size(), 1u);
  EXPECT_EQ(entry.file_keys.front().folder.names, std::vector<std::string>{"Z"});
  // 100,000 entries: those past the limit are left out, once said.
  std::string many;
  for (int i = 0; i < 100000; ++i)
    many += "[E" + std::to_string(i) + " *]\nFileKey1=%AppData%\\E|*\n";
  const Definitions limited = ReadDefinitions(many);
  EXPECT_EQ(limited.entries.size(), 20000u);
  EXPECT_EQ(
      limited.skipped,
      (std::vector<SkippedLine>{
          {40001, "[E20000 *]", "the file has more than 20000 entries: the rest are not read"}}));
  // An entry of too many lines: the rest of it.
  const Definitions long_entry = ReadDefinitions(
      "[L "
      "*]\nFileKey1=%AppData%\\X|*\nFileKey2=%AppData%\\Y|*\nFileKey3=%AppData%\\Z|*\nFileKey4=%"
      "AppData%\\Z|*\n[M *]\n",
      small);
  ASSERT_EQ(long_entry.entries.size(), 2u);
  EXPECT_EQ(long_entry.entries[0].file_keys.size(), 2u);
  EXPECT_EQ(long_entry.entries[0].skipped,
            (std::vector<SkippedLine>{{4, "FileKey3=%AppData%\\Z|*",
                                       "the entry has more than 2 lines: the rest are not read"}}));
  // Lines of no use after lines of no use: the rest of the file is not read.
  std::string garbage = "[G *]\n";
  for (int i = 0; i < 100; ++i) garbage += "garbage " + std::to_string(i) + "\n";
  ReadLimits patient;
  patient.max_skipped = 5;
  const Definitions stopped = ReadDefinitions(garbage, patient);
  ASSERT_EQ(stopped.entries.size(), 1u);
  EXPECT_EQ(stopped.entries[0].skipped.size(), 5u);
  ASSERT_EQ(stopped.skipped.size(), 1u);
  EXPECT_EQ(stopped.skipped[0].line, 7u);
  EXPECT_EQ(stopped.skipped[0].why,
            "more than 5 lines cannot be used: the rest of the file is not read");
}

}  // namespace
}  // namespace morvel::community
