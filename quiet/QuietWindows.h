// The quiet list on this system: which program and class a window has, the
// check on a show request, the open windows Setup offers, and the value in
// the registry.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "QuietList.h"

namespace qv {

// The system's comparison of names, case-insensitive as file and class
// names are.
bool SameName(const std::wstring& a, const std::wstring& b);

// The file name of the program that shows `window` (empty when it cannot be
// read), and the window's class.
std::wstring ProgramOfWindow(HWND window);
std::wstring ClassOfWindow(HWND window);

// The edge of `monitor` stays quiet: the window under the pointer, or the
// one in front on that monitor, is of a program or class on the list.
bool QuietWindowOn(const QuietList& list, HMONITOR monitor, POINT pointer);

struct OpenWindow {
  std::wstring title;
  std::wstring program;
};
// The windows a user sees on the task bar, the front one first, without
// the launcher's own.
std::vector<OpenWindow> OpenWindows();

// The list kept under `keyPath` (HKEY_CURRENT_USER); false, and the list
// untouched, where there is none or it is unusable.
bool ReadQuietList(const std::string& keyPath, const char* name, QuietList& list);
bool WriteQuietList(const std::string& keyPath, const char* name, const QuietList& list);

}  // namespace qv
