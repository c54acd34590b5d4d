// Setup's list of the programs and windows over which the edge stays quiet:
// a name typed, a program picked from the open windows, an entry removed.
#pragma once

#include <vector>

#include "Dialog.h"
#include "QuietList.h"
#include "QuietWindows.h"

namespace qv {

class QuietDialog : public DialogT<QuietDialog> {
 public:
  explicit QuietDialog(HWND owner);

  // True with the new list in `list` after OK; untouched after Cancel.
  bool Run(QuietList& list);

  static RouteList<QuietDialog> Routes();

 private:
  bool OnInitDialog() override;
  // Enter in the name's box adds the name; elsewhere it is OK.
  void OnOK() override;
  void OnIdle() override;
  void OnAdd();
  void OnAddWindow();
  void OnRemove();
  // Adds to the list and shows it selected; says why where it cannot.
  void Add(const std::wstring& name);
  void Refill();

  QuietList list_;
  std::vector<OpenWindow> windows_;
};

}  // namespace qv
