#include "app/boss_key.h"

#include <array>

namespace morvel::app {

unsigned ModifierMask(const TShortcut& s) {
  return (s.IsCtrl ? 2u : 0u) | (s.IsShift ? 4u : 0u) | (s.IsAlt ? 1u : 0u);
}

std::string ShortcutText(const TShortcut& s, bool spaced) {
  const std::string separator = spaced ? "  " : "+";
  std::string text;
  if (s.IsCtrl) text += "Ctrl" + separator;
  if (s.IsShift) text += "Shift" + separator;
  if (s.IsAlt) text += "Alt" + separator;
  return text + s.CharString;
}

bool IsBrowserClass(std::string_view name) {
  static constexpr std::array<std::string_view, 5> kClasses{
      "IEFrame", "NS_AE_WindowClass", "MozillaWindowClass", "MozillaUIWindowClass", "OpWindow"};
  for (std::string_view c : kClasses)
    if (name == c) return true;
  return false;
}

void BossKey::Register(const TShortcut& shortcut) {
  atom_ = port_.AddAtom(kBossKeyAtom);
  if (atom_ == 0) {
    port_.ShowError(kBossKeyFailed);
    return;
  }
  if (!port_.RegisterHotKey(atom_, ModifierMask(shortcut), shortcut.CharAscII))
    port_.ShowError(kBossKeyFailed);
}

void BossKey::Unregister() {
  const std::uint16_t atom = port_.FindAtom(kBossKeyAtom);
  if (atom == 0) return;
  port_.UnregisterHotKey(atom);
  port_.DeleteAtom(atom);
}

void BossKey::OnHotKey(std::uint32_t id) {
  hidden_ = !hidden_;
  if (atom_ != 0 && id == atom_) port_.ShowBrowsers(hidden_);
}

void BossKey::OnClose() {
  Unregister();
  if (hidden_) port_.ShowBrowsers(false);
}

}  // namespace morvel::app
