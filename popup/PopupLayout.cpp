#include "PopupLayout.h"

namespace qv {

Box Inflated(Box box, int by) { return Box{box.left - by, box.top - by, box.right + by, box.bottom + by}; }

Placement PopupWindowPlacement(const Box& workArea, int stayLeft) {
  // The popup hangs from the top of the work area (under a bar at the top,
  // so that its rows lie in the stay zone) and reaches to the work area's
  // right edge. It starts where the hook's stay zone does: a bar on the left
  // would otherwise put the start of the rows outside it.
  const int x = stayLeft - popup::kLeftOffset;
  return Placement{x, workArea.top, workArea.right - 1 - x, workArea.Height() - 1};
}

PopupLayout ComputePopupLayout(const PopupLayoutInput& in) {
  using namespace popup;
  PopupLayout out;
  const int workH = in.workArea.Height();
  out.window = PopupWindowPlacement(in.workArea, in.stayLeft);

  int width = 2 * in.okWidth;
  for (int nameWidth : in.nameWidths) {
    if (nameWidth > width) width = nameWidth;
  }
  width += kWidthExtra;
  out.columnWidth = width;

  const int buttonW = (width + 2) / 2;
  const int rightX = (width + 4) / 2 + kColumnLeft;
  const int upperY = workH - 2 * in.okHeight - kBottomMargin;
  const int lowerY = workH - in.okHeight - kBottomMargin;
  out.setup = Placement{kColumnLeft, upperY, buttonW, in.okHeight};
  out.refresh = Placement{rightX, upperY, buttonW, in.okHeight};
  out.about = Placement{kColumnLeft, lowerY, buttonW, in.okHeight};
  out.exit = Placement{rightX, lowerY, buttonW, in.okHeight};

  // Rows must end above the lower button row; the first that does not fit
  // ends the column, as all rows are equally tall.
  out.rows.assign(in.nameWidths.size(), Box{-1, 0, 0, 0});
  int top = 0;
  for (Box& row : out.rows) {
    const int bottom = top + in.textHeight + kRowSpacing;
    if (bottom >= lowerY) break;
    row = Box{kColumnLeft, top, width + kColumnLeft, bottom};
    top = bottom;
  }
  out.groupArea = Box{0, 0, width + kColumnLeft, top};

  const int listX = width + kListGap;
  out.list = Placement{listX, 0, out.window.width - listX, workH};
  return out;
}

int GroupRowAt(const PopupLayout& layout, int x, int y) {
  if (!layout.groupArea.Contains(x, y)) return -1;
  for (std::size_t i = 0; i < layout.rows.size(); ++i) {
    const Box& row = layout.rows[i];
    if (row.HasRow() && row.Contains(x, y)) return static_cast<int>(i);
  }
  return -1;
}

HoverModel::Step HoverModel::PointerOnRow(int row) {
  Step step;
  if (row < 0 || row == hovered_) return step;
  step.unframe = hovered_;
  step.frame = row;
  step.startTimer = true;
  hovered_ = row;
  return step;
}

int HoverModel::TimerExpired() {
  displayed_ = hovered_;
  return displayed_;
}

HoverModel::Step HoverModel::PointerOnList() {
  Step step;
  if (displayed_ < 0 || displayed_ == hovered_) return step;
  step.unframe = hovered_;
  step.frame = displayed_;
  step.stopTimer = true;
  hovered_ = displayed_;
  return step;
}

bool IsDialUpShortcut(std::string_view path) {
  static const char kDialUp[] = ".RNK";
  for (std::size_t i = 0; i + 4 <= path.size(); ++i) {
    std::size_t k = 0;
    for (; k < 4; ++k) {
      char c = path[i + k];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c != kDialUp[k]) break;
    }
    if (k == 4) return true;
  }
  return false;
}

}  // namespace qv
