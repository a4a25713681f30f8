// Checks of the shipped cleaning definitions (data/Morvel.dat): the file reads as the
// profile functions read it, every entry is well formed and reaches no further than a
// history, log or cache, and each Applications section is offered for the programs it
// was written for and for no other.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini_file.h"
#include "common/text.h"
#include "engine/catalogue.h"

namespace morvel {
namespace {

std::string ReadShippedFile() {
  std::ifstream in(MORVEL_SOURCE_DIR "/data/Morvel.dat", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Entry {
  std::string key;
  std::string value;
};

struct Section {
  std::string name;
  std::vector<Entry> entries;
};

struct Layout {
  std::vector<Section> sections;
  std::vector<std::string> problems;  // one text per faulty line
};

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string line(bytes.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// Reads the file strictly: comments only before the first section, and inside a section
// nothing but blank lines and "key=value" entries without blanks around them. A comment
// inside a section is refused because the interpreter runs any line holding an entry
// keyword, comment or not.
Layout Scan(std::string_view bytes) {
  Layout layout;
  int number = 0;
  for (const std::string& line : SplitLines(bytes)) {
    ++number;
    const std::string where = "line " + std::to_string(number) + ": ";
    if (line.empty()) continue;
    if (const auto name = IniSectionName(line)) {
      for (const Section& s : layout.sections)
        if (SameText(s.name, *name)) layout.problems.push_back(where + "duplicate section");
      layout.sections.push_back({std::string(*name), {}});
      continue;
    }
    if (layout.sections.empty()) {
      if (line.front() != ';') layout.problems.push_back(where + "text before the first section");
      continue;
    }
    const std::size_t eq = line.find('=');
    if (line.front() == ';' || eq == std::string::npos || line.front() == ' ' ||
        line.back() == ' ' || line[eq - 1] == ' ' || line[eq + 1] == ' ') {
      layout.problems.push_back(where + "not an entry: " + line);
      continue;
    }
    layout.sections.back().entries.push_back({line.substr(0, eq), line.substr(eq + 1)});
  }
  return layout;
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    parts.emplace_back(text.substr(start, at == std::string_view::npos ? at : at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

// "DelFile" or "DelRegValue" and its number, or an empty kind when the key is neither
// (the number must be written as the editor writes it: 1, 2, ..., no leading zero).
std::pair<std::string, int> EntryKind(std::string_view key) {
  for (std::string_view kind : {"DelRegValue", "DelFile"}) {
    if (key.substr(0, kind.size()) != kind) continue;
    const std::string_view digits = key.substr(kind.size());
    if (digits.empty() || digits.front() == '0' || digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return {"", 0};
    return {std::string(kind), std::stoi(std::string(digits))};
  }
  return {"", 0};
}

constexpr std::array kRoots = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT",
                               "HKEY_USERS", "HKEY_CURRENT_CONFIG"};
constexpr std::array kMacros = {"%ProgramFiles%",    "%windir%",         "{Local AppData}",
                                "{Current AppData}", "{Common AppData}", "{C: Drive}"};

bool IsDrive(std::string_view base) {
  return base.size() == 2 && base[1] == ':' && UpperAscii(base[0]) >= 'A' &&
         UpperAscii(base[0]) <= 'Z';
}

// `file_names`: also refuse what Windows refuses in file names (registry keys allow it).
std::string PathProblem(const std::vector<std::string>& components, bool file_names) {
  for (const std::string& c : components) {
    if (c.empty()) return "empty path component";
    if (c == "." || c == "..") return "relative path component";
    if (c.front() == ' ' || c.back() == ' ' || c.back() == '.')
      return "name with edge blank or dot";
    if (file_names && c.find_first_of("<>:\"/|?*") != std::string::npos)
      return "character Windows refuses";
  }
  return {};
}

std::string RegistryProblem(std::string_view value) {
  const std::size_t slash = value.find('\\');
  if (slash == std::string_view::npos) return "no key path";
  const std::string_view root = value.substr(0, slash);
  if (std::find(kRoots.begin(), kRoots.end(), root) == kRoots.end()) return "unknown root";
  std::string_view rest = value.substr(slash + 1);
  const std::size_t comma = rest.find(',');
  const std::string_view path = rest.substr(0, comma);
  const auto components = Split(path, '\\');
  if (std::string p = PathProblem(components, false); !p.empty()) return p;
  const bool names_value = comma != std::string_view::npos && comma + 1 < rest.size();
  // A whole key, or a key emptied with ",", must lie below a program's own key
  // (Software\Vendor\...), never be that key itself.
  if (!names_value && components.size() < 3) return "removes a program's whole key";
  if (names_value && components.size() < 2) return "value of a top-level key";
  return {};
}

std::string FileProblem(std::string_view value) {
  const std::size_t comma = value.find(',');
  // The interpreter appends "\" to a value without one, so "%windir%,*.log" names a
  // folder called "%windir%,*.log": the first component needs its "\" before a mask.
  if (value.find('\\') == std::string_view::npos && comma != std::string_view::npos)
    return "mask without a folder";
  const std::string_view folder = value.substr(0, comma);
  auto components = Split(folder, '\\');
  const std::string base = components.front();
  components.erase(components.begin());
  const bool macro = std::find(kMacros.begin(), kMacros.end(), base) != kMacros.end();
  if (!macro && !IsDrive(base)) return "first component is neither a macro nor a drive";
  if (components.size() == 1 && components.front().empty()) components.clear();  // "C:\"
  if (std::string p = PathProblem(components, true); !p.empty()) return p;
  bool wide = true;  // the whole folder, or every file of it
  if (comma != std::string_view::npos) {
    const std::string_view mask = value.substr(comma + 1);
    if (mask.empty()) return "empty mask";
    // Only the first star is a wildcard; "*.*" is the one mask that means every name.
    if (mask != "*.*" && std::count(mask.begin(), mask.end(), '*') > 1)
      return "mask with a second star";
    if (mask.find_first_of("\\/:<>\"|?") != std::string_view::npos) return "mask with a path or ?";
    wide = mask == "*" || mask == "*.*";
  }
  // A drive, a macro's folder or a folder right below it is a system, profile or program
  // folder: never removed whole. Below a drive one level more is needed (C:\Users\Name).
  const bool drive_like = !macro || base == "{C: Drive}";
  const std::size_t depth_needed = drive_like ? 3 : 2;
  if (wide && components.size() < depth_needed) return "removes a top-level folder";
  return {};
}

std::string EntryProblem(std::string_view key, std::string_view value) {
  const auto [kind, number] = EntryKind(key);
  if (kind.empty()) return "key is not DelFileN or DelRegValueN";
  return kind == "DelFile" ? FileProblem(value) : RegistryProblem(value);
}

// Numbers of each kind run 1, 2, ... in file order, without gaps or repeats.
std::string NumberingProblem(const std::vector<Entry>& entries) {
  std::map<std::string, int> last;
  for (const Entry& e : entries) {
    const auto [kind, number] = EntryKind(e.key);
    if (kind.empty()) continue;
    if (number != last[kind] + 1) return e.key + " follows " + kind + std::to_string(last[kind]);
    last[kind] = number;
  }
  return {};
}

const Section* Find(const Layout& layout, std::string_view name) {
  for (const Section& s : layout.sections)
    if (s.name == name) return &s;
  return nullptr;
}

TEST(MorvelDatChecks, RefuseFaultyEntries) {
  const std::vector<std::pair<std::string, std::string>> faulty = {
      {"DelFile1", "{Current AppData}"},
      {"DelFile1", "{Current AppData}\\"},
      {"DelFile1", "%windir%"},
      {"DelFile1", "%ProgramFiles%\\"},
      {"DelFile1", "{C: Drive}"},
      {"DelFile1", "C:"},
      {"DelFile1", "C:\\"},
      {"DelFile1", "{Local AppData}\\vlc"},        // a program's whole folder
      {"DelFile1", "{C: Drive}\\Users\\User"},     // a profile
      {"DelFile1", "D:\\Program Files\\App"},      // a program folder
      {"DelFile1", "{Current AppData}\\App,*.*"},  // every file of it
      {"DelFile1", "{Current AppData}\\App,*"},
      {"DelFile1", "%WINDIR%\\Temp,*.tmp"},  // macros compare with case
      {"DelFile1", "Windows\\Temp,*.tmp"},
      {"DelFile1", "{Current AppData}\\App\\logs,"},  // matches nothing
      {"DelFile1", "{Current AppData}\\App\\logs,a*b*c"},
      {"DelFile1", "{Current AppData}\\App\\logs,file?.log"},
      {"DelFile1", "{Current AppData}\\App\\\\logs,*.log"},
      {"DelFile1", "{Current AppData}\\App\\logs\\,*.log"},
      {"DelFile1", "{Current AppData}\\App\\..\\..,*.log"},
      {"DelFile1", "%windir%,*.log"},  // read as a folder named "%windir%,*.log"
      {"DelRegValue1", "HKCU\\Software\\App\\History"},
      {"DelRegValue1", "hkey_current_user\\Software\\App\\History"},
      {"DelRegValue1", "HKEY_CURRENT_USER"},
      {"DelRegValue1", "HKEY_CURRENT_USER\\Software\\App"},   // a program's whole key
      {"DelRegValue1", "HKEY_CURRENT_USER\\Software\\App,"},  // emptied
      {"DelRegValue1", "HKEY_CURRENT_USER\\Software,Value"},
      {"DelRegValue1", "HKEY_CURRENT_USER\\Software\\App\\,Value"},
      {"delfile1", "{Current AppData}\\App\\logs,*.log"},
      {"DelFile", "{Current AppData}\\App\\logs,*.log"},
      {"DelFile01", "{Current AppData}\\App\\logs,*.log"},
      {"DelFiles1", "{Current AppData}\\App\\logs,*.log"},
  };
  for (const auto& [key, value] : faulty)
    EXPECT_NE(EntryProblem(key, value), "") << key << "=" << value;

  const std::vector<std::pair<std::string, std::string>> sound = {
      {"DelFile1", "%windir%\\,*.log"},
      {"DelFile2", "{Current AppData}\\vlc\\art"},
      {"DelFile3", "C:\\Users\\User\\Junk"},
      {"DelFile4", "%ProgramFiles%\\App,App*.log"},
      {"DelFile5", "{Local AppData}\\App\\Cache,*.*"},
      {"DelRegValue1", "HKEY_CURRENT_USER\\Software\\App\\History"},
      {"DelRegValue2", "HKEY_CURRENT_USER\\Software\\App,Recent files, old"},
      {"DelRegValue10", "HKEY_LOCAL_MACHINE\\SOFTWARE\\App\\Recent,"},
  };
  for (const auto& [key, value] : sound)
    EXPECT_EQ(EntryProblem(key, value), "") << key << "=" << value;
}

TEST(MorvelDatChecks, RefuseFaultyLayout) {
  const std::vector<std::pair<std::string, std::string>> faulty = {
      {"section duplicate", "[A]\nDelFile1=C:\\a\\b\\c\n[a]\nDelFile1=C:\\a\\b\\d\n"},
      {"comment inside", "[A]\n; DelFile1=C:\\x\\y\\z\nDelFile1=C:\\a\\b\\c\n"},
      {"stray text", "[A]\nDelFile1=C:\\a\\b\\c\nhello\n"},
      {"blank around", "[A]\nDelFile1 = C:\\a\\b\\c\n"},
      {"before a section", "DelFile1=C:\\a\\b\\c\n[A]\n"},
  };
  for (const auto& [what, text] : faulty) EXPECT_FALSE(Scan(text).problems.empty()) << what;
  const Layout good = Scan("; a comment\r\n\r\n[A]\r\nDelFile1=C:\\a\\b\\c\r\n\r\n[B]\r\n");
  EXPECT_TRUE(good.problems.empty());
  ASSERT_EQ(good.sections.size(), 2u);
  EXPECT_EQ(good.sections[0].entries.size(), 1u);

  auto numbering = [](std::vector<std::string> keys) {
    std::vector<Entry> entries;
    for (std::string& k : keys) entries.push_back({k, ""});
    return NumberingProblem(entries);
  };
  EXPECT_EQ(numbering({"DelFile1", "DelRegValue1", "DelFile2", "DelRegValue2"}), "");
  EXPECT_NE(numbering({"DelFile2"}), "");
  EXPECT_NE(numbering({"DelFile1", "DelFile1"}), "");
  EXPECT_NE(numbering({"DelFile1", "DelFile3"}), "");
  EXPECT_NE(numbering({"DelRegValue2", "DelRegValue1"}), "");
}

class ShippedMorvelDat : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes = ReadShippedFile();
    ASSERT_FALSE(bytes.empty()) << "data/Morvel.dat is missing or empty";
    layout = Scan(bytes);
  }

  // Sections that serve fixed items of the catalogue; the rest are Applications.
  static constexpr std::array kFixedItemSections = {"Windows Log Files",
                                                    "Google Toolbar History",
                                                    "MSN Toolbar History",
                                                    "Yahoo! Toolbar History",
                                                    "ICQ",
                                                    "AOL Instant Messenger"};

  std::vector<std::string> ApplicationSections() const {
    std::vector<std::string> names;
    for (const Section& s : layout.sections)
      if (std::find(kFixedItemSections.begin(), kFixedItemSections.end(), s.name) ==
          kFixedItemSections.end())
        names.push_back(s.name);
    return names;
  }

  std::vector<std::string> AllSections() const {
    std::vector<std::string> names;
    for (const Section& s : layout.sections) names.push_back(s.name);
    return names;
  }

  std::string bytes;
  Layout layout;
};

TEST_F(ShippedMorvelDat, ReadsAsTheProfileFunctionsReadIt) {
  EXPECT_EQ(layout.problems, std::vector<std::string>{});
  // The catalogue and the interpreter read the file through IniDocument: they must see
  // exactly the sections and entries checked here.
  const IniDocument ini = IniDocument::Parse(bytes);
  EXPECT_EQ(ini.SectionNames(), AllSections());
  for (const Section& s : layout.sections) {
    std::vector<std::string> lines;
    for (const Entry& e : s.entries) lines.push_back(e.key + "=" + e.value);
    EXPECT_EQ(ini.SectionLines(s.name), lines) << s.name;
  }
}

TEST_F(ShippedMorvelDat, EveryEntryIsWellFormedAndNarrow) {
  for (const Section& s : layout.sections) {
    EXPECT_EQ(NumberingProblem(s.entries), "") << s.name;
    for (const Entry& e : s.entries)
      EXPECT_EQ(EntryProblem(e.key, e.value), "")
          << "[" << s.name << "] " << e.key << "=" << e.value;
  }
}

TEST_F(ShippedMorvelDat, FixedItemSectionsAndApplications) {
  for (const char* name : kFixedItemSections) EXPECT_NE(Find(layout, name), nullptr) << name;
  // These two have confirmed locations; the other four wait for theirs.
  EXPECT_FALSE(Find(layout, "Windows Log Files")->entries.empty());
  EXPECT_FALSE(Find(layout, "Google Toolbar History")->entries.empty());

  const auto apps = ApplicationSections();
  EXPECT_GE(apps.size(), 25u);
  for (const std::string& name : apps) {
    EXPECT_FALSE(Find(layout, name)->entries.empty()) << name;
    // Short names match far too many display names ("Java", "Zip").
    EXPECT_GE(name.size(), 4u) << name;
  }
}

// Display names as the programs' installers write them, and the sections each must offer.
struct Installed {
  const char* display_name;
  std::vector<std::string> sections;
};

const std::vector<Installed>& InstalledPrograms() {
  static const std::vector<Installed> table = {
      {"7-Zip 19.00 (x64)", {"7-Zip"}},
      {"7-Zip 9.20", {"7-Zip"}},
      {"WinRAR 5.91 (64-bit)", {"WinRAR"}},
      {"WinRAR archiver", {"WinRAR"}},
      {"WinZip 24.0", {"WinZip"}},
      {"Adobe Reader XI (11.0.23)", {"Adobe Reader"}},
      {"Adobe Reader 9.5.0", {"Adobe Reader"}},
      {"Adobe Acrobat Reader DC", {"Acrobat Reader"}},
      {"Adobe Acrobat Reader DC - Deutsch", {"Acrobat Reader"}},
      {"Microsoft Office Professional Plus 2010", {"Microsoft Office"}},
      {"Microsoft Office Home and Student 2007", {"Microsoft Office"}},
      {"Microsoft Office Professional Plus 2016", {"Microsoft Office"}},
      {"Windows Media Player 11", {"Windows Media Player"}},
      {"MPC-HC 1.9.24 (64-bit)", {"MPC-HC"}},
      {"VLC media player", {"VLC media player"}},
      {"Adobe Flash Player 32 ActiveX", {"Adobe Flash Player"}},
      {"Adobe Flash Player 32 NPAPI", {"Adobe Flash Player"}},
      {"FileZilla Client 3.62.2", {"FileZilla"}},
      {"FileZilla 3.66.4", {"FileZilla"}},
      {"WinSCP 5.21.5", {"WinSCP"}},
      {"PuTTY release 0.78 (64-bit)", {"PuTTY"}},
      {"TeamViewer", {"TeamViewer"}},
      {"TeamViewer 15", {"TeamViewer"}},
      {"AnyDesk", {"AnyDesk"}},
      {"mIRC", {"mIRC"}},
      {"Pidgin", {"Pidgin"}},
      {"Safari", {"Safari"}},
      {"Microsoft Edge", {"Microsoft Edge"}},
      {"Vivaldi", {"Vivaldi"}},
      {"Brave", {"Brave"}},
      {"Microsoft Visual Studio Code", {"Visual Studio Code"}},
      {"Microsoft Visual Studio Code (User)", {"Visual Studio Code"}},
      {"Discord", {"Discord"}},
      {"Slack", {"Slack"}},
      {"Microsoft Teams", {"Microsoft Teams"}},
      {"Microsoft OneDrive", {"Microsoft OneDrive"}},
      {"OBS Studio", {"OBS Studio"}},
      {"HandBrake 1.6.1", {"HandBrake"}},
      {"qBittorrent 4.5.2", {"qBittorrent"}},
      // A section of a fixed item is offered too when its program is installed.
      {"ICQ", {"ICQ"}},
  };
  return table;
}

// Common programs that none of the sections is about.
constexpr std::array kUnrelatedPrograms = {
    "Google Chrome",
    "Mozilla Firefox (x64 en-US)",
    "Mozilla Thunderbird (x64 en-US)",
    "Opera Stable 95.0.4635.46",
    "Notepad++ (64-bit x64)",
    "Java 8 Update 351",
    "Java(TM) 6 Update 45",
    "Microsoft Visual C++ 2015-2019 Redistributable (x64) - 14.29.30133",
    "Microsoft Visual C++ 2010  x86 Redistributable - 10.0.40219",
    "Microsoft .NET Framework 4.8",
    "Microsoft Visual Studio Community 2022",
    "Microsoft Silverlight",
    "Microsoft Update Health Tools",
    "Windows Media Format 11 runtime",
    "Skype version 8.92",
    "Adobe Acrobat DC (64-bit)",
    "Adobe Photoshop 2023",
    "Adobe Creative Cloud",
    "Adobe AIR",
    "Foxit PDF Reader",
    "SumatraPDF",
    "Apple Software Update",
    "Apple Mobile Device Support",
    "iTunes",
    "QuickTime 7",
    "Bonjour",
    "Steam",
    "Dropbox",
    "Zoom",
    "Spotify",
    "Python 3.11.0 (64-bit)",
    "Git",
    "NVIDIA Graphics Driver 516.94",
    "Realtek High Definition Audio Driver",
    "Intel(R) Management Engine Components",
    "K-Lite Codec Pack 17.3.5 Full",
    "Winamp",
    "IrfanView 4.60 (64-bit)",
    "paint.net",
    "GIMP 2.10.32",
    "LibreOffice 7.4.2.3",
    "OpenOffice 4.1.13",
    "PeaZip 9.0.0 (WIN64)",
    "CCleaner",
    "Malwarebytes version 4.5.19.231",
    "Avast Free Antivirus",
    "Google Earth Pro",
    "Internet Download Manager",
    "Free Download Manager",
    "Oracle VM VirtualBox 7.0.6",
    "KeePass Password Safe 2.53",
    "Wireshark 4.0.2 64-bit",
    "Everything 1.4.1.1022 (x64)",
    "Audacity 3.2.1",
    "WinMerge 2.16.24.0 x64",
};

std::vector<std::string> Offered(const std::vector<std::string>& sections,
                                 const std::string& display_name) {
  Catalogue catalogue = Catalogue::Fixed();
  catalogue.FillApplications(sections, {display_name});
  std::vector<std::string> offered;
  for (const CatalogueRoot& root : catalogue.roots())
    if (root.text == kApplicationsRoot)
      for (const CatalogueLeaf& leaf : root.children) offered.push_back(leaf.text);
  return offered;
}

TEST_F(ShippedMorvelDat, InstalledProgramsGetTheirSections) {
  const auto sections = AllSections();
  std::vector<std::string> reached;
  for (const Installed& program : InstalledPrograms()) {
    EXPECT_EQ(Offered(sections, program.display_name), program.sections) << program.display_name;
    reached.insert(reached.end(), program.sections.begin(), program.sections.end());
  }
  // Every Applications section is reached by some real display name: a misspelt section
  // name would never be offered.
  for (const std::string& name : ApplicationSections())
    EXPECT_NE(std::find(reached.begin(), reached.end(), name), reached.end()) << name;
}

TEST_F(ShippedMorvelDat, UnrelatedProgramsGetNone) {
  const auto sections = AllSections();
  for (const char* display_name : kUnrelatedPrograms)
    EXPECT_EQ(Offered(sections, display_name), std::vector<std::string>{}) << display_name;
}

}  // namespace
}  // namespace morvel
