// The Setup dialog's shortcuts: the Create Shortcut wizard, rename, delete
// and files dropped from the shell. Each change is made on disk first, then
// in the selected group's list and in the list view.
#include "SetupDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include "Fold.h"
#include "Handles.h"
#include "Messages.h"
#include "NameDialog.h"
#include "NameOrder.h"
#include "SetupRules.h"
#include "ShellHelpers.h"
#include "ShortcutWizard.h"
#include "resource.h"

namespace qv {

namespace {

MessageLines ShellErrorLines(const std::string& source) {
  return {"Quorvel! was unable to create a shortcut", "to the following item:", "", source};
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool OnDisk(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

ShortcutItem* SetupDialog::SelectedShortcut(const ProgramGroup& group, int* index) const {
  const LRESULT selected = SendMessageA(shortcutView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if (selected < 0) return nullptr;
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = static_cast<int>(selected);
  if (!SendMessageA(shortcutView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  // Only a record the group still holds is handed out.
  for (const auto& shortcut : group.shortcuts) {
    if (reinterpret_cast<LPARAM>(shortcut.get()) == item.lParam) {
      if (index != nullptr) *index = static_cast<int>(selected);
      return shortcut.get();
    }
  }
  return nullptr;
}

void SetupDialog::OnNewShortcut() {
  SetFocus(shortcutView);
  ShortcutTargetPage targetPage(hwnd());
  ShortcutTitlePage titlePage(hwnd());
  std::string commandLine;
  for (;;) {
    if (!targetPage.Run(commandLine)) return;
    // Suggested afresh on every pass: a title typed before Back is not kept.
    std::string title = GetBaseTitle(commandLine);
    switch (titlePage.Run(title)) {
      case ShortcutTitlePage::kCancelled:
        return;
      case ShortcutTitlePage::kBack:
        continue;
      case ShortcutTitlePage::kFinished:
        CreateShortcutInGroup(commandLine, title);
        return;
    }
  }
}

void SetupDialog::CreateShortcutInGroup(const std::string& source, const std::string& name) {
  ProgramGroup* group = SelectedGroup();
  if (group == nullptr) return;

  const auto proposal = ProposeShortcut(source, IsFolder(source), SystemCodePage());
  if (!proposal) {
    ShowWarningMessage(hwnd(), "Shell Error", ShellErrorLines(source));
    return;
  }
  const std::string path = NewShortcutPath(group->path, name, *proposal);
  // A file of that name that is not listed (made since the groups were read)
  // counts as well: the new shortcut must not replace it.
  bool taken = OnDisk(path);
  for (const auto& item : group->shortcuts) taken = taken || SameName(item->path, path);
  if (taken) {
    ShowWarningMessage(hwnd(), "Duplicate Shortcut",
                       {"There is already a shortcut assigned", "to the currently selected group with",
                        "the following name:", "", name});
    return;
  }

  if (proposal->mustCopy) {
    if (!NamesOneEntry(name) || !CopyFileA(source.c_str(), path.c_str(), TRUE)) {
      const std::string error = GetLastErrorText();
      ShowWarningMessage(hwnd(), "File I/O Error",
                         {"Quorvel! was unable to copy the", "following shortcut:", "", source, "",
                          "Error Information:", "", error});
      return;
    }
  } else {
    ShellLinkSpec link;
    link.target = source;
    link.description = name;
    link.iconFile = source;
    if (!NamesOneEntry(name) || FAILED(CreateShellLink(path, link))) {
      ShowWarningMessage(hwnd(), "Shell Error", ShellErrorLines(source));
      return;
    }
  }

  ShortcutItem* item = AddShortcut(*group, path);
  if (item == nullptr) {
    ShowWarningMessage(hwnd(), "Insufficient Memory",
                       {"Quorvel! was unable to create a shortcut to the",
                        "following item due to insufficient memory:", "", source});
    DeleteFileA(path.c_str());
    return;
  }
  // Only the new shortcut's icon is fetched; it shows when it comes.
  icons->Request(*group, *item);
  RefillShortcutView(item);
}

void SetupDialog::OnDeleteShortcut() {
  SetFocus(shortcutView);
  ProgramGroup* group = SelectedGroup();
  if (group == nullptr) return;
  int index = -1;
  ShortcutItem* item = SelectedShortcut(*group, &index);
  if (item == nullptr) {
    ShowWarningMessage(hwnd(), "No Selection", {"You must select a shortcut first!"});
    return;
  }
  if (!AskYesNo(hwnd(), "Delete Shortcut",
                {"Are you sure you wish to delete the", "following shortcut?:", "", item->name}))
    return;
  if (!RetriedWhileInUse([item] { return DeleteFileA(item->path.c_str()) != FALSE; })) {
    const std::string error = GetLastErrorText();
    ShowWarningMessage(hwnd(), "File I/O Error",
                       {"Quorvel! was unable to delete", "the following shortcut:", "", item->path, "",
                        "Error Information:", "", error});
    return;
  }
  // The others keep their icons; nothing is selected afterwards.
  SendMessageA(shortcutView, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
  RemoveShortcut(*group, item);
}

void SetupDialog::OnRenameShortcut() {
  SetFocus(shortcutView);
  ProgramGroup* group = SelectedGroup();
  if (group == nullptr) return;
  ShortcutItem* item = SelectedShortcut(*group, nullptr);
  if (item == nullptr) {
    ShowWarningMessage(hwnd(), "No Selection", {"You must select a shortcut first!"});
    return;
  }
  std::string name;
  NameDialog ask(hwnd());
  if (!ask.Run(name, group, item, *groupList)) return;

  const std::string path = RenamedShortcutPath(group->path, name, item->path, SystemCodePage());
  if (!NamesOneEntry(name) || !RetriedWhileInUse([&] { return RenamePath(item->path, path); })) {
    const std::string error = GetLastErrorText();
    ShowWarningMessage(hwnd(), "File I/O Error",
                       {"Quorvel! was unable to rename the", "following shortcut:", "", item->path, "",
                        "Error Information:", "", error});
    return;
  }
  item->name = name;
  item->key = SearchKeyOf(name);
  item->path = path;
  // An icon still to come is fetched from the new name.
  if (item->icon.waiting()) icons->Request(*group, *item);
  MoveToNameOrder(group->shortcuts, static_cast<const ShortcutItem*>(item));
  RefillShortcutView(item);  // same icon, new place
}

LRESULT SetupDialog::OnShortcutDoubleClick(const NMHDR&) {
  PostClick(IDC_SHORTCUT_RENAME);
  return 0;
}

bool SetupDialog::OnDropFiles(Message& m) {
  UniqueDrop drop(reinterpret_cast<HDROP>(m.wParam));
  m.result = 0;
  POINT point{};
  DragQueryPoint(drop.get(), &point);
  ClientToScreen(hwnd(), &point);
  ScreenToClient(shortcutView, &point);
  RECT list{};
  GetClientRect(shortcutView, &list);
  if (!PtInRect(&list, point)) {
    ShowInfoMessage(hwnd(), "Drag & Drop Error", {"You must drop shortcuts on the", "shortcuts list!"});
    return true;
  }
  const UINT count = DragQueryFileW(drop.get(), 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    // Paths come in any length; each is read whole, and wide, so that a name
    // the code page cannot hold is seen as such.
    const UINT length = DragQueryFileW(drop.get(), i, nullptr, 0);
    if (length == 0) continue;
    std::wstring wide(length + 1, L'\0');
    const UINT copied = DragQueryFileW(drop.get(), i, wide.data(), length + 1);
    wide.resize(copied <= length ? copied : length);
    // One file's report does not stop the others.
    std::string path;
    if (NarrowPath(wide, path)) {
      CreateShortcutInGroup(path, GetBaseTitle(path));
    } else {
      ShowUnsupportedName(hwnd(), path);
    }
  }
  return true;
}

}  // namespace qv
