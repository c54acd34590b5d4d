// The launcher's main dialog: hidden while idle, the popup while shown, and
// the owner of the groups, the popup's look, the hook registration and the
// notification-area icon for as long as the program lives. Start-up, the
// hot zone's requests, the icon and the way out are in LauncherDialog.cpp;
// layout, painting, hover and launching in popup/Popup.cpp.
#pragma once

#include <windows.h>

#include "Companion.h"
#include "Dialog.h"
#include "EdgeDelay.h"
#include "EdgeRule.h"
#include "EdgePause.h"
#include "EdgeWait.h"
#include "EdgeWatcher.h"
#include "FindPanel.h"
#include "GlobalHotKey.h"
#include "GroupLoader.h"
#include "GroupStore.h"
#include "Handles.h"
#include "HookThread.h"
#include "HotZone.h"
#include "IconStore.h"
#include "PopupLayout.h"
#include "QuietList.h"
#include "ShortcutList.h"

namespace qv {

class SetupDialog;

class LauncherDialog : public DialogT<LauncherDialog>, private ShortcutListOwner, private FindPanel::Owner {
 public:
  // owner: a window that is never shown, so the popup gets no task-bar button.
  explicit LauncherDialog(HWND owner);
  ~LauncherDialog() override;

  static RouteList<LauncherDialog> Routes();

 private:
  bool OnInitDialog() override;
  // The invisible default button: launches the selected shortcut, then
  // hides the popup.
  void OnOK() override;
  // Exit, Escape: the exit confirmation.
  void OnCancel() override;
  // The popup's keys for the groups, and for the way between them and the
  // list, before the dialog's own keyboard handling.
  bool PreTranslateMessage(MSG& msg) override;

  // The hot zone's requests and the notification-area icon.
  bool OnShowRequest(Message& m);
  bool OnHideRequest(Message& m);
  // The popup may come at the edge now: hidden, allowed, not paused, the
  // pointer in the stay zone (in the strip when `inStrip`) of the monitor
  // it gives, and no full-screen or quiet program there.
  bool EdgeMayShow(POINT& at, HMONITOR& monitor, bool inStrip);
  void ShowAtEdge(HMONITOR monitor);
  // The wait at the edge: its timer, and the hooks told, so that the
  // pointer leaving the strip or a button ends it (a cancel request).
  void StartEdgeWait();
  void EndEdgeWait();
  bool OnCancelRequest(Message& m);
  void OnEdgeWaitOver();
  bool OnTrayNotify(Message& m);
  void ShowTrayMenu();
  void OnTraySetup();
  void OnTrayExit();
  // Button 1001: the Setup dialog on the groups and the look, then the look
  // applied and stored.
  void OnSetup();
  // Button 1002: the About box, with the popup held back while it is open.
  void OnAbout();
  // Looks for the quit request of the uninstaller and the shell's restart,
  // then routes as usual.
  bool Dispatch(Message& m) override;

  bool OnDestroy(Message& m);
  bool OnEndSession(Message& m);
  bool OnDisplayChange(Message& m);
  bool OnSettingChange(Message& m);
  // A new scale for the launcher's monitor: the zones follow at once, and a
  // shown popup is laid out again at that scale.
  bool OnDpiChanged(Message& m);
  // The session unlocked, or the machine back from sleep: the edge armed
  // again.
  bool OnSessionChange(Message& m);
  bool OnPowerBroadcast(Message& m);
  // Whatever a change of the desktop may have undone: the zones from the
  // monitors as they are now, the window registered again where the record
  // no longer names it, the companion and the launcher's own eye told.
  void Rearm();
  // Every few seconds: the hook thread still answers and the record still
  // names the launcher; the icon's tip says how the edge stands.
  void CheckEdge();
  void ShowEdgeStatus();
  // The icon's tip: how the edge stands, that it rests and for how long,
  // or that the key is taken.
  std::string TrayTip() const;
  // The pause chosen, or its time come: the icon says so, and one timer
  // looks again when the minutes left change.
  void OnTrayPauseHour();
  void OnTrayPause();
  void OnTrayResume();
  void UpdatePause();
  EdgeStatus CurrentEdge() const;
  // Where the launcher watches the pointer itself has changed.
  bool OnWatchChanged(Message& m);
  // The companion's process has ended by itself.
  bool OnCompanionEnded(Message& m);
  // The icon, added again until the shell takes it.
  void AddIcon();
  // The way out without a question (uninstaller, end of the session): every
  // dialog and box of the launcher closes and the program ends.
  void Leave();
  // Setup, About and the exit question open only outside one another, a
  // launch and the way out.
  bool CanOpenModal() const { return !modalOpen && !leaving; }

  // Bars the popup while one of the launcher's own message loops runs (a
  // dialog, a box, the shell's report on a launch) and marks that loop as
  // open; gives back the popup's state it found, unless the launcher is on
  // its way out by then.
  class ModalScope {
   public:
    explicit ModalScope(LauncherDialog& dialog);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

   private:
    LauncherDialog& dialog_;
    bool allowed_;
  };

  // The key that calls the popup: shown on the monitor of the window in
  // front, or hidden when shown.
  bool OnHotKey(Message& m);
  // Another window took the foreground: a popup the key called goes.
  bool OnActivate(Message& m);

  // The popup's look, read at construction and written when Setup closes.
  void LoadAppearance();
  void LoadFontRecord();
  void SaveFontRecord();
  // After the Setup dialog has handed back the colours and the font.
  void ApplyAppearance();

  // Every group and shortcut under the program folder; false after a
  // reported memory failure. The icons follow.
  bool LoadGroups();
  void ClearGroups();
  // A new image list, and every shortcut's icon asked for.
  void RequestIcons();
  // The icon store's list, new or with images fetched again, for every
  // view that shows it.
  void ShowImages(HIMAGELIST images);
  // Once the start-up is over: the icon workers start, and every icon is
  // asked for.
  bool OnStartIcons(Message& m);
  // The icon workers have icons for us.
  bool OnIconsArrived(Message& m);
  // Refresh: the folder is read again in the background; the list read
  // replaces the groups at once, or once a dialog or box of the launcher
  // has closed (ApplyReadGroups).
  void StartRefresh();
  bool OnGroupsRead(Message& m);
  void ApplyReadGroups();

  // Layout and painting.
  // Lays the popup out on `monitor` and shows it there.
  void ShowPopup(HMONITOR monitor);
  // Moves the window to popupMonitor and lays everything in it out at `dpi`
  // (0: that monitor's own scale).
  void LayOutPopup(int dpi);
  // The fonts, the button unit and the icons at `dpi`.
  void ScalePopup(int dpi);
  void HidePopup();
  void ResetPopupState(bool shown);
  bool OnEraseBackground(Message& m);
  bool OnPaint(Message& m);
  bool OnQueryDragIcon(Message& m);

  // Pointer and launching.
  bool OnMouseMove(Message& m);
  // The pointer at `point` (client coordinates) frames the row under it.
  void PointerOver(POINT point);
  bool OnLeftButtonUp(Message& m);
  // Opens the group of `row` at once, as a rest of the pointer would.
  void OpenGroupAt(int row);
  bool OnCaptureChanged(Message& m);
  bool OnCancelMode(Message& m);
  bool OnTimer(Message& m);
  // While shown: the pointer against the stay zone, for the windows that
  // the hook never sees (elevated programs) or whose requests are dropped.
  void CheckStayZone();
  // While shown: the frame and the list's selection follow the pointer's
  // place, in case the last move message was an older one.
  void FollowPointer();
  // The stay zone by the hook's own rule, from the work area as it is now:
  // that of the popup's monitor while it is shown, else of the pointer's.
  // When the pointer cannot be read (a locked desktop), it counts as inside;
  // once the popup's monitor is gone, as outside.
  bool PointerInStayZone() const;
  // The pointer `pt` over the caption buttons of the maximised window at the
  // top edge of its monitor (`area`), as the system draws them; false where
  // it cannot say.
  static bool PointerOverCaptionButtons(POINT pt, const MonitorArea& area);
  // The popup's font for a monitor of `dpi`, made from logFont.
  bool MakePopupFont(int dpi);
  LRESULT OnListClick(const NMHDR& header);
  void OnListMouseMove(POINT point) override;
  void OnRefresh();
  // Repaints the frame of the group that lost it and of the one that has
  // it now (-1: none).
  void SetHoveredGroup(int previous, int group);
  void SetHoverTimer(bool start);
  void FillShortcutList();
  // The keyboard's place while the groups have it: the invisible default
  // button, so that Enter still means OK and Tab goes on to the buttons.
  HWND GroupsKeyHolder() const { return Item(IDOK); }
  bool KeyOnGroups(UINT key);
  // Typing finds: a character into the query, and the keys that act on it
  // and on its results; true when the key is taken.
  bool KeyForFind(MSG& msg);
  // The results stand in for the group's icons while a query is there,
  // below the query's line.
  void ShowFindView();
  // The query gone: the framed group's icons again.
  void EndFind();
  void InvalidateFindLines();
  void OnResultsMouseMove(POINT point) override;
  LRESULT OnResultsDispInfo(const NMHDR& header) { return find.OnGetDispInfo(header); }
  LRESULT OnResultsInfoTip(const NMHDR& header) { return find.OnGetInfoTip(header); }
  // The selected shortcut: of the results while a query is there.
  const ShortcutItem* SelectedShortcut() const;
  // Ctrl+Enter (its target shown in its folder) and Ctrl+Shift+Enter (a
  // start as administrator) on the selected shortcut.
  void ActOnSelected(bool asAdministrator);
  // From the groups into the list at its first item, once the framed group
  // is open; false when it holds nothing.
  bool EnterList();
  // Left in the list: back to the groups from its first column.
  bool LeaveListLeft();
  // True when the pointer is elsewhere than at its last move; moves made
  // for the window's sake (a window shown or refilled under it) let the
  // keyboard keep what it chose.
  bool PointerMoved(HWND window, POINT client);
  void LaunchShortcut(const std::string& path);
  // No popup at the pointer's place now until it has moved.
  void QuietUntilMoved();
  ProgramGroup* GroupAt(int index) const;

  // Undoes what the initialisation set up; safe to run more than once.
  void TearDownLauncher();

  bool allowPopup = true;
  // A dialog, a box or a launch of the launcher's own runs its loop: no
  // second one opens inside it.
  bool modalOpen = false;
  // Exit confirmed, or ended from outside: the popup stays barred.
  bool leaving = false;
  HICON appIcon = nullptr;  // shared resource icon, never destroyed
  // Runs only when this launcher installed the hook, so that a launcher that
  // lost the start-up race never removes another launcher's hook.
  HookThread hookThread;
  int trayTries = 0;  // adds tried since the last success or shell start
  // Reads the pointer while a window the hook cannot reach is in front.
  EdgeWatcher watcher;
  // Where and when the edge calls the popup: the quiet list and the wait.
  QuietList quietList = DefaultQuietList();
  std::uint32_t edgeDelay = 0;  // ms, as stored
  EdgeDelay delay;
  EdgeWaitFlags waitFlags;
  // Installs the hook for the 32-bit programs beside a 64-bit launcher.
  HookCompanion companion;
  bool hookAnswering = true;
  bool startupOver = false;  // the hook thread answers others from then on
  std::string trayTip;  // the tip shown now
  HotKey hotKeySetting = kDefaultHotKey;
  GlobalHotKey hotKey;
  // Shown by the key: the pointer's rules apply once it has come into the
  // popup's half; until then only Escape, a start, a click elsewhere or
  // another window in front send it away.
  bool keyOpened = false;
  // The edge resting at the user's wish, from the notification-area menu.
  EdgePause pause;
  // Where the pointer rested when a shortcut was started: no popup comes
  // there until it has moved.
  bool quietSince = false;
  POINT quietPoint{};

  COLORREF foregroundColor = 0;
  COLORREF backgroundColor = 0;
  UniqueBrush backgroundBrush;
  LOGFONTW logFont = {};
  UniqueFont popupFont;
  int popupFontDpi = 0;  // the scale popupFont was made for
  // The dialog's own font and button unit, as made for the scale it was
  // created at; the buttons and the list get them scaled to the popup's.
  HFONT dialogFont = nullptr;  // the dialog's, never destroyed here
  int createdDpi = 0;
  SIZE createdUnit{};
  UniqueFont controlFont;  // the dialog's font at popupDpi, when that differs
  int popupDpi = 0;        // the scale the controls were last laid out at
  SIZE buttonUnit{};

  // Before the groups: their icon claims call back into it.
  IconStore icons;
  GroupList groupList;
  GroupLoader loader;
  // A list read by Refresh, waiting for a dialog or box to close; and the
  // folder that ran out of memory on the way.
  bool readPending = false;
  GroupList readGroups;
  std::string readFailedFolder;
  // A Refresh was dropped because Setup changed the folder meanwhile.
  bool refreshAfterSetup = false;
  SetupDialog* openSetup = nullptr;  // shows icons as they come

  bool popupShown = false;
  HMONITOR popupMonitor = nullptr;  // where the popup is shown
  int columnWidth = 0;
  RECT groupArea = {0, 0, 0, 0};
  PopupLayout layout;  // the last one ShowPopup applied
  UniqueBitmap sideBanner;
  ShortcutListCtrl shortcutList;
  FindPanel find;
  RECT queryLine = {0, 0, 0, 0};  // where the query is painted, above the results
  HoverModel hover;  // hoveredGroup and displayedGroup
  UINT_PTR hoverTimer = 0;
  bool pointerSeen = false;  // since the popup was shown
  POINT lastPointer{};       // screen coordinates
};

}  // namespace qv
