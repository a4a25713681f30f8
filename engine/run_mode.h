#pragma once

namespace morvel {

// The values are those of the main window's mode field.
enum class RunMode {
  Clean = 0,           // the removal pass of an interactive Clean
  Unattended = 1,      // timer, start-up, shut-down, clean-once: removes, asks nothing optional
  Test = 2,            // list and count only; also the hidden preparation pass
  CleanRequested = 3,  // main window only: Clean pressed, preparation pass not yet started
};

}  // namespace morvel
