#include "Messages.h"

#include "Handles.h"

namespace qv {

namespace {

int ShowBox(HWND owner, const std::string& title, const MessageLines& lines, UINT beep, UINT style) {
  const std::string text = JoinLines(lines);
  MessageBeep(beep);
  return MessageBoxA(owner, text.c_str(), title.c_str(), style);
}

}  // namespace

bool AskYesNo(HWND owner, const std::string& title, const MessageLines& lines) {
  return ShowBox(owner, title, lines, MB_ICONQUESTION,
                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL) == IDYES;
}

// The information box sounds the exclamation beep on purpose: it is the one
// users notice.
void ShowInfoMessage(HWND owner, const std::string& title, const MessageLines& lines) {
  ShowBox(owner, title, lines, MB_ICONEXCLAMATION, MB_OK | MB_ICONINFORMATION | MB_TASKMODAL);
}

void ShowWarningMessage(HWND owner, const std::string& title, const MessageLines& lines) {
  ShowBox(owner, title, lines, MB_ICONEXCLAMATION, MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}

std::string GetLastErrorText() {
  const DWORD code = GetLastError();
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
      code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
  UniqueLocal owner(buffer);
  // A code the system has no text for gets an empty text.
  return FormatErrorText(code, length > 0 && buffer != nullptr ? std::string_view(buffer, length)
                                                                : std::string_view());
}

}  // namespace qv
