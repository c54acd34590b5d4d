// Reads and answers the message boxes that code under test shows on this
// thread, from a second thread, the way a person would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace boxwatch {

// What the helper thread saw of an open box.
struct BoxView {
  bool found = false;
  std::string text;
  std::vector<int> buttons;  // the visible ones, by id
  int defaultButton = 0;
  HICON icon = nullptr;
  HWND owner = nullptr;
  bool watchedEnabled = true;  // a window the test names
};

// Runs `show` on this thread while a second thread waits for the box with
// this title, reads it and runs `answer` on it. `watch` names a window whose
// enabled state is read while the box is open.
BoxView ShowAndAnswer(const std::string& title, const std::function<void()>& show,
                      const std::function<void(HWND)>& answer, HWND watch = nullptr);

// Returns once the box's loop has handled what was posted to it and what
// that posted in turn, or the box is gone. Only inside an answer.
void Settle(HWND box);

// An answer that clicks the button `id`.
std::function<void(HWND)> Click(int id);

}  // namespace boxwatch
