#pragma once
// The cleaning language. Every step of a clean is one of these values: delete a key or a
// value, empty a key, clean a folder, or a special step bound to a format (the URL cache,
// index.dat, SQLite, the Protected Storage, the recycle bin, the clipboard). The item table,
// Morvel.dat and Clist.dat all compile into lists of actions, and one executor (executor.h)
// runs them for Test and Clean alike, consulting the mode only where one entry goes.
//
// A folder is never named to a cleaner by its path. It is an anchor (a folder the system or
// the program names, decided on once where it really is and held open) and segments below
// it, each entered inside its held parent without following a link.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/registry.h"

namespace morvel {

// Where a folder an action works in came from.
enum class FolderOrigin {
  Program,  // a built-in location, another program's data, Morvel.dat: guarded
  User,     // the user's own custom list
};

// The folder a Where starts from.
enum class Anchor {
  Windows,        // GetWindowsDirectory
  System,         // GetSystemDirectory
  Temp,           // GetTempPath
  AppData,        // the shell's application-data folder (CSIDL_APPDATA)
  LocalAppData,   // "Local AppData" of the user's Shell Folders key
  CommonAppData,  // "Common AppData" of the machine's Shell Folders key
  Personal,       // the shell's documents folder (CSIDL_PERSONAL)
  Recent,         // CSIDL_RECENT
  InternetCache,  // CSIDL_INTERNET_CACHE
  Cookies,        // CSIDL_COOKIES
  History,        // CSIDL_HISTORY
  ProgramFiles,   // "ProgramFilesDir" of HKLM Software\Microsoft\Windows\CurrentVersion
  // On 64-bit Windows, "ProgramFilesDir (x86)" of the same key, where 32-bit programs are;
  // none elsewhere, or when it names the first folder again.
  ProgramFilesX86,
  Executable,  // the program's own folder
  // A folder named in full by what the action came from: a drive root ("D:\"), an entry of
  // a definition file (its macro resolved), a folder read from another program's settings.
  Folder,
};

enum class SegmentKind {
  Named,  // each sub-folder of `names` that is there, in that order
  Each,   // every sub-folder the listing gives that `pattern` and `path_contains` admit
  First,  // the first of `names` that is there, else the first sub-folder Each would give
};

// One step down from a held folder. A sub-folder is entered only as a folder of its own:
// a link the listing shows is passed over; one found where a named or listed folder was
// expected is skipped with the guard's line.
struct Segment {
  SegmentKind kind = SegmentKind::Named;
  std::vector<std::string> names;  // as Windows resolves names: letter case ignored
  std::string pattern = "*";       // "*" and "?", letter case ignored
  // The sub-folder's path as the log writes it must contain this, letter case as written
  // (a browser's default profiles: ".default"); empty admits every one.
  std::string path_contains;

  bool operator==(const Segment&) const = default;
};

struct Where {
  Anchor anchor = Anchor::Folder;
  std::string folder;  // Anchor::Folder only: the folder as named
  std::vector<Segment> segments;

  bool operator==(const Where&) const = default;
};

// Which files of a folder go (name_mask.h has the rules of `text`).
struct Mask {
  Mask(std::string mask = {}, bool exact_any_case = false)  // NOLINT: {"*.tmp"} reads best
      : text(std::move(mask)), any_case(exact_any_case) {}

  std::string text;       // "*.*", one "*" ("*.tmp", "File*.chk"), or an exact name
  bool any_case = false;  // an exact name as Windows resolves it (memory.dmp is MEMORY.DMP)
  // In place of `text`: every file whose name matches one of these, "*" and "?" anywhere
  // and letter case ignored, taken in one pass (a community definition's
  // "*.log;cache?.db"). Such a pass removes the sub-folders it empties, as a pass over
  // every file does, when the action removes emptied folders.
  std::vector<std::string> patterns;

  bool operator==(const Mask&) const = default;
};

enum class Depth { ThisFolder, Recursive };

// Which setting, besides Fast Mode being off, lets a folder action write a line per file.
enum class LogClass {
  Always,
  TempInternetFiles,  // ShowLogTempInternetFiles
  RecycleBin,         // ShowLogRecycleBin
  Never,
};

// Files a folder action leaves wherever the walk meets them: those of `folder` itself or,
// with `below`, of it and of every folder under it, whose names match one of `masks`
// ("*" and "?" anywhere, letter case ignored; none for every file). `folder` is a full path
// as the log writes the folders the action reaches ("C:\Users\User\AppData\Local\App"),
// compared name by name without regard to letter case; its names may hold "*" and "?".
// (A community definition's exclusions.)
struct KeepPath {
  std::string folder;
  std::vector<std::string> masks;
  bool below = false;

  bool operator==(const KeepPath&) const = default;
};

// What a folder action leaves alone.
struct Keep {
  std::vector<std::string> names;  // files of these names, at any depth (letter case ignored)
  // `names` count out of a Test only: a Clean tries them too and counts what goes (the
  // browser's cache index, which it holds open).
  bool names_in_test_only = false;
  std::vector<std::string> top_names;  // files of these names directly in the folder itself
  bool top_files = false;              // every file directly in the folder itself
  // Sub-folders never entered: patterns with "*" and "?", letter case ignored.
  std::vector<std::string> folders;
  std::vector<KeepPath> paths;

  bool operator==(const Keep&) const = default;
};

// Removes files of every folder `where` reaches, and with them the emptied sub-folders.
struct CleanFolder {
  Where where;
  // Empty: every file. Otherwise one pass over the folder per mask, in this order.
  std::vector<Mask> masks;
  Depth depth = Depth::Recursive;
  bool remove_emptied = true;  // sub-folders once emptied (a pass by mask never removes one)
  bool remove_self = false;    // the folder itself once emptied
  Keep keep;
  LogClass log = LogClass::Always;
  FolderOrigin origin = FolderOrigin::Program;

  bool operator==(const CleanFolder&) const = default;
};

// What a DeleteKey leaves (a community definition's registry exclusions): the key `key`
// (below the DeleteKey's key, "\"-separated; empty for that key itself) with everything
// under it, or, with `value`, that one value of it.
struct KeptKey {
  std::string key;
  std::optional<std::string> value;

  bool operator==(const KeptKey&) const = default;
};

// Removes a key with its whole sub-tree. With `keep`, the key and the keys on the way to
// what is kept stay: every other value and sub-key under it goes.
struct DeleteKey {
  platform::RootKey root = platform::RootKey::CurrentUser;
  std::string path;  // below the root; a leading "\" names the same key
  FolderOrigin origin = FolderOrigin::Program;
  std::vector<KeptKey> keep;

  bool operator==(const DeleteKey&) const = default;
};

// Removes one value of a key.
struct DeleteValue {
  platform::RootKey root = platform::RootKey::CurrentUser;
  std::string path;
  std::string value;
  // Under HKEY_LOCAL_MACHINE, only for an administrator (or on Windows 9x), as definition
  // files' value entries are.
  bool needs_administrator = false;

  bool operator==(const DeleteValue&) const = default;
};

// Removes every value and sub-key of a key, which stays.
struct EmptyKey {
  platform::RootKey root = platform::RootKey::CurrentUser;
  std::string path;
  FolderOrigin origin = FolderOrigin::Program;
  bool needs_administrator = false;

  bool operator==(const EmptyKey&) const = default;
};

// Work bound to a format or to a program's own way of keeping things.
enum class SpecialStep {
  ClearingNotice,  // "Clearing, please wait..." in a Clean whose files `log` does not show
  RecycleBin,      // every fixed drive's "\Recycled", then the shell empties every bin
  Clipboard,       // the clipboard's contents, in a Clean
  TypedUrlLines,   // a line for each typed URL of Internet Explorer, before its key goes
  UrlHistory,      // every URL of the URL history store
  UrlCache,        // every "http://" entry of the WinINet URL cache
  HistoryFolders,  // Internet Explorer's history day folders, then their indexes
  IndexDatWipe,    // the index `file` of the folder `where`, overwritten in place
  IndexDatFiles,   // the three main indexes, wiped and removed at the next start
  IeCookies,       // the cookie files the keep list does not name, then their index
  IeAutocomplete,  // the Protected Storage's Internet Explorer items and IntelliForms keys
  MsnMessenger,    // the message log folder and "My Received Files"
  DatabaseTable,   // every row of `table` in the database `file` of each folder `where` reaches
  HistoryIndexes,  // Chrome's "History Index ..." files of the folder `where`, each by name
  RefusedEntry,    // an entry never carried out: "skipping <file>: <reason>" when its turn comes
};

struct Special {
  SpecialStep step = SpecialStep::Clipboard;
  Where where;
  std::string file;
  std::string table;
  LogClass log = LogClass::Always;
  std::string reason;  // RefusedEntry: why the entry is never carried out

  bool operator==(const Special&) const = default;
};

// The item's later actions run only when `where` reaches a folder (Office's items, without
// the application-data folder, touch nothing, their registry entries included).
struct Require {
  Where where;

  bool operator==(const Require&) const = default;
};

using Action = std::variant<DeleteKey, DeleteValue, EmptyKey, CleanFolder, Special, Require>;
using Actions = std::vector<Action>;

// Building the values above.
Segment Named(std::vector<std::string> names);  // each of these sub-folders that is there
// Every sub-folder; with `path_contains`, those whose path as the log writes it holds that.
Segment EachFolder(std::string path_contains = {});
// The first of `names` that is there, else the first sub-folder whose path holds the text.
Segment FirstFolder(std::vector<std::string> names, std::string path_contains);
// The anchor and the sub-folders `folders`, one below the other.
Where Below(Anchor anchor, const std::vector<std::string>& folders = {});
// A folder named in full.
Where InFolder(std::string folder);
// `where` and `segment` one step further down.
Where Then(Where where, Segment segment);

DeleteKey KeyAction(platform::RootKey root, std::string path,
                    FolderOrigin origin = FolderOrigin::Program);
DeleteValue ValueAction(platform::RootKey root, std::string path, std::string value);
// Every file the masks take (all without masks) of the folders `where` reaches, the folders
// staying; at `depth`, with emptied sub-folders removed when there are no masks.
CleanFolder FolderAction(Where where, std::vector<Mask> masks = {}, Depth depth = Depth::Recursive);
Special SpecialAction(SpecialStep step, Where where = {}, std::string file = {},
                      std::string table = {});

}  // namespace morvel
