// The popup's large-icon list of the displayed group's shortcuts. It takes
// over the list-view control of the dialog: pointer moves go to its owner
// instead of the control (so the item under the pointer is selected without
// a click), and a click anywhere in it becomes a click on the dialog's
// invisible OK button. A press on empty space never reaches the control,
// which would drop the selection the click is meant to start.
#pragma once

#include <windows.h>

#include "GroupStore.h"

namespace qv {

// Inserts one shortcut at `index` of a large-icon list view: its name (cut to
// what an item holds), its icon and the record itself as the item's data.
bool InsertShortcutItem(HWND list, int index, const ShortcutItem& shortcut);
// Gives the item of that shortcut, if the list view has one, its icon.
void UpdateItemIcon(HWND list, const ShortcutItem& shortcut);

class ShortcutListOwner {
 public:
  // A pointer move over the list, in the list's client coordinates.
  virtual void OnListMouseMove(POINT point) = 0;

 protected:
  ~ShortcutListOwner() = default;
};

class ShortcutListCtrl {
 public:
  ShortcutListCtrl() = default;
  ~ShortcutListCtrl();
  ShortcutListCtrl(const ShortcutListCtrl&) = delete;
  ShortcutListCtrl& operator=(const ShortcutListCtrl&) = delete;

  // Takes over the control; false when there is none.
  bool Attach(HWND list, ShortcutListOwner* owner);
  // Gives the control its own window procedure back.
  void Detach();
  HWND hwnd() const { return list_; }

  void Clear() const;
  // The image list is the icon store's and stays the store's.
  void SetImageList(HIMAGELIST images) const;
  // One item per shortcut, in list order; stops at the first item the
  // control refuses.
  void Fill(const ProgramGroup& group) const;
  // The shortcut's icon has come: its item, if listed, shows it.
  void UpdateIcon(const ShortcutItem& shortcut) const { UpdateItemIcon(list_, shortcut); }
  int ItemCount() const;
  // The shortcut of the selected item, or null.
  const ShortcutItem* Selected() const;
  // The first item whose bounds hold the point (list coordinates), or -1.
  int ItemAt(POINT point) const;
  // Selects the item under the point; off the items the selection stays.
  // The item also takes the list's focus, so that the arrow keys go on
  // from it.
  void SelectItemAt(POINT point) const;
  // Selects and focuses one item, in sight.
  void SelectItem(int index) const;
  // The focused item stands in the list's first column, or none is focused.
  bool FocusInFirstColumn() const;
  // The list's click: the dialog's OK button carries the launch.
  LRESULT OnReflectedClick() const;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND list_ = nullptr;
  WNDPROC original_ = nullptr;
  ShortcutListOwner* owner_ = nullptr;
};

}  // namespace qv
