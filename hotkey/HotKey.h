// The key that calls the popup: a combination as the system's hot-key
// control gives it (the virtual key in the low byte, its modifier flags in
// the high one), as it is stored, and what the system is asked to register.
#pragma once

#include <cstdint>

namespace qv {

// The hot-key control's modifier flags.
constexpr std::uint8_t kHotKeyShift = 0x01;
constexpr std::uint8_t kHotKeyControl = 0x02;
constexpr std::uint8_t kHotKeyAlt = 0x04;
constexpr std::uint8_t kHotKeyExtended = 0x08;

struct HotKey {
  std::uint8_t key = 0;  // virtual key; 0: no key calls the popup
  std::uint8_t modifiers = 0;
  constexpr bool off() const { return key == 0; }
  constexpr bool operator==(const HotKey& o) const { return key == o.key && modifiers == o.modifiers; }
  constexpr bool operator!=(const HotKey& o) const { return !(*this == o); }
};

// Ctrl+Alt+Space: no shortcut of Windows 10 or 11, not the window menu's
// Alt+Space, and no character of a keyboard layout that types with AltGr
// (which Windows also takes from Ctrl+Alt), as a letter or digit would be.
constexpr HotKey kDefaultHotKey{0x20, kHotKeyControl | kHotKeyAlt};

enum class HotKeyProblem {
  kNone,
  // Without Ctrl or Alt it would take letters away from every program.
  kNeedsControlOrAlt,
  // A key the system or every window already answers (Alt+Space, Alt+Tab,
  // Alt+F4, Ctrl+Esc...), or a modifier key alone.
  kReserved,
};
// Off is always fine.
HotKeyProblem CheckHotKey(HotKey key);

// The stored value: the control's word; 0 is off. False for a value that
// is no combination of ours (unknown bits, a refused combination): the
// caller keeps the default and leaves the stored value alone.
bool ReadHotKeyValue(std::uint32_t value, HotKey& key);
constexpr std::uint32_t HotKeyValue(HotKey key) {
  return key.off() ? 0u : static_cast<std::uint32_t>(key.key) | static_cast<std::uint32_t>(key.modifiers) << 8;
}

// The modifiers for RegisterHotKey (MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4),
// with MOD_NOREPEAT, so that a held key calls and hides only once.
std::uint32_t RegisterModifiers(HotKey key);

}  // namespace qv
