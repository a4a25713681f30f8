#include "gui/base/resource_string.h"

#include "platform/win32/win32_util.h"

namespace morvel::gui {

std::string ResourceString(HINSTANCE instance, UINT id) {
  const wchar_t* text = nullptr;
  // With a length of 0, LoadString gives a pointer into the resource itself.
  const int length = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? platform::win32::Narrow(std::wstring_view(text, length)) : std::string();
}

}  // namespace morvel::gui
