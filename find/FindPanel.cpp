#include "FindPanel.h"

#include <commctrl.h>
#include <shlobj.h>
#include <windowsx.h>

#include "Fold.h"
#include "Handles.h"
#include "Text.h"

namespace qv {

namespace {

// Copies as much of `text` as fits, never half of a pair.
void CopyFitting(const std::wstring& text, wchar_t* out, int room) {
  if (out == nullptr || room <= 0) return;
  std::size_t length = text.size() < static_cast<std::size_t>(room - 1) ? text.size() : room - 1;
  if (length > 0 && length < text.size() && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
  text.copy(out, length);
  out[length] = L'\0';
}

constexpr UINT kBoth = LVIS_SELECTED | LVIS_FOCUSED;

void SetState(HWND list, int index, UINT state) {
  LVITEMW item{};
  item.stateMask = kBoth;
  item.state = state;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

FindPanel::~FindPanel() {
  if (list_ != nullptr && IsWindow(list_)) {
    SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    SetWindowLongPtrW(list_, GWLP_USERDATA, 0);
  }
}

bool FindPanel::Create(HWND dialog, int id, const GroupList* groups, Owner* owner) {
  groups_ = groups;
  owner_ = owner;
  // Owner data: the list asks for what it shows, so that ten thousand
  // results cost no more than ten. A row per result, the group beside the
  // name, and the large icons the group's list shows.
  list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                              LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS,
                          0, 0, 0, 0, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  if (list_ == nullptr) return false;
  // Drawn off screen and put there at once: a page of rows costs about
  // half as much under Wine, and nothing flickers.
  constexpr LPARAM kExtended = LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER;
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, kExtended, kExtended);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH | LVCF_SUBITEM;
  for (int sub = 0; sub < 2; ++sub) {
    column.iSubItem = sub;
    SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(sub), reinterpret_cast<LPARAM>(&column));
  }
  SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  original_ =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FindPanel::Proc)));
  return original_ != nullptr;
}

LRESULT CALLBACK FindPanel::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<FindPanel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->original_ == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  const WNDPROC original = self->original_;
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_MOUSEMOVE:
      // The popup decides, as over the group's icons.
      if (self->owner_ != nullptr) self->owner_->OnResultsMouseMove(point);
      return 0;
    case WM_LBUTTONDOWN:
      // A click starts the result under it, or the selected one off the
      // results, by the same way as the group's icons: the OK button.
      self->SelectAt(point);
      PostMessageW(GetDlgItem(GetParent(window), IDOK), BM_CLICK, 0, 0);
      return 0;
    case WM_IME_COMPOSITION:
    case WM_IME_CHAR:
      // Into the query as characters, like typed ones.
      return DefWindowProcW(window, message, wParam, lParam);
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      self->list_ = nullptr;
      self->original_ = nullptr;
      break;
    default:
      break;
  }
  return CallWindowProcW(original, window, message, wParam, lParam);
}

void FindPanel::SetImageList(HIMAGELIST images) const {
  if (list_ != nullptr) SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

void FindPanel::Place(int x, int y, int width, int height) const {
  if (list_ == nullptr) return;
  SetWindowPos(list_, HWND_TOP, x, y, width, height, SWP_NOACTIVATE);
  RECT client{};
  GetClientRect(list_, &client);
  const int room = client.right - GetSystemMetrics(SM_CXVSCROLL);
  const int group = room * 2 / 5;
  SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(room - group, 0));
  SendMessageW(list_, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(group, 0));
}

void FindPanel::Forget() {
  finder_.Clear();
  indexed_ = false;
  Clear();
}

void FindPanel::Clear() {
  query_.clear();
  pendingHigh_ = 0;
  results_.clear();
  groupHits_.clear();
  if (list_ != nullptr) SendMessageW(list_, LVM_SETITEMCOUNT, 0, 0);
}

bool FindPanel::Type(wchar_t unit) {
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    pendingHigh_ = unit;
    return false;
  }
  if (unit >= 0xDC00 && unit <= 0xDFFF) {
    if (pendingHigh_ == 0) return false;
    query_.push_back(pendingHigh_);
  }
  pendingHigh_ = 0;
  query_.push_back(unit);
  Search();
  return true;
}

bool FindPanel::Erase() {
  pendingHigh_ = 0;
  if (query_.empty()) return false;
  std::size_t cut = 1;
  if (query_.size() >= 2 && query_.back() >= 0xDC00 && query_.back() <= 0xDFFF && query_[query_.size() - 2] >= 0xD800 &&
      query_[query_.size() - 2] <= 0xDBFF) {
    cut = 2;
  }
  query_.resize(query_.size() - cut);
  if (query_.empty()) {
    Clear();
  } else {
    Search();
  }
  return true;
}

void FindPanel::Index() {
  finder_.Clear();
  if (groups_ == nullptr) return;
  std::size_t count = 0;
  for (const auto& group : *groups_) count += group->shortcuts.size();
  finder_.Reserve(count);
  for (std::size_t g = 0; g < groups_->size(); ++g) {
    const auto& shortcuts = (*groups_)[g]->shortcuts;
    for (std::size_t i = 0; i < shortcuts.size(); ++i)
      finder_.Add(&shortcuts[i]->key, static_cast<std::uint32_t>(g), static_cast<std::uint32_t>(i));
  }
  indexed_ = true;
}

void FindPanel::Search() {
  if (!indexed_) Index();
  // All of it in memory, before the next key is read: what Enter starts is
  // always the first result of the query as typed.
  finder_.Find(FoldForSearch(CodePoints(query_)), results_);
  groupHits_.assign(groups_ != nullptr ? groups_->size() : 0, 0);
  for (const Found& found : results_)
    if (found.group < groupHits_.size()) groupHits_[found.group] = 1;
  if (list_ == nullptr) return;
  // Only the one selected result is let go: asking the list to let go of
  // all of them costs a step per result.
  const int selected = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected >= 0) SetState(list_, selected, 0);
  SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(results_.size()), 0);
  SelectFirst();
  InvalidateRect(list_, nullptr, TRUE);
}

void FindPanel::SelectFirst() const {
  if (list_ == nullptr || results_.empty()) return;
  SetState(list_, 0, kBoth);
  SendMessageW(list_, LVM_ENSUREVISIBLE, 0, FALSE);
}

void FindPanel::SelectAt(POINT point) const {
  if (list_ == nullptr) return;
  LVHITTESTINFO hit{};
  hit.pt = point;
  const int index = static_cast<int>(SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (index < 0 || static_cast<std::size_t>(index) >= results_.size()) return;
  if ((SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), kBoth) & kBoth) == kBoth) return;
  SetState(list_, index, kBoth);
}

const ShortcutItem* FindPanel::ItemOf(const Found& found, const ProgramGroup** group) const {
  if (groups_ == nullptr || found.group >= groups_->size()) return nullptr;
  const ProgramGroup& holder = *(*groups_)[found.group];
  if (found.index >= holder.shortcuts.size()) return nullptr;
  if (group != nullptr) *group = &holder;
  return holder.shortcuts[found.index].get();
}

const ShortcutItem* FindPanel::Selected(const ProgramGroup** group) const {
  if (list_ == nullptr || !active()) return nullptr;
  const int index = static_cast<int>(SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (index < 0 || static_cast<std::size_t>(index) >= results_.size()) return nullptr;
  return ItemOf(results_[static_cast<std::size_t>(index)], group);
}

LRESULT FindPanel::OnGetDispInfo(const NMHDR& header) const {
  auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
  LVITEMW& item = info.item;
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= results_.size()) return 0;
  const ProgramGroup* group = nullptr;
  const ShortcutItem* shortcut = ItemOf(results_[static_cast<std::size_t>(item.iItem)], &group);
  if (shortcut == nullptr) return 0;
  if (item.mask & LVIF_TEXT)
    CopyFitting(WideText(item.iSubItem == 0 ? shortcut->name : group->name), item.pszText, item.cchTextMax);
  if (item.mask & LVIF_IMAGE) item.iImage = shortcut->iconIndex;
  return 0;
}

LRESULT FindPanel::OnGetInfoTip(const NMHDR& header) const {
  // The result under the pointer, which the pointer has also selected.
  auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
  if (tip.iItem < 0 || static_cast<std::size_t>(tip.iItem) >= results_.size()) return 0;
  const ProgramGroup* group = nullptr;
  const ShortcutItem* shortcut = ItemOf(results_[static_cast<std::size_t>(tip.iItem)], &group);
  if (shortcut == nullptr) return 0;
  const std::wstring text = WideText(shortcut->name) + L"\r\nIn " + WideText(group->name) +
                            L"\r\nEnter: start it\r\nCtrl+Enter: open its folder"
                            L"\r\nCtrl+Shift+Enter: start it as administrator";
  CopyFitting(text, tip.pszText, tip.cchTextMax);
  return 0;
}

void ShowInFolder(const std::string& shortcutPath) {
  const std::wstring shortcut = WideText(shortcutPath);
  if (shortcut.empty()) return;
  // The link's target where it is a file or folder that is there; else the
  // shortcut itself, in its group's folder.
  std::wstring shown = shortcut;
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put_void())) &&
      SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ))) {
    wchar_t target[MAX_PATH] = {};
    if (link->GetPath(target, MAX_PATH, nullptr, 0) == S_OK) {
      target[MAX_PATH - 1] = L'\0';
      if (target[0] != L'\0' && GetFileAttributesW(target) != INVALID_FILE_ATTRIBUTES) shown = target;
    }
  }
  PIDLIST_ABSOLUTE item = ILCreateFromPathW(shown.c_str());
  if (item != nullptr) {
    const HRESULT opened = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
    ILFree(item);
    if (SUCCEEDED(opened)) return;
  }
  const std::wstring parameters = L"/select,\"" + shown + L"\"";
  ShellExecuteW(nullptr, nullptr, L"explorer.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

void StartAsAdministrator(HWND owner, const std::string& shortcutPath) {
  const std::wstring path = WideText(shortcutPath);
  if (path.empty()) return;
  SHELLEXECUTEINFOW run{};
  run.cbSize = sizeof run;
  run.hwnd = owner;
  run.lpVerb = L"runas";
  run.lpFile = path.c_str();
  run.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&run);  // the shell reports its own failures, and a refusal
}

}  // namespace qv
