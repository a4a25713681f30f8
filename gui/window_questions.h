#pragma once
// Questions and notices as message boxes owned by the main window. A question asked on
// the worker is shown by the UI thread while the worker waits; when the window closes,
// waiting questions get their default answer, so nothing waits for ever.

#include <windows.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "gui/window_messages.h"
#include "platform/questions.h"

namespace morvel::gui {

class WindowQuestions final : public platform::UserQuestions {
 public:
  explicit WindowQuestions(DWORD ui_thread) : ui_thread_(ui_thread) {}
  void SetWindow(HWND window) { window_ = window; }

  platform::Answer Ask(const platform::Question& question) override;
  // UI thread: shows the question of `ticket`, if it still waits.
  void Answer(WPARAM ticket);
  // From now on every question gets its default answer at once.
  void Close();

  static platform::Answer ShowBox(HWND owner, const platform::Question& question);

 private:
  // A copy: the asking worker may give up (window closed) while the box is on screen.
  struct Pending {
    std::string text, caption;
    platform::Question question;
    std::optional<platform::Answer> answer;
  };
  const DWORD ui_thread_;
  HWND window_ = nullptr;
  std::mutex mutex_;
  std::condition_variable answered_;
  std::map<WPARAM, std::shared_ptr<Pending>> pending_;
  WPARAM next_ticket_ = 0;
  bool closed_ = false;
};

}  // namespace morvel::gui
