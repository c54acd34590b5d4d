// The popup side of LauncherDialog: laying it out and showing it, hiding it,
// painting the strip, banner, group names and hover frame, following the
// pointer over the groups and the list, and starting the chosen shortcut.
#include "LauncherDialog.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "Dpi.h"
#include "FontRecord.h"
#include "HotZone.h"
#include "LiveZones.h"
#include "ShellHelpers.h"
#include "resource.h"

namespace qv {

namespace {

constexpr UINT_PTR kHoverTimerId = 2;
constexpr UINT kHoverDelayMs = 250;
constexpr UINT_PTR kStayTimerId = 4;
constexpr UINT kStayCheckMs = 200;

RECT ToRect(const Box& b) { return RECT{b.left, b.top, b.right, b.bottom}; }

void Place(HWND control, HWND after, const Placement& p, UINT flags) {
  SetWindowPos(control, after, p.x, p.y, p.width, p.height, flags | SWP_NOACTIVATE);
}

}  // namespace

ProgramGroup* LauncherDialog::GroupAt(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= groupList.size()) return nullptr;
  return groupList[static_cast<std::size_t>(index)].get();
}

void LauncherDialog::ResetPopupState(bool shown) {
  popupShown = shown;
  keyOpened = false;
  // Where the pointer rests now is no move: a window shown or filled under
  // it leaves the keyboard's choice alone.
  pointerSeen = shown && GetCursorPos(&lastPointer) != FALSE;
  hover.Reset();
  SetHoverTimer(false);
  if (shown) {
    SetTimer(hwnd(), kStayTimerId, kStayCheckMs, nullptr);
  } else {
    KillTimer(hwnd(), kStayTimerId);
  }
}

void LauncherDialog::FollowPointer() {
  // A move message can come after a later one, from where the pointer was
  // (seen under Wine); the pointer's own place has the last word.
  POINT at{};
  if (!GetCursorPos(&at)) return;
  const HWND under = WindowFromPoint(at);
  POINT client = at;
  if (under != nullptr && under == shortcutList.hwnd() && ScreenToClient(under, &client)) {
    OnListMouseMove(client);
  } else if (under == hwnd() && ScreenToClient(hwnd(), &client) && PointerMoved(hwnd(), client)) {
    PointerOver(client);
  }
}

void LauncherDialog::CheckStayZone() {
  // Called by the key, the popup stays until the pointer has come in.
  if (keyOpened) {
    if (PointerInStayZone()) keyOpened = false;
    return;
  }
  // A drag leaves the popup be, as it does with the hook.
  for (int button : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON})
    if (GetAsyncKeyState(button) & 0x8000) return;
  if (!PointerInStayZone()) HidePopup();
}

bool LauncherDialog::PointerInStayZone() const {
  POINT pt{};
  if (!GetCursorPos(&pt)) return true;
  const HMONITOR monitor = popupShown ? popupMonitor : MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST);
  MonitorArea area{};
  if (!ReadMonitorArea(monitor, area)) return !popupShown;
  return Contains(ComputeMonitorHotZones(area).stay, {pt.x, pt.y});
}

bool LauncherDialog::PointerOverCaptionButtons(POINT pt, const MonitorArea& area) {
  // The window that the top edge above the pointer belongs to.
  const HWND at = WindowFromPoint(POINT{pt.x, area.work.top});
  const HWND window = at != nullptr ? GetAncestor(at, GA_ROOT) : nullptr;
  if (window == nullptr || !IsZoomed(window)) return false;
  // Windows 10 and 11 draw the buttons wider than the title-bar metric
  // says; the window manager knows where they are (not under Wine).
  // The library stays loaded once asked for: a maximised window is common.
  using AttributeFn = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
  static const AttributeFn attribute = [] {
    const HMODULE dwm = LoadLibraryA("dwmapi.dll");
    return dwm != nullptr ? reinterpret_cast<AttributeFn>(
                                reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetWindowAttribute")))
                          : nullptr;
  }();
  constexpr DWORD kCaptionButtonBounds = 5;  // DWMWA_CAPTION_BUTTON_BOUNDS, window-relative
  RECT buttons{};
  RECT frame{};
  if (attribute == nullptr || FAILED(attribute(window, kCaptionButtonBounds, &buttons, sizeof buttons)) ||
      buttons.right <= buttons.left || !GetWindowRect(window, &frame)) {
    return false;
  }
  const HotZones zones = ComputeMonitorHotZones(area);
  const ZoneRect strip = StripClearOfCaptionButtons(zones.trigger, frame.left + buttons.left);
  return pt.x >= strip.right;
}

void LauncherDialog::ShowPopup(HMONITOR monitor) {
  ResetPopupState(true);
  popupMonitor = monitor;
  LayOutPopup(0);
  ShowWindow(hwnd(), SW_SHOW);
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  // The keyboard comes with it, as with a menu: the hook's process, which
  // had the input, has let this one take the foreground. It starts on the
  // groups. Where the system refuses (a window of an administrator or a
  // Store app in front, whose process could not hand the right on), the
  // popup works by pointer and stays out of the keyboard's way; a later
  // request tries again, and the first click in it activates it.
  SetForegroundWindow(hwnd());
  FocusItem(GroupsKeyHolder());
}

void LauncherDialog::LayOutPopup(int dpi) {
  MonitorArea area{};
  UINT monitorDpi = 0;
  if (!ReadMonitorArea(popupMonitor, area, &monitorDpi)) area = PrimaryAreaFromSettings(0);
  PopupLayoutInput in;
  in.workArea = Box{area.work.left, area.work.top, area.work.right, area.work.bottom};
  in.stayLeft = ComputeMonitorHotZones(area).stay.left;
  // On its monitor before anything is measured: the window takes that
  // monitor's scale there.
  const Placement w = PopupWindowPlacement(in.workArea, in.stayLeft);
  MoveWindow(hwnd(), w.x, w.y, w.width, w.height, FALSE);
  if (dpi <= 0) dpi = monitorDpi != 0 ? static_cast<int>(monitorDpi) : WindowDpi(hwnd());
  ScalePopup(dpi);
  in.okWidth = buttonUnit.cx;
  in.okHeight = buttonUnit.cy;
  in.nameWidths.reserve(groupList.size());
  {
    // Measured afresh at every showing: names, font and screen may change.
    // Names are measured and drawn in UTF-16: a narrow text would be read in
    // the font's character set, not in the program's code page.
    WindowDc dc(hwnd());
    ScopedSelect font(dc.get(), popupFont.get());
    for (const auto& group : groupList) {
      SIZE size{};
      const std::wstring name = WideText(group->name);
      GetTextExtentPoint32W(dc.get(), name.c_str(), static_cast<int>(name.size()), &size);
      in.nameWidths.push_back(size.cx);
      in.textHeight = size.cy;
    }
  }
  layout = ComputePopupLayout(in);

  columnWidth = layout.columnWidth;
  Place(Item(IDC_SETUP), nullptr, layout.setup, SWP_NOZORDER);
  Place(Item(IDC_REFRESH), nullptr, layout.refresh, SWP_NOZORDER);
  Place(Item(IDC_ABOUT), nullptr, layout.about, SWP_NOZORDER);
  Place(Item(IDCANCEL), nullptr, layout.exit, SWP_NOZORDER);
  for (std::size_t i = 0; i < groupList.size(); ++i) groupList[i]->rowRect = ToRect(layout.rows[i]);
  groupArea = ToRect(layout.groupArea);
  Place(shortcutList.hwnd(), HWND_TOP, layout.list, 0);
  // The query's line, as high as a group's row, over the results.
  const int lineHeight = in.textHeight + popup::kRowSpacing;
  queryLine = RECT{layout.list.x, layout.list.y, layout.list.x + layout.list.width,
                   layout.list.y + (lineHeight < layout.list.height ? lineHeight : layout.list.height)};
  find.Place(queryLine.left, queryLine.bottom, layout.list.width, layout.list.y + layout.list.height - queryLine.bottom);
  if (find.active()) ShowFindView();
}

void LauncherDialog::ScalePopup(int dpi) {
  // The names' font follows the scale of the popup's monitor, which may be
  // another one than at the last showing or have changed since.
  if (dpi != popupFontDpi) MakePopupFont(dpi);
  if (dpi != popupDpi) {
    // The buttons and the list take the dialog's font at the new scale; the
    // old one goes only once they have let go of it.
    UniqueFont scaled;
    LOGFONTW made{};
    if (dpi != createdDpi && dialogFont != nullptr && GetObjectW(dialogFont, sizeof made, &made) == sizeof made) {
      made.lfHeight = ScaleFontHeight(made.lfHeight, createdDpi, dpi);
      scaled.reset(CreateFontIndirectW(&made));
    }
    const HFONT font = scaled ? scaled.get() : dialogFont;
    for (int id : {IDOK, IDC_SETUP, IDC_REFRESH, IDC_ABOUT, IDCANCEL, IDC_SHORTCUT_LIST, IDC_RESULT_LIST})
      SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    controlFont = std::move(scaled);
    buttonUnit = SIZE{MulDiv(createdUnit.cx, dpi, createdDpi), MulDiv(createdUnit.cy, dpi, createdDpi)};
    // The invisible OK button keeps the unit's size, so that it can be read
    // off it as before.
    SetWindowPos(Item(IDOK), nullptr, 0, 0, buttonUnit.cx, buttonUnit.cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    // The room the list gives each icon.
    SendMessageW(shortcutList.hwnd(), LVM_SETICONSPACING, 0,
                 MAKELPARAM(MetricForDpi(SM_CXICONSPACING, dpi), MetricForDpi(SM_CYICONSPACING, dpi)));
    popupDpi = dpi;
  }
  // The icons at the same scale (shared with Setup, which may have asked
  // for another).
  icons.SetIconSize(MetricForDpi(SM_CXICON, dpi));
}

void LauncherDialog::HidePopup() {
  ResetPopupState(false);
  if (find.active()) EndFind();
  // The list keeps the group's image list; it shares it and never frees it.
  shortcutList.Clear();
  // To the bottom, which also ends the topmost state.
  SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  ShowWindow(hwnd(), SW_HIDE);
}

bool LauncherDialog::OnEraseBackground(Message& m) {
  const HDC dc = reinterpret_cast<HDC>(m.wParam);
  RECT client{};
  GetClientRect(hwnd(), &client);
  FillRect(dc, &client, backgroundBrush.get());
  RECT strip{0, 0, popup::kStripWidth, client.bottom};
  FillRect(dc, &strip, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  m.result = 1;
  return true;
}

bool LauncherDialog::OnPaint(Message& m) {
  m.result = 0;
  if (IsIconic(hwnd())) {
    PaintDc paint(hwnd());
    RECT client{};
    GetClientRect(hwnd(), &client);
    DrawIcon(paint.get(), (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
             (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, appIcon);
    return true;
  }
  {
    PaintDc paint(hwnd());  // validates and erases; the controls paint themselves
  }
  if (!popupShown) return true;

  // The whole client area, whatever part was invalid: names and frame are
  // cheap and always drawn together.
  WindowDc dc(hwnd());
  if (!dc) return true;
  RECT client{};
  GetClientRect(hwnd(), &client);
  {
    UniqueMemoryDc memory(CreateCompatibleDC(dc.get()));
    if (memory) {
      ScopedSelect banner(memory.get(), sideBanner.get());
      BitBlt(dc.get(), 0, client.bottom - popup::kBannerHeight, popup::kStripWidth, popup::kBannerHeight,
             memory.get(), 0, 0, SRCCOPY);
    }
  }
  {
    ScopedSelect font(dc.get(), popupFont.get());
    SetBkMode(dc.get(), TRANSPARENT);
    // While a query is there, the groups without results fade halfway into
    // the background.
    const COLORREF faded = RGB((GetRValue(foregroundColor) + GetRValue(backgroundColor)) / 2,
                               (GetGValue(foregroundColor) + GetGValue(backgroundColor)) / 2,
                               (GetBValue(foregroundColor) + GetBValue(backgroundColor)) / 2);
    for (std::size_t i = 0; i < groupList.size(); ++i) {
      const RECT& row = groupList[i]->rowRect;
      if (row.left == -1) continue;
      SetTextColor(dc.get(), find.active() && !find.GroupHasResults(i) ? faded : foregroundColor);
      const std::wstring name = WideText(groupList[i]->name);
      TextOutW(dc.get(), row.left + popup::kTextInset, row.top + popup::kTextInset, name.c_str(),
               static_cast<int>(name.size()));
    }
    if (find.active()) {
      SetTextColor(dc.get(), foregroundColor);
      RECT line = queryLine;
      line.left += popup::kTextInset;
      line.top += popup::kTextInset;
      DrawTextW(dc.get(), find.query().c_str(), static_cast<int>(find.query().size()), &line,
                DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
  }
  if (const ProgramGroup* framed = GroupAt(hover.hovered())) {
    const RECT& r = framed->rowRect;
    UniquePen pen(CreatePen(PS_SOLID, popup::kFramePen, foregroundColor));
    if (pen) {
      ScopedSelect selected(dc.get(), pen.get());
      MoveToEx(dc.get(), r.left, r.top, nullptr);
      LineTo(dc.get(), r.right, r.top);
      LineTo(dc.get(), r.right, r.bottom);
      LineTo(dc.get(), r.left, r.bottom);
      LineTo(dc.get(), r.left, r.top);
    }
  }
  return true;
}

bool LauncherDialog::OnQueryDragIcon(Message& m) {
  m.result = reinterpret_cast<LRESULT>(appIcon);
  return true;
}

bool LauncherDialog::PointerMoved(HWND window, POINT client) {
  POINT at = client;
  ClientToScreen(window, &at);
  if (pointerSeen && at.x == lastPointer.x && at.y == lastPointer.y) return false;
  pointerSeen = true;
  lastPointer = at;
  return true;
}

bool LauncherDialog::OnMouseMove(Message& m) {
  if (!popupShown) return false;
  const POINT point{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
  if (PointerMoved(hwnd(), point)) PointerOver(point);
  return false;
}

void LauncherDialog::PointerOver(POINT point) {
  const int row = GroupRowAt(layout, point.x, point.y);
  if (GroupAt(row) == nullptr) return;
  const int previous = hover.hovered();
  const HoverModel::Step step = hover.PointerOnRow(row);
  if (step.Changed()) {
    SetHoveredGroup(previous, step.frame);
    SetHoverTimer(true);
    // The pointer takes over, and the keys go on from its group.
    if (GetFocus() != GroupsKeyHolder()) FocusItem(GroupsKeyHolder());
  }
}

void LauncherDialog::OnListMouseMove(POINT point) {
  if (!PointerMoved(shortcutList.hwnd(), point)) return;
  const int previous = hover.hovered();
  const HoverModel::Step step = hover.PointerOnList();
  if (step.Changed()) {
    // Crossing another row on the way into the list changes nothing.
    SetHoveredGroup(previous, step.frame);
    SetHoverTimer(false);
  }
  shortcutList.SelectItemAt(point);
}

void LauncherDialog::SetHoveredGroup(int previous, int group) {
  icons.Prefer(GroupAt(group));
  for (int index : {previous, group}) {
    if (const ProgramGroup* g = GroupAt(index)) {
      // The frame's pen reaches past the row on every side.
      RECT around = g->rowRect;
      InflateRect(&around, popup::kFramePen, popup::kFramePen);
      InvalidateRect(hwnd(), &around, TRUE);
    }
  }
}

void LauncherDialog::SetHoverTimer(bool start) {
  if (hoverTimer != 0) {
    KillTimer(hwnd(), hoverTimer);
    hoverTimer = 0;
  }
  if (start) hoverTimer = SetTimer(hwnd(), kHoverTimerId, kHoverDelayMs, nullptr);
}

bool LauncherDialog::OnTimer(Message& m) {
  if (m.wParam == kStayTimerId) {
    if (popupShown) CheckStayZone();
    if (popupShown) FollowPointer();
    m.result = 0;
    return true;
  }
  if (hoverTimer == 0 || m.wParam != hoverTimer) return false;
  SetHoverTimer(false);
  hover.TimerExpired();
  // A rest on a group opens it, also over a query.
  if (find.active()) EndFind();
  FillShortcutList();
  m.result = 0;
  return true;
}

void LauncherDialog::FillShortcutList() {
  shortcutList.Clear();
  const ProgramGroup* group = GroupAt(hover.hovered());
  if (group == nullptr) return;
  icons.Prefer(group);
  shortcutList.Fill(*group);
}

bool LauncherDialog::PreTranslateMessage(MSG& msg) {
  if (!popupShown) return false;
  if (KeyForFind(msg)) return true;
  if (msg.message != WM_KEYDOWN) return false;
  const UINT key = static_cast<UINT>(msg.wParam);
  if (msg.hwnd == GroupsKeyHolder()) return KeyOnGroups(key);
  if (msg.hwnd == shortcutList.hwnd() && key == VK_LEFT) return LeaveListLeft();
  return false;
}

bool LauncherDialog::KeyOnGroups(UINT key) {
  switch (key) {
    case VK_UP:
    case VK_DOWN: {
      // As in a menu: round from the last group to the first, past the
      // groups that found no room.
      const int count = static_cast<int>(groupList.size());
      const int step = key == VK_DOWN ? 1 : -1;
      int row = hover.hovered() < 0 ? (step > 0 ? -1 : count) : hover.hovered();
      for (int tries = 0; tries < count; ++tries) {
        row = (row + step + count) % count;
        if (groupList[static_cast<std::size_t>(row)]->rowRect.left == -1) continue;
        const int previous = hover.hovered();
        if (hover.PointerOnRow(row).Changed()) {
          SetHoveredGroup(previous, row);
          SetHoverTimer(true);
        }
        break;
      }
      return true;
    }
    case VK_RIGHT:
      EnterList();
      return true;
    case VK_LEFT:
      return true;
    default:
      return false;  // Tab, Enter and Escape as in any dialog
  }
}

bool LauncherDialog::EnterList() {
  if (hoverTimer != 0) {
    // No waiting for the rest the pointer needs.
    SetHoverTimer(false);
    hover.TimerExpired();
    FillShortcutList();
  }
  if (shortcutList.ItemCount() == 0) return false;
  const int previous = hover.hovered();
  const HoverModel::Step step = hover.PointerOnList();
  if (step.Changed()) SetHoveredGroup(previous, step.frame);
  FocusItem(shortcutList.hwnd());
  shortcutList.SelectItem(0);
  return true;
}

bool LauncherDialog::LeaveListLeft() {
  if (!shortcutList.FocusInFirstColumn()) return false;  // the list moves left itself
  FocusItem(GroupsKeyHolder());
  return true;
}

LRESULT LauncherDialog::OnListClick(const NMHDR&) { return shortcutList.OnReflectedClick(); }

bool LauncherDialog::OnLeftButtonUp(Message& m) {
  // A tap of a finger or a pen comes with no rest of the pointer: on a
  // group's row it opens that group at once. A click elsewhere on the
  // popup's surface sends it away.
  const int row = popupShown ? GroupRowAt(layout, GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)) : -1;
  if (GroupAt(row) != nullptr) {
    OpenGroupAt(row);
  } else {
    HidePopup();
  }
  return false;
}

void LauncherDialog::OpenGroupAt(int row) {
  const int previous = hover.hovered();
  if (hover.PointerOnRow(row).Changed()) SetHoveredGroup(previous, row);
  SetHoverTimer(false);
  if (hover.displayed() != row) {
    hover.TimerExpired();
    FillShortcutList();
  }
  if (GetFocus() != GroupsKeyHolder()) FocusItem(GroupsKeyHolder());
}

bool LauncherDialog::OnCaptureChanged(Message& m) {
  if (popupShown && reinterpret_cast<HWND>(m.lParam) != hwnd()) HidePopup();
  return false;
}

bool LauncherDialog::OnCancelMode(Message&) {
  // Among other times, when a box or dialog of ours disables the window.
  HidePopup();
  return false;
}

void LauncherDialog::OnOK() {
  // With no popup shown this only hides the dialog, as the start-up needs.
  if (popupShown && !modalOpen) {
    if (const ShortcutItem* item = SelectedShortcut()) {
      // The list lets go of its items when the popup hides.
      const std::string path = item->path;
      LaunchShortcut(path);
    }
  }
  HidePopup();
}

void LauncherDialog::QuietUntilMoved() { quietSince = GetCursorPos(&quietPoint) != FALSE; }

void LauncherDialog::LaunchShortcut(const std::string& path) {
  QuietUntilMoved();
  // The shell reports its own failures in a box with a loop of its own;
  // meanwhile no popup comes and no dialog opens.
  ModalScope modal(*this);
  if (IsDialUpShortcut(path)) {
    ShellExecuteA(hwnd(), nullptr, "RASPHONE.EXE", path.c_str(), nullptr, SW_SHOWNORMAL);
  } else {
    ShellExecuteA(hwnd(), nullptr, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

bool LauncherDialog::KeyForFind(MSG& msg) {
  if (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd)) return false;
  const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
  switch (msg.message) {
    case WM_CHAR: {
      const wchar_t c = static_cast<wchar_t>(msg.wParam);
      if (c == L'\b') {
        if (!find.active()) return false;
        find.Erase();
        if (!find.active()) {
          EndFind();
        } else {
          InvalidateFindLines();
        }
        return true;
      }
      // Control characters are keys of their own (Enter, Escape, Tab);
      // no query starts with a space, which presses a focused button.
      if (c < L' ' || c == 0x7F || (c == L' ' && !find.active())) return c == L' ';
      // Without its list of results (it could not be made) typing finds
      // nothing, and the group's icons stay.
      if (find.hwnd() == nullptr) return false;
      const bool started = !find.active();
      if (!find.Type(c)) return true;  // the first half of a pair: the rest comes next
      if (started) {
        ShowFindView();  // which repaints the query's line too
      } else {
        InvalidateFindLines();
      }
      return true;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (msg.wParam == VK_SPACE && find.active()) {
        // Into the query, not a press of the list's or a button's own.
        if (msg.message == WM_KEYDOWN) TranslateMessage(&msg);
        return true;
      }
      if (msg.message != WM_KEYDOWN) return false;
      if (msg.wParam == VK_ESCAPE && find.active()) {
        EndFind();
        return true;
      }
      if (msg.wParam == VK_ESCAPE && keyOpened) {
        HidePopup();
        return true;
      }
      if (find.active() && (msg.wParam == VK_UP || msg.wParam == VK_DOWN || msg.wParam == VK_PRIOR ||
                            msg.wParam == VK_NEXT || msg.wParam == VK_HOME || msg.wParam == VK_END)) {
        SendMessageW(find.hwnd(), WM_KEYDOWN, msg.wParam, msg.lParam);
        return true;
      }
      if (msg.wParam == VK_RETURN && ctrl) {
        ActOnSelected((GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return true;
      }
      return false;
    default:
      return false;
  }
}

void LauncherDialog::ShowFindView() {
  // The keyboard's focus stays where it is: a change of focus would end a
  // composition of the input method, such as the next Korean syllable
  // begun while the last one goes into the query. So the group's list
  // makes room rather than hiding, which would move the focus off it, and
  // the keys for the results are passed on to them.
  const bool finding = find.active();
  if (finding) {
    Place(shortcutList.hwnd(), nullptr, Placement{layout.list.x, layout.list.y, 0, 0}, SWP_NOZORDER);
    ShowWindow(find.hwnd(), SW_SHOWNA);
  } else {
    ShowWindow(find.hwnd(), SW_HIDE);
    Place(shortcutList.hwnd(), HWND_TOP, layout.list, 0);
  }
  // The query's line and the groups' shades; the lists paint themselves.
  InvalidateFindLines();
}

void LauncherDialog::InvalidateFindLines() {
  // The query's line and the groups' shades; the results repaint
  // themselves, and the rest of the popup stays as it is.
  InvalidateRect(hwnd(), &queryLine, TRUE);
  RECT groups = groupArea;
  InflateRect(&groups, popup::kFramePen, popup::kFramePen);
  InvalidateRect(hwnd(), &groups, TRUE);
}

void LauncherDialog::EndFind() {
  find.Clear();
  ShowFindView();
}

void LauncherDialog::OnResultsMouseMove(POINT point) {
  if (PointerMoved(find.hwnd(), point)) find.SelectAt(point);
}

const ShortcutItem* LauncherDialog::SelectedShortcut() const {
  return find.active() ? find.Selected() : shortcutList.Selected();
}

void LauncherDialog::ActOnSelected(bool asAdministrator) {
  if (modalOpen) return;
  const ShortcutItem* item = SelectedShortcut();
  if (item == nullptr) return;
  // The list lets go of its items when the popup hides.
  const std::string path = item->path;
  HidePopup();
  QuietUntilMoved();
  // The shell may report in a loop of its own, as for a start.
  ModalScope modal(*this);
  if (asAdministrator) {
    StartAsAdministrator(hwnd(), path);
  } else {
    ShowInFolder(path);
  }
}

void LauncherDialog::OnRefresh() {
  HidePopup();
  StartRefresh();
}

}  // namespace qv
