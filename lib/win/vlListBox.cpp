// vlListBox: a list box whose value is the index of the selected line.
#include "vlListBox.h"
#include "vlDialog.h"

namespace {
// The selected line's index; LB_ERR (-1) when none is selected.
int selectedLine(HWND listBox) {
  return static_cast<int>(SendMessageA(listBox, LB_GETCURSEL, 0, 0));
}
}  // namespace

vlListBox::~vlListBox() {}

void vlListBox::linkObject(int* selection, char** lines) {
  object = selection;
  size = 0;
  for (char** line = lines; line && *line; ++line)
    SendMessageA(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(*line));
}

void vlListBox::linkMapObject(vlCtrlMap* entry) {
  linkObject(static_cast<int*>(entry->object), static_cast<char**>(entry->option));
}

void vlListBox::updateObject() {
  if (object) *static_cast<int*>(object) = selectedLine(hwnd);
}

void vlListBox::updateScreen() {
  if (object) SendMessageA(hwnd, LB_SETCURSEL, *static_cast<int*>(object), 0);
}

bool vlListBox::isModified() {
  return object && selectedLine(hwnd) != *static_cast<int*>(object);
}

int vlListBox::getSel(char* buffer) {
  int index = selectedLine(hwnd);
  if (index < 0) {
    buffer[0] = '\0';
    return -1;
  }
  return static_cast<int>(SendMessageA(hwnd, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer)));
}

int vlListBox::getSel(char* buffer, int bufferSize) {
  if (bufferSize <= 0) return -1;
  buffer[0] = '\0';
  int index = selectedLine(hwnd);
  if (index < 0) return -1;
  LRESULT length = SendMessageA(hwnd, LB_GETTEXTLEN, index, 0);
  if (length < 0 || length >= bufferSize) return -1;
  return static_cast<int>(SendMessageA(hwnd, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer)));
}

int vlListBox::showLast() {
  LRESULT count = SendMessageA(hwnd, LB_GETCOUNT, 0, 0);
  int outcome = 0;
  if (count > 0 && SendMessageA(hwnd, LB_SETTOPINDEX, count - 1, 0) == LB_ERR) outcome = -1;
  lastError = outcome;
  return outcome;
}
