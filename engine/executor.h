#pragma once
// The one executor of the cleaning language (action.h). A run has one; every item's
// actions, whatever they were compiled from, go through it, in Test and in Clean alike:
// the mode is consulted only where one entry goes (a file, a key, a value, a special
// step's store entry), so that a Test walks, asks the guard and counts exactly as the Clean
// after it removes.
//
// Folders are reached from anchors. An anchor is looked up, decided on where it really is
// (links and spellings followed, as the system named it) and opened there once per run, then
// held; below it the executor enters each sub-folder inside its held parent, never through a
// link, so no folder it works in can be redirected between its choice and its cleaning.
// The guard (folder_guard.h) decides on every folder an action empties, by where it really
// is; a folder named in full (Anchor::Folder) is decided on afresh at each use.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/action.h"
#include "engine/folder_guard.h"
#include "engine/run_context.h"
#include "engine/tally.h"

namespace morvel {

class Executor {
 public:
  explicit Executor(RunContext& run);
  ~Executor();
  Executor(const Executor&) = delete;
  Executor& operator=(const Executor&) = delete;

  [[nodiscard]] RunContext& run() { return run_; }

  // An item starts: its running count (for the progress report) begins at 0, and the
  // administrator notice may be shown again.
  void BeginItem();

  // Runs the actions in order and sums their tallies. A Require that reaches no folder
  // ends the list; a stop request ends it before the next action.
  Tally Run(const Actions& actions);
  // One action; a Require answers only through RunRequire.
  Tally Run(const Action& action);
  // Whether `require` reaches a folder.
  bool RunRequire(const Require& require);

  // A folder `where` reaches, held: what special steps work in.
  struct Reached {
    platform::FolderHandle& folder;
    std::string shown;  // as the log writes it, with a trailing "\"
  };
  // Calls `visit` with each folder `where` reaches, in order, until the run is stopped. A
  // link met where a folder was named or listed is skipped with the guard's line, and left
  // (Refused) in `tally` when one is given.
  void ForEachFolder(const Where& where, const std::function<void(Reached&)>& visit,
                     Tally* tally = nullptr);
  // Cleans a folder already reached as `action` would, its `where` aside: the guard's
  // decision on the folder, then the action's passes.
  Tally CleanReached(Reached& target, const CleanFolder& action);

  // Entries counted for the item so far, for the progress report.
  void Counted(std::int32_t entries);
  // The progress report (the run sends it at most every 2 seconds).
  void ReportProgress();

 private:
  struct Held {
    std::string shown;  // with a trailing "\"
    std::unique_ptr<platform::FolderHandle> folder;
  };
  using TargetVisit = std::function<void(Reached&)>;

  // The folder `text` names, decided on and held; empty when it names none that can be.
  Held OpenAnchor(std::string text);
  // The anchor of `where`, held; nullptr when it names no folder that can be reached.
  // Anchors other than Anchor::Folder are kept for the run; `scratch` keeps that one.
  Held* AnchorOf(const Where& where, Held& scratch);
  // Calls `visit` with each folder `where` reaches (the links skipped on the way left in
  // `tally`, when given). A visit may ask for the folder it was given to be removed once let
  // go of (remove_target_).
  void ForEachTarget(const Where& where, const TargetVisit& visit, Tally* tally);
  void Descend(platform::FolderHandle& folder, const std::string& shown, const Where& where,
               std::size_t segment, const TargetVisit& visit, Tally* tally);

  Tally Clean(const CleanFolder& action);
  bool ConfirmTopLevelKey(platform::RootKey root, std::string_view path, bool emptied);
  bool MayChangeValues(platform::RootKey root);

  RunContext& run_;
  std::map<Anchor, Held> anchors_;
  // What the guard weighs folders against, looked up at the run's first program folder.
  std::optional<GuardedFolders> guarded_;
  std::int32_t running_ = 0;
  bool remove_target_ = false;
  bool told_not_administrator_ = false;
  std::optional<bool> may_change_local_machine_;
};

}  // namespace morvel
