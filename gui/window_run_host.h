#pragma once
// The run's host on window messages: the portable queued host, whose notices are posted
// to the main window (kMsgDrainRun, and the run's messages with the serial in lParam).

#include <windows.h>

#include "app/queued_run_host.h"
#include "gui/window_messages.h"

namespace morvel::gui {

class WindowRunHost final : public app::QueuedRunHost {
 public:
  WindowRunHost(HWND window, std::uint32_t serial) : QueuedRunHost(serial), window_(window) {}

 protected:
  bool NotifyDrain() override { return PostMessageW(window_, kMsgDrainRun, serial(), 0) != FALSE; }
  bool NotifyMessage(app::AppMessage message, std::int32_t wparam) override {
    return PostMessageW(window_, static_cast<UINT>(message), static_cast<WPARAM>(wparam),
                        serial()) != FALSE;
  }

 private:
  const HWND window_;
};

}  // namespace morvel::gui
