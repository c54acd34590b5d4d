// Where everything of the popup goes, worked out from the work area, the
// size of the invisible OK button and the measured group names. Free of the
// platform, so the arithmetic can be checked on its own; the dialog only
// gathers the inputs and moves its windows to the answer.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace qv {

// Edges like a RECT: left and top inside, right and bottom outside.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool HasRow() const { return left != -1; }
  friend bool operator==(const Box& a, const Box& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

Box Inflated(Box box, int by);

// A window or control placement: position and size.
struct Placement {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Placement& a, const Placement& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
  }
};

namespace popup {
constexpr int kStripWidth = 21;      // black strip along the left edge
constexpr int kBannerHeight = 211;   // banner at the strip's foot
constexpr int kColumnLeft = 22;      // group rows and left buttons
constexpr int kLeftOffset = 21;      // popup starts this far left of the stay zone
constexpr int kWidthExtra = 5;       // added to the widest name
constexpr int kRowSpacing = 10;      // a row is the text height plus this
constexpr int kTextInset = 3;        // names sit this far into their row
constexpr int kFramePen = 3;         // width of the hover frame
constexpr int kBottomMargin = 5;     // under the lower button row
constexpr int kListGap = 23;         // the list starts at column width plus this
}  // namespace popup

struct PopupLayoutInput {
  Box workArea;  // screen coordinates
  // Where the stay zone of the popup's monitor begins (screen x): the
  // popup's strip lies just left of it and its rows inside it, whatever edge
  // the task bar is on.
  int stayLeft = 0;
  int okWidth = 0;   // size of the OK button at the popup's scale, the button unit
  int okHeight = 0;
  std::vector<int> nameWidths;  // one per group, in list order
  int textHeight = 0;           // height of the last measured name
};

struct PopupLayout {
  Placement window;  // screen coordinates
  int columnWidth = 0;
  // Client coordinates from here on.
  Placement setup, refresh, about, exit;
  std::vector<Box> rows;  // one per group; left -1 where none fits
  Box groupArea;
  Placement list;
};

// Where the popup's window goes (screen coordinates): that depends on the
// monitor only, so the window can be on its monitor, and at its scale,
// before anything in it is measured.
Placement PopupWindowPlacement(const Box& workArea, int stayLeft);

PopupLayout ComputePopupLayout(const PopupLayoutInput& in);

// The first laid-out row that holds the point, when the point lies in the
// group area at all; -1 otherwise.
int GroupRowAt(const PopupLayout& layout, int x, int y);

// Which group is framed and which one the list shows, as the pointer moves.
// Groups are list indices; -1 is none. Each step says what to repaint and
// what to do with the hover timer.
class HoverModel {
 public:
  struct Step {
    int unframe = -1;  // row whose frame goes
    int frame = -1;    // row that gets the frame
    bool startTimer = false;
    bool stopTimer = false;
    bool Changed() const { return frame != -1 || unframe != -1; }
  };

  int hovered() const { return hovered_; }
  int displayed() const { return displayed_; }

  // A new showing or hiding: nothing framed, nothing displayed.
  void Reset() { hovered_ = displayed_ = -1; }
  // The pointer is over `row` of the dialog (-1: over no row). A new row
  // takes the frame at once and restarts the timer; anything else changes
  // nothing.
  Step PointerOnRow(int row);
  // The hover timer ran out: the framed group is the one to display.
  int TimerExpired();
  // The pointer is over the list: the frame returns to the displayed group
  // and a pending change is dropped.
  Step PointerOnList();

 private:
  int hovered_ = -1;
  int displayed_ = -1;
};

// Dial-up shortcuts (".RNK" anywhere in the path, any letter case) are
// handed to the dial-up phone program instead of being opened as they are.
bool IsDialUpShortcut(std::string_view path);

}  // namespace qv
