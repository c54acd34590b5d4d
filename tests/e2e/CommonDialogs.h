// Drives the system's common colour and font dialogs of another process the
// way a person would: through their own controls, waiting each time for the
// dialog to show the change. Written against Wine's dialogs (English titles,
// the standard control ids of <dlgs.h> and Wine's colour dialog).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The colour dialog ("Color") or font dialog ("Font") of a process, once it
// is visible; nullptr after the timeout.
HWND WaitForColorDialog(DWORD processId, DWORD timeoutMs = 10000);
HWND WaitForFontDialog(DWORD processId, DWORD timeoutMs = 10000);
// The Open dialog ("Open") of a process, once it is visible.
HWND WaitForOpenDialog(DWORD processId, DWORD timeoutMs = 10000);

// Presses "Define Custom Colors >>" unless the dialog is open in full
// already; true once the red, green and blue fields are shown.
bool ExpandColorDialog(HWND colorDialog);
// The current colour as the red, green and blue fields show it (the dialog
// is opened in full for that); CLR_INVALID when they cannot be read.
COLORREF CurrentColor(HWND colorDialog);
// Types red, green and blue into their fields; true once the dialog's
// current colour is `color`.
bool SetCurrentColor(HWND colorDialog, COLORREF color);
// Makes `color` the current colour and presses "Add to Custom Colors"; true
// once a custom swatch shows it.
bool DefineCustomColor(HWND colorDialog, COLORREF color);
// The 16 custom colours as the swatches on the screen show them, in the
// order of the program's array (two rows of eight); empty when the swatches
// are covered or unreadable.
std::vector<COLORREF> CustomColors(HWND colorDialog);
// Makes `color` the current colour and presses OK; true once the dialog is gone.
bool ChooseColorAndOk(HWND colorDialog, COLORREF color);

// What the font dialog's three boxes show.
struct FontDialogView {
  std::string face;
  std::string style;
  std::string size;
};
FontDialogView ReadFontDialog(HWND fontDialog);
// The items a combo box of another process lists.
std::vector<std::string> ComboTexts(HWND combo);
// Picks face, style (as the dialog names it: "Regular", "Bold Italic", ...)
// and size in points, each as a selection in its list; a size the list does
// not offer is typed. True once the boxes show all three.
bool SelectFont(HWND fontDialog, const std::string& face, const std::string& style, int points);
bool ChooseFontAndOk(HWND fontDialog, const std::string& face, const std::string& style, int points);

// Presses OK or Cancel of a dialog; true once the dialog is gone.
bool PressOk(HWND dialog, DWORD timeoutMs = 5000);
bool CancelCommonDialog(HWND dialog, DWORD timeoutMs = 5000);

}  // namespace e2e
