// vlDialog: a dialog box window object and its control map.
#include "vlDialog.h"
#include "vlControl.h"

namespace {

// The control object registered for the map entry's dialog item, or null when the item
// does not exist or has no control object.
vlControl* mappedControl(HWND dialog, const vlCtrlMap& entry) {
  return dynamic_cast<vlControl*>(vlWin::GetWin(GetDlgItem(dialog, entry.id)));
}

}  // namespace

vlDialog::vlDialog(vlWin* parent, const char* templateName)
    : vlWin(parent, "vlDialog", -999),
      templateName(templateName),
      templateData(nullptr),
      ctrlMap(nullptr),
      result(IDCANCEL) {}

vlDialog::~vlDialog() {}

bool vlDialog::isModifiedMapData() {
  for (vlCtrlMap* entry = ctrlMap; entry && entry->creator; ++entry) {
    vlControl* control = mappedControl(hwnd, *entry);
    if (control && control->isModified()) return true;
  }
  return false;
}

void vlDialog::linkMapObject() {
  for (vlCtrlMap* entry = ctrlMap; entry && entry->creator; ++entry) {
    vlControl* control = mappedControl(hwnd, *entry);
    if (control && control->isModified()) control->updateObject();
  }
}

void vlDialog::updateScreen() {
  for (vlCtrlMap* entry = ctrlMap; entry && entry->creator; ++entry) {
    vlControl* control = entry->creator(this, entry->id);
    if (!control) continue;
    control->linkMapObject(entry);
    control->updateScreen();
  }
}

bool vlDialog::initialProc() {
  updateScreen();
  onCreate();
  return true;  // the system sets the initial focus
}

// Has the user changed a mapped control?
bool vlDialog::isModified() { return isModifiedMapData(); }

// May OK end the dialog? A derived dialog validates here.
bool vlDialog::queryOk() { return true; }

// OK accepted: the changed controls' values go back to their variables.
void vlDialog::okProc() {
  if (isModified()) linkMapObject();
}

// Cancel or close: unsaved changes are given up only when the user agrees.
bool vlDialog::queryClose() {
  if (!isModified()) return true;
  return msgBox("変更を保存せずに終了してよろしいですか？", MB_YESNO, nullptr) == IDYES;
}

// WM_COMMAND: OK and Cancel end the dialog when allowed; other ids are not handled here.
bool vlDialog::command(int id, int code) {
  (void)code;
  if (id == IDOK) {
    if (!queryOk()) return true;
    result = IDOK;
    okProc();
    destroy();
    return true;
  }
  if (id == IDCANCEL) {
    if (!queryClose()) return true;
    result = IDCANCEL;
    destroy();
    return true;
  }
  return false;
}
