#include <windows.h>

#include "LauncherApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qv::LauncherApp app;
  return app.Run();
}
