// The Create Shortcut wizard: page 1 asks for the item the new shortcut
// starts, page 2 for the name it is listed under. Each page is a modal
// dialog of its own; the Setup dialog shows them in turn, goes back from
// page 2 to page 1 on Back and makes the shortcut after Finish.
#pragma once

#include <string>

#include "Dialog.h"

namespace qv {

class ShortcutTargetPage : public DialogT<ShortcutTargetPage> {
 public:
  explicit ShortcutTargetPage(HWND parent);

  // Shows the page with `commandLine`; true after Next, with the trimmed
  // command line written back. Otherwise `commandLine` is untouched.
  bool Run(std::string& commandLine);

  static RouteList<ShortcutTargetPage> Routes();

 private:
  bool OnInitDialog() override;
  void OnOK() override;
  bool Exchange(bool save) override;
  void OnEditChange();
  void OnBrowse();
  void Refuse(const std::string& title, const char* first, const char* second);

  std::string commandLine_;
};

class ShortcutTitlePage : public DialogT<ShortcutTitlePage> {
 public:
  enum Outcome { kBack = -1, kCancelled = 0, kFinished = 1 };

  explicit ShortcutTitlePage(HWND parent);

  // Shows the page with `title`; after Finish the trimmed title is written
  // back. Back and Cancel leave `title` untouched.
  Outcome Run(std::string& title);

  static RouteList<ShortcutTitlePage> Routes();

 private:
  bool OnInitDialog() override;
  void OnOK() override;
  bool Exchange(bool save) override;
  void OnEditChange();
  void OnBack();

  std::string title_;
  Outcome outcome_ = kCancelled;
  bool loaded_ = false;
};

// Tells the user that no shortcut can be made to `path`, a name with
// characters outside the system's code page, shown as the narrow API has it.
void ShowUnsupportedName(HWND owner, const std::string& path);

// True when `commandLine` names an existing file or folder: its volume
// answers and a search for it finds an entry. It is taken as one path, so a
// program followed by arguments is not found; wild cards match.
bool ItemExists(const std::string& commandLine);

}  // namespace qv
