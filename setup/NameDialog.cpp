#include "NameDialog.h"

#include <string_view>
#include <vector>

#include "Messages.h"
#include "SetupRules.h"
#include "ShellHelpers.h"
#include "resource.h"

namespace qv {

NameDialog::NameDialog(HWND owner) : DialogT(IDD_NAME, owner) {}

// OK and Cancel take the layer's own road; nothing else needs a handler.
RouteList<NameDialog> NameDialog::Routes() { return {}; }

bool NameDialog::Run(std::string& name, const ProgramGroup* group, const ShortcutItem* shortcut,
                     const GroupList& groups) {
  group_ = group;
  shortcut_ = shortcut;
  groups_ = &groups;
  name_ = shortcut != nullptr ? shortcut->name : group != nullptr ? group->name : std::string();
  if (RunModal() != IDOK) return false;
  name = name_;
  return true;
}

bool NameDialog::OnInitDialog() {
  Exchange(false);
  SendMessageA(Item(IDC_NAME), EM_LIMITTEXT, kMaxNameLength, 0);
  if (shortcut_ != nullptr) {
    SetItemText(IDC_NAME_PROMPT, "Enter the new name of the shortcut:");
    SetWindowTextA(hwnd(), "Rename Shortcut");
  } else if (group_ != nullptr) {
    SetItemText(IDC_NAME_PROMPT, "Enter the new name of the group:");
    SetWindowTextA(hwnd(), "Rename Group");
  } else {
    SetWindowTextA(hwnd(), "Add Group");
  }
  return true;
}

bool NameDialog::Exchange(bool save) {
  TransferText(IDC_NAME, name_, save);
  return true;
}

void NameDialog::Refuse(const std::string& title, const MessageLines& lines) {
  ShowWarningMessage(hwnd(), title, lines);
  SetFocus(Item(IDC_NAME));
}

void NameDialog::OnOK() {
  const std::string typed = GetItemText(IDC_NAME);

  // The names this one must not repeat: the item itself is never among them.
  std::vector<std::string_view> others;
  if (shortcut_ != nullptr && group_ != nullptr) {
    for (const auto& item : group_->shortcuts)
      if (item.get() != shortcut_) others.push_back(item->name);
  } else if (groups_ != nullptr) {
    for (const auto& group : *groups_)
      if (group.get() != group_) others.push_back(group->name);
  }

  std::string trimmed;
  switch (CheckName(typed, others, SystemCodePage(), trimmed)) {
    case NameVerdict::kTooLong: {
      // Only an initial name can be this long; the edit takes no more.
      MessageBoxA(hwnd(), ("Please enter no more than " + std::to_string(kMaxNameLength) + " characters.").c_str(),
                  "Quorvel!", MB_OK | MB_ICONEXCLAMATION);
      HWND edit = Item(IDC_NAME);
      SetFocus(edit);
      SendMessageA(edit, EM_SETSEL, 0, -1);
      return;
    }
    case NameVerdict::kEmpty:
      Refuse("Insufficient Input", {shortcut_ != nullptr ? "You must enter the shortcut's name!"
                                                          : "You must enter the group's name!"});
      return;
    case NameVerdict::kDuplicate:
      if (shortcut_ != nullptr) {
        Refuse("Duplicate Shortcut", {"The specified name is already assigned", "to an existing shortcut!"});
      } else {
        Refuse("Duplicate Group", {"The specified name is already assigned", "to an existing group!"});
      }
      return;
    case NameVerdict::kAccepted:
      break;
  }
  name_ = trimmed;
  Exchange(false);
  EndModal(IDOK);
}

}  // namespace qv
