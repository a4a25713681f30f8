#pragma once

namespace morvel {

// The values are those of the main window's mode field.
enum class RunMode {
  Clean = 0,           // the removal pass of an interactive Clean
  Unattended = 1,      // timer, start-up, shut-down, clean-once: removes, asks nothing optional
  Test = 2,            // list and count only; also the hidden preparation pass
  CleanRequested = 3,  // main window only: Clean pressed, preparation pass not yet started
};

// How a run is started, beside its mode.
struct RunFlags {
  // Per-entry lines left out whatever Fast Mode says: the hidden preparation pass of a
  // Clean, which only counts.
  bool fast = false;
  // A Test asks every entry whether it would stay (RunContext::ProbesWhatStays).
  bool probe = false;
};

}  // namespace morvel
