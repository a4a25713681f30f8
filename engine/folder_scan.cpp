// The pass of a folder action over a held folder.
//
// Every sub-folder is opened by name inside its held parent without following a link, so a
// folder swapped for a link between its listing and its turn is not entered (and the log
// says so), and the files of a folder are deleted in the very folder that was listed,
// whatever happens to paths meanwhile.
//
// The tree is walked with an explicit stack of folders rather than by recursion, so a
// deeply nested tree cannot exhaust the worker thread's stack; the order of work is that
// of the recursive walk: a sub-folder is finished (and removed) where it is listed.

#include "engine/folder_scan.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "common/text.h"
#include "common/windows_names.h"
#include "engine/file_removal.h"
#include "engine/folder_guard.h"
#include "engine/folder_lookups.h"
#include "engine/name_mask.h"
#include "engine/walk_bounds.h"

namespace morvel {

namespace {

using platform::FileEntry;
using platform::FolderHandle;

constexpr std::string_view kTooDeep = "folders nested this deep are left alone";

// Whether `name` matches one of `patterns` as Windows matches a file mask: MatchesPattern,
// and a mask ending in ".*" takes names without an extension too ("cache*.*", "cache").
bool MatchesAny(std::string_view name, const std::vector<std::string>& patterns) {
  return std::any_of(patterns.begin(), patterns.end(), [name](std::string_view pattern) {
    return MatchesPattern(name, pattern) ||
           (pattern.ends_with(".*") && MatchesPattern(name, pattern.substr(0, pattern.size() - 2)));
  });
}

// Whether the folder the log writes as `shown` is the kept folder `keep.folder` or, when
// it keeps what lies below it, lies below it: compared name by name, each name of the kept
// folder a pattern.
bool KeepsIn(const KeepPath& keep, std::string_view shown) {
  const auto next = [](std::string_view& path) {
    while (path.starts_with('\\')) path.remove_prefix(1);
    const std::size_t cut = path.find('\\');
    const std::string_view name = path.substr(0, cut);
    path.remove_prefix(cut == std::string_view::npos ? path.size() : cut);
    while (path.starts_with('\\')) path.remove_prefix(1);
    return name;
  };
  std::string_view kept = keep.folder;
  while (!kept.empty()) {
    if (shown.empty() || !MatchesPattern(next(shown), next(kept))) return false;
  }
  return shown.empty() || keep.below;
}

class FolderPass {
 public:
  FolderPass(Executor& executor, const CleanFolder& action, const Mask* mask)
      : executor_(executor),
        run_(executor.run()),
        action_(action),
        mask_(mask),
        name_mask_(mask ? mask->text : std::string()),
        log_(ShowsFileLines(run_, action.log)) {}

  std::optional<Tally> Run(FolderHandle& folder, const std::string& shown) {
    if (run_.Terminated()) return Tally{};
    if (!run_.IsTestMode() && !ConfirmProtectedFolder(shown, folder.Path())) return std::nullopt;
    std::vector<Frame> stack;
    Push(shown, &folder, nullptr, {}, /*remove=*/false, stack);
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next < frame.entries.size() && !run_.Terminated()) {
        const FileEntry& entry = frame.entries[frame.next++];
        // A link or junction is passed over whole: never counted, removed or entered.
        if (entry.IsReparsePoint() || !IsPlainName(entry.name)) continue;
        if (entry.IsFolder()) {
          if (EntersSubFolders() && !IsKeptFolder(entry.name))
            Enter(*frame.folder, frame.shown + entry.name + '\\', entry.name, stack);
          // `frame` may dangle now
        } else if (!IsKeptAtTop(stack.size(), entry.name) && !IsKeptPath(frame, entry.name)) {
          VisitFile(*frame.folder, frame.shown, entry);
        }
        continue;
      }
      Finish(stack);
    }
    return std::move(tally_);
  }

 private:
  struct Frame {
    std::string shown;  // as the log writes it, with a trailing "\"
    FolderHandle* folder = nullptr;
    std::unique_ptr<FolderHandle> owned;  // every folder but the first
    std::string name;                     // its name in the folder below it on the stack
    std::vector<FileEntry> entries;
    std::size_t next = 0;
    bool remove = false;
    std::vector<const KeepPath*> kept;  // the kept paths that hold this folder's files
  };

  [[nodiscard]] bool EntersSubFolders() const { return action_.depth == Depth::Recursive; }

  // A folder whose entries are all done: let go of it, then remove it when asked. A folder
  // that still holds anything stays; that is not an error.
  void Finish(std::vector<Frame>& stack) {
    const bool remove = stack.back().remove && !run_.IsTestMode();
    const std::string name = std::move(stack.back().name);
    stack.pop_back();  // closes its handle: Windows would not remove a folder held open
    if (remove && !stack.empty()) (void)stack.back().folder->RemoveSubFolder(name);
  }

  bool IsKeptAtTop(std::size_t depth, std::string_view name) const {
    if (depth != 1) return false;
    const Keep& keep = action_.keep;
    return keep.top_files ||
           std::any_of(keep.top_names.begin(), keep.top_names.end(),
                       [name](const std::string& kept) { return SameText(kept, name); });
  }

  static bool IsKeptPath(const Frame& frame, std::string_view name) {
    return std::any_of(frame.kept.begin(), frame.kept.end(), [name](const KeepPath* keep) {
      return keep->masks.empty() || MatchesAny(name, keep->masks);
    });
  }

  bool IsKeptFolder(std::string_view name) const {
    const auto& folders = action_.keep.folders;
    return std::any_of(folders.begin(), folders.end(), [name](const std::string& pattern) {
      return MatchesPattern(name, pattern);
    });
  }

  // The sub-folder `name` of `parent`, never through a link, asked about, then listed.
  void Enter(FolderHandle& parent, std::string shown, std::string_view name,
             std::vector<Frame>& stack) {
    if (run_.Terminated()) return;
    if (stack.size() >= kMaxFolderDepth) {
      LogSkipped(run_, shown, kTooDeep);
      tally_.Leave({shown, LeftReason::Refused});
      return;
    }
    auto sub = parent.OpenSubFolder(name);
    if (!sub.ok() || !sub.value) {
      // Swapped for a link since it was listed: not entered, and said so.
      if (sub.status.kind == platform::ErrorKind::Link) {
        LogLinkSkipped(run_, shown);
        tally_.Leave({shown, LeftReason::Refused});
      }
      return;
    }
    if (!run_.IsTestMode() && !ConfirmProtectedFolder(shown, sub.value->Path())) {
      tally_.Leave({shown, LeftReason::Refused});
      return;
    }
    FolderHandle* folder = sub.value.get();
    const bool remove = action_.remove_emptied && (mask_ == nullptr || !mask_->patterns.empty());
    Push(std::move(shown), folder, std::move(sub.value), std::string(name), remove, stack);
  }

  void Push(std::string shown, FolderHandle* folder, std::unique_ptr<FolderHandle> owned,
            std::string name, bool remove, std::vector<Frame>& stack) const {
    Frame frame{std::move(shown), folder, std::move(owned), std::move(name), {}, 0, remove, {}};
    for (const KeepPath& keep : action_.keep.paths)
      if (KeepsIn(keep, frame.shown)) frame.kept.push_back(&keep);
    // A listing that cannot be made leaves the folder empty-handed; it may still be removed.
    (void)folder->Enumerate([&frame](const FileEntry& entry) {
      frame.entries.push_back(entry);
      return true;
    });
    stack.push_back(std::move(frame));
  }

  void VisitFile(FolderHandle& folder, const std::string& shown_folder, const FileEntry& entry) {
    if (mask_ != nullptr) {
      const bool matches = !mask_->patterns.empty() ? MatchesAny(entry.name, mask_->patterns)
                           : mask_->any_case        ? SameText(entry.name, mask_->text)
                                                    : name_mask_.Matches(entry.name);
      if (!matches) return;
    } else if (IsKeptName(entry.name)) {
      return;
    }
    RemoveListedFile(executor_, folder, entry, shown_folder, log_, tally_);
  }

  bool IsKeptName(std::string_view name) const {
    const Keep& keep = action_.keep;
    if (keep.names_in_test_only && !run_.IsTestMode()) return false;
    return std::any_of(keep.names.begin(), keep.names.end(),
                       [name](const std::string& kept) { return SameText(kept, name); });
  }

  // Asks before emptying a drive root, My Documents or My Pictures; false when the user
  // says No. The decision is taken on the real folder, so that no other spelling of it
  // ("C:\Windows\..", "\\?\C:\", "\\localhost\C$") and no link to it gets past the question.
  // The question names the folder as the action reached it when that is how it is really
  // called, else by its real name.
  bool ConfirmProtectedFolder(const std::string& shown, const std::string& real) {
    const std::string f =
        SameText(WithoutTrailingSeparators(shown), WithoutTrailingSeparators(real))
            ? shown
            : WithBackslash(real);
    const std::string everything = "Do you want to delete all files and folders under " + f + "?";
    const bool by_mask = mask_ != nullptr;
    LookUpProtectedFolders();
    // The profile holds all of the user's folders at once: asked about as a drive root is,
    // and so is any folder that holds it.
    const bool holds_profile = profile_ && IsSameOrBelow(*profile_, real);
    if ((IsRootPath(real) || holds_profile) && (!by_mask || name_mask_.IsWide()) &&
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

  Executor& executor_;
  RunContext& run_;
  const CleanFolder& action_;
  const Mask* mask_;
  const NameMask name_mask_;
  const bool log_;
  Tally tally_;
  bool protected_looked_up_ = false;
  std::vector<std::string> protected_;  // real My Documents and My Pictures
  std::optional<std::string> profile_;  // the real profile
};

}  // namespace

std::optional<Tally> ScanFolder(Executor& executor, FolderHandle& folder, const std::string& shown,
                                const CleanFolder& action, const Mask* mask) {
  return FolderPass(executor, action, mask).Run(folder, shown);
}

}  // namespace morvel
