#include "gui/base/barrier.h"

#include <string>

#include "platform/win32/win32_util.h"

namespace morvel::gui {

void ReportFailure(std::string_view where, std::string_view what) noexcept {
  try {
    const std::wstring line =
        platform::win32::Wide("Morvel: " + std::string(where) + ": " + std::string(what) + "\n");
    OutputDebugStringW(line.c_str());
  } catch (...) {
    OutputDebugStringA("Morvel: a failure could not be reported\n");
  }
}

}  // namespace morvel::gui
