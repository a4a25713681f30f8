#pragma once
// The boss key: a system-wide hot key that hides every open browser window and shows
// them again on the next press.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/options_setting.h"

namespace morvel::app {

inline constexpr std::string_view kBossKeyAtom = "MyKVLZHotkey_Hide";
inline constexpr std::string_view kBossKeyTestAtom = "MyKVLZHotkey_Test";
inline constexpr std::string_view kBossKeyFailed =
    "The hotkey for Boss Key failed, please try to use other key!";

// What the boss key needs of the window system (global atoms, hot keys, top-level windows).
class HotKeyPort {
 public:
  virtual ~HotKeyPort() = default;
  virtual std::uint16_t AddAtom(std::string_view name) = 0;   // 0 on failure
  virtual std::uint16_t FindAtom(std::string_view name) = 0;  // 0 when absent
  virtual void DeleteAtom(std::uint16_t atom) = 0;
  virtual bool RegisterHotKey(std::uint16_t id, unsigned modifiers, std::uint16_t key) = 0;
  virtual void UnregisterHotKey(std::uint16_t id) = 0;
  // Error box, caption "Morvel", owned by the active window.
  virtual void ShowError(std::string_view text) = 0;
  // Hides (or shows) every top-level window for whose class IsBrowserClass holds.
  virtual void ShowBrowsers(bool hide) = 0;
};

// MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, combined.
unsigned ModifierMask(const TShortcut& shortcut);

// "Ctrl+Alt+F5"; with `spaced`, the words are joined by two blanks.
std::string ShortcutText(const TShortcut& shortcut, bool spaced);

// The five browser window classes, compared exactly.
bool IsBrowserClass(std::string_view class_name);

class BossKey {
 public:
  explicit BossKey(HotKeyPort& port) : port_(port) {}

  void Register(const TShortcut& shortcut);
  void Unregister();
  // The hot key was pressed; `id` is its identifier.
  void OnHotKey(std::uint32_t id);
  // Window closing with the boss key enabled: release it and show hidden browsers again.
  void OnClose();

  [[nodiscard]] bool hidden() const { return hidden_; }

 private:
  HotKeyPort& port_;
  std::uint16_t atom_ = 0;
  bool hidden_ = false;
};

}  // namespace morvel::app
