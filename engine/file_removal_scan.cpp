// The folder scans: CleanFolder, CleanSubFolder and CleanFolderByMask.
//
// A scan walks the tree with an explicit stack of folders rather than by recursion, so a
// deeply nested tree cannot exhaust the worker thread's stack; the order of work is that
// of the recursive walk: a sub-folder is finished (and removed) where it is listed.

#include <string>
#include <vector>

#include "common/text.h"
#include "common/windows_names.h"
#include "engine/file_removal.h"
#include "engine/folder_lookups.h"
#include "engine/name_mask.h"

namespace morvel {

namespace {

using platform::FileEntry;

constexpr const char* kProductName = "Morvel";

// "C:\..." or a network path "\\server\...". Anything else would be resolved against the
// current drive or folder, which is not what any cleaner asks for.
bool IsAbsoluteFolder(std::string_view folder) {
  if (folder.size() >= 3 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/')) {
    const char letter = UpperAscii(folder[0]);
    return letter >= 'A' && letter <= 'Z';
  }
  return folder.size() > 2 && folder[0] == '\\' && folder[1] == '\\';
}

std::int32_t PlusOne(std::int32_t count) {
  // 32 bits as the item counter has; wraps rather than overflowing.
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(count) + 1U);
}

struct ScanOptions {
  bool log = true;
  std::string_view keep_name;      // CleanFolder: never removed, at any depth
  const NameMask* mask = nullptr;  // CleanFolderByMask: only matching files go
  bool recurse = true;             // CleanFolderByMask: into sub-folders too
};

std::string JoinName(const std::string& real_folder, std::string_view name) {
  std::string path = real_folder;
  if (path.back() != '\\') path += '\\';
  path += name;
  return path;
}

std::string_view WithoutTrailingBackslash(std::string_view path) {
  while (path.size() > 1 && path.back() == '\\') path.remove_suffix(1);
  return path;
}

class FolderScan {
 public:
  FolderScan(RunContext& run, std::int32_t& item_count, const ScanOptions& options)
      : run_(run), item_count_(item_count), options_(options) {}

  std::uint64_t Run(std::string_view folder, bool remove_folder) {
    std::vector<Frame> stack;
    EnterTop(folder, remove_folder, stack);
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next < frame.entries.size() && !run_.Terminated()) {
        const FileEntry& entry = frame.entries[frame.next++];
        // A link or junction is skipped whole: never counted, removed or entered.
        if (entry.IsReparsePoint() || !IsPlainName(entry.name)) continue;
        std::string shown = frame.shown + entry.name;
        std::string real = JoinName(frame.real, entry.name);
        if (entry.IsFolder()) {
          if (options_.mask == nullptr || options_.recurse)
            Enter(std::move(shown) + '\\', std::move(real), LiteralPath(real),
                  /*remove_folder=*/options_.mask == nullptr, stack);  // `frame` dangles now
        } else {
          VisitFile(entry, shown, LiteralPath(real));
        }
        continue;
      }
      // A folder that still holds anything stays; that is not an error.
      if (frame.remove && !run_.IsTestMode())
        (void)run_.port().files.RemoveFolder(frame.remove_path);
      stack.pop_back();
    }
    return bytes_;
  }

 private:
  struct Frame {
    std::string shown;        // as the caller wrote it, with a trailing "\": for the log
    std::string real;         // where it leads (FinalPath): what is decided on and worked on
    std::string remove_path;  // what RemoveFolder is given: a link named by the caller goes
                              // as the link, never the folder it leads to
    std::vector<FileEntry> entries;
    std::size_t next = 0;
    bool remove = false;
  };

  // The folder the caller named: the guards, then the real folder it leads to, however it
  // is spelled and through whatever links. A folder whose real place cannot be told is not
  // scanned.
  void EnterTop(std::string_view folder, bool remove_folder, std::vector<Frame>& stack) {
    if (run_.Terminated() || folder == "\\") return;
    std::string f(folder);
    if (f.empty() || f.back() != '\\') f += '\\';  // "C:" is the drive root "C:\"
    if (!IsAbsoluteFolder(f)) return;
    platform::FileSystem& files = run_.port().files;
    const auto status = files.Stat(f);
    if (!status.ok() || !status.value.IsFolder()) return;
    auto real = files.FinalPath(f);
    if (!real.ok() || real.value.empty()) return;
    std::string exact = LiteralPath(real.value);
    Enter(std::move(f), std::move(real.value), std::move(exact), remove_folder, stack, true);
  }

  // The question of one folder, then its listing onto the stack. A folder refused here
  // adds nothing and is not removed.
  void Enter(std::string shown, std::string real, std::string exact, bool remove_folder,
             std::vector<Frame>& stack, bool named_by_caller = false) {
    if (run_.Terminated()) return;
    if (!run_.IsTestMode() && !ConfirmProtectedFolder(shown, real)) return;
    Frame frame{std::move(shown), std::move(real), {}, {}, 0, remove_folder};
    frame.remove_path = named_by_caller ? frame.shown : exact;
    // A listing that cannot be made leaves the folder empty-handed; it may still be removed.
    (void)run_.port().files.Enumerate(exact, [&frame](const FileEntry& entry) {
      frame.entries.push_back(entry);
      return true;
    });
    stack.push_back(std::move(frame));
  }

  void VisitFile(const FileEntry& entry, const std::string& shown, const std::string& exact) {
    if (options_.mask != nullptr) {
      if (!options_.mask->Matches(entry.name)) return;
    } else if (!options_.keep_name.empty() && SameText(entry.name, options_.keep_name)) {
      return;
    }
    if (!RemoveFileNamed(run_, shown, exact, options_.log)) return;
    item_count_ = PlusOne(item_count_);
    bytes_ += entry.size;
    run_.ReportProgress();
  }

  // Asks before emptying a drive root, My Documents or My Pictures; false when the user
  // says No. The decision is taken on the real folder, so that no other spelling of it
  // ("C:\Windows\..", "\\?\C:\", "\\localhost\C$") and no link to it gets past the question.
  // The question names the folder as the caller wrote it when that is how it is really
  // called, else by its real name.
  bool ConfirmProtectedFolder(const std::string& shown, const std::string& real) {
    const std::string f = SameText(WithoutTrailingBackslash(shown), WithoutTrailingBackslash(real))
                              ? shown
                              : JoinName(real, "");
    const std::string everything = "Do you want to delete all files and folders under " + f + "?";
    const bool by_mask = options_.mask != nullptr;
    if (IsRootPath(real) && (!by_mask || options_.mask->IsWide()) && !Ask(everything)) return false;
    LookUpProtectedFolders();
    const std::string text = by_mask ? "Do you want to delete the files on " + f + "?" : everything;
    for (const std::string& folder : protected_)
      if (SameText(real, folder) && !Ask(text)) return false;
    return true;
  }

  // My Documents and My Pictures where they really are: a junction named "My Pictures"
  // inside Documents leads to the user's Pictures folder, which is then asked about too.
  void LookUpProtectedFolders() {
    if (protected_looked_up_) return;
    protected_looked_up_ = true;
    const std::string documents = GetMyDocumentsFolder(run_);
    if (documents.empty()) return;
    const platform::FileSystem& files = run_.port().files;
    for (const std::string& folder : {documents, documents + "My Pictures\\"}) {
      const auto real = files.FinalPath(folder);
      protected_.emplace_back(real.ok() ? real.value
                                        : std::string(WithoutTrailingBackslash(folder)));
    }
  }

  bool Ask(const std::string& text) {
    const platform::Question question{text, kProductName, platform::Buttons::YesNo,
                                      platform::Icon::Information, platform::Answer::No};
    return run_.port().questions.Ask(question) == platform::Answer::Yes;
  }

  RunContext& run_;
  std::int32_t& item_count_;
  const ScanOptions options_;
  std::uint64_t bytes_ = 0;
  bool protected_looked_up_ = false;
  std::vector<std::string> protected_;  // real My Documents and My Pictures
};

}  // namespace

// Only a name of the folder itself may be joined to its path: whatever the enumeration
// returns, nothing built from it can point above or beside the folder.
bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string_view::npos;
}

std::uint64_t CleanFolder(RunContext& run, std::string_view folder, bool remove_folder, bool log,
                          std::string_view keep_name, std::int32_t& item_count) {
  ScanOptions options;
  options.log = log;
  options.keep_name = keep_name;
  return FolderScan(run, item_count, options).Run(folder, remove_folder);
}

std::uint64_t CleanSubFolder(RunContext& run, std::string_view folder, std::int32_t& item_count,
                             bool log, std::string_view keep_name) {
  return CleanFolder(run, folder, /*remove_folder=*/true, log, keep_name, item_count);
}

std::uint64_t CleanFolderByMask(RunContext& run, std::string_view folder, std::string_view mask,
                                std::int32_t& item_count, bool recurse) {
  const NameMask name_mask(mask);
  ScanOptions options;
  options.log = true;
  options.mask = &name_mask;
  options.recurse = recurse;
  return FolderScan(run, item_count, options).Run(folder, /*remove_folder=*/false);
}

std::uint64_t CleanFileByName(RunContext& run, std::string_view folder, std::string_view name,
                              std::int32_t& item_count) {
  std::string path(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  const auto entry = run.port().files.Stat(path);
  // An exact mask compares letter case; give it the name as the folder lists it.
  const std::string stored =
      entry.ok() && SameText(entry.value.name, name) ? entry.value.name : std::string(name);
  return CleanFolderByMask(run, folder, stored, item_count, false);
}

}  // namespace morvel
