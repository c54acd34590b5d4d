#include "HotKey.h"

namespace qv {

namespace {

constexpr std::uint8_t kAllModifiers = kHotKeyShift | kHotKeyControl | kHotKeyAlt | kHotKeyExtended;

bool IsFunctionKey(std::uint8_t key) { return key >= 0x70 && key <= 0x87; }  // F1 to F24

bool IsModifierKey(std::uint8_t key) {
  return key == 0x10 || key == 0x11 || key == 0x12 || (key >= 0xA0 && key <= 0xA5) || key == 0x5B || key == 0x5C ||
         key == 0x14 || key == 0x90 || key == 0x91;  // also the lock keys
}

}  // namespace

HotKeyProblem CheckHotKey(HotKey key) {
  if (key.off()) return HotKeyProblem::kNone;
  if (IsModifierKey(key.key)) return HotKeyProblem::kReserved;
  const std::uint8_t held = key.modifiers & (kHotKeyShift | kHotKeyControl | kHotKeyAlt);
  const bool alt = held == kHotKeyAlt;
  // Alt+Space (the window menu), Alt+Tab, Alt+Esc, Alt+F4, Ctrl+Esc, and
  // Ctrl+Alt+Del, which no program ever sees.
  if ((alt && (key.key == 0x20 || key.key == 0x09 || key.key == 0x1B || key.key == 0x73)) ||
      (held == kHotKeyControl && key.key == 0x1B) || (held == (kHotKeyControl | kHotKeyAlt) && key.key == 0x2E)) {
    return HotKeyProblem::kReserved;
  }
  if ((held & (kHotKeyControl | kHotKeyAlt)) == 0 && !IsFunctionKey(key.key)) return HotKeyProblem::kNeedsControlOrAlt;
  return HotKeyProblem::kNone;
}

bool ReadHotKeyValue(std::uint32_t value, HotKey& key) {
  if (value > 0xFFFF) return false;
  const HotKey read{static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
  if (read.modifiers & ~kAllModifiers) return false;
  if (read.off() && read.modifiers != 0) return false;
  if (CheckHotKey(read) != HotKeyProblem::kNone) return false;
  key = read;
  return true;
}

std::uint32_t RegisterModifiers(HotKey key) {
  std::uint32_t mod = 0x4000;  // MOD_NOREPEAT
  if (key.modifiers & kHotKeyAlt) mod |= 0x1;
  if (key.modifiers & kHotKeyControl) mod |= 0x2;
  if (key.modifiers & kHotKeyShift) mod |= 0x4;
  return mod;
}

}  // namespace qv
