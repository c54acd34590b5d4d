#include "SetupDialog.h"

#include <commctrl.h>

#include "Dpi.h"
#include "Messages.h"
#include "NameDialog.h"
#include "SetupRules.h"
#include "ShellHelpers.h"
#include "ShortcutList.h"
#include "resource.h"

namespace qv {

namespace {

bool Listed(LRESULT index) { return index != LB_ERR && index != LB_ERRSPACE; }

void EnableIf(HWND control, bool enable) {
  // Only real changes: enabling repaints the button.
  if ((IsWindowEnabled(control) != FALSE) != enable) EnableWindow(control, enable ? TRUE : FALSE);
}

}  // namespace

SetupDialog::SetupDialog(HWND owner) : DialogT(IDD_SETUP, owner), owner_(owner) {}

RouteList<SetupDialog> SetupDialog::Routes() {
  static const Route<SetupDialog> routes[] = {
      OnCommand(IDC_GROUP_NEW, &SetupDialog::OnNewGroup, BN_CLICKED),
      OnCommand(IDC_GROUP_RENAME, &SetupDialog::OnRenameGroup, BN_CLICKED),
      OnCommand(IDC_GROUP_DELETE, &SetupDialog::OnDeleteGroup, BN_CLICKED),
      OnCommand(IDC_GROUPS, &SetupDialog::OnGroupSelected, LBN_SELCHANGE),
      OnCommand(IDC_GROUPS, &SetupDialog::OnRenameGroup, LBN_DBLCLK),
      OnCommand(IDC_SHORTCUT_NEW, &SetupDialog::OnNewShortcut, BN_CLICKED),
      OnCommand(IDC_SHORTCUT_RENAME, &SetupDialog::OnRenameShortcut, BN_CLICKED),
      OnCommand(IDC_SHORTCUT_DELETE, &SetupDialog::OnDeleteShortcut, BN_CLICKED),
      OnNotify(IDC_SHORTCUTS, NM_DBLCLK, &SetupDialog::OnShortcutDoubleClick),
      OnMessage(WM_DROPFILES, &SetupDialog::OnDropFiles),
      OnCommand(IDC_FOREGROUND, &SetupDialog::OnForegroundColor, BN_CLICKED),
      OnCommand(IDC_BACKGROUND, &SetupDialog::OnBackgroundColor, BN_CLICKED),
      OnCommand(IDC_FONT, &SetupDialog::OnFont, BN_CLICKED),
      OnCommand(IDC_HOTKEY_ON, &SetupDialog::OnHotKeyToggled, BN_CLICKED),
      OnCommand(IDC_HOTKEY, &SetupDialog::OnHotKeyChanged, EN_CHANGE),
      OnCommand(IDC_EDGE_DELAY, &SetupDialog::OnDelayChosen, CBN_SELCHANGE),
      OnCommand(IDC_EDGE_QUIET, &SetupDialog::OnQuiet, BN_CLICKED),
      OnMessage(WM_CTLCOLORSTATIC, &SetupDialog::OnControlColor),
      OnMessage(kDpiChangedMessage, &SetupDialog::OnDpiChanged),
  };
  return routes;
}

void SetupDialog::Run(GroupList& groups, IconStore& iconStore, COLORREF& background, COLORREF& foreground,
                      LOGFONTW& font, HotKey& hotKey, bool hotKeyHeld, QuietList& quiet, std::uint32_t& delay) {
  groupList = &groups;
  quiet_ = quiet;
  delay_ = delay;
  hotKey_ = hotKey;
  hotKeyHeld_ = hotKeyHeld;
  icons = &iconStore;
  backgroundColor = background;
  foregroundColor = foreground;
  logFont = font;
  foregroundBrush.reset(CreateSolidBrush(foregroundColor));
  backgroundBrush.reset(CreateSolidBrush(backgroundColor));
  chosenHotKey_ = hotKey;
  RunModal();
  background = backgroundColor;
  foreground = foregroundColor;
  font = logFont;
  hotKey = chosenHotKey_;
  quiet = quiet_;
  delay = delay_;
}

bool SetupDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  groupsBox = Item(IDC_GROUPS);
  shortcutView = Item(IDC_SHORTCUTS);
  SendMessageA(shortcutView, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
  dialogDpi = WindowDpi(hwnd());
  // The example shows the popup's font, which the dialog sets itself.
  KeepControlFont(Item(IDC_EXAMPLE));
  // The launcher's images, shared with the popup; the view never frees them.
  ShowImages(icons->images());
  ScaleIcons();
  UpdateExample();
  {
    // Neither a key alone nor with Shift alone: Ctrl+Alt go with it.
    HWND key = Item(IDC_HOTKEY);
    SendMessageW(key, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    const HotKey shown = hotKey_.off() ? kDefaultHotKey : hotKey_;
    SendMessageW(key, HKM_SETHOTKEY, MAKEWORD(shown.key, shown.modifiers), 0);
    CheckDlgButton(hwnd(), IDC_HOTKEY_ON, hotKey_.off() ? BST_UNCHECKED : BST_CHECKED);
    OnHotKeyToggled();
  }
  FillDelays();

  for (const auto& group : *groupList) {
    const LRESULT index = SendMessageA(groupsBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(group->name.c_str()));
    if (!Listed(index)) {
      EndModal(IDCANCEL);
      return true;
    }
    SendMessageA(groupsBox, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(group.get()));
  }
  if (GroupCount() > 0) SendMessageA(groupsBox, LB_SETCURSEL, 0, 0);
  RefillShortcutView(nullptr);
  UpdateButtonStates();
  // The launcher lives in the background; the dialog must not open behind
  // whatever the user is working in.
  SetForegroundWindow(hwnd());
  return true;  // the focus goes to the first tab stop, the groups list
}

void SetupDialog::OnOK() {
  const HWND focus = GetFocus();
  if (focus == groupsBox) {
    if (GroupCount() > 0) PostClick(IDC_GROUP_RENAME);
  } else if (focus == shortcutView) {
    if (ShortcutCount() > 0) PostClick(IDC_SHORTCUT_RENAME);
  }
}

bool SetupDialog::PreTranslateMessage(MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  const HWND focus = GetFocus();
  int button = 0;
  if (focus == groupsBox) {
    if (msg.wParam == VK_INSERT) button = IDC_GROUP_NEW;
    if (msg.wParam == VK_DELETE && GroupCount() > 0) button = IDC_GROUP_DELETE;
  } else if (focus == shortcutView) {
    if (msg.wParam == VK_INSERT && GroupCount() > 0) button = IDC_SHORTCUT_NEW;
    if (msg.wParam == VK_DELETE && ShortcutCount() > 0) button = IDC_SHORTCUT_DELETE;
  }
  if (button == 0) return false;
  PostClick(button);
  return true;
}

void SetupDialog::UpdateButtonStates() {
  const bool groupSelected = GroupCount() > 0 && SelectedGroup() != nullptr;
  const bool anyShortcut = ShortcutCount() > 0;
  EnableIf(Item(IDC_GROUP_RENAME), groupSelected);
  EnableIf(Item(IDC_GROUP_DELETE), groupSelected);
  EnableIf(Item(IDC_SHORTCUT_NEW), groupSelected);
  EnableIf(Item(IDC_SHORTCUT_RENAME), anyShortcut);
  EnableIf(Item(IDC_SHORTCUT_DELETE), anyShortcut);
}

int SetupDialog::GroupCount() const {
  const LRESULT count = SendMessageA(groupsBox, LB_GETCOUNT, 0, 0);
  return count > 0 ? static_cast<int>(count) : 0;
}

int SetupDialog::ShortcutCount() const {
  const LRESULT count = SendMessageA(shortcutView, LVM_GETITEMCOUNT, 0, 0);
  return count > 0 ? static_cast<int>(count) : 0;
}

ProgramGroup* SetupDialog::SelectedGroup(int* index) const {
  const LRESULT selected = SendMessageA(groupsBox, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) return nullptr;
  const LRESULT data = SendMessageA(groupsBox, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
  if (data == LB_ERR || data == 0) return nullptr;
  if (index != nullptr) *index = static_cast<int>(selected);
  return reinterpret_cast<ProgramGroup*>(data);
}

bool SetupDialog::ListGroup(ProgramGroup* group, const std::string& text) {
  const LRESULT index = SendMessageA(groupsBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (!Listed(index)) return false;
  SendMessageA(groupsBox, LB_SETITEMDATA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(group));
  SendMessageA(groupsBox, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  return true;
}

void SetupDialog::ClearShortcutView() { SendMessageA(shortcutView, LVM_DELETEALLITEMS, 0, 0); }

void SetupDialog::ShowIcon(const ProgramGroup& group, const ShortcutItem& item) {
  if (SelectedGroup() == &group) UpdateItemIcon(shortcutView, item);
}

void SetupDialog::ScaleIcons() {
  // A new list reaches this view through the launcher (ShowImages).
  icons->SetIconSize(MetricForDpi(SM_CXICON, dialogDpi));
  SendMessageW(shortcutView, LVM_SETICONSPACING, 0,
               MAKELPARAM(MetricForDpi(SM_CXICONSPACING, dialogDpi), MetricForDpi(SM_CYICONSPACING, dialogDpi)));
}

void SetupDialog::ShowImages(HIMAGELIST images) {
  SendMessageW(shortcutView, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  InvalidateRect(shortcutView, nullptr, TRUE);
}

void SetupDialog::RefillShortcutView(const ShortcutItem* show) {
  ClearShortcutView();
  const ProgramGroup* group = SelectedGroup();
  if (group == nullptr) return;
  icons->Prefer(group);
  int shown = -1;
  int index = 0;
  for (const auto& item : group->shortcuts) {
    if (!InsertShortcutItem(shortcutView, index, *item)) break;
    if (item.get() == show) shown = index;
    ++index;
  }
  if (shown >= 0) SendMessageA(shortcutView, LVM_ENSUREVISIBLE, static_cast<WPARAM>(shown), FALSE);
}

void SetupDialog::OnGroupSelected() { RefillShortcutView(nullptr); }

void SetupDialog::OnNewGroup() {
  SetFocus(groupsBox);
  std::string name;
  NameDialog ask(hwnd());
  if (!ask.Run(name, nullptr, nullptr, *groupList)) return;

  const std::string path = GetProgramFolder() + name;
  if (!NamesOneEntry(name) || !CreateDirectoryA(path.c_str(), nullptr)) {
    const std::string error = GetLastErrorText();
    ShowWarningMessage(hwnd(), "File I/O Error",
                       {"Quorvel! was unable to create the following", "sub directory:", "", path, "",
                        "Error Information:", "", error});
    return;
  }
  ProgramGroup* group = AddGroup(*groupList, path);
  if (group == nullptr) {
    RemoveDirectoryA(path.c_str());
    ShowWarningMessage(hwnd(), "Insufficient Memory",
                       {"Quorvel! was unable to add the new", "program group due to insufficient memory:", "", name});
    return;
  }
  // The list box shows the name as typed; the record's comes from the path.
  if (ListGroup(group, name)) RefillShortcutView(nullptr);
}

void SetupDialog::OnRenameGroup() {
  SetFocus(groupsBox);
  int index = -1;
  ProgramGroup* group = SelectedGroup(&index);
  if (group == nullptr) return;
  std::string name;
  NameDialog ask(hwnd());
  if (!ask.Run(name, group, nullptr, *groupList)) return;

  const std::string path = GetProgramFolder() + name;
  if (!NamesOneEntry(name) || !RetriedWhileInUse([&] { return RenamePath(group->path, path); })) {
    const std::string error = GetLastErrorText();
    ShowWarningMessage(hwnd(), "File I/O Error",
                       {"Quorvel! was unable to rename the", "following sub directory:", "", group->path, "",
                        "Error Information:", "", error});
    return;
  }
  // In place: the group keeps its place in the popup until the groups are
  // read again.
  group->name = name;
  group->path = path;
  for (auto& item : group->shortcuts) {
    item->path = path + "\\" + GetFileNameOnly(item->path);
    // An icon still to come is fetched from the new place.
    if (item->icon.waiting()) icons->Request(*group, *item);
  }

  SendMessageA(groupsBox, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  ListGroup(group, group->name);
  RefillShortcutView(nullptr);
}

bool SetupDialog::DeleteGroupFiles(const ProgramGroup& group) {
  // Wide: a narrow entry holds MAX_PATH bytes, and a long name in UTF-8
  // would come back cut, naming no file.
  WIN32_FIND_DATAW found{};
  UniqueFind search(FindFirstFileW(WideText(group.path + "\\*.*").c_str(), &found));
  if (!search) return true;  // nothing in it
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    const std::string name = CodePageText(found.cFileName);
    const std::string file = group.path + "\\" + name;
    if (!RetriedWhileInUse([&file] { return DeleteFileA(file.c_str()) != FALSE; })) {
      const std::string error = GetLastErrorText();
      search.reset();
      ShowWarningMessage(hwnd(), "File I/O Error",
                         {"Quorvel! was unable to delete the following item in the",
                          "program group \"" + group.name + "\":", "", name, "", "Error Information:", "",
                          error});
      return false;
    }
  } while (FindNextFileW(search.get(), &found));
  return true;
}

void SetupDialog::OnDeleteGroup() {
  SetFocus(groupsBox);
  int index = -1;
  ProgramGroup* group = SelectedGroup(&index);
  if (group == nullptr) return;
  if (!AskYesNo(hwnd(), "Delete Group", {"Are you sure you wish to delete the", "following group?:", "", group->name}))
    return;
  if (!AskYesNo(hwnd(), "Delete Group", {"Are you really sure?"})) return;

  // No icon of the group is fetched from now on; what is left after a
  // failure and still shows the default icon asks again.
  for (auto& item : group->shortcuts) item->icon.Release();
  if (!DeleteGroupFiles(*group)) {
    for (auto& item : group->shortcuts)
      if (item->iconIndex == 0) icons->Request(*group, *item);
    return;
  }
  ClearShortcutView();
  RemoveAllShortcuts(*group);
  if (!RetriedWhileInUse([group] { return RemoveDirectoryA(group->path.c_str()) != FALSE; })) {
    const std::string error = GetLastErrorText();
    ShowWarningMessage(hwnd(), "File I/O Error",
                       {"Quorvel! was unable to remove the", "following sub directory:", "", group->path, "",
                        "Error Information:", "", error});
    return;
  }
  RemoveGroup(*groupList, group);
  const LRESULT left = SendMessageA(groupsBox, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
  const int select = SelectionAfterDelete(index, left > 0 ? static_cast<int>(left) : 0);
  if (select >= 0) SendMessageA(groupsBox, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
  RefillShortcutView(nullptr);
}

}  // namespace qv
