// The About box: the program's name and version, a credits line and the
// distribution notice in three sizes of bold Arial, with a short chime.
#pragma once

#include "Dialog.h"
#include "Handles.h"

namespace qv {

class AboutDialog : public DialogT<AboutDialog> {
 public:
  explicit AboutDialog(HWND owner);

  static RouteList<AboutDialog> Routes();

 private:
  bool OnInitDialog() override;
  // The box's monitor has another scale: the three texts follow it.
  bool OnDpiChanged(Message& m);
  void SetFonts(int dpi);

  // Declared large to small, so they go small first once the box is gone.
  UniqueFont largeFont;
  UniqueFont mediumFont;
  UniqueFont smallFont;
};

}  // namespace qv
