#include "gui/window_questions.h"

#include "platform/win32/win32_util.h"

namespace morvel::gui {

using platform::Answer;
using platform::Buttons;
using platform::Icon;
using platform::win32::Wide;

Answer WindowQuestions::ShowBox(HWND owner, const platform::Question& q) {
  UINT type = 0;
  switch (q.buttons) {
    case Buttons::Ok:
      type = MB_OK;
      break;
    case Buttons::YesNo:
      type = MB_YESNO;
      break;
    case Buttons::OkCancel:
      type = MB_OKCANCEL;
      break;
  }
  switch (q.icon) {
    case Icon::None:
      break;
    case Icon::Information:
      type |= MB_ICONINFORMATION;
      break;
    case Icon::Warning:
      type |= MB_ICONWARNING;
      break;
    case Icon::Question:
      type |= MB_ICONQUESTION;
      break;
    case Icon::Error:
      type |= MB_ICONERROR;
      break;
  }
  if (q.default_answer == Answer::No || q.default_answer == Answer::Cancel) type |= MB_DEFBUTTON2;
  const int id = MessageBoxW(owner, Wide(q.text).c_str(), Wide(q.caption).c_str(), type);
  switch (id) {
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    case IDOK:
      return Answer::Ok;
    case IDCANCEL:
      return Answer::Cancel;
    default:  // the box went with its owner
      return q.default_answer;
  }
}

Answer WindowQuestions::Ask(const platform::Question& q) {
  if (GetCurrentThreadId() == ui_thread_) return ShowBox(window_, q);
  std::unique_lock lock(mutex_);
  if (closed_ || window_ == nullptr) return q.default_answer;
  const WPARAM ticket = ++next_ticket_;
  auto pending = std::make_shared<Pending>();
  pending->text = q.text;
  pending->caption = q.caption;
  pending->question = {pending->text, pending->caption, q.buttons, q.icon, q.default_answer};
  pending_[ticket] = pending;
  lock.unlock();
  const bool posted = PostMessageW(window_, kMsgAskQuestion, ticket, 0) != FALSE;
  lock.lock();
  // A question the window cannot be asked to show gets its default answer.
  if (!posted) pending->answer = q.default_answer;
  answered_.wait(lock, [&] { return pending->answer.has_value() || closed_; });
  pending_.erase(ticket);
  return pending->answer.value_or(q.default_answer);
}

void WindowQuestions::Answer(WPARAM ticket) {
  std::shared_ptr<Pending> pending;
  {
    std::lock_guard lock(mutex_);
    const auto it = pending_.find(ticket);
    if (it == pending_.end() || closed_) return;
    pending = it->second;
  }
  const platform::Answer answer = ShowBox(window_, pending->question);
  {
    std::lock_guard lock(mutex_);
    pending->answer = answer;
  }
  answered_.notify_all();
}

void WindowQuestions::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
  }
  answered_.notify_all();
}

}  // namespace morvel::gui
