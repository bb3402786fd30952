// vlWin: the window services (focus moves, posting, position, text, numbers in text,
// message boxes, dropped files) and the defaults of the handlers that do nothing.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include "vlModule.h"
#include "vlWin.h"

namespace {
const int numberBuffer = 100;
const int shortText = 904;
}  // namespace

// --- handler defaults ---------------------------------------------------------------

bool vlWin::queryClose() { return true; }
bool vlWin::queryEndSession() { return queryClose(); }
void vlWin::onEndSession(bool ending, bool) {
  if (ending) onClose();
}
bool vlWin::terminateCheck() { return true; }
bool vlWin::command(int, int) { return false; }
bool vlWin::command(int commandId, int code, HWND) { return command(commandId, code); }
bool vlWin::getMinMaxInfo(MINMAXINFO*) { return false; }
bool vlWin::paint() { return false; }
bool vlWin::activated(int, bool) { return false; }
bool vlWin::enabled(bool) { return false; }
bool vlWin::gotFocus(vlWin*) { return false; }
bool vlWin::killedFocus(vlWin*) { return false; }
void vlWin::onShow(int) {}
void vlWin::onHide(int) {}
bool vlWin::resized(int, int, int) { return layoutChild(); }
bool vlWin::minimized(int, int) { return false; }
bool vlWin::timer(int) { return false; }
bool vlWin::queryMaximize() { return true; }
bool vlWin::deleteItem(int, DELETEITEMSTRUCT*) { return true; }
void vlWin::menuSelect(vlMenu&, unsigned, unsigned) {}
void vlWin::menuInit(vlMenu&) {}
void vlWin::menuPopup(vlMenu&, int) {}
void vlWin::sysmenuPopup(vlMenu&) {}
void vlWin::onCreate() {}
bool vlWin::layoutChild() { return false; }
bool vlWin::notified(NMHDR*, LRESULT&) { return false; }
bool vlWin::other(vlEvent&) { return false; }
void vlWin::dropFiles(HDROP, int, vlPoint*, bool) {}
bool vlWin::mouse(int, vlPoint, int) { return false; }
bool vlWin::kbd(vlEvent&) { return false; }
bool vlWin::user(vlEvent&) { return false; }
bool vlWin::dde(vlEvent&) { return false; }
int vlWin::getDialogCode(vlEvent&) { return 0; }
bool vlWin::notifiedDDE(int, vlDDE*) { return false; }

// vlThread is not part of this system; a thread object would arrive through this
// message only from a library that has one, so there is nothing here to delete.
bool vlWin::threadEnded(int, vlThread*) { return true; }

// --- window operations --------------------------------------------------------------

bool vlWin::destroy() { return DestroyWindow(hwnd) != 0; }
bool vlWin::show(int command) { return ShowWindow(hwnd, command) != 0; }
bool vlWin::setText(const char* text) { return SetWindowTextA(hwnd, text) != 0; }
bool vlWin::setText(std::string text) { return setText(text.c_str()); }
int vlWin::getText(char* buffer, int size) { return GetWindowTextA(hwnd, buffer, size); }
int vlWin::getTextLen() { return GetWindowTextLengthA(hwnd); }
bool vlWin::enable(bool on) { return EnableWindow(hwnd, on) != 0; }

int vlWin::getText(std::string& text) {
  int length = getTextLen();
  char local[shortText];
  char* buffer = local;
  if (length > shortText - 4) {
    buffer = new (std::nothrow) char[static_cast<size_t>(length) + 4];
    if (!buffer) return -1;
  }
  buffer[0] = 0;
  int copied = getText(buffer, length + 4);
  text = buffer;
  if (buffer != local) delete[] buffer;
  return copied;
}

// A format that would not fit the buffer is cut there, never written past it.
bool vlWin::setInt(int value, const char* format) {
  char buffer[numberBuffer];
  std::snprintf(buffer, sizeof buffer, format, value);
  return setText(buffer);
}

bool vlWin::setFloat(float value, const char* format) {
  char buffer[numberBuffer];
  std::snprintf(buffer, sizeof buffer, format, static_cast<double>(value));
  return setText(buffer);
}

int vlWin::getInt() {
  char buffer[numberBuffer] = "";
  getText(buffer, sizeof buffer);
  return std::atoi(buffer);
}

float vlWin::getFloat() {
  char buffer[numberBuffer] = "";
  getText(buffer, sizeof buffer);
  return static_cast<float>(std::atof(buffer));
}

int vlWin::textHeight() {
  HDC context = GetWindowDC(hwnd);
  HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(context, font) : nullptr;
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(context, "abcdefgh", 8, &extent);
  if (old) SelectObject(context, old);
  ReleaseDC(hwnd, context);
  return extent.cy;
}

bool vlWin::dropFiles0(vlEvent& event) {
  HDROP drop = reinterpret_cast<HDROP>(event.wParam);
  POINT where = {0, 0};
  bool inClient = DragQueryPoint(drop, &where) != 0;
  char scratch[300];
  int count = static_cast<int>(DragQueryFileA(drop, 0xFFFFFFFF, scratch, sizeof scratch));
  vlPoint point{where.x, where.y};
  dropFiles(drop, count, &point, inClient);
  DragFinish(drop);
  return true;
}

// --- services ---------------------------------------------------------------------

namespace {
LRESULT sendOrPost(HWND window, WPARAM wParam, LPARAM lParam, bool send) {
  if (send) return SendMessageA(window, WM_NEXTDLGCTL, wParam, lParam);
  return PostMessageA(window, WM_NEXTDLGCTL, wParam, lParam);
}
}  // namespace

LRESULT vlWin::SetControl(HWND control, bool send) {
  return sendOrPost(hwnd, reinterpret_cast<WPARAM>(control), 1, send);
}
LRESULT vlWin::NextControl(bool send) { return sendOrPost(hwnd, 0, 0, send); }
LRESULT vlWin::PrevControl(bool send) { return sendOrPost(hwnd, 1, 0, send); }

bool vlWin::postParent(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return false;
  // A null target would post to the thread's queue instead of a window.
  HWND target = parent ? parent->hwnd : GetParent(hwnd);
  if (!target) return false;
  PostMessageA(target, message, wParam, lParam);
  return true;
}

bool vlWin::setPos(vlPoint* position, vlPoint* size) {
  if (!position && !size) return true;
  if (!hwnd) {
    if (!position || !size) return false;  // nothing to complete the rectangle from
    rect = {position->x, position->y, position->x + size->x, position->y + size->y};
    return true;
  }
  UINT flags = position ? SWP_NOZORDER : SWP_NOMOVE;
  if (!size) flags |= SWP_NOSIZE;
  return SetWindowPos(hwnd, HWND_TOP, position ? position->x : 0, position ? position->y : 0,
                      size ? size->x : 0, size ? size->y : 0, flags) != 0;
}

bool vlWin::moveCenter() {
  RECT window;
  if (!GetWindowRect(hwnd, &window)) return false;
  vlPoint position{(GetSystemMetrics(SM_CXFULLSCREEN) - (window.right - window.left)) / 2,
                   (GetSystemMetrics(SM_CYFULLSCREEN) - (window.bottom - window.top)) / 2};
  return setPos(&position, nullptr);
}

bool vlWin::getPlacement(WINDOWPLACEMENT& placement) {
  placement.length = sizeof placement;
  return GetWindowPlacement(hwnd, &placement) != 0;
}

bool vlWin::peekMsg(UINT first, UINT last, UINT remove, MSG* msg) {
  MSG scratch;
  return PeekMessageA(msg ? msg : &scratch, hwnd, first, last, remove) != 0;
}

int vlWin::msgBox(const char* text, int boxStyle, const char* caption) {
  if (!caption) caption = Module ? Module->moduleName.c_str() : "Velorn4";
  return MessageBoxA(hwnd, text, caption, static_cast<UINT>(boxStyle));
}
