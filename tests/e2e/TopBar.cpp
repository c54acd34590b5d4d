// Loaded into a launcher by a scenario: gives that process a work area with
// a bar of the given height at the top, as a task bar docked there would
// (under Wine a work area set by one process stays that process's own), or
// tells the code page it runs on.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI SetTopBar(void* height) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  work.top = static_cast<LONG>(reinterpret_cast<INT_PTR>(height));
  return SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0) ? 0 : 1;
}

// 0 when the process runs on this ANSI code page.
extern "C" __declspec(dllexport) DWORD WINAPI IsCodePage(void* codePage) {
  return GetACP() == static_cast<UINT>(reinterpret_cast<UINT_PTR>(codePage)) ? 0 : 1;
}
