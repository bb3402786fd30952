// Window driving for tests: every question to a window of another thread or process is
// asked with a time-out, every wait is a bounded poll.
#include "dialogDriver.h"
#include <cstdio>
#include <exception>

namespace dialogDriver {

namespace {

const UINT sendTimeoutMs = 5000;
const int pollMs = 20;

// Handles this thread's pending messages, so its own windows keep answering.
void pumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool ownProcess(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  return processId == GetCurrentProcessId();
}

// The title without blocking: a window of this process is asked with a time-out (its
// thread may be busy); another process's title is read from the system's copy.
std::string titleOf(HWND window) {
  if (!ownProcess(window)) {
    char buffer[512] = "";
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
  }
  return getText(window);
}

std::string classOf(HWND window) {
  char buffer[256] = "";
  GetClassNameA(window, buffer, sizeof buffer);
  return buffer;
}

struct Search {
  const char* className;
  const char* title;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM searchAddress) {
  Search* search = reinterpret_cast<Search*>(searchAddress);
  if (!IsWindowVisible(window)) return TRUE;
  if (search->processId) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId) return TRUE;
  }
  if (search->className && classOf(window) != search->className) return TRUE;
  if (search->title && titleOf(window) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

// A message box: the one enabled dialog that has the button and a static text (the
// dialog it belongs to is disabled while the box is up).
struct BoxSearch {
  DWORD processId;
  int buttonId;
  HWND found;
};

BOOL CALLBACK firstStatic(HWND child, LPARAM textAddress) {
  if (classOf(child) != "Static") return TRUE;
  std::string text = titleOf(child);
  if (text.empty()) return TRUE;  // the icon
  *reinterpret_cast<std::string*>(textAddress) = text;
  return FALSE;
}

std::string boxText(HWND box) {
  std::string text;
  EnumChildWindows(box, firstStatic, reinterpret_cast<LPARAM>(&text));
  return text;
}

BOOL CALLBACK matchBox(HWND window, LPARAM searchAddress) {
  BoxSearch* search = reinterpret_cast<BoxSearch*>(searchAddress);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != search->processId || !IsWindowVisible(window) ||
      !IsWindowEnabled(window) || classOf(window) != "#32770" ||
      !GetDlgItem(window, search->buttonId) || boxText(window).empty())
    return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    pumpMessages();
    if (condition()) return true;
    if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return condition();
    Sleep(pollMs);
  }
}

HWND findWindow(const char* className, const char* title, DWORD processId) {
  Search search = {className, title, processId, nullptr};
  EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND waitWindow(const char* className, const char* title, DWORD processId, int timeoutMs) {
  HWND found = nullptr;
  waitFor([&] { return (found = findWindow(className, title, processId)) != nullptr; },
          timeoutMs);
  return found;
}

bool waitGone(HWND window, int timeoutMs) {
  return waitFor([&] { return !IsWindow(window); }, timeoutMs);
}

HWND item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

bool send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  DWORD_PTR answer = 0;
  bool answered = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                      sendTimeoutMs, &answer) != 0;
  if (result) *result = answered ? static_cast<LRESULT>(answer) : 0;
  return answered;
}

bool setText(HWND window, const std::string& text) {
  return send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string getText(HWND window) {
  LRESULT length = 0;
  if (!send(window, WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) return "";
  std::string text(length + 1, '\0');
  LRESULT copied = 0;
  if (!send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &copied))
    return "";
  text.resize(copied > 0 && copied <= length ? copied : 0);
  return text;
}

void click(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void key(HWND window, UINT virtualKey, char character) {
  LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(window, WM_KEYDOWN, virtualKey, scan | 1);
  if (character)
    PostMessageA(window, WM_CHAR, static_cast<unsigned char>(character), scan | 1);
  PostMessageA(window, WM_KEYUP, virtualKey, scan | 1 | (1 << 30) | (1u << 31));
}

// Read as UTF-16 and converted here: across processes Wine hands LB_GETTEXT's text to an
// ANSI caller in UTF-16, unconverted, which would overrun a buffer sized for ANSI text.
std::vector<std::string> listLines(HWND listBox) {
  const UINT flags = SMTO_ABORTIFHUNG;
  std::vector<std::string> lines;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(listBox, LB_GETCOUNT, 0, 0, flags, 5000, &count)) return lines;
  for (DWORD_PTR i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(listBox, LB_GETTEXTLEN, i, 0, flags, 5000, &length) ||
        static_cast<LRESULT>(length) < 0)
      break;
    std::wstring wide(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]), flags,
                             5000, &copied) ||
        copied > length)
      break;
    std::string line(2 * copied, '\0');
    int bytes = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(copied), &line[0],
                                    static_cast<int>(line.size()), nullptr, nullptr);
    line.resize(bytes);
    lines.push_back(line);
  }
  return lines;
}

int checked(HWND button) {
  LRESULT state = 0;
  send(button, BM_GETCHECK, 0, 0, &state);
  return static_cast<int>(state);
}

std::string answerMessageBox(int buttonId, bool* pressed, DWORD processId, int timeoutMs) {
  BoxSearch search = {processId ? processId : GetCurrentProcessId(), buttonId, nullptr};
  waitFor(
      [&] {
        search.found = nullptr;
        EnumWindows(matchBox, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  if (pressed) *pressed = search.found != nullptr;
  if (!search.found) return "";
  std::string text = boxText(search.found);
  click(GetDlgItem(search.found, buttonId));
  return text;
}

DialogActor::DialogActor(std::function<void()> action)
    : worker([this, action] {
        try {
          action();
          succeeded = true;
        } catch (const std::exception& error) {
          std::fprintf(stderr, "DialogActor: %s\n", error.what());
        } catch (...) {
          std::fprintf(stderr, "DialogActor: unknown exception\n");
        }
      }) {}

DialogActor::~DialogActor() { join(); }

void DialogActor::join() {
  if (worker.joinable()) worker.join();
}

Watchdog::Watchdog(const char* what, int timeoutMs)
    : done(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      worker([this, what, timeoutMs] {
        if (WaitForSingleObject(done, timeoutMs) != WAIT_TIMEOUT) return;
        std::fprintf(stderr, "Watchdog: %s still running after %d ms; ending the process\n",
                     what, timeoutMs);
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
      }) {}

Watchdog::~Watchdog() {
  SetEvent(done);
  worker.join();
  CloseHandle(done);
}

Process::Process(const std::string& program, const std::string& arguments,
                 const char* folder)
    : info() {
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder, &startup, &info))
    info = PROCESS_INFORMATION();
}

Process::~Process() {
  if (!info.hProcess) return;
  if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, sendTimeoutMs);
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
}

bool Process::wait(DWORD* exitCode, int timeoutMs) {
  if (!info.hProcess) return false;
  bool ended = false;
  waitFor([&] { return ended = WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0; },
          timeoutMs);
  if (ended && exitCode) GetExitCodeProcess(info.hProcess, exitCode);
  return ended;
}

std::string dosPath(const std::string& hostPath) {
  std::string path = "Z:" + hostPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

}  // namespace dialogDriver
