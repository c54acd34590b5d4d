// The popup's key registered with the system for the launcher's window,
// and what the user is told about a combination.
#pragma once

#include <windows.h>

#include <string>

#include "HotKey.h"

namespace qv {

class GlobalHotKey {
 public:
  enum class State { kOff, kRegistered, kTaken };

  GlobalHotKey() = default;
  ~GlobalHotKey() { Clear(); }
  GlobalHotKey(const GlobalHotKey&) = delete;
  GlobalHotKey& operator=(const GlobalHotKey&) = delete;

  // Registers `key` as `id` of `window`, in place of the one before; kTaken
  // when another program holds it (or the system refuses it).
  State Set(HWND window, int id, HotKey key);
  // A key that was taken is tried again: the other program may have let go.
  State Retry();
  void Clear();
  State state() const { return state_; }
  HotKey key() const { return key_; }

 private:
  HWND window_ = nullptr;
  int id_ = 0;
  HotKey key_{};
  State state_ = State::kOff;
};

// True when another program holds `key` now: it is registered for a moment
// and let go again.
bool HotKeyHeldElsewhere(HotKey key);
// "Ctrl+Alt+Space", with the names the keyboard gives its keys.
std::string HotKeyName(HotKey key);

}  // namespace qv
