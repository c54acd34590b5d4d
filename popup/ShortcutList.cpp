#include "ShortcutList.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstring>

#include "PathText.h"
#include "ShellHelpers.h"

namespace qv {

namespace {

// An item's text is copied into a buffer of this size when it is inserted.
constexpr std::size_t kItemTextSize = 256;

}  // namespace

ShortcutListCtrl::~ShortcutListCtrl() { Detach(); }

bool ShortcutListCtrl::Attach(HWND list, ShortcutListOwner* owner) {
  Detach();
  if (list == nullptr) return false;
  list_ = list;
  owner_ = owner;
  SetWindowLongPtrA(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // Subclassed wide, as the control was made: an ANSI procedure in between
  // would turn the list into an ANSI window.
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ShortcutListCtrl::Proc)));
  if (original_ == nullptr) {
    SetWindowLongPtrA(list_, GWLP_USERDATA, 0);
    list_ = nullptr;
    return false;
  }
  return true;
}

void ShortcutListCtrl::Detach() {
  if (list_ == nullptr) return;
  if (IsWindow(list_)) {
    SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    SetWindowLongPtrA(list_, GWLP_USERDATA, 0);
  }
  list_ = nullptr;
  original_ = nullptr;
  owner_ = nullptr;
}

LRESULT CALLBACK ShortcutListCtrl::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<ShortcutListCtrl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC original = self->original_;
  if (message == WM_MOUSEMOVE && self->owner_ != nullptr) {
    // The owner decides; the control's own hot tracking stays out of it.
    self->owner_->OnListMouseMove(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return 0;
  }
  if (message == WM_LBUTTONDOWN && self->ItemAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) < 0) {
    return self->OnReflectedClick();
  }
  // Text from an input method goes to the popup as characters, as typed
  // text does, not into the control's own search by name.
  if (message == WM_IME_COMPOSITION || message == WM_IME_CHAR) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) self->Detach();
  return CallWindowProcW(original, window, message, wParam, lParam);
}

void ShortcutListCtrl::Clear() const {
  if (list_ != nullptr) SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
}

void ShortcutListCtrl::SetImageList(HIMAGELIST images) const {
  if (list_ != nullptr) SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}

bool InsertShortcutItem(HWND list, int index, const ShortcutItem& shortcut) {
  char text[kItemTextSize];
  const std::size_t length = FittingLength(shortcut.name, kItemTextSize - 1, SystemCodePage());
  std::memcpy(text, shortcut.name.data(), length);
  text[length] = '\0';
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = index;
  item.iSubItem = 0;
  item.pszText = text;
  item.iImage = shortcut.iconIndex;
  item.lParam = reinterpret_cast<LPARAM>(&shortcut);
  return SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) != -1;
}

void UpdateItemIcon(HWND list, const ShortcutItem& shortcut) {
  if (list == nullptr) return;
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = reinterpret_cast<LPARAM>(&shortcut);
  const LRESULT index = SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
  if (index < 0) return;
  // Only the image: the item keeps its place, text and state under the
  // pointer.
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = static_cast<int>(index);
  item.iImage = shortcut.iconIndex;
  SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void ShortcutListCtrl::Fill(const ProgramGroup& group) const {
  int index = 0;
  for (const auto& shortcut : group.shortcuts) {
    if (!InsertShortcutItem(list_, index, *shortcut)) return;
    ++index;
  }
}

int ShortcutListCtrl::ItemCount() const {
  return list_ != nullptr ? static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

const ShortcutItem* ShortcutListCtrl::Selected() const {
  if (list_ == nullptr) return nullptr;
  const int index = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (index < 0) return nullptr;
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  if (!SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<const ShortcutItem*>(item.lParam);
}

int ShortcutListCtrl::ItemAt(POINT point) const {
  for (int i = 0; i < ItemCount(); ++i) {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    if (SendMessageA(list_, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&bounds)) &&
        PtInRect(&bounds, point)) {
      return i;
    }
  }
  return -1;
}

void ShortcutListCtrl::SelectItemAt(POINT point) const {
  const int i = ItemAt(point);
  if (i < 0) return;
  const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
  if ((SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(i), both) & both) == both) return;
  LVITEMA state{};
  state.stateMask = both;
  state.state = both;
  SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&state));
}

void ShortcutListCtrl::SelectItem(int index) const {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&state));
  SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

bool ShortcutListCtrl::FocusInFirstColumn() const {
  const int focused =
      static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (focused <= 0) return true;
  // Arranged in rows from the top left: the first item opens every row's
  // column.
  POINT first{}, at{};
  SendMessageA(list_, LVM_GETITEMPOSITION, 0, reinterpret_cast<LPARAM>(&first));
  SendMessageA(list_, LVM_GETITEMPOSITION, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&at));
  return at.x <= first.x;
}

LRESULT ShortcutListCtrl::OnReflectedClick() const {
  PostMessageA(GetDlgItem(GetParent(list_), IDOK), BM_CLICK, 0, 0);
  return 0;
}

}  // namespace qv
