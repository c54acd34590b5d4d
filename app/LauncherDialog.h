// The launcher's main dialog: hidden while idle, the popup while shown, and
// the owner of the hook registration for as long as the program lives.
#pragma once

#include <windows.h>

#include "Dialog.h"
#include "GroupStore.h"
#include "Handles.h"

namespace qv {

class LauncherDialog : public DialogT<LauncherDialog> {
 public:
  LauncherDialog();
  ~LauncherDialog() override;

  static RouteList<LauncherDialog> Routes();

 private:
  bool OnInitDialog() override;
  // The invisible default button: hides the dialog.
  void OnOK() override;
  // Exit, Escape: the exit confirmation.
  void OnCancel() override;

  bool OnDestroy(Message& m);
  bool OnEndSession(Message& m);
  bool OnDisplayChange(Message& m);

  // The popup's look, read at construction and written when Setup closes.
  void LoadAppearance();
  void LoadFontRecord();
  void SaveFontRecord();
  // After the Setup dialog has handed back the colours and the font.
  void ApplyAppearance();

  // Every group and shortcut under the program folder; false after a
  // reported memory failure.
  bool LoadGroups();
  void ClearGroups();

  void HidePopup();
  // Undoes what the initialisation set up; safe to run more than once.
  void TearDownLauncher();

  bool allowPopup = true;
  HICON appIcon = nullptr;  // shared resource icon, never destroyed
  // Set only when this launcher installed the hook, so that a launcher that
  // lost the start-up race never removes another launcher's hook.
  bool ownsHook = false;

  COLORREF foregroundColor = 0;
  COLORREF backgroundColor = 0;
  UniqueBrush backgroundBrush;
  LOGFONTA logFont = {};
  UniqueFont popupFont;

  GroupList groupList;
};

}  // namespace qv
