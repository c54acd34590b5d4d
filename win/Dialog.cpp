#include "Dialog.h"

#include "Text.h"

namespace qv {

namespace {

// Messages whose result goes back as the dialog procedure's own return value
// instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT id) {
  switch (id) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

// Moves, paints and caret blinks change nothing a dialog's buttons depend on;
// updating after each of them would only cost time.
constexpr UINT kCaretTimer = 0x0118;  // WM_SYSTIMER
bool WantsIdleCall(const MSG& msg) {
  return msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE && msg.message != WM_PAINT &&
         msg.message != kCaretTimer;
}

}  // namespace

Dialog::Dialog(UINT templateId, HWND owner) : templateId_(templateId), owner_(owner) {}

Dialog::~Dialog() {
  if (hwnd_ != nullptr) {
    // The derived part is gone already: its handlers must not see the end.
    SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
    DestroyWindow(hwnd_);
  }
}

INT_PTR Dialog::RunModal() {
  ending_ = false;
  result_ = IDCANCEL;
  // A Unicode dialog and a Unicode message loop: typed characters reach the
  // controls whole, and an edit's limit counts characters, not bytes. The
  // program's own text still goes in and out in its code page.
  HWND created = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner_,
                                    &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  if (created == nullptr) return -1;

  const bool disableOwner = owner_ != nullptr && IsWindowEnabled(owner_);
  if (disableOwner) EnableWindow(owner_, FALSE);
  // As the system's modal dialogs do, a template without the visible style
  // is shown once it is initialised (unless it ended right away).
  if (!ending_ && hwnd_ != nullptr && !IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNORMAL);

  MSG msg;
  while (!ending_ && hwnd_ != nullptr) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // Leave the quit request for whoever runs the outer loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (!PreTranslateMessage(msg) && !IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (hwnd_ != nullptr && !ending_ && WantsIdleCall(msg)) OnIdle();
  }

  // The owner comes back before this window goes, so activation returns to
  // it rather than to some other program.
  if (disableOwner) EnableWindow(owner_, TRUE);
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  return result_;
}

void Dialog::EndModal(INT_PTR result) {
  result_ = result;
  ending_ = true;
  if (hwnd_ != nullptr) PostMessageA(hwnd_, WM_NULL, 0, 0);  // wake the loop
}

std::string Dialog::GetItemText(int id) const {
  // Read in UTF-16 and converted here: a narrow length may be short of the
  // same text in UTF-8, which would then come back cut.
  HWND item = Item(id);
  const int length = GetWindowTextLengthW(item);
  if (length <= 0) return std::string();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = GetWindowTextW(item, &text[0], length + 1);
  if (got <= 0) return std::string();
  text.resize(static_cast<std::size_t>(got));
  return CodePageText(text);
}

void Dialog::SetItemText(int id, const std::string& text) { SetDlgItemTextA(hwnd_, id, text.c_str()); }

void Dialog::FocusItem(HWND control) const {
  SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void Dialog::PostClick(int id) const { PostMessageA(Item(id), BM_CLICK, 0, 0); }

void Dialog::TransferText(int id, std::string& field, bool save) {
  if (save) {
    field = GetItemText(id);
  } else {
    SetItemText(id, field);
  }
}

bool Dialog::OnInitDialog() {
  Exchange(false);
  return true;
}

void Dialog::OnOK() {
  if (Exchange(true)) EndModal(IDOK);
}

void Dialog::OnCancel() { EndModal(IDCANCEL); }

bool Dialog::PreTranslateMessage(MSG&) { return false; }

void Dialog::OnIdle() {}

bool Dialog::Exchange(bool) { return true; }

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (id == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (self == nullptr) return FALSE;

  // No exception may unwind through the system's code.
  INT_PTR answer = FALSE;
  try {
    answer = self->Handle(id, wParam, lParam);
  } catch (...) {
    answer = FALSE;
  }

  if (id == WM_NCDESTROY) {
    // Late messages must not reach an object that may be gone.
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return answer;
}

INT_PTR Dialog::Handle(UINT id, WPARAM wParam, LPARAM lParam) {
  if (id == WM_INITDIALOG) return OnInitDialog() ? TRUE : FALSE;

  Message m{id, wParam, lParam, 0};
  bool handled = Dispatch(m);
  // OK and Cancel end the dialog unless the class's table took them.
  if (!handled && id == WM_COMMAND) {
    switch (LOWORD(wParam)) {
      case IDOK:
        OnOK();
        handled = true;
        break;
      case IDCANCEL:
        OnCancel();
        handled = true;
        break;
      default:
        break;
    }
  }
  if (!handled) return FALSE;
  if (ReturnsDirectly(id)) return static_cast<INT_PTR>(m.result);
  SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, m.result);
  return TRUE;
}

}  // namespace qv
