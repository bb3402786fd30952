// vlGroupBox and vlRadioBox: a group box whose value is the index of the checked radio
// button among the items that follow it.
#include "vlGroupBox.h"
#include "vlDialog.h"

namespace {
const int groupBoxLine = 65;  // where the parent-window check stands, for its report

// Radio button `index` of the group among the box's siblings, or null.
HWND radioButton(HWND groupBox, int groupId, int index) {
  HWND siblings = GetParent(groupBox);
  return siblings ? GetDlgItem(siblings, groupId + 1 + index) : nullptr;
}
}  // namespace

vlGroupBox::~vlGroupBox() {}

vlRadioBox::~vlRadioBox() {}

int vlGroupBox::getSel() {
  int groupId = controlId();
  for (int i = 0; i < size; ++i) {
    HWND button = radioButton(hwnd, groupId, i);
    if (button && SendMessageA(button, BM_GETCHECK, 0, 0)) return i;
  }
  return -1;
}

bool vlGroupBox::setSel(int index) {
  // Below -1 is as much out of range as above the last button.
  if (size <= 0 || index >= size || index < -1 || !GetParent(hwnd)) return false;
  int groupId = controlId();
  if (!radioButton(hwnd, groupId, index)) return false;
  for (int i = 0; i < size; ++i) {
    HWND button = radioButton(hwnd, groupId, i);
    if (button) SendMessageA(button, BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  return true;
}

void vlGroupBox::linkObject(int* selection, int count) {
  size = count;
  object = selection;
  joinPartner();
  if (selection) setSel(*selection);
}

void vlGroupBox::linkMapObject(vlCtrlMap* entry) {
  linkObject(static_cast<int*>(entry->object), entry->size);
}

void vlGroupBox::joinPartner() {
  HWND hp = GetParent(hwnd);
  if (!hp) {
    // A programming error: reported in every build, and nothing is touched.
    dbout("Assertion failed: %s, file %s, line %d\n", "hp", "vlGroupBox", groupBoxLine);
    return;
  }
  int groupId = controlId();
  for (int i = 0; i < size; ++i) {
    int buttonId = groupId + 1 + i;
    HWND button = GetDlgItem(hp, buttonId);
    if (!button) {
      dbout("not found Radio Button %d %d\n", i, buttonId);
      continue;
    }
    if (GetWin(button)) continue;
    vlRadioBox* radio = new vlRadioBox(parent, "Button", buttonId, BS_AUTORADIOBUTTON);
    // Unlinked (no parent object to find the item through) it would belong to nobody.
    if (!radio->linked) delete radio;
  }
}

bool vlGroupBox::enable(bool on) {
  bool wasDisabled = EnableWindow(hwnd, on) != 0;
  int groupId = controlId();
  for (int i = 0; i < size; ++i)
    if (vlWin* radio = GetWin(radioButton(hwnd, groupId, i))) radio->enable(on);
  return wasDisabled;
}

void vlGroupBox::updateObject() {
  if (object) *static_cast<int*>(object) = getSel();
}

void vlGroupBox::updateScreen() {
  if (object) setSel(*static_cast<int*>(object));
}

bool vlGroupBox::isModified() {
  return object ? getSel() != *static_cast<int*>(object) : changed;
}
