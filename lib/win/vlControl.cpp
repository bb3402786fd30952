// vlControl, vlEdit and vlCheckBox: child windows with a linked variable, a partner and
// keyboard shortcuts.
#include <cstring>
#include <string>
#include "vlControl.h"
#include "vlDialog.h"

namespace {
const int helpCommand = 20;   // F1: the main dialog's Help button
const int enterCommand = 21;  // Enter in a control

int* intVariable(void* object) { return static_cast<int*>(object); }
}  // namespace

vlControl::vlControl(vlWin* parent, const char* className, int id, int style)
    : vlWin(parent, className, id),
      changed(false),
      object(nullptr),
      size(0),
      partner(nullptr),
      ownsPartner(false) {
  this->style |= style;
  tryLink();
}

vlControl::vlControl(HWND window, bool link)
    : vlWin(window, link),
      changed(false),
      object(nullptr),
      size(0),
      partner(nullptr),
      ownsPartner(false) {}

vlControl::~vlControl() {
  if (ownsPartner) delete partner;
}

bool vlControl::tryLink() {
  if (hwnd) return true;
  if (!parent || !parent->hwnd) return false;
  HWND item = GetDlgItem(parent->hwnd, id);
  return item && linkWin(item);
}

int vlControl::controlId() {
  return hwnd ? static_cast<int>(GetWindowLongPtrA(hwnd, GWLP_ID)) : id;
}

// Keys: F1 and Enter become commands 20 and 21 from this control, Tab moves the focus,
// Escape cancels the dialog.
bool vlControl::kbd(vlEvent& event) {
  LPARAM self = reinterpret_cast<LPARAM>(hwnd);
  if (event.message == WM_KEYDOWN && event.wParam == VK_F1) {
    postParent(WM_COMMAND, MAKEWPARAM(helpCommand, controlId()), self);
    return true;
  }
  if (event.message != WM_CHAR) return false;
  switch (event.wParam) {
    case '\r':
      postParent(WM_COMMAND, MAKEWPARAM(enterCommand, controlId()), self);
      return true;
    case '\t':
      if (vlWin* dialog = GetWin(GetParent(hwnd))) {
        if (GetKeyState(VK_SHIFT) & 0x8000)
          dialog->PrevControl(false);
        else
          dialog->NextControl(false);
      }
      return true;
    case 0x1B:
      postParent(WM_COMMAND, IDCANCEL, self);
      return true;
  }
  return false;
}

bool vlControl::show(int command) {
  bool wasVisible = ShowWindow(hwnd, command) != 0;
  if (partner) partner->show(command);
  return wasVisible;
}

bool vlControl::enable(bool on) {
  bool wasDisabled = EnableWindow(hwnd, on) != 0;
  if (partner) partner->enable(on);
  return wasDisabled;
}

void vlControl::linkObject(void* variable, int variableSize) {
  object = variable;
  size = variableSize;
}

void vlControl::linkMapObject(vlCtrlMap* entry) { linkObject(entry->object, entry->size); }

void vlControl::joinPartner() {
  if (!hwnd || !parent) return;
  // Joined again (a scroll bar's create): the partner made last time goes first.
  if (ownsPartner) delete partner;
  partner = nullptr;
  ownsPartner = false;
  HWND item = GetDlgItem(parent->hwnd, controlId() + 1);
  if (!item) return;
  partner = GetWin(item);
  if (partner) return;
  partner = new vlControl(item, false);
  ownsPartner = true;
}

void vlControl::updateObject() {}

void vlControl::updateScreen() {}

bool vlControl::isModified() { return changed; }

void vlControl::modified(bool on) { changed = on; }

int vlControl::getCheck() { return static_cast<int>(SendMessageA(hwnd, BM_GETCHECK, 0, 0)); }

int vlControl::setCheck(int state) {
  return static_cast<int>(SendMessageA(hwnd, BM_SETCHECK, state, 0));
}

int vlControl::getState() { return static_cast<int>(SendMessageA(hwnd, BM_GETSTATE, 0, 0)); }

int vlControl::setState(int state) {
  return static_cast<int>(SendMessageA(hwnd, BM_SETSTATE, state, 0));
}

int vlControl::setStyle(int buttonStyle, bool redraw) {
  return static_cast<int>(SendMessageA(hwnd, BM_SETSTYLE, buttonStyle, redraw ? 1 : 0));
}

int vlControl::click() { return static_cast<int>(SendMessageA(hwnd, BM_CLICK, 0, 0)); }

vlEdit::~vlEdit() {}

void vlEdit::linkMapObject(vlCtrlMap* entry) {
  linkObject(entry->object, entry->size);
  SendMessageA(hwnd, EM_LIMITTEXT, size - 1, 0);
}

void vlEdit::updateObject() {
  if (object) getText(static_cast<char*>(object), size);
}

void vlEdit::updateScreen() {
  if (!object || size <= 0) return;
  // A buffer without its terminator is shown up to its end, never read past it.
  const char* text = static_cast<const char*>(object);
  setText(std::string(text, strnlen(text, size)).c_str());
}

bool vlEdit::isModified() { return SendMessageA(hwnd, EM_GETMODIFY, 0, 0) != 0 || changed; }

void vlEdit::setModified(bool on) { changed = on; }

vlCheckBox::~vlCheckBox() {}

void vlCheckBox::linkMapObject(vlCtrlMap* entry) {
  linkObject(entry->object, static_cast<int>(sizeof(int)));
}

void vlCheckBox::updateObject() {
  if (object) *intVariable(object) = getCheck();
}

void vlCheckBox::updateScreen() {
  if (object) setCheck(*intVariable(object));
}

bool vlCheckBox::isModified() { return object ? getCheck() != *intVariable(object) : changed; }
