// vlDialogModal and the library's dialog procedure.
#include <cstdint>
#include "vlDialog.h"
#include "vlModule.h"

vlDialog* vlDialog::NewDialog = nullptr;
int vlDialog::resultx = 0;

namespace {

void traceCreateFailure(const DLGTEMPLATE* data, const char* name) {
  if (data)
    dbout("<<vlDialogModal:生成に失敗しました。 [%llx]>>\n",
          static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(data)));
  else if (IS_INTRESOURCE(name))  // a numbered template is no text to print
    dbout("<<vlDialogModal:生成に失敗しました。 [#%u]>>\n",
          static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(name)));
  else
    dbout("<<vlDialogModal:生成に失敗しました。 [%s]>>\n", name);
}

}  // namespace

vlDialogModal::vlDialogModal(vlWin* parent, const char* templateName)
    : vlDialog(parent, templateName) {}

vlDialogModal::~vlDialogModal() {}

// Ends the modal loop with result.
bool vlDialogModal::destroy() { return EndDialog(hwnd, result) != 0; }

int vlDialogModal::run() {
  create();
  return resultx;
}

bool vlDialogModal::create() {
  NewDialog = this;
  lastError = 0;
  HWND owner = parent ? parent->hwnd : nullptr;
  HINSTANCE instance = Module ? Module->handle() : nullptr;
  // Kept apart: an owned dialog is deleted with its window inside the system call.
  const DLGTEMPLATE* data = templateData;
  const char* name = templateName;
  LPARAM parameter = reinterpret_cast<LPARAM>(createParam);
  if (data)
    resultx = static_cast<int>(
        DialogBoxIndirectParamA(instance, data, owner, vlDlgProc, parameter));
  else
    resultx = static_cast<int>(DialogBoxParamA(instance, name, owner, vlDlgProc, parameter));
  if (resultx != -1) return true;

  traceCreateFailure(data, name);
  // Still ours only if WM_INITDIALOG never came: after it the window (and with it an
  // owned object) may already be gone.
  bool untouched = NewDialog == this;
  NewDialog = nullptr;
  if (untouched) lastError = -1;
  return false;
}

INT_PTR CALLBACK vlDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    // Taken first, so that onCreate() may open another dialog.
    vlDialog* dialog = vlDialog::NewDialog;
    vlDialog::NewDialog = nullptr;
    if (!dialog) return TRUE;  // not made by create(): default focus, nothing to bind
    dialog->linkWin(window);
    return dialog->initialProc();
  }
  if (message == WM_MEASUREITEM) {
    // Before WM_INITDIALOG the window has no object yet: the dialog being made answers.
    if (vlDialog::NewDialog) {
      MEASUREITEMSTRUCT* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      vlPoint size = vlDialog::NewDialog->measureItem(item);
      item->itemWidth = size.x;
      item->itemHeight = size.y;
    }
    return TRUE;
  }
  vlWin* object = vlWin::GetWin(window);
  if (!object) return FALSE;
  vlEvent event = {message, wParam, lParam, 0};
  return object->dispatchEvent(event);
}
