// The "Menu" box of the Setup dialog: the popup's text colour, background
// colour and font, chosen through the system's common dialogs, shown as two
// swatches, a description and an example.
#include "SetupDialog.h"

#include <commdlg.h>

#include <array>
#include <cwchar>
#include <utility>

#include "Dpi.h"
#include "EdgeDelay.h"
#include "FontRecord.h"
#include "GlobalHotKey.h"
#include "QuietDialog.h"
#include "SetupRules.h"
#include "ShellHelpers.h"
#include "resource.h"

namespace qv {

namespace {

// The colour dialogs' sixteen custom colours belong to the program: both
// buttons share them, and they last as long as the program runs.
std::array<COLORREF, 16>& CustomColors() {
  static std::array<COLORREF, 16> colors = [] {
    std::array<COLORREF, 16> white;
    white.fill(RGB(255, 255, 255));
    return white;
  }();
  return colors;
}

void RedrawNow(HWND control) { RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

}  // namespace

bool SetupDialog::PickColor(COLORREF& color, UniqueBrush& brush, int swatch) {
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = hwnd();
  choose.rgbResult = color;
  choose.lpCustColors = CustomColors().data();
  choose.Flags = color != 0 ? CC_RGBINIT : 0;
  if (!ChooseColorA(&choose)) return false;
  color = choose.rgbResult;
  brush.reset(CreateSolidBrush(color));
  RedrawNow(Item(swatch));
  UpdateExample();
  return true;
}

void SetupDialog::OnForegroundColor() { PickColor(foregroundColor, foregroundBrush, IDC_FOREGROUND_SWATCH); }

void SetupDialog::OnBackgroundColor() { PickColor(backgroundColor, backgroundBrush, IDC_BACKGROUND_SWATCH); }

void SetupDialog::OnFont() {
  // Wide: a face name in UTF-8 can outgrow the 32 bytes of a LOGFONTA.
  LOGFONTW chosen = logFont;
  CHOOSEFONTW choose{};
  choose.lStructSize = sizeof(choose);
  choose.hwndOwner = hwnd();
  choose.lpLogFont = &chosen;
  choose.Flags = CF_SCREENFONTS | CF_TTONLY | CF_INITTOLOGFONTSTRUCT;
  if (!ChooseFontW(&choose)) return;
  logFont = chosen;
  UpdateExample();
}

void SetupDialog::UpdateExample() {
  WindowDc dc(owner_);
  const int pixelsPerInch = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 0;
  // The face name of a LOGFONT need not be terminated when it came from
  // outside: read at most its size.
  const std::string face = CodePageText(std::wstring_view(logFont.lfFaceName, wcsnlen(logFont.lfFaceName, LF_FACESIZE)));
  SetItemText(IDC_FONT_TEXT, DescribeFont(face, logFont.lfHeight, logFont.lfWeight, logFont.lfItalic != 0,
                                          pixelsPerInch));
  HWND example = Item(IDC_EXAMPLE);
  // The font as the popup will show it, at the scale of this dialog's
  // monitor; the old one goes only once the control has let go of it.
  LOGFONTW shown = logFont;
  shown.lfHeight = ScaleFontHeight(logFont.lfHeight, pixelsPerInch, dialogDpi);
  if (UniqueFont font(CreateFontIndirectW(&shown)); font) {
    SendMessageA(example, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    exampleFont = std::move(font);
  }
  SetWindowTextA(example, "This is a test to see\r\nhow this will look!");
  RedrawNow(example);
}

HotKey SetupDialog::ShownHotKey() const {
  if (IsDlgButtonChecked(hwnd(), IDC_HOTKEY_ON) != BST_CHECKED) return HotKey{};
  const WORD word = static_cast<WORD>(SendMessageW(Item(IDC_HOTKEY), HKM_GETHOTKEY, 0, 0));
  return HotKey{LOBYTE(word), HIBYTE(word)};
}

void SetupDialog::OnHotKeyToggled() {
  EnableWindow(Item(IDC_HOTKEY), IsDlgButtonChecked(hwnd(), IDC_HOTKEY_ON) == BST_CHECKED);
  OnHotKeyChanged();
}

void SetupDialog::OnHotKeyChanged() {
  // Said at once, not when the dialog has closed.
  const HotKey key = ShownHotKey();
  const char* status = "";
  if (key.off()) {
    status = IsDlgButtonChecked(hwnd(), IDC_HOTKEY_ON) == BST_CHECKED ? "Press the keys for the menu." : "";
  } else if (CheckHotKey(key) == HotKeyProblem::kNeedsControlOrAlt) {
    status = "Hold Ctrl or Alt with the key.";
  } else if (CheckHotKey(key) == HotKeyProblem::kReserved) {
    status = "Windows keeps this key for itself.";
  } else if (key == hotKey_ ? hotKeyHeld_ : HotKeyHeldElsewhere(key)) {
    status = "Another program uses this key.";
  }
  SetItemText(IDC_HOTKEY_STATUS, status);
  // A combination the system or every program keeps is not taken.
  if (CheckHotKey(key) == HotKeyProblem::kNone) chosenHotKey_ = key;
}

void SetupDialog::FillDelays() {
  // The steps, and a length stored outside them in its place among them, so
  // that closing Setup keeps it.
  const HWND box = Item(IDC_EDGE_DELAY);
  const auto add = [box, this](std::uint32_t ms) {
    const std::string text = ms == 0 ? std::string("At the touch") : std::to_string(ms) + " ms";
    const LRESULT at = SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (at < 0) return;
    SendMessageA(box, CB_SETITEMDATA, static_cast<WPARAM>(at), ms);
    if (ms == delay_) SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
  };
  bool listed = false;
  for (std::uint32_t ms : kDelaySteps) {
    if (!listed && delay_ < ms) add(delay_);
    listed = listed || delay_ <= ms;
    add(ms);
  }
  if (!listed) add(delay_);
}

void SetupDialog::OnDelayChosen() {
  const HWND box = Item(IDC_EDGE_DELAY);
  const LRESULT at = SendMessageA(box, CB_GETCURSEL, 0, 0);
  if (at != CB_ERR) delay_ = static_cast<std::uint32_t>(SendMessageA(box, CB_GETITEMDATA, static_cast<WPARAM>(at), 0));
}

void SetupDialog::OnQuiet() {
  QuietDialog quiet(hwnd());
  quiet.Run(quiet_);
}

bool SetupDialog::OnDpiChanged(Message& m) {
  dialogDpi = DpiOfChange(m.wParam);
  UpdateExample();
  ScaleIcons();
  return false;  // the dialog manager's rescaling of the rest follows
}

bool SetupDialog::OnControlColor(Message& m) {
  const HDC dc = reinterpret_cast<HDC>(m.wParam);
  switch (GetDlgCtrlID(reinterpret_cast<HWND>(m.lParam))) {
    case IDC_EXAMPLE:
      SetTextColor(dc, foregroundColor);
      SetBkMode(dc, TRANSPARENT);
      SetBkColor(dc, backgroundColor);
      m.result = reinterpret_cast<LRESULT>(backgroundBrush.get());
      return true;
    case IDC_FOREGROUND_SWATCH:
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, foregroundColor);
      m.result = reinterpret_cast<LRESULT>(foregroundBrush.get());
      return true;
    case IDC_BACKGROUND_SWATCH:
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, backgroundColor);
      m.result = reinterpret_cast<LRESULT>(backgroundBrush.get());
      return true;
    default:
      return false;  // the dialog's own colours
  }
}

}  // namespace qv
