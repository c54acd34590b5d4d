// A stand-in program for the launch tests: appends its command line to a
// file named after itself (TARGET.EXE writes TARGET.log next to it), so a
// test sees that it was started and with what. Copied as RASPHONE.EXE into
// a program folder it stands in for the dial-up phone program.
//
// With "/window L T R B" it is instead a plain program with one borderless
// window at that place, titled "mark window", that takes the mouse capture
// while a button is down, as a program does for a drag. It runs until the
// window is closed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

LRESULT CALLBACK MarkWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      SetCapture(window);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) ReleaseCapture();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

int RunWindow(const char* place) {
  RECT r{};
  if (std::sscanf(place, "%ld %ld %ld %ld", &r.left, &r.top, &r.right, &r.bottom) != 4) return 2;
  WNDCLASSA type{};
  type.lpfnWndProc = MarkWindowProc;
  type.hInstance = GetModuleHandleA(nullptr);
  type.hCursor = LoadCursor(nullptr, IDC_ARROW);
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  type.lpszClassName = "QvMarkWindow";
  if (!RegisterClassA(&type)) return 1;
  HWND window = CreateWindowExA(0, type.lpszClassName, "mark window", WS_POPUP | WS_VISIBLE, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, type.hInstance, nullptr);
  if (window == nullptr) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  if (std::strncmp(arguments, "/window ", 8) == 0) return RunWindow(arguments + 8);
  char path[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return 1;
  std::string log(path, length);
  const std::size_t dot = log.rfind('.');
  if (dot != std::string::npos && dot > log.rfind('\\')) log.resize(dot);
  log += ".log";
  HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const std::string line = std::string(GetCommandLineA()) + "\r\n";
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  return 0;
}
