#include "AboutDialog.h"

#include <mmsystem.h>

#include <string>

#include "Dpi.h"
#include "FontRecord.h"
#include "resource.h"

namespace qv {

namespace {

// A bold Arial of this many tenths of a point at the box's own scale.
HFONT CreateBoldArial(int tenthsOfPoint, int pixelsPerInch) {
  LOGFONTA description = {};
  description.lfHeight = PointFontHeight(pixelsPerInch, tenthsOfPoint);
  description.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(description.lfFaceName, "Arial", LF_FACESIZE);
  UniqueFont plain(CreateFontIndirectA(&description));
  if (!plain) return nullptr;
  // The font the system made for the description, made bold.
  LOGFONTA made = {};
  if (GetObjectA(plain.get(), sizeof made, &made) != sizeof made) return nullptr;
  made.lfWeight = FW_BOLD;
  return CreateFontIndirectA(&made);
}

}  // namespace

AboutDialog::AboutDialog(HWND owner) : DialogT(IDD_ABOUT, owner) {}

// OK, Escape and the close box end it the standard way.
RouteList<AboutDialog> AboutDialog::Routes() { return {}; }

bool AboutDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  const int dpi = WindowDpi(hwnd());
  largeFont.reset(CreateBoldArial(140, dpi));
  mediumFont.reset(CreateBoldArial(120, dpi));
  smallFont.reset(CreateBoldArial(100, dpi));
  // A font that could not be made leaves the text in the dialog's own.
  const struct {
    int id;
    HFONT font;
  } texts[] = {{IDC_ABOUT_VERSION, largeFont.get()},
               {IDC_ABOUT_CREDITS, mediumFont.get()},
               {IDC_ABOUT_NOTICE, smallFont.get()}};
  for (const auto& text : texts)
    if (text.font != nullptr) SendMessageA(Item(text.id), WM_SETFONT, reinterpret_cast<WPARAM>(text.font), TRUE);

  // Played while the box is open and never cut short; without a sound
  // device the box simply opens silently.
  const std::string chime = "#" + std::to_string(IDR_CHIME);
  PlaySoundA(chime.c_str(), GetModuleHandleA(nullptr), SND_RESOURCE | SND_ASYNC);
  return true;  // the focus goes to OK, the first tab stop
}

}  // namespace qv
