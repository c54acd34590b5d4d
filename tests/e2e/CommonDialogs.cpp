#include "CommonDialogs.h"

#include <colordlg.h>
#include <dlgs.h>

#include <cstdlib>

#include "Driver.h"

namespace e2e {

namespace {

// Every control of the dialogs answers at once; a dialog that does not
// within this long is hung, and the driver should fail rather than hang.
constexpr UINT kSendTimeoutMs = 5000;
// How long the dialog may take to show a change it was asked for.
constexpr DWORD kShowTimeoutMs = 3000;

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return -1;
  return static_cast<LRESULT>(result);
}

// Tells the dialog that a control changed the way the control itself would.
void Notify(HWND dialog, HWND control, WORD code) {
  Send(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
}

int FieldValue(HWND dialog, int id) {
  const std::string text = ControlText(GetDlgItem(dialog, id));
  if (text.empty()) return -1;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  return (*end == '\0' && value >= 0 && value <= 255) ? static_cast<int>(value) : -1;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                                b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

int FindItem(HWND combo, const std::string& text) {
  const std::vector<std::string> items = ComboTexts(combo);
  for (size_t i = 0; i < items.size(); ++i) {
    if (EqualNoCase(items[i], text)) return static_cast<int>(i);
  }
  return -1;
}

// Selects an item of one of the font dialog's lists as a click on it would.
bool SelectItem(HWND dialog, int id, const std::string& text) {
  HWND combo = GetDlgItem(dialog, id);
  const int index = FindItem(combo, text);
  if (index < 0) return false;
  if (Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) != index) return false;
  Notify(dialog, combo, CBN_SELCHANGE);
  return PumpUntil(kShowTimeoutMs, [&] { return EqualNoCase(ControlText(combo), text); });
}

// The colour the red, green and blue fields show; CLR_INVALID while any
// of them is empty or hidden.
COLORREF FieldsColor(HWND colorDialog) {
  if (!IsWindowVisible(GetDlgItem(colorDialog, COLOR_RED))) return CLR_INVALID;
  const int r = FieldValue(colorDialog, COLOR_RED);
  const int g = FieldValue(colorDialog, COLOR_GREEN);
  const int b = FieldValue(colorDialog, COLOR_BLUE);
  if (r < 0 || g < 0 || b < 0) return CLR_INVALID;
  return RGB(r, g, b);
}

size_t Count(const std::vector<COLORREF>& colors, COLORREF color) {
  size_t n = 0;
  for (COLORREF c : colors) n += c == color ? 1 : 0;
  return n;
}

}  // namespace

HWND WaitForColorDialog(DWORD processId, DWORD timeoutMs) { return WaitForDialog(processId, "Color", timeoutMs); }

HWND WaitForFontDialog(DWORD processId, DWORD timeoutMs) { return WaitForDialog(processId, "Font", timeoutMs); }

HWND WaitForOpenDialog(DWORD processId, DWORD timeoutMs) { return WaitForDialog(processId, "Open", timeoutMs); }

bool ExpandColorDialog(HWND colorDialog) {
  HWND red = GetDlgItem(colorDialog, COLOR_RED);
  if (red == nullptr) return false;
  if (!IsWindowVisible(red)) ClickButton(colorDialog, COLOR_MIX);
  // The fields are filled with the current colour as they are shown.
  return PumpUntil(kShowTimeoutMs, [&] { return FieldsColor(colorDialog) != CLR_INVALID; });
}

COLORREF CurrentColor(HWND colorDialog) {
  return ExpandColorDialog(colorDialog) ? FieldsColor(colorDialog) : CLR_INVALID;
}

bool SetCurrentColor(HWND colorDialog, COLORREF color) {
  if (!ExpandColorDialog(colorDialog)) return false;
  const int values[3] = {GetRValue(color), GetGValue(color), GetBValue(color)};
  const int ids[3] = {COLOR_RED, COLOR_GREEN, COLOR_BLUE};
  for (int i = 0; i < 3; ++i) {
    // Setting an edit's text notifies the dialog as typing does (EN_UPDATE,
    // EN_CHANGE); the dialog takes the new component from there.
    const std::string text = std::to_string(values[i]);
    SetControlText(GetDlgItem(colorDialog, ids[i]), text);
  }
  return PumpUntil(kShowTimeoutMs, [&] { return FieldsColor(colorDialog) == color; });
}

std::vector<COLORREF> CustomColors(HWND colorDialog) {
  HWND swatches = GetDlgItem(colorDialog, COLOR_CUSTOM1);
  if (swatches == nullptr || !IsWindowVisible(swatches)) return {};
  // The control is a grid of two rows of eight cells, each a swatch with a
  // gap of 4 pixels to its right and below; the middle of a cell's swatch is
  // its colour.
  RECT client{};
  GetClientRect(swatches, &client);
  const int dx = (client.right - client.left) / 8;
  const int dy = (client.bottom - client.top) / 2;
  std::vector<POINT> points;
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 8; ++col) {
      POINT p{col * dx + (dx - 4) / 2, row * dy + (dy - 4) / 2};
      ClientToScreen(swatches, &p);
      // Only what is not covered by another window can be read.
      HWND hit = WindowFromPoint(p);
      if (hit == nullptr || GetAncestor(hit, GA_ROOT) != colorDialog) return {};
      points.push_back(p);
    }
  }
  auto read = [&] {
    std::vector<COLORREF> colors;
    for (const POINT& p : points) colors.push_back(ScreenPixel(p.x, p.y));
    return colors;
  };
  // A swatch being repainted may be half drawn: a reading counts once the
  // next one agrees.
  std::vector<COLORREF> colors = read();
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kShowTimeoutMs) {
    Pump(30);
    std::vector<COLORREF> again = read();
    if (again == colors) break;
    colors = again;
  }
  return colors;
}

bool DefineCustomColor(HWND colorDialog, COLORREF color) {
  if (!SetCurrentColor(colorDialog, color)) return false;
  const size_t before = Count(CustomColors(colorDialog), color);
  ClickButton(colorDialog, COLOR_ADD);
  // A slot that showed the colour already shows no change: then the wait
  // runs out and the swatches still tell.
  PumpUntil(kShowTimeoutMs, [&] { return Count(CustomColors(colorDialog), color) > before; });
  return Count(CustomColors(colorDialog), color) > 0 && FieldsColor(colorDialog) == color;
}

bool ChooseColorAndOk(HWND colorDialog, COLORREF color) {
  return SetCurrentColor(colorDialog, color) && PressOk(colorDialog);
}

std::vector<std::string> ComboTexts(HWND combo) {
  std::vector<std::string> texts;
  const LRESULT count = Send(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = Send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) break;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = Send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 && got <= length ? static_cast<size_t>(got) : 0);
    texts.push_back(Narrow(text));
  }
  return texts;
}

FontDialogView ReadFontDialog(HWND fontDialog) {
  FontDialogView view;
  view.face = ControlText(GetDlgItem(fontDialog, cmb1));
  view.style = ControlText(GetDlgItem(fontDialog, cmb2));
  view.size = ControlText(GetDlgItem(fontDialog, cmb3));
  return view;
}

bool SelectFont(HWND fontDialog, const std::string& face, const std::string& style, int points) {
  // The face first: choosing it fills the style and size lists afresh.
  if (!SelectItem(fontDialog, cmb1, face) || !SelectItem(fontDialog, cmb2, style)) return false;
  const std::string size = std::to_string(points);
  if (SelectItem(fontDialog, cmb3, size)) return true;
  // Not a size the list offers: typed into the box, with no item selected,
  // as a person typing would leave it.
  HWND sizeBox = GetDlgItem(fontDialog, cmb3);
  Send(sizeBox, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  SetControlText(sizeBox, size);
  Notify(fontDialog, sizeBox, CBN_EDITCHANGE);
  return PumpUntil(kShowTimeoutMs, [&] { return ControlText(sizeBox) == size; });
}

bool ChooseFontAndOk(HWND fontDialog, const std::string& face, const std::string& style, int points) {
  return SelectFont(fontDialog, face, style, points) && PressOk(fontDialog);
}

bool PressOk(HWND dialog, DWORD timeoutMs) { return Dismiss(dialog, IDOK, timeoutMs); }

bool CancelCommonDialog(HWND dialog, DWORD timeoutMs) { return Dismiss(dialog, IDCANCEL, timeoutMs); }

}  // namespace e2e
