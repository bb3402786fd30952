// Drives real windows the way a user does, without ever hanging a test: find a window
// (in this process or in another one), act on it with messages that cannot block the
// caller, read back what a user sees, and wait for a state with a time-out.
//
// A modal dialog blocks the thread that runs it. The usual shape of a test:
//   DialogActor actor([&] {                       // a second thread
//     HWND dialog = waitWindow("#32770", "Title");
//     setText(item(dialog, 140), "C:\\music");
//     click(item(dialog, IDOK));
//   });
//   int result = dialog->run();                  // this thread runs the modal loop
//   actor.join();                                // rethrows nothing; check actor.ok()
// Every wait is bounded; a Watchdog ends the whole process when a test hangs anyway.
#pragma once
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace dialogDriver {

const int defaultTimeoutMs = 10000;

// Polls `condition` every 20 ms until it is true or the time-out passes, handling this
// thread's messages meanwhile (so windows of this thread stay alive). Returns the last
// value of the condition.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = defaultTimeoutMs);

// A visible top-level window of process `processId` (0: any process) whose class is
// `className` (null: any) and whose title equals `title` (null: any); null if none.
HWND findWindow(const char* className, const char* title, DWORD processId = 0);
// findWindow, polled until it appears; null after the time-out.
HWND waitWindow(const char* className, const char* title, DWORD processId = 0,
                int timeoutMs = defaultTimeoutMs);
// Waits until `window` no longer exists; false after the time-out.
bool waitGone(HWND window, int timeoutMs = defaultTimeoutMs);

// The dialog item `id` of `dialog` (GetDlgItem).
HWND item(HWND dialog, int id);

// Sent with a time-out (SendMessageTimeoutA, 5 s); false when the window did not answer.
bool send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);
// WM_SETTEXT with a time-out.
bool setText(HWND window, const std::string& text);
// WM_GETTEXT with a time-out; empty when the window did not answer.
std::string getText(HWND window);
// Posts BM_CLICK: never blocks, also when the click starts a long job or a modal loop.
void click(HWND button);
// Posts WM_KEYDOWN/WM_CHAR/WM_KEYUP for one virtual key (with its character, if any)
// to `window`, as the keyboard would deliver them to the focused control.
void key(HWND window, UINT virtualKey, char character = 0);
// The lines of a list box (LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT), code page 932.
std::vector<std::string> listLines(HWND listBox);
// BM_GETCHECK of a button.
int checked(HWND button);

// Finds the message box (class "#32770") that appears in process `processId` (0: this
// one) and presses its button `buttonId` (IDYES, IDNO, IDOK, ...); returns the box's
// text, or empty with `pressed` false when none appeared in time.
std::string answerMessageBox(int buttonId, bool* pressed = nullptr, DWORD processId = 0,
                             int timeoutMs = defaultTimeoutMs);

// Runs `action` on a second thread. Assertions inside it count for the running test
// (GoogleTest's EXPECT_* are thread-safe on this platform); join() waits for it.
class DialogActor {
 public:
  explicit DialogActor(std::function<void()> action);
  ~DialogActor();  // joins
  void join();
  // True once the action ran to its end without an exception.
  bool ok() const { return succeeded; }

 private:
  std::atomic<bool> succeeded{false};  // before worker: set by the running thread
  std::thread worker;
};

// Ends the process with a message naming `what` when it is still alive after
// `timeoutMs`: a hung dialog then fails the run instead of hanging it.
class Watchdog {
 public:
  Watchdog(const char* what, int timeoutMs = 60000);
  ~Watchdog();

 private:
  HANDLE done;
  std::thread worker;
};

// Another program, started with a command line and a working folder; ended (and
// waited for) when the object ends.
class Process {
 public:
  // `program` is a DOS path; `arguments` may be empty; `folder` null: the current one.
  Process(const std::string& program, const std::string& arguments, const char* folder);
  ~Process();
  bool started() const { return info.hProcess != nullptr; }
  DWORD id() const { return info.dwProcessId; }
  // Waits for the exit; false after the time-out. exitCode then holds the code.
  bool wait(DWORD* exitCode, int timeoutMs = defaultTimeoutMs);

 private:
  PROCESS_INFORMATION info;
};

// A Linux path handed in by the build ("/work/..."), as Wine's drive Z: sees it.
std::string dosPath(const std::string& hostPath);

}  // namespace dialogDriver
