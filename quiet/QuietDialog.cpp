#include "QuietDialog.h"

#include "resource.h"

namespace qv {

namespace {

std::wstring TextOf(HWND control) {
  const int length = GetWindowTextLengthW(control);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, &text[0], length + 1)));
  return text;
}

}  // namespace

QuietDialog::QuietDialog(HWND owner) : DialogT(IDD_QUIET, owner) {}

RouteList<QuietDialog> QuietDialog::Routes() {
  static const Route<QuietDialog> routes[] = {
      OnCommand(IDC_QUIET_ADD, &QuietDialog::OnAdd, BN_CLICKED),
      OnCommand(IDC_QUIET_ADD_WINDOW, &QuietDialog::OnAddWindow, BN_CLICKED),
      OnCommand(IDC_QUIET_REMOVE, &QuietDialog::OnRemove, BN_CLICKED),
      OnCommand(IDC_QUIET_LIST, &QuietDialog::OnRemove, LBN_DBLCLK),
  };
  return routes;
}

bool QuietDialog::Run(QuietList& list) {
  list_ = list;
  if (RunModal() != IDOK) return false;
  list = list_;
  return true;
}

bool QuietDialog::OnInitDialog() {
  SendMessageW(Item(IDC_QUIET_NAME), EM_LIMITTEXT, kLongestQuietEntry, 0);
  Refill();
  // What is open now, the window in front first: the one the user has just
  // been in is the likeliest to be meant.
  windows_ = OpenWindows();
  const HWND box = Item(IDC_QUIET_WINDOWS);
  for (const OpenWindow& window : windows_) {
    const std::wstring line = window.title + L" (" + window.program + L")";
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  SendMessageW(box, CB_SETCURSEL, 0, 0);
  return true;
}

void QuietDialog::Refill() {
  const HWND box = Item(IDC_QUIET_LIST);
  SendMessageW(box, LB_RESETCONTENT, 0, 0);
  for (const std::wstring& entry : list_) SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

void QuietDialog::OnIdle() {
  EnableWindow(Item(IDC_QUIET_REMOVE), SendMessageW(Item(IDC_QUIET_LIST), LB_GETCURSEL, 0, 0) != LB_ERR);
  EnableWindow(Item(IDC_QUIET_ADD), GetWindowTextLengthW(Item(IDC_QUIET_NAME)) > 0);
  EnableWindow(Item(IDC_QUIET_ADD_WINDOW), !windows_.empty());
}

void QuietDialog::Add(const std::wstring& name) {
  std::wstring entry = name;
  const bool usable = CleanQuietEntry(entry);
  if (!usable || list_.size() >= kMostQuietEntries) {
    MessageBoxW(hwnd(),
                usable ? L"The list is full." : L"Please enter a program's file name (name.exe) or a window's class.",
                L"Quorvel!", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  AddQuietEntry(list_, entry, SameName);  // one already there is only selected
  Refill();
  const HWND box = Item(IDC_QUIET_LIST);
  const LRESULT at =
      SendMessageW(box, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
  SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(at), 0);
}

void QuietDialog::OnAdd() {
  const HWND edit = Item(IDC_QUIET_NAME);
  const std::size_t before = list_.size();
  Add(TextOf(edit));
  if (list_.size() != before) SetWindowTextW(edit, L"");
  SetFocus(edit);
}

void QuietDialog::OnAddWindow() {
  const LRESULT chosen = SendMessageW(Item(IDC_QUIET_WINDOWS), CB_GETCURSEL, 0, 0);
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= windows_.size()) return;
  Add(windows_[static_cast<std::size_t>(chosen)].program);
}

void QuietDialog::OnRemove() {
  const HWND box = Item(IDC_QUIET_LIST);
  const LRESULT at = SendMessageW(box, LB_GETCURSEL, 0, 0);
  const LRESULT length = at != LB_ERR ? SendMessageW(box, LB_GETTEXTLEN, static_cast<WPARAM>(at), 0) : LB_ERR;
  if (length == LB_ERR) return;
  std::wstring entry(static_cast<std::size_t>(length) + 1, L'\0');
  entry.resize(static_cast<std::size_t>(
      SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&entry[0]))));
  for (auto it = list_.begin(); it != list_.end(); ++it) {
    if (*it == entry) {
      list_.erase(it);
      break;
    }
  }
  Refill();
  // The next one selected, so that a few can go one after another.
  const LRESULT count = SendMessageW(box, LB_GETCOUNT, 0, 0);
  if (count > 0) SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(at < count ? at : count - 1), 0);
}

void QuietDialog::OnOK() {
  if (GetFocus() == Item(IDC_QUIET_NAME) && GetWindowTextLengthW(Item(IDC_QUIET_NAME)) > 0) {
    OnAdd();
    return;
  }
  EndModal(IDOK);
}

}  // namespace qv
