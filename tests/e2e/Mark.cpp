// A stand-in program for the launch tests: appends its command line to a
// file named after itself (TARGET.EXE writes TARGET.log next to it), so a
// test sees that it was started and with what. Copied as RASPHONE.EXE into
// a program folder it stands in for the dial-up phone program.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
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
