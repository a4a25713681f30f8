#pragma once
// The community's cleaning definitions (the winapp2 project's Winapp2.ini, CC-BY-SA-4.0) as
// read: one Entry per section, each line already taken apart and checked. Nothing here
// touches the machine; variables stay names until variables.h resolves them, and compile.h
// turns an entry into the cleaning language's actions.
//
// The file comes from the internet and is treated as untrusted data: what a line cannot
// say safely or exactly is not guessed at but skipped, with the reason kept beside the
// entry (a Test writes it into the log) or beside the file.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace morvel::community {

// The file beside the program that holds the definitions.
inline constexpr const char* kCommunityFile = "Winapp2.ini";

// The variables a path of the file starts with (%AppData%, ...), and %UserName%, which may
// also stand for a name further along. variables.h has their names and what each means.
enum class Variable {
  AppData,
  LocalAppData,
  LocalLowAppData,
  ProgramData,
  CommonAppData,
  UserProfile,
  Documents,
  Music,
  Pictures,
  Video,
  Public,
  SystemDrive,
  WinDir,
  SystemRoot,
  Temp,
  UserName,
  ProgramFiles,
  CommonProgramFiles,
};

// A folder (or, for detection, a file or folder) as a line names it: the folder a variable
// stands for, then names below it. A name may hold "*" and "?" (any run of characters, any
// one) and "%UserName%"; never "." or "..".
struct PathPattern {
  Variable base = Variable::AppData;
  std::vector<std::string> names;

  bool operator==(const PathPattern&) const = default;
};

// How far below its folder a FileKey goes.
enum class Reach {
  ThisFolder,  // no flag: the folder's own files
  Recurse,     // RECURSE: the files of every sub-folder too; no folder is removed
  RemoveSelf,  // REMOVESELF: as RECURSE, then the emptied sub-folders and the folder itself
};

// FileKeyN=<folder>|<masks>[|RECURSE|REMOVESELF]
struct FileKey {
  PathPattern folder;
  // File names with "*" and "?", letter case ignored; empty for every file ("*", "*.*").
  std::vector<std::string> masks;
  Reach reach = Reach::ThisFolder;

  bool operator==(const FileKey&) const = default;
};

// A registry key (Detect, RegKey, ExcludeKey REG) below one of the roots HKCU, HKLM, HKU
// and HKCR; `path` has no leading or trailing "\".
struct KeyName {
  platform::RootKey root = platform::RootKey::CurrentUser;
  std::string path;

  bool operator==(const KeyName&) const = default;
};

// RegKeyN=<key> removes the key with everything under it; RegKeyN=<key>|<value> that value.
struct RegKey {
  KeyName key;
  std::optional<std::string> value;

  bool operator==(const RegKey&) const = default;
};

// ExcludeKeyN=...: what the entry's FileKeys and RegKeys leave.
enum class ExclusionKind {
  File,      // FILE|<folder>\|<names>: those files of that folder itself
  Path,      // PATH|<folder>\[|<masks>]: the (matching) files in and below that folder
  Registry,  // REG|<key>[|<value>]: the key with everything under it, or the one value
};

struct Exclusion {
  ExclusionKind kind = ExclusionKind::Path;
  PathPattern folder;              // File and Path
  std::vector<std::string> masks;  // File and Path; empty for every file
  KeyName key;                     // Registry
  std::optional<std::string> value;

  bool operator==(const Exclusion&) const = default;
};

// A line that was not used, and why.
struct SkippedLine {
  std::size_t line = 0;  // 1-based; 0 for the file as a whole
  std::string text;      // the line as written (cut short when long)
  std::string why;

  bool operator==(const SkippedLine&) const = default;
};

struct Entry {
  std::string name;      // the section's name without its trailing " *"
  std::string category;  // LangSecRef's by the table, or Section's own text
  std::size_t line = 0;  // of the section's header
  // Whether the entry has any detection line, usable or not: an entry without one always
  // applies, one whose detection lines were all skipped never does.
  bool has_detection = false;
  std::vector<KeyName> detect_keys;       // Detect, DetectN
  std::vector<PathPattern> detect_paths;  // DetectFile, DetectFileN: "*" in the last name only
  std::vector<FileKey> file_keys;         // in file order
  std::vector<RegKey> reg_keys;           // in file order
  std::vector<Exclusion> exclusions;
  std::string warning;               // asked before the entry is ticked; empty for none
  std::vector<SkippedLine> skipped;  // its lines that were not used

  bool operator==(const Entry&) const = default;
};

struct Definitions {
  std::vector<Entry> entries;  // in file order
  // What was not used outside the entries: the file refused as a whole (line 0), lines
  // before the first section, sections left out whole.
  std::vector<SkippedLine> skipped;

  bool operator==(const Definitions&) const = default;
};

}  // namespace morvel::community
