// The folder scans: CleanFolder, CleanSubFolder and CleanFolderByMask.
//
// A scan walks the tree with an explicit stack of folders rather than by recursion, so a
// deeply nested tree cannot exhaust the worker thread's stack; the order of work is that
// of the recursive walk: a sub-folder is finished (and removed) where it is listed.

#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
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

class FolderScan {
 public:
  FolderScan(RunContext& run, std::int32_t& item_count, const ScanOptions& options)
      : run_(run), item_count_(item_count), options_(options) {}

  std::uint64_t Run(std::string_view folder, bool remove_folder) {
    std::vector<Frame> stack;
    Enter(folder, remove_folder, stack);
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next < frame.entries.size() && !run_.Terminated()) {
        const FileEntry& entry = frame.entries[frame.next++];
        // A link or junction is skipped whole: never counted, removed or entered.
        if (entry.IsReparsePoint() || !IsPlainName(entry.name)) continue;
        std::string path = frame.folder + entry.name;
        if (entry.IsFolder()) {
          if (options_.mask == nullptr || options_.recurse)
            Enter(path, /*remove_folder=*/options_.mask == nullptr, stack);  // `frame` dangles now
        } else {
          VisitFile(entry, path);
        }
        continue;
      }
      // A folder that still holds anything stays; that is not an error.
      if (frame.remove && !run_.IsTestMode()) (void)run_.port().files.RemoveFolder(frame.folder);
      stack.pop_back();
    }
    return bytes_;
  }

 private:
  struct Frame {
    std::string folder;  // with a trailing "\"
    std::vector<FileEntry> entries;
    std::size_t next = 0;
    bool remove = false;
  };

  // The guards and the question of one folder, then its listing onto the stack. A folder
  // refused here adds nothing and is not removed.
  void Enter(std::string_view folder, bool remove_folder, std::vector<Frame>& stack) {
    if (run_.Terminated() || folder == "\\") return;
    std::string f(folder);
    if (f.empty() || f.back() != '\\') f += '\\';  // "C:" is the drive root "C:\"
    if (!IsAbsoluteFolder(f)) return;
    platform::FileSystem& files = run_.port().files;
    const auto status = files.Stat(f);
    if (!status.ok() || !status.value.IsFolder()) return;
    if (!run_.IsTestMode() && !ConfirmProtectedFolder(f)) return;

    Frame frame{std::move(f), {}, 0, remove_folder};
    // A listing that cannot be made leaves the folder empty-handed; it may still be removed.
    (void)files.Enumerate(frame.folder, [&frame](const FileEntry& entry) {
      frame.entries.push_back(entry);
      return true;
    });
    stack.push_back(std::move(frame));
  }

  void VisitFile(const FileEntry& entry, const std::string& path) {
    if (options_.mask != nullptr) {
      if (!options_.mask->Matches(entry.name)) return;
    } else if (!options_.keep_name.empty() && SameText(entry.name, options_.keep_name)) {
      return;
    }
    if (!RemoveFile(run_, path, options_.log)) return;
    item_count_ = PlusOne(item_count_);
    bytes_ += entry.size;
    run_.ReportProgress();
  }

  // Asks before emptying a drive root, My Documents or My Pictures; false when the user
  // says No. `f` ends with "\".
  bool ConfirmProtectedFolder(const std::string& f) {
    const std::string everything = "Do you want to delete all files and folders under " + f + "?";
    const bool by_mask = options_.mask != nullptr;
    if (f.size() < 4 && (!by_mask || options_.mask->IsWide()) && !Ask(everything)) return false;
    if (!my_documents_) my_documents_ = GetMyDocumentsFolder(run_);
    if (my_documents_->empty()) return true;
    const std::string text = by_mask ? "Do you want to delete the files on " + f + "?" : everything;
    if (SameText(f, *my_documents_) && !Ask(text)) return false;
    if (SameText(f, *my_documents_ + "My Pictures\\") && !Ask(text)) return false;
    return true;
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
  std::optional<std::string> my_documents_;  // looked up at the first question check
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
