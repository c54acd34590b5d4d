// The thin window layer every dialog of the launcher stands on.
//
// A Dialog is bound to a template id. RunModal() creates it modeless,
// disables the owner and pumps its own loop: before dispatch the dialog may
// take a key (PreTranslateMessage), after each dispatched message it gets an
// idle call (OnIdle). Messages, commands and notifications are routed
// through a table of typed member functions per class; what no entry takes
// goes on to the system's default dialog processing.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace qv {

// One window message in flight; a message handler fills in the result.
struct Message {
  UINT id;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result;
};

// Matches a command whatever its notification code.
constexpr UINT kAnyCode = 0xFFFFFFFFu;

template <class D>
struct Route {
  enum class Kind { kMessage, kCommand, kNotify };
  Kind kind;
  UINT code;  // message id, or command/notification code
  UINT id;    // control or command id (commands and notifications)
  bool (D::*onMessage)(Message&);  // true: handled, m.result is the answer
  void (D::*onCommand)();
  LRESULT (D::*onNotify)(const NMHDR&);
};

template <class D>
constexpr Route<D> OnMessage(UINT message, bool (D::*handler)(Message&)) {
  return {Route<D>::Kind::kMessage, message, 0, handler, nullptr, nullptr};
}
template <class D>
constexpr Route<D> OnCommand(UINT id, void (D::*handler)(), UINT code = kAnyCode) {
  return {Route<D>::Kind::kCommand, code, id, nullptr, handler, nullptr};
}
template <class D>
constexpr Route<D> OnNotify(UINT id, UINT code, LRESULT (D::*handler)(const NMHDR&)) {
  return {Route<D>::Kind::kNotify, code, id, nullptr, nullptr, handler};
}

// A class's route table: a view of a static array.
template <class D>
struct RouteList {
  constexpr RouteList() : begin(nullptr), size(0) {}  // a class that routes nothing itself
  template <std::size_t N>
  constexpr RouteList(const Route<D> (&routes)[N]) : begin(routes), size(N) {}  // NOLINT: implicit by design
  const Route<D>* begin;
  std::size_t size;
};

class Dialog {
 public:
  Dialog(UINT templateId, HWND owner);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog until EndModal; returns its result, or -1 when the
  // dialog could not be created.
  INT_PTR RunModal();

  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  std::string GetItemText(int id) const;
  void SetItemText(int id, const std::string& text);
  // Moves the keyboard focus to a control the way Tab does, so that the
  // default button follows it.
  void FocusItem(HWND control) const;
  // Commands that arrive in several ways are routed as a click on the button
  // that carries them, after the current message.
  void PostClick(int id) const;

 protected:
  // The layer's own initialisation: controls take the fields' values.
  virtual bool OnInitDialog();
  // Enter or the default button: fields take the controls' values, then the
  // dialog ends with IDOK; input that Exchange refuses keeps it open.
  virtual void OnOK();
  // Escape, the close box or a Cancel button.
  virtual void OnCancel();
  // Return true to consume a message before it is dispatched.
  virtual bool PreTranslateMessage(MSG& msg);
  // After each dispatched message (except moves, paints and caret blinks).
  virtual void OnIdle();
  // Moves values between fields and controls (save: controls to fields).
  // Returns false, with the focus on the offending control, to refuse.
  virtual bool Exchange(bool save);
  void TransferText(int id, std::string& field, bool save);

  void EndModal(INT_PTR result);
  bool Ending() const { return ending_; }

  // The class's table lookup; DialogT supplies it.
  virtual bool Dispatch(Message& message) = 0;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT id, WPARAM wParam, LPARAM lParam);

  UINT templateId_;
  HWND owner_;
  HWND hwnd_ = nullptr;
  bool ending_ = false;
  INT_PTR result_ = IDCANCEL;
};

// Looks a message up in a route table: first match wins.
template <class D>
bool RouteMessage(D& dialog, RouteList<D> routes, Message& m) {
  using Kind = typename Route<D>::Kind;
  const UINT commandId = LOWORD(m.wParam);
  const UINT commandCode = HIWORD(m.wParam);
  const NMHDR* header = m.id == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(m.lParam) : nullptr;
  for (std::size_t i = 0; i < routes.size; ++i) {
    const Route<D>& r = routes.begin[i];
    switch (r.kind) {
      case Kind::kMessage:
        if (r.code == m.id && (dialog.*r.onMessage)(m)) return true;
        break;
      case Kind::kCommand:
        if (m.id == WM_COMMAND && r.id == commandId && (r.code == kAnyCode || r.code == commandCode)) {
          (dialog.*r.onCommand)();
          m.result = 0;
          return true;
        }
        break;
      case Kind::kNotify:
        if (header != nullptr && r.id == header->idFrom && r.code == header->code) {
          m.result = (dialog.*r.onNotify)(*header);
          return true;
        }
        break;
    }
  }
  return false;
}

// Base for a concrete dialog D with a static `RouteList<D> Routes()`.
template <class D>
class DialogT : public Dialog {
 public:
  using Dialog::Dialog;

 protected:
  bool Dispatch(Message& message) override {
    return RouteMessage(static_cast<D&>(*this), D::Routes(), message);
  }
};

}  // namespace qv
