#include "ShortcutWizard.h"

#include <commdlg.h>

#include <vector>

#include "Handles.h"
#include "Messages.h"
#include "SetupRules.h"
#include "ShellHelpers.h"
#include "resource.h"

namespace qv {

namespace {

// Enables Next or Finish exactly when the page's text is not blank.
void EnableContinue(HWND page, const std::string& trimmed) {
  EnableWindow(GetDlgItem(page, IDOK), trimmed.empty() ? FALSE : TRUE);
}

std::string FullPathOf(const std::string& path) {
  const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::vector<char> buffer(needed + 1);
  const DWORD written = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
  if (written == 0 || written >= buffer.size()) return {};
  return std::string(buffer.data(), written);
}

}  // namespace

void ShowUnsupportedName(HWND owner, const std::string& path) {
  ShowWarningMessage(owner, "Unsupported Name",
                     {"Quorvel! cannot create a shortcut to the", "following item, because its name has",
                      "characters that Windows' language for", "non-Unicode programs does not have:", "", path});
}

bool ItemExists(const std::string& commandLine) {
  const std::string root = VolumeRootOf(FullPathOf(commandLine), SystemCodePage());
  if (root.empty()) return false;
  if (!GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0)) return false;
  WIN32_FIND_DATAA found{};
  UniqueFind search(FindFirstFileA(commandLine.c_str(), &found));
  return static_cast<bool>(search);
}

// ---- Page 1: the item ------------------------------------------------------

ShortcutTargetPage::ShortcutTargetPage(HWND parent) : DialogT(IDD_WIZARD_TARGET, parent) {}

RouteList<ShortcutTargetPage> ShortcutTargetPage::Routes() {
  static const Route<ShortcutTargetPage> routes[] = {
      OnCommand(IDC_WIZARD_EDIT, &ShortcutTargetPage::OnEditChange, EN_CHANGE),
      OnCommand(IDC_WIZARD_BROWSE, &ShortcutTargetPage::OnBrowse, BN_CLICKED),
  };
  return routes;
}

bool ShortcutTargetPage::Run(std::string& commandLine) {
  commandLine_ = commandLine;
  if (RunModal() != IDOK) return false;
  commandLine = commandLine_;
  return true;
}

bool ShortcutTargetPage::Exchange(bool save) {
  TransferText(IDC_WIZARD_EDIT, commandLine_, save);
  return true;
}

bool ShortcutTargetPage::OnInitDialog() {
  Dialog::OnInitDialog();
  // The edit keeps the text as loaded; only the held copy is trimmed.
  commandLine_ = TrimName(commandLine_);
  EnableContinue(hwnd(), commandLine_);
  return true;
}

void ShortcutTargetPage::OnEditChange() {
  commandLine_ = TrimName(GetItemText(IDC_WIZARD_EDIT));
  EnableContinue(hwnd(), commandLine_);
}

void ShortcutTargetPage::OnBrowse() {
  static const wchar_t kFilter[] = L"Programs\0*.exe; *.com\0All Files\0*.*\0";
  // Far more than any path the dialog hands back; it reports a path that
  // does not fit instead of cutting it. Asked wide, so that a name the code
  // page cannot hold is seen as such instead of as its look-alike.
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW open{};
  open.lStructSize = sizeof(open);
  open.hwndOwner = hwnd();
  open.lpstrFilter = kFilter;
  open.nFilterIndex = 1;
  open.lpstrFile = file.data();
  open.nMaxFile = static_cast<DWORD>(file.size());
  open.Flags = OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&open)) return;
  std::string path;
  if (NarrowPath(file.data(), path)) {
    SetItemText(IDC_WIZARD_EDIT, path);  // the change notification updates Next
  } else {
    ShowUnsupportedName(hwnd(), path);
  }
  SetFocus(Item(IDC_WIZARD_EDIT));
}

void ShortcutTargetPage::Refuse(const std::string& title, const char* first, const char* second) {
  ShowWarningMessage(hwnd(), title, {first, second});
  SetFocus(Item(IDC_WIZARD_EDIT));
}

void ShortcutTargetPage::OnOK() {
  if (!Exchange(true)) return;
  commandLine_ = TrimName(commandLine_);
  if (commandLine_.empty()) {
    Refuse("Insufficient Input", "You must enter the location and name of the",
           "item you wish to create a shortcut to!");
    return;
  }
  if (!ItemExists(commandLine_)) {
    Refuse("Item Not Found", "The location and name of the item you entered", "could not be found!");
    return;
  }
  Exchange(false);
  EndModal(IDOK);
}

// ---- Page 2: the name ------------------------------------------------------

ShortcutTitlePage::ShortcutTitlePage(HWND parent) : DialogT(IDD_WIZARD_TITLE, parent) {}

RouteList<ShortcutTitlePage> ShortcutTitlePage::Routes() {
  static const Route<ShortcutTitlePage> routes[] = {
      OnCommand(IDC_WIZARD_EDIT, &ShortcutTitlePage::OnEditChange, EN_CHANGE),
      OnCommand(IDC_WIZARD_BACK, &ShortcutTitlePage::OnBack, BN_CLICKED),
  };
  return routes;
}

ShortcutTitlePage::Outcome ShortcutTitlePage::Run(std::string& title) {
  title_ = title;
  outcome_ = kCancelled;
  loaded_ = false;
  RunModal();
  if (outcome_ == kFinished) title = title_;
  return outcome_;
}

bool ShortcutTitlePage::Exchange(bool save) {
  TransferText(IDC_WIZARD_EDIT, title_, save);
  return true;
}

bool ShortcutTitlePage::OnInitDialog() {
  Dialog::OnInitDialog();
  // Finish starts enabled even for an empty suggestion; the check comes
  // when it is pressed. Loading the edit must not change that.
  loaded_ = true;
  return true;
}

void ShortcutTitlePage::OnEditChange() {
  if (!loaded_) return;
  title_ = TrimName(GetItemText(IDC_WIZARD_EDIT));
  EnableContinue(hwnd(), title_);
}

void ShortcutTitlePage::OnBack() {
  outcome_ = kBack;
  EndModal(IDCANCEL);
}

void ShortcutTitlePage::OnOK() {
  if (!Exchange(true)) return;
  title_ = TrimName(title_);
  if (title_.empty()) {
    ShowWarningMessage(hwnd(), "Insufficient Input", {"You must enter a name for the shortcut!"});
    SetFocus(Item(IDC_WIZARD_EDIT));
    return;
  }
  Exchange(false);
  outcome_ = kFinished;
  EndModal(IDOK);
}

}  // namespace qv
