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

  // Declared large to small, so they go small first once the box is gone.
  UniqueFont largeFont;
  UniqueFont mediumFont;
  UniqueFont smallFont;
};

}  // namespace qv
