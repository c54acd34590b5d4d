// The launcher's message boxes: a beep, then a task-modal box whose text is
// the given lines joined by line feeds.
#pragma once

#include <windows.h>

#include <string>

#include "MessageText.h"

namespace qv {

// Yes/No question with No as the default button; true only for Yes.
bool AskYesNo(HWND owner, const std::string& title, const MessageLines& lines);
void ShowInfoMessage(HWND owner, const std::string& title, const MessageLines& lines);
void ShowWarningMessage(HWND owner, const std::string& title, const MessageLines& lines);

// The calling thread's last system error as "Error <code>: <system text>".
// Call it straight after the failed call, before anything can change it.
std::string GetLastErrorText();

}  // namespace qv
