// The small dialog in which the user names a new group, or gives a group or
// a shortcut its new name. It refuses an empty name and a name that another
// group, or another shortcut of the same group, already shows; making or
// renaming the folder or file is the caller's part.
#pragma once

#include <string>

#include "Dialog.h"
#include "GroupStore.h"
#include "MessageText.h"

namespace qv {

class NameDialog : public DialogT<NameDialog> {
 public:
  explicit NameDialog(HWND owner);

  // No group and no shortcut: a new group. A group alone: renaming it. A
  // shortcut with its group: renaming the shortcut. True with the trimmed
  // name in `name` after OK; `name` is untouched after Cancel.
  bool Run(std::string& name, const ProgramGroup* group, const ShortcutItem* shortcut, const GroupList& groups);

  static RouteList<NameDialog> Routes();

 private:
  bool OnInitDialog() override;
  void OnOK() override;
  bool Exchange(bool save) override;
  void Refuse(const std::string& title, const MessageLines& lines);

  std::string name_;
  const ProgramGroup* group_ = nullptr;
  const ShortcutItem* shortcut_ = nullptr;
  const GroupList* groups_ = nullptr;
};

}  // namespace qv
