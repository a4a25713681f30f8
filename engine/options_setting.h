#pragma once
// The program's one settings record and its hot-key record. The front end owns the one
// instance; the run's worker reads some fields while the UI thread may change them, so
// those fields are relaxed atomics (each read is one value at the moment of use).

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace morvel {

// A value written by the UI thread and read by the worker at the moment of use.
template <class T>
class Shared {
 public:
  Shared(T v = T{}) : value_(v) {}  // NOLINT: plain value semantics are the point
  Shared(const Shared& other) : value_(other.get()) {}
  Shared& operator=(const Shared& other) {
    set(other.get());
    return *this;
  }
  Shared& operator=(T v) {
    set(v);
    return *this;
  }
  operator T() const { return get(); }  // NOLINT
  [[nodiscard]] T get() const { return value_.load(std::memory_order_relaxed); }
  void set(T v) { value_.store(v, std::memory_order_relaxed); }

 private:
  std::atomic<T> value_;
};

struct TShortcut {
  bool IsCtrl = true;
  bool IsShift = false;
  bool IsAlt = false;
  std::string CharString = "F5";
  std::uint16_t CharAscII = 116;  // VK_F5
};

enum class WindowState : std::uint8_t { Normal = 0, Maximized = 2 };

inline constexpr int kRootSlots = 11;
inline constexpr int kDesignWidth = 704;
inline constexpr int kDesignHeight = 507;

struct TOptionsSetting {
  Shared<bool> AskForSweep = true;
  Shared<bool> OverwriteFile = false;
  Shared<std::int32_t> OverwriteNumber = 1;
  bool EnableHotkey = false;
  TShortcut Hotkey;
  bool AutoWash = false;
  std::int32_t WashInterval = 0;
  bool StartWash = false;
  bool ShutdownWash = false;
  std::int32_t SelectedCount = 0;
  std::array<bool, kRootSlots> FirstNodeExpand{true, true, true, true, true, true,
                                               true, true, true, true, true};
  Shared<bool> ShowLogTempInternetFiles = false;
  Shared<bool> ShowLogRecycleBin = false;
  Shared<bool> FastScan = true;
  WindowState State = WindowState::Normal;
  std::int32_t Left = 0;
  std::int32_t Top = 0;
  std::int32_t Height = kDesignHeight;
  std::int32_t Width = kDesignWidth;
};

// Milliseconds of a schedule interval choice: 15 min, 30 min, 1 h, 4 h, 8 h; anything
// else is 15 minutes.
std::int32_t IntervalToMs(std::int32_t choice);

}  // namespace morvel
