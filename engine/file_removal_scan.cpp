// The folder scans: CleanFolder, CleanSubFolder and CleanFolderByMask.
//
// A scan works in folders held open (platform::FolderHandle): the folder a cleaner names
// is decided on and opened by the one door (folder_guard.h), and every sub-folder is opened
// by name inside its held parent without following a link. So a folder swapped for a link
// between its listing and its turn is not entered, and the files of a folder are deleted in
// the very folder that was listed, whatever happens to paths meanwhile.
//
// The tree is walked with an explicit stack of folders rather than by recursion, so a
// deeply nested tree cannot exhaust the worker thread's stack; the order of work is that
// of the recursive walk: a sub-folder is finished (and removed) where it is listed.

#include <algorithm>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/text.h"
#include "common/windows_names.h"
#include "engine/file_removal.h"
#include "engine/folder_lookups.h"
#include "engine/name_mask.h"
#include "engine/walk_bounds.h"

namespace morvel {

namespace {

using platform::FileEntry;
using platform::FolderHandle;

constexpr std::string_view kTooDeep = "folders nested this deep are left alone";

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
  // Files directly in the first folder that stay (a recycle bin's bookkeeping).
  std::span<const std::string_view> top_keep_names;
  FolderOrigin origin = FolderOrigin::Program;

  [[nodiscard]] bool EntersSubFolders() const { return mask == nullptr || recurse; }
};

class FolderScan {
 public:
  FolderScan(RunContext& run, std::int32_t& item_count, const ScanOptions& options)
      : run_(run), item_count_(item_count), options_(options) {}

  // The folder a cleaner named, through the door.
  std::uint64_t Run(std::string_view folder, bool remove_folder) {
    if (run_.Terminated() || folder == "\\") return 0;
    std::string f(folder);
    if (f.empty() || f.back() != '\\') f += '\\';  // "C:" is the drive root "C:\"
    if (!IsAbsoluteFolder(f)) return 0;
    const auto status = run_.port().files.Stat(f);
    if (!status.ok() || !status.value.IsFolder()) return 0;
    // A mask that takes every name empties the folder as surely as a sweep does.
    const bool sweeps = options_.EntersSubFolders() || options_.mask->TakesEveryName();
    const FolderReach reach = sweeps ? FolderReach::Tree : FolderReach::Files;
    std::unique_ptr<FolderHandle> held = EnterFolder(run_, f, options_.origin, reach);
    if (!held) return 0;
    // A link named by the caller goes as the link, never the folder it leads to.
    top_remove_path_ = f;
    return Walk(std::move(f), std::move(held), remove_folder);
  }

  // A folder the caller holds already; kept.
  std::uint64_t RunHeld(std::string shown, std::unique_ptr<FolderHandle> folder) {
    if (run_.Terminated() || !folder) return 0;
    if (shown.empty() || shown.back() != '\\') shown += '\\';
    return Walk(std::move(shown), std::move(folder), /*remove_folder=*/false);
  }

  // The sub-folder `name` of a held folder, removed once emptied.
  std::uint64_t RunBelow(FolderHandle& parent, std::string shown_parent, std::string_view name) {
    if (run_.Terminated() || !IsPlainName(name)) return 0;
    if (shown_parent.empty() || shown_parent.back() != '\\') shown_parent += '\\';
    std::vector<Frame> stack;
    parent_of_first_ = &parent;
    Enter(parent, shown_parent + std::string(name) + '\\', name, /*remove=*/true, stack);
    return WalkStack(stack);
  }

 private:
  struct Frame {
    std::string shown;  // as the caller wrote it, with a trailing "\": for the log
    std::unique_ptr<FolderHandle> folder;
    std::string name;  // its name in the folder below it on the stack
    std::vector<FileEntry> entries;
    std::size_t next = 0;
    bool remove = false;
  };

  std::uint64_t Walk(std::string shown, std::unique_ptr<FolderHandle> held, bool remove_folder) {
    if (!run_.IsTestMode() && !ConfirmProtectedFolder(shown, held->Path())) return 0;
    std::vector<Frame> stack;
    Push(std::move(shown), std::move(held), {}, remove_folder, stack);
    return WalkStack(stack);
  }

  std::uint64_t WalkStack(std::vector<Frame>& stack) {
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next < frame.entries.size() && !run_.Terminated()) {
        const FileEntry& entry = frame.entries[frame.next++];
        // A link or junction is skipped whole: never counted, removed or entered.
        if (entry.IsReparsePoint() || !IsPlainName(entry.name)) continue;
        if (entry.IsFolder()) {
          if (options_.EntersSubFolders())
            Enter(*frame.folder, frame.shown + entry.name + '\\', entry.name,
                  /*remove=*/options_.mask == nullptr, stack);  // `frame` dangles now
        } else if (!IsKeptAtTop(stack.size(), entry.name)) {
          VisitFile(*frame.folder, frame.shown, entry);
        }
        continue;
      }
      Finish(stack);
    }
    return bytes_;
  }

  // A folder whose entries are all done: let go of it, then remove it when asked. A folder
  // that still holds anything stays; that is not an error.
  void Finish(std::vector<Frame>& stack) {
    const bool remove = stack.back().remove && !run_.IsTestMode();
    const std::string name = std::move(stack.back().name);
    stack.pop_back();  // closes its handle: Windows would not remove a folder held open
    if (!remove) return;
    if (!stack.empty()) {
      (void)stack.back().folder->RemoveSubFolder(name);
    } else if (parent_of_first_) {
      (void)parent_of_first_->RemoveSubFolder(name);
    } else if (top_remove_path_) {
      (void)run_.port().files.RemoveFolder(*top_remove_path_);
    }
  }

  bool IsKeptAtTop(std::size_t depth, std::string_view name) const {
    if (depth != 1 || parent_of_first_) return false;
    return std::any_of(options_.top_keep_names.begin(), options_.top_keep_names.end(),
                       [name](std::string_view keep) { return SameText(keep, name); });
  }

  // The sub-folder `name` of `parent`, never through a link, asked about, then listed.
  void Enter(FolderHandle& parent, std::string shown, std::string_view name, bool remove,
             std::vector<Frame>& stack) {
    if (run_.Terminated()) return;
    if (stack.size() >= kMaxFolderDepth) return LogSkipped(run_, shown, kTooDeep);
    auto sub = parent.OpenSubFolder(name);
    if (!sub.ok() || !sub.value) {
      // Swapped for a link since it was listed: not entered, and said so.
      if (sub.status.kind == platform::ErrorKind::Link) LogLinkSkipped(run_, shown);
      return;
    }
    if (!run_.IsTestMode() && !ConfirmProtectedFolder(shown, sub.value->Path())) return;
    Push(std::move(shown), std::move(sub.value), std::string(name), remove, stack);
  }

  static void Push(std::string shown, std::unique_ptr<FolderHandle> folder, std::string name,
                   bool remove, std::vector<Frame>& stack) {
    Frame frame{std::move(shown), std::move(folder), std::move(name), {}, 0, remove};
    // A listing that cannot be made leaves the folder empty-handed; it may still be removed.
    (void)frame.folder->Enumerate([&frame](const FileEntry& entry) {
      frame.entries.push_back(entry);
      return true;
    });
    stack.push_back(std::move(frame));
  }

  void VisitFile(FolderHandle& folder, const std::string& shown_folder, const FileEntry& entry) {
    if (options_.mask != nullptr) {
      if (!options_.mask->Matches(entry.name)) return;
    } else if (!options_.keep_name.empty() && SameText(entry.name, options_.keep_name)) {
      return;
    }
    if (!RemoveHeldFile(run_, folder, entry.name, shown_folder, options_.log)) return;
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
    const std::string f =
        SameText(WithoutTrailingSeparators(shown), WithoutTrailingSeparators(real))
            ? shown
            : WithBackslash(real);
    const std::string everything = "Do you want to delete all files and folders under " + f + "?";
    const bool by_mask = options_.mask != nullptr;
    LookUpProtectedFolders();
    // The profile holds all of the user's folders at once: asked about as a drive root is,
    // and so is any folder that holds it.
    const bool holds_profile = profile_ && IsSameOrBelow(*profile_, real);
    if ((IsRootPath(real) || holds_profile) && (!by_mask || options_.mask->IsWide()) &&
        !Ask(everything))
      return false;
    const std::string text = by_mask ? "Do you want to delete the files on " + f + "?" : everything;
    for (const std::string& folder : protected_)
      if (SameText(real, folder) && !Ask(text)) return false;
    return true;
  }

  // My Documents, My Pictures and the profile where they really are. My Pictures is the
  // Pictures folder of today's Windows, and the folder inside Documents where Windows XP
  // kept it (a junction named so leads to Pictures, which is then asked about too).
  void LookUpProtectedFolders() {
    if (protected_looked_up_) return;
    protected_looked_up_ = true;
    const platform::FileSystem& files = run_.port().files;
    const auto real_of = [&files](const std::string& folder) {
      const auto real = files.FinalPath(folder);
      return real.ok() ? real.value : std::string(WithoutTrailingSeparators(folder));
    };
    // Asked about once, however many of the names lead to it.
    const auto add = [this](std::string real) {
      if (std::none_of(protected_.begin(), protected_.end(),
                       [&real](const std::string& known) { return SameText(known, real); }))
        protected_.push_back(std::move(real));
    };
    const platform::SystemInfo& system = run_.port().system;
    if (const std::string profile = system.SpecialFolderPath(platform::SpecialFolder::Profile);
        !profile.empty())
      profile_ = real_of(profile);
    if (const std::string pictures = system.SpecialFolderPath(platform::SpecialFolder::Pictures);
        !pictures.empty())
      add(real_of(pictures));
    const std::string documents = GetMyDocumentsFolder(run_);
    if (documents.empty()) return;
    for (const std::string& folder : {documents, documents + "My Pictures\\"}) add(real_of(folder));
  }

  bool Ask(const std::string& text) { return AskBeforeRemoving(run_, text); }

  RunContext& run_;
  std::int32_t& item_count_;
  const ScanOptions options_;
  std::uint64_t bytes_ = 0;
  std::optional<std::string> top_remove_path_;  // the first folder's, as its caller named it
  FolderHandle* parent_of_first_ = nullptr;     // RunBelow: the held folder the first lies in
  bool protected_looked_up_ = false;
  std::vector<std::string> protected_;  // real My Documents and My Pictures
  std::optional<std::string> profile_;  // the real profile
};

}  // namespace

bool AskBeforeRemoving(RunContext& run, const std::string& text) {
  const platform::Question question{text, "Morvel", platform::Buttons::YesNo,
                                    platform::Icon::Information, platform::Answer::No};
  return run.port().questions.Ask(question) == platform::Answer::Yes;
}

// Only a name of the folder itself may be joined to its path: whatever the enumeration
// returns, nothing built from it can point above or beside the folder.
bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string_view::npos;
}

std::uint64_t CleanFolder(RunContext& run, std::string_view folder, bool remove_folder, bool log,
                          std::string_view keep_name, std::int32_t& item_count,
                          FolderOrigin origin) {
  ScanOptions options;
  options.log = log;
  options.keep_name = keep_name;
  options.origin = origin;
  return FolderScan(run, item_count, options).Run(folder, remove_folder);
}

std::uint64_t CleanSubFolder(RunContext& run, std::string_view folder, std::int32_t& item_count,
                             bool log, std::string_view keep_name, FolderOrigin origin) {
  return CleanFolder(run, folder, /*remove_folder=*/true, log, keep_name, item_count, origin);
}

std::uint64_t CleanFolderByMask(RunContext& run, std::string_view folder, std::string_view mask,
                                std::int32_t& item_count, bool recurse, FolderOrigin origin) {
  const NameMask name_mask(mask);
  ScanOptions options;
  options.log = true;
  options.mask = &name_mask;
  options.recurse = recurse;
  options.origin = origin;
  return FolderScan(run, item_count, options).Run(folder, /*remove_folder=*/false);
}

std::uint64_t CleanHeldSubFolder(RunContext& run, platform::FolderHandle& parent,
                                 std::string_view shown_parent, std::string_view name,
                                 std::int32_t& item_count, bool log) {
  ScanOptions options;
  options.log = log;
  return FolderScan(run, item_count, options).RunBelow(parent, std::string(shown_parent), name);
}

std::uint64_t CleanHeldFolder(RunContext& run, std::unique_ptr<platform::FolderHandle> folder,
                              std::string_view shown, bool log,
                              std::span<const std::string_view> top_keep_names,
                              std::int32_t& item_count) {
  ScanOptions options;
  options.log = log;
  options.top_keep_names = top_keep_names;
  return FolderScan(run, item_count, options).RunHeld(std::string(shown), std::move(folder));
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
