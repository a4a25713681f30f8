#include "engine/executor.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "common/text.h"
#include "engine/file_removal.h"
#include "engine/folder_guard.h"
#include "engine/folder_lookups.h"
#include "engine/folder_scan.h"
#include "engine/name_mask.h"
#include "engine/registry_hives.h"
#include "engine/registry_removal.h"
#include "engine/special_steps.h"

namespace morvel {

namespace {

using platform::FolderHandle;
using platform::RootKey;

constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr std::string_view kNotAdministrator = "You must have administrators user.";

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// "C:\..." or a network path "\\server\...". Anything else would be resolved against the
// current drive or folder, which is not what any action asks for.
bool IsAbsoluteFolder(std::string_view folder) {
  if (folder.size() >= 3 && folder[1] == ':' && (folder[2] == '\\' || folder[2] == '/')) {
    const char letter = UpperAscii(folder[0]);
    return letter >= 'A' && letter <= 'Z';
  }
  return folder.size() > 2 && folder[0] == '\\' && folder[1] == '\\';
}

// The anchor's folder as the system, the registry or the action names it; empty when there
// is none. The shell's folder lookups may go through WinINet's session: it is ended first.
std::string AnchorText(RunContext& run, const Where& where) {
  platform::SystemInfo& system = run.port().system;
  const auto shell = [&system](platform::SpecialFolder folder) {
    system.EndBrowserSession();
    return system.SpecialFolderPath(folder);
  };
  const auto shell_folders = [&run](RootKey root, std::string_view name) {
    return platform::ReadText(run.port().registry, root, kShellFolders, name).value_or("");
  };
  using platform::SpecialFolder;
  switch (where.anchor) {
    case Anchor::Windows:
      return system.WindowsFolder();
    case Anchor::System:
      return system.SystemFolder();
    case Anchor::Temp:
      return system.TempFolder();
    case Anchor::AppData:
      return shell(SpecialFolder::AppData);
    case Anchor::LocalAppData:
      return shell_folders(RootKey::CurrentUser, "Local AppData");
    case Anchor::CommonAppData:
      return shell_folders(RootKey::LocalMachine, "Common AppData");
    case Anchor::Personal:
      return shell(SpecialFolder::Personal);
    case Anchor::Recent:
      return shell(SpecialFolder::Recent);
    case Anchor::InternetCache:
      return shell(SpecialFolder::InternetCache);
    case Anchor::Cookies:
      return shell(SpecialFolder::Cookies);
    case Anchor::History:
      return shell(SpecialFolder::History);
    case Anchor::ProgramFiles:
    case Anchor::ProgramFilesX86: {
      // The registry's 64-bit view names both on 64-bit Windows, the 64-bit one first.
      const auto folders = platform::ProgramFilesFolders(run.port().registry);
      const std::size_t which = where.anchor == Anchor::ProgramFiles ? 0 : 1;
      return which < folders.size() ? folders[which] : std::string();
    }
    case Anchor::Executable:
      return system.ExecutableFolder();
    case Anchor::Folder:
      break;
  }
  return where.folder;
}

// The sub-folders of `folder` a listing segment admits, in listing order. Listed first,
// entered after: entering may change the folder they are listed from. A link is no folder
// of this one and is passed over.
std::vector<std::string> Admitted(RunContext& run, const FolderHandle& folder,
                                  const std::string& shown, const Segment& segment) {
  std::vector<std::string> names;
  (void)folder.Enumerate([&](const platform::FileEntry& entry) {
    if (entry.IsFolder() && !entry.IsReparsePoint() && IsPlainName(entry.name) &&
        MatchesPattern(entry.name, segment.pattern) &&
        (shown + entry.name).find(segment.path_contains) != std::string::npos)
      names.push_back(entry.name);
    return !run.Terminated();
  });
  return names;
}

}  // namespace

Executor::Executor(RunContext& run) : run_(run) {}

Executor::~Executor() = default;

void Executor::BeginItem() {
  running_ = 0;
  told_not_administrator_ = false;
}

void Executor::Counted(std::int32_t entries) { running_ = WrappingAdd(running_, entries); }

void Executor::ReportProgress() { run_.ReportProgress(running_); }

Executor::Held Executor::OpenAnchor(std::string text) {
  if (run_.Terminated() || text.empty() || text == "\\") return {};
  if (text.back() != '\\') text += '\\';  // "C:" is the drive root "C:\"
  if (!IsAbsoluteFolder(text)) return {};
  const auto status = run_.port().files.Stat(text);
  if (!status.ok() || !status.value.IsFolder()) return {};
  auto held = HoldFolder(run_, text);
  if (!held) return {};
  return {std::move(text), std::move(held)};
}

Executor::Held* Executor::AnchorOf(const Where& where, Held& scratch) {
  if (where.anchor == Anchor::Folder) {
    scratch = OpenAnchor(where.folder);
    return scratch.folder ? &scratch : nullptr;
  }
  auto found = anchors_.find(where.anchor);
  if (found == anchors_.end())
    found = anchors_.emplace(where.anchor, OpenAnchor(AnchorText(run_, where))).first;
  return found->second.folder ? &found->second : nullptr;
}

void Executor::ForEachTarget(const Where& where, const TargetVisit& visit, Tally* tally) {
  Held scratch;
  Held* anchor = AnchorOf(where, scratch);
  if (!anchor) return;
  remove_target_ = false;
  Descend(*anchor->folder, anchor->shown, where, 0, visit, tally);
  if (!remove_target_) return;
  remove_target_ = false;
  // The anchor itself goes as it was named (a link as the link), once let go of: Windows
  // would not remove a folder held open. RemoveDirectory takes only an empty folder.
  const std::string named = anchor->shown;
  if (where.anchor == Anchor::Folder)
    scratch.folder.reset();
  else
    anchors_.erase(where.anchor);
  (void)run_.port().files.RemoveFolder(named);
}

void Executor::Descend(FolderHandle& folder, const std::string& shown, const Where& where,
                       std::size_t segment, const TargetVisit& visit, Tally* tally) {
  if (run_.Terminated()) return;
  if (segment == where.segments.size()) {
    Reached reached{folder, shown};
    visit(reached);
    return;
  }
  const Segment& step = where.segments[segment];
  // Enters the sub-folder `name` inside `folder`, never through a link; false when it is
  // not there to enter.
  const auto enter = [&](const std::string& name) {
    if (run_.Terminated()) return false;
    const std::string below = shown + name + '\\';
    auto sub = folder.OpenSubFolder(name);
    if (!sub.ok() || !sub.value) {
      // A link where a folder was named or listed: what it leads to is no folder of this one.
      if (sub.status.kind == platform::ErrorKind::Link) {
        LogLinkSkipped(run_, below);
        if (tally) tally->Leave({below, LeftReason::Refused});
      }
      return false;
    }
    Descend(*sub.value, below, where, segment + 1, visit, tally);
    if (segment + 1 == where.segments.size() && remove_target_) {
      remove_target_ = false;
      sub.value.reset();
      (void)folder.RemoveSubFolder(name);
    }
    return true;
  };
  switch (step.kind) {
    case SegmentKind::Named:
      for (const std::string& name : step.names) enter(name);
      return;
    case SegmentKind::Each:
      for (const std::string& name : Admitted(run_, folder, shown, step)) enter(name);
      return;
    case SegmentKind::First:
      for (const std::string& name : step.names)
        if (enter(name)) return;
      if (const auto admitted = Admitted(run_, folder, shown, step); !admitted.empty())
        enter(admitted.front());
      return;
  }
}

void Executor::ForEachFolder(const Where& where, const std::function<void(Reached&)>& visit,
                             Tally* tally) {
  ForEachTarget(where, visit, tally);
}

bool Executor::RunRequire(const Require& require) {
  bool reached = false;
  ForEachTarget(
      require.where, [&reached](Reached&) { reached = true; }, nullptr);
  return reached;
}

Tally Executor::CleanReached(Reached& target, const CleanFolder& action) {
  // A pass by mask that does not go below the folder takes only files of the folder itself,
  // unless the mask takes every name: it empties the folder as surely as a sweep does.
  const bool sweeps =
      action.masks.empty() || action.depth == Depth::Recursive ||
      std::any_of(action.masks.begin(), action.masks.end(), [](const Mask& mask) {
        if (!mask.patterns.empty())
          return std::any_of(mask.patterns.begin(), mask.patterns.end(), [](std::string_view p) {
            return p.find_first_not_of("*?.") == std::string_view::npos;
          });
        return !mask.any_case && NameMask(mask.text).TakesEveryName();
      });
  const FolderReach reach = sweeps ? FolderReach::Tree : FolderReach::Files;
  Tally tally;
  if (action.origin == FolderOrigin::Program && !guarded_) guarded_ = LookUpGuardedFolders(run_);
  if (!MayClean(run_, target.shown, target.folder, action.origin, reach,
                guarded_ ? &*guarded_ : nullptr)) {
    tally.Leave({target.shown, LeftReason::Refused});
    return tally;
  }
  bool asked_no = false;
  const auto pass = [&](const Mask* mask) {
    if (std::optional<Tally> done = ScanFolder(*this, target.folder, target.shown, action, mask)) {
      tally.Add(*done);
    } else {
      asked_no = true;
      tally.Leave({target.shown, LeftReason::Refused});
    }
  };
  if (action.masks.empty()) pass(nullptr);
  for (const Mask& mask : action.masks) pass(&mask);
  // Emptied, the folder itself goes too when asked (what it still holds keeps it).
  remove_target_ = action.remove_self && !asked_no && !run_.IsTestMode();
  return tally;
}

Tally Executor::Clean(const CleanFolder& action) {
  Tally tally;
  ForEachTarget(
      action.where, [&](Reached& target) { tally.Add(CleanReached(target, action)); }, &tally);
  return tally;
}

// A key right below a root (HKEY_CURRENT_USER\Software, HKEY_LOCAL_MACHINE\SYSTEM) holds a
// whole program world, as a drive root holds every file: the user's own list asks before
// removing or emptying one, as it asks before emptying a drive root. Test mode asks nothing.
bool Executor::ConfirmTopLevelKey(RootKey root, std::string_view path, bool emptied) {
  if (run_.IsTestMode()) return true;
  std::string_view key = path;
  while (key.starts_with('\\')) key.remove_prefix(1);
  while (key.ends_with('\\')) key.remove_suffix(1);
  // HKEY_USERS\<SID>\Software is HKEY_CURRENT_USER\Software by another name.
  if (!IsRightBelowHive(root, key)) return true;
  // Only about a key that is there, as the drive root is asked about when it exists.
  if (!run_.port().registry.KeyExists(root, key)) return true;
  const std::string name = RootKeyName(root) + "\\" + std::string(key);
  const std::string text =
      emptied ? "Do you want to delete all keys and values under " + name + "?"
              : "Do you want to delete the registry key " + name + " with all its keys and values?";
  return AskBeforeRemoving(run_, text);
}

// Values under HKEY_LOCAL_MACHINE change only for an administrator (any user on Windows 9x);
// anyone else is told once per item, except in an unattended run.
bool Executor::MayChangeValues(RootKey root) {
  if (root != RootKey::LocalMachine) return true;
  if (!may_change_local_machine_) {
    const platform::SystemInfo& system = run_.port().system;
    may_change_local_machine_ =
        system.Version().family == platform::WindowsFamily::Win9x || system.IsAdministrator();
  }
  if (*may_change_local_machine_) return true;
  if (!told_not_administrator_) {
    told_not_administrator_ = true;
    if (run_.mode() != RunMode::Unattended)
      run_.port().questions.Ask(platform::Question{kNotAdministrator, "", platform::Buttons::Ok,
                                                   platform::Icon::None, platform::Answer::Ok});
  }
  return false;
}

Tally Executor::Run(const Action& action) {
  const auto key_name = [](RootKey root, std::string_view path) {
    return RootKeyName(root) + "\\" + std::string(path);
  };
  Tally tally = std::visit(
      Overloaded{
          [&](const DeleteKey& step) {
            if (step.origin == FolderOrigin::User &&
                !ConfirmTopLevelKey(step.root, step.path, false))
              return Tally{0, 0, {{key_name(step.root, step.path), LeftReason::Refused}}};
            return RemoveKeyKeeping(run_, step.root, step.path, step.keep);
          },
          [&](const DeleteValue& step) {
            if (step.needs_administrator && !MayChangeValues(step.root))
              return Tally{
                  0,
                  0,
                  {{key_name(step.root, step.path) + "\\" + step.value, LeftReason::Refused}}};
            return RemoveValue(run_, step.root, step.path, step.value);
          },
          [&](const EmptyKey& step) {
            if ((step.origin == FolderOrigin::User &&
                 !ConfirmTopLevelKey(step.root, step.path, true)) ||
                (step.needs_administrator && !MayChangeValues(step.root)))
              return Tally{0, 0, {{key_name(step.root, step.path), LeftReason::Refused}}};
            return RemoveKeyContents(run_, step.root, step.path);
          },
          [&](const CleanFolder& step) { return Clean(step); },
          [&](const Special& step) { return RunSpecial(*this, step); },
          [&](const Require& step) {
            (void)RunRequire(step);
            return Tally{};
          },
      },
      action);
  // Folder passes count their files as they go; the other steps are counted here.
  if (!std::holds_alternative<CleanFolder>(action) && !std::holds_alternative<Special>(action))
    Counted(tally.items);
  return tally;
}

Tally Executor::Run(const Actions& actions) {
  Tally tally;
  for (const Action& action : actions) {
    if (run_.Terminated()) break;
    if (const auto* require = std::get_if<Require>(&action)) {
      if (!RunRequire(*require)) break;
      continue;
    }
    tally.Add(Run(action));
  }
  return tally;
}

}  // namespace morvel
