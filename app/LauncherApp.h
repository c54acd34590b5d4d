// The application object: one launcher per desktop, then the main dialog.
#pragma once

#include <string>

namespace qv {

// The main dialog's title, by which a running launcher is found.
constexpr char kInstanceMarker[] = "<QUORVEL>";

// True when some top-level window of the desktop, visible or hidden, has
// exactly the instance marker as its title.
bool FindRunningInstance();

// HKEY_CURRENT_USER path of the launcher's settings: Software\Tessmark\ and
// the executable's name without extension. Set during start-up.
const std::string& SettingsKeyPath();
// The settings path for an executable at `modulePath`.
std::string SettingsKeyPathFor(const std::string& modulePath);

class LauncherApp {
 public:
  // Start-up, the main dialog's whole life, then exit; the process's result.
  int Run();

 private:
  // Always false: the program ends when its main dialog has ended.
  bool InitInstance();
  int ExitInstance();

  bool comInitialized = false;
};

}  // namespace qv
