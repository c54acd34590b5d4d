// The end-to-end driver: starts the real QUORVEL.EXE from a program folder
// of its own, moves the real pointer with SendInput, finds and answers
// message boxes, and looks at what a person would see. It runs under Wine
// and on a real Windows desktop alike.
//
// Every action is made certain before it returns: input the system refused,
// a pointer that is not where it was sent, and a window that is not ready
// are faults, reported through the fault handler (a test failure in the
// scenarios) instead of being left for a later step to stumble over.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

// Folder given by an environment variable, as a Windows path with a
// trailing backslash (a Unix path is taken to live on drive Z:); a file
// likewise, without the backslash.
std::string FolderFromEnvironment(const char* name);
std::string FileFromEnvironment(const char* name);

// A fresh program folder holding copies of QUORVEL.EXE and QVLHOOK.DLL.
// Each copy of the hook library keeps its record in the session under a name
// of its own path, so every folder is a separate world for the hook.
class ProgramFolder {
 public:
  ProgramFolder();
  const std::string& path() const { return path_; }  // ends in a backslash
  std::string File(const std::string& name) const { return path_ + name; }
  std::string Launcher() const { return File("QUORVEL.EXE"); }

 private:
  std::string path_;
};

// A started process; ended by force if still running when this goes.
class Process {
 public:
  explicit Process(const std::string& commandLine);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  DWORD id() const { return info_.dwProcessId; }
  bool started() const { return info_.hProcess != nullptr; }
  DWORD startError() const { return startError_; }  // the system's error when it did not start
  bool Running() const;
  // Waits until the process's start-up is over and it waits for input.
  bool WaitForIdle(DWORD timeoutMs) const;
  // Waits for the end while keeping this thread's own windows responsive.
  bool WaitForExit(DWORD timeoutMs);
  DWORD ExitCode() const;
  void Kill();

 private:
  DWORD startError_ = 0;
  PROCESS_INFORMATION info_{};
};

bool UnderWine();

// The system's ANSI code page, the one programs without a code page of
// their own run on; this driver itself runs in UTF-8.
UINT SystemAnsiCodePage();

// Writes the program `exe` again with its manifest's UTF-8 code page taken
// out: it then runs on the system's code page, as it does on a Windows
// before 10 version 1903, which ignores that setting.
bool DropUtf8CodePage(const std::string& exe);

// Where the driver reports an action it could not make certain; by default
// the report goes to the error output.
using FaultHandler = void (*)(const std::string& what);
void SetFaultHandler(FaultHandler handler);

// Waits until every thread with a window on the desktop has taken what was
// queued for it: sent messages, posted ones and the display's own events.
// The desktop's processes act on input at their own pace; a step taken
// before they have caught up meets the state before the last one.
void Settle();

// Handles this thread's messages for a while; returns early once `until`
// says so (checked after every message and every 5 ms).
void Pump(DWORD ms, const std::function<bool()>& until = nullptr);
bool PumpUntil(DWORD timeoutMs, const std::function<bool()>& condition);

std::string WindowText(HWND window);
// The text of a control of another process, asked of the control itself
// (an edit control's text is not the window text the system keeps).
std::string ControlText(HWND control);
bool SetControlText(HWND control, const std::string& text);
// Text in the system's code page and in UTF-16, the form in which Wine
// carries text to another process and back.
std::string Narrow(const std::wstring& wide);
std::wstring Widen(const std::string& text);
std::string ClassName(HWND window);
DWORD ProcessOf(HWND window);
// The first top-level window, hidden or not, matching both (0: any process).
HWND FindTopLevel(DWORD processId, const std::string& title, const char* className = nullptr);
HWND WaitForTopLevel(DWORD processId, const std::string& title, DWORD timeoutMs,
                     const char* className = nullptr);
// A running launcher's main window, by its title, once its start-up is
// over.
HWND WaitForLauncher(const Process& launcher, DWORD timeoutMs = 10000);

// What a message box shows.
struct MessageBoxView {
  HWND window = nullptr;
  std::string title;
  std::string text;
  std::vector<int> buttons;  // control ids, in window order
  int defaultButton = 0;     // the button drawn as the default one
  HWND owner = nullptr;
};
MessageBoxView ReadMessageBox(HWND box);
// A top-level window of the process that is ready to be read and used: its
// initialisation is over (dialogs show themselves only after it), the process
// is idle, and its thread has caught up with what was queued for it.
HWND WaitForDialog(DWORD processId, const std::string& title, DWORD timeoutMs = 10000,
                   const char* className = "#32770");
// Waits for a dialog-class box of the process with this title.
MessageBoxView WaitForMessageBox(DWORD processId, const std::string& title, DWORD timeoutMs = 10000);
// Clicks a button of a box (BM_CLICK, as the mouse would).
void ClickButton(HWND dialog, int id);
// Clicks a button that ends the dialog; true once the dialog is gone.
bool Dismiss(HWND dialog, int id, DWORD timeoutMs = 3000);

// One move of the real pointer through the system's input queue, as it is;
// false when the system refused it. For timed scenarios.
bool SendMove(int x, int y);
// A move that has arrived: sent, then checked once the desktop has settled,
// and sent again only while the pointer is not there (a process that acts
// late on an older position of the pointer can put it back there).
bool MoveMouse(int x, int y);
// A button goes down or up where the last move put the pointer; sent once.
void MouseButton(DWORD downOrUpFlag);
POINT CursorPos();

// Keys through the system's input queue, to whatever has the focus.
void PressKey(WORD virtualKey);
// A combination: the keys down in order, then up in reverse.
void PressKeys(std::initializer_list<WORD> keys);
void TypeText(const std::string& text);
// Characters of any script (UTF-8 here) as a keyboard of that script or an
// input method sends them: one character at a time, no key behind it.
void TypeCharacters(const std::string& text);
// The window that has the keyboard focus in the thread of `window`.
HWND FocusOf(HWND window);

// A click where the pointer is moved to first.
void ClickAt(int x, int y, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP);

// The screen's work area.
RECT WorkArea();
// What the screen shows at one pixel.
COLORREF ScreenPixel(int x, int y);
// A window's rectangle in the client coordinates of another window.
RECT RectIn(HWND window, HWND reference);

// The items of a list-view control of another process, as a person sees
// them: text, selection, and bounds in screen coordinates.
struct ListItem {
  std::string text;
  int image = -1;  // in the list's image list
  bool selected = false;
  RECT bounds{};
};
std::vector<ListItem> ReadListItems(HWND list);
std::vector<std::string> ListTexts(HWND list);
// The entries of a list box of another process, in list order, and the
// selected one's index (-1: none).
std::vector<std::string> ListBoxTexts(HWND box);
int ListBoxSelection(HWND box);

// Files for the scenarios.
bool WriteTextFile(const std::string& path, const std::string& text = std::string());
std::string ReadTextFile(const std::string& path);
bool FileExists(const std::string& path);
// A shell folder of the user's (CSIDL_STARTUP...), ending in a backslash;
// empty when it has no path.
std::string ShellFolder(int csidl);
// A shell link to `target`, made through the shell's own link object; with
// an icon file, its icon is that file's icon of that index.
bool MakeShellLink(const std::string& link, const std::string& target, const std::string& iconFile = "",
                   int iconIndex = 0);
// A group folder of `count` links "Link 000.LNK" ..., whose icons come in
// `kinds` kinds (shell32.dll's icons 3, 4, ...), link n of kind n % kinds.
bool MakeLinkGroup(const std::string& groupFolder, int count, int kinds);

// What a shell link holds, read back through the shell's own link object.
struct LinkView {
  bool read = false;
  std::string target;
  std::string description;
  std::string iconFile;
  int iconIndex = -1;
  WORD hotKey = 0;
};
LinkView ReadShellLink(const std::string& link);

// Drops files on a window of another process as the shell does: a
// WM_DROPFILES whose block (drop point in the window's client coordinates,
// then the paths) is written into the receiving process, since a memory
// handle means nothing outside its own process.
bool DropFiles(HWND window, const std::vector<std::string>& paths, POINT clientPoint);

// Tells a window of another process that its monitor's scale is now `dpi`,
// with the rectangle the system would propose, as Windows does on a move to
// a monitor of another scale or a change of scale (Wine never does).
bool SendDpiChanged(HWND window, int dpi, const RECT& suggested);

// Runs `function(argument)` of the library `dllPath` inside another process
// of the same width, on a thread of its own there; true once it has
// returned 0.
bool CallInProcess(DWORD processId, const std::string& dllPath, const char* function, void* argument);
// The same, for a function that answers: true once it has run, with its
// answer.
bool AskInProcess(DWORD processId, const std::string& dllPath, const char* function, void* argument, DWORD& answer);

// Writes the whole screen as a PNG file; returns false when it could not.
bool SaveScreenshot(const std::string& path);
// Where screenshots go: QV_OUTPUT_DIR, or the current folder.
std::string OutputFile(const std::string& name);
// Lets every window finish painting, then saves the screen under `name`.
bool Snapshot(const std::string& name);

// The desktop as text: every top-level window (title, class, process,
// visible, enabled, rectangle), the pointer, and the active, focus and
// capture windows of each thread that has any.
std::string DescribeDesktop();
// Saves the screen as `base`.png and DescribeDesktop() as `base`.txt under
// the output folder's "failures"; answers the two paths as the person
// running the tests sees them.
std::string SaveFailureArtefacts(const std::string& base);

// The hook library of one program folder, loaded into the driver; it shares
// its section with every launcher started from that folder.
class HookLibrary {
 public:
  explicit HookLibrary(const std::string& dllPath);
  ~HookLibrary();
  HookLibrary(const HookLibrary&) = delete;
  HookLibrary& operator=(const HookLibrary&) = delete;

  bool loaded() const { return module_ != nullptr; }
  int Install() const { return install_(); }
  int Uninstall() const { return uninstall_(); }
  void Register(HWND window) const { register_(window); }
  void CalcArea() const { calcArea_(); }
  HWND Registered() const { return registered_(); }

  HHOOK& hook() const { return *hook_; }
  HWND& window() const { return *window_; }
  HINSTANCE& module() const { return *moduleVar_; }
  RECT& stayZone() const { return *rect1_; }
  RECT& triggerStrip() const { return *rect2_; }

 private:
  HMODULE module_ = nullptr;
  int (*install_)() = nullptr;
  int (*uninstall_)() = nullptr;
  void (*register_)(HWND) = nullptr;
  void (*calcArea_)() = nullptr;
  HWND (*registered_)() = nullptr;
  HHOOK* hook_ = nullptr;
  HWND* window_ = nullptr;
  HINSTANCE* moduleVar_ = nullptr;
  RECT* rect1_ = nullptr;
  RECT* rect2_ = nullptr;
};

// A plain top-level window of the driver's own (hidden until shown).
class OwnWindow {
 public:
  explicit OwnWindow(const std::string& title, RECT where = RECT{100, 100, 160, 160},
                     DWORD style = WS_POPUP | WS_BORDER);
  ~OwnWindow();
  OwnWindow(const OwnWindow&) = delete;
  OwnWindow& operator=(const OwnWindow&) = delete;
  HWND hwnd() const { return window_; }
  void Show() const;
  void Hide() const;

 private:
  HWND window_ = nullptr;
};

}  // namespace e2e
