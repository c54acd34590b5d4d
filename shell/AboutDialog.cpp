#include "AboutDialog.h"

#include <mmsystem.h>

#include <string>
#include <utility>

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
RouteList<AboutDialog> AboutDialog::Routes() {
  static const Route<AboutDialog> routes[] = {
      OnMessage(kDpiChangedMessage, &AboutDialog::OnDpiChanged),
  };
  return routes;
}

bool AboutDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  // The three texts keep the fonts set here when the scale changes.
  for (int id : {IDC_ABOUT_VERSION, IDC_ABOUT_CREDITS, IDC_ABOUT_NOTICE}) KeepControlFont(Item(id));
  SetFonts(WindowDpi(hwnd()));

  // Played while the box is open and never cut short; without a sound
  // device the box simply opens silently.
  const std::string chime = "#" + std::to_string(IDR_CHIME);
  PlaySoundA(chime.c_str(), GetModuleHandleA(nullptr), SND_RESOURCE | SND_ASYNC);
  return true;  // the focus goes to OK, the first tab stop
}

bool AboutDialog::OnDpiChanged(Message& m) {
  SetFonts(DpiOfChange(m.wParam));
  return false;  // the dialog manager's rescaling of the rest follows
}

void AboutDialog::SetFonts(int dpi) {
  // A font that could not be made leaves its text in the one it has; an old
  // font goes only once its text has let go of it.
  const struct {
    int id;
    int tenthsOfPoint;
    UniqueFont& font;
  } texts[] = {{IDC_ABOUT_VERSION, 140, largeFont},
               {IDC_ABOUT_CREDITS, 120, mediumFont},
               {IDC_ABOUT_NOTICE, 100, smallFont}};
  for (const auto& text : texts) {
    UniqueFont made(CreateBoldArial(text.tenthsOfPoint, dpi));
    if (!made) continue;
    SendMessageA(Item(text.id), WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), TRUE);
    text.font = std::move(made);
  }
}

}  // namespace qv
