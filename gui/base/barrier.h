#pragma once
// Nothing may unwind through user32: a C++ exception that leaves a window or dialog
// procedure crosses frames that know nothing of it. Every procedure runs its handler
// inside Guarded, which turns an exception into a logged failure and the fallback
// answer, so the window stays usable.

#include <windows.h>

#include <exception>
#include <string_view>

namespace morvel::gui {

// Logs a failure (the debugger's output; under Wine, its debug channel).
void ReportFailure(std::string_view where, std::string_view what) noexcept;

template <class Handler, class Fallback>
auto Guarded(std::string_view where, Handler&& handler, Fallback&& fallback) noexcept
    -> decltype(handler()) {
  try {
    return handler();
  } catch (const std::exception& e) {
    ReportFailure(where, e.what());
  } catch (...) {
    ReportFailure(where, "unknown error");
  }
  try {
    return fallback();
  } catch (...) {
    return {};
  }
}

}  // namespace morvel::gui
