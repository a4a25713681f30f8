#pragma once
// The one home of run-time imports. Functions that not every Windows (or Wine) has are
// looked up here, through one owner of the library and one cast, instead of a
// GetProcAddress idiom in every file.

#include <windows.h>

#include <memory>
#include <type_traits>

namespace morvel::platform::win32 {

class Library {
 public:
  // Loads `name` for as long as the owner lives, from the system folder when Windows
  // offers that search (never from the program's own folder). Empty when it is missing.
  static Library Load(const wchar_t* name);
  // A library the process has loaded already (user32, shell32): borrowed, not freed.
  static Library Loaded(const wchar_t* name);

  explicit operator bool() const { return module_ != nullptr; }

  // The exported function `name` as `Pointer` (a function pointer type, with its calling
  // convention), or null when the library or the function is missing.
  template <class Pointer>
  [[nodiscard]] Pointer Find(const char* name) const {
    static_assert(std::is_pointer_v<Pointer> && std::is_function_v<std::remove_pointer_t<Pointer>>);
    if (module_ == nullptr) return nullptr;
    // Through a plain function pointer: GetProcAddress's own type does not match.
    return reinterpret_cast<Pointer>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
  }

 private:
  struct Freer {
    void operator()(HMODULE module) const { FreeLibrary(module); }
  };
  Library(HMODULE module, bool owned) : module_(module), owned_(owned ? module : nullptr) {}

  HMODULE module_ = nullptr;
  std::unique_ptr<std::remove_pointer_t<HMODULE>, Freer> owned_;
};

// GetDpiForWindow (Windows 10 on); elsewhere the system's DPI.
int DpiOfWindow(HWND window);

}  // namespace morvel::platform::win32
