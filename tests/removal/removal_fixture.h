#pragma once
// What every removal test uses: a fresh backend per test, a RunContext that records what
// the primitives tell the run, scripted answers to questions, and helpers to lay out and
// list files in the test's scratch folder.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/executor.h"
#include "platform/port.h"
#include "tests/harness/two_backend_test.h"

#define SKIP_IF_REASON(reason) SKIP_IF(reason)

namespace morvel::removal_test {

using testing::RecordingRun;
using AskedQuestion = testing::ScriptedQuestions::Asked;

class RemovalTest : public testing::TwoBackendTest {
 protected:
  const testing::MachineSetup& Machine() const override {
    static const testing::MachineSetup setup = [] {
      testing::MachineSetup s;
      s.scratch = "Morvel Removal Tests";
      return s;
    }();
    return setup;
  }

  testing::TestMachine& backend() { return machine(); }

  // A run whose questions are its own (run->questions).
  std::unique_ptr<RecordingRun> MakeRun(RunMode mode) {
    return TwoBackendTest::MakeRun(mode, /*own_questions=*/true);
  }

  void Write(std::string_view sub, std::string_view bytes) { WriteAt(Path(sub), bytes); }

 public:
  // Runs `action` on `run` as a step of an item, and returns its tally.
  static Tally RunAction(RecordingRun& run, const Action& action) {
    Executor executor(run);
    return executor.Run(action);
  }
  // Everything in the folder named in full (an entry of a definition file), its emptied
  // sub-folders, and the folder itself when `remove_self`; files named `keep` stay.
  static CleanFolder Sweep(std::string folder, bool remove_self = false, std::string keep = {},
                           FolderOrigin origin = FolderOrigin::Program) {
    CleanFolder sweep = FolderAction(InFolder(std::move(folder)));
    sweep.remove_self = remove_self;
    if (!keep.empty()) sweep.keep.names = {std::move(keep)};
    sweep.origin = origin;
    return sweep;
  }
  // The files of the folder that `mask` takes, and its sub-folders' too with `recurse`.
  static CleanFolder ByMask(std::string folder, std::string mask, bool recurse = false,
                            FolderOrigin origin = FolderOrigin::Program) {
    CleanFolder by_mask = FolderAction(InFolder(std::move(folder)), {Mask(std::move(mask))},
                                       recurse ? Depth::Recursive : Depth::ThisFolder);
    by_mask.origin = origin;
    return by_mask;
  }

 protected:
  // Every entry below `folder` (absolute), depth first in listing order, as
  // "relative\name size" for files, "relative\name\" for folders and "relative\name@"
  // for links (never entered).
  std::vector<std::string> TreeAt(const std::string& folder) {
    std::vector<std::string> out;
    WalkTree(folder, [&out](const std::string& name, const platform::FileEntry& e) {
      if (e.IsReparsePoint())
        out.push_back(name + "@");
      else if (e.IsFolder())
        out.push_back(name + "\\");
      else
        out.push_back(name + " " + std::to_string(e.size));
    });
    return out;
  }
  std::vector<std::string> Tree(std::string_view sub = {}) { return TreeAt(Path(sub)); }

  // The file's bytes, also when it is locked.
  std::string Content(std::string_view sub) { return ContentAt(Path(sub)); }
  std::string ContentAt(const std::string& path) {
    auto reader = files().OpenForReading(path);
    if (!reader.ok()) return "<" + std::string(platform::ErrorKindName(reader.status.kind)) + ">";
    std::string bytes(static_cast<std::size_t>(reader.value->Size()), '\0');
    const auto read = reader.value->ReadAt(
        0, std::span<std::byte>(reinterpret_cast<std::byte*>(bytes.data()), bytes.size()));
    bytes.resize(read.value);
    return bytes;
  }
};

}  // namespace morvel::removal_test
