// The Setup dialog: the program groups and their shortcuts, and the popup's
// colours and font ("Menu"). Every change to groups and shortcuts is made on
// disk first and then, in place, in the launcher's own group list, so the
// popup shows it at its next showing; the colours and the font go back to the
// launcher when the dialog closes. The groups are in SetupDialog.cpp, the
// shortcuts (wizard, rename, delete, dropped files) in SetupShortcuts.cpp,
// the look in SetupAppearance.cpp.
#pragma once

#include <windows.h>

#include "Dialog.h"
#include "GroupStore.h"
#include "Handles.h"
#include "HotKey.h"
#include "IconStore.h"
#include "QuietList.h"

namespace qv {

class SetupDialog : public DialogT<SetupDialog> {
 public:
  explicit SetupDialog(HWND owner);

  // Runs the dialog on the launcher's groups and their icons. The other
  // values are read at the start and written back at the end, however the
  // dialog ended. `hotKeyHeld`: another program holds the launcher's key now.
  // `quiet` and `delay` (ms): where and when the edge calls the popup.
  void Run(GroupList& groups, IconStore& icons, COLORREF& background, COLORREF& foreground, LOGFONTW& font,
           HotKey& hotKey, bool hotKeyHeld, QuietList& quiet, std::uint32_t& delay);
  // A shortcut's icon has come: shown if its group is the one listed.
  void ShowIcon(const ProgramGroup& group, const ShortcutItem& item);
  // The icon store has made its images anew (at another scale).
  void ShowImages(HIMAGELIST images);

  static RouteList<SetupDialog> Routes();

 private:
  bool OnInitDialog() override;
  // Enter: never ends the dialog; renames what the focused list shows.
  void OnOK() override;
  bool PreTranslateMessage(MSG& msg) override;
  void OnIdle() override { UpdateButtonStates(); }

  void UpdateButtonStates();
  // Lists the selected group's shortcuts, scrolling `show` into view.
  void RefillShortcutView(const ShortcutItem* show);
  void ClearShortcutView();
  ProgramGroup* SelectedGroup(int* index = nullptr) const;
  // Adds an entry for the group to the list box and selects it; false when
  // the list box refused it.
  bool ListGroup(ProgramGroup* group, const std::string& text);
  int GroupCount() const;
  int ShortcutCount() const;

  void OnNewGroup();
  void OnRenameGroup();
  void OnDeleteGroup();
  void OnGroupSelected();
  bool DeleteGroupFiles(const ProgramGroup& group);

  // The shortcuts (SetupShortcuts.cpp).
  ShortcutItem* SelectedShortcut(const ProgramGroup& group, int* index) const;
  void OnNewShortcut();
  void OnRenameShortcut();
  void OnDeleteShortcut();
  LRESULT OnShortcutDoubleClick(const NMHDR& header);
  bool OnDropFiles(Message& m);
  // Makes a shortcut to `source` called `name` in the selected group and
  // lists it; every refusal and failure is reported to the user.
  void CreateShortcutInGroup(const std::string& source, const std::string& name);

  // The look (SetupAppearance.cpp).
  void OnForegroundColor();
  void OnBackgroundColor();
  void OnFont();
  bool PickColor(COLORREF& color, UniqueBrush& brush, int swatch);
  void UpdateExample();
  bool OnControlColor(Message& m);
  // The dialog's monitor has another scale: the example and the icons
  // follow; the dialog manager, where there is one, rescales the rest.
  bool OnDpiChanged(Message& m);
  // The shortcuts' icons at the dialog's scale.
  void ScaleIcons();
  // The key that calls the menu: on or off, the combination, and at once
  // whether it can be had.
  void OnHotKeyToggled();
  void OnHotKeyChanged();
  HotKey ShownHotKey() const;
  // The edge: the wait at it, in steps, and the programs it stays quiet over.
  void FillDelays();
  void OnDelayChosen();
  void OnQuiet();

  HWND owner_;
  HWND shortcutView = nullptr;  // control 1004
  HWND groupsBox = nullptr;     // control 1000
  GroupList* groupList = nullptr;
  IconStore* icons = nullptr;
  COLORREF backgroundColor = 0;
  COLORREF foregroundColor = 0;
  LOGFONTW logFont = {};
  HotKey hotKey_{};        // the launcher's, as it came
  HotKey chosenHotKey_{};  // the last usable one shown
  bool hotKeyHeld_ = false;
  QuietList quiet_;
  std::uint32_t delay_ = 0;
  int dialogDpi = 0;  // the scale of the dialog's monitor
  UniqueFont exampleFont;
  UniqueBrush backgroundBrush;
  UniqueBrush foregroundBrush;
};

}  // namespace qv
