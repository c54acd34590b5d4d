#include "GlobalHotKey.h"

#include "Text.h"

namespace qv {

namespace {

bool Register(HWND window, int id, HotKey key) {
  return RegisterHotKey(window, id, RegisterModifiers(key), key.key) != FALSE;
}

}  // namespace

GlobalHotKey::State GlobalHotKey::Set(HWND window, int id, HotKey key) {
  Clear();
  window_ = window;
  id_ = id;
  key_ = key;
  return Retry();
}

GlobalHotKey::State GlobalHotKey::Retry() {
  if (state_ == State::kRegistered) return state_;
  if (key_.off() || window_ == nullptr) {
    state_ = State::kOff;
  } else {
    state_ = Register(window_, id_, key_) ? State::kRegistered : State::kTaken;
  }
  return state_;
}

void GlobalHotKey::Clear() {
  if (state_ == State::kRegistered) UnregisterHotKey(window_, id_);
  state_ = State::kOff;
}

bool HotKeyHeldElsewhere(HotKey key) {
  if (key.off()) return false;
  // A thread's own registration under another id would fail as well: the
  // caller asks only about keys that are not the launcher's own.
  constexpr int kProbeId = 0xBFFE;
  if (!Register(nullptr, kProbeId, key)) return true;
  UnregisterHotKey(nullptr, kProbeId);
  return false;
}

std::string HotKeyName(HotKey key) {
  if (key.off()) return std::string();
  std::wstring name;
  auto add = [&name](std::uint8_t vk, bool extended) {
    UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    wchar_t text[64] = {};
    const LONG lParam = static_cast<LONG>(scan << 16 | (extended ? 1u << 24 : 0u));
    if (scan != 0 && GetKeyNameTextW(lParam, text, 64) > 0) {
      text[63] = L'\0';
      // "Space" as Windows names it; some keyboards give "space".
      if (text[0] >= L'a' && text[0] <= L'z') text[0] = static_cast<wchar_t>(text[0] - L'a' + L'A');
      name += text;
    } else {
      wchar_t code[8];
      wsprintfW(code, L"#%u", static_cast<unsigned>(vk));
      name += code;
    }
  };
  if (key.modifiers & kHotKeyControl) name += L"Ctrl+";
  if (key.modifiers & kHotKeyShift) name += L"Shift+";
  if (key.modifiers & kHotKeyAlt) name += L"Alt+";
  add(key.key, (key.modifiers & kHotKeyExtended) != 0);
  return CodePageText(name);
}

}  // namespace qv
