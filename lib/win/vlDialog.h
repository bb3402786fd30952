// vlDialog: a window object whose window is a dialog box built by the system from a
// template; vlDialogModal runs one modally. An optional control map binds dialog items
// to program variables: shown on WM_INITDIALOG, written back on an accepted OK for the
// controls the user changed, and a Cancel with changes asks first.
//
// Sources: vlDlg0.cpp (vlDialog and the map), vlDlg1.cpp (vlDialogModal, vlDlgProc).
#pragma once
#include "vlWin.h"

class vlControl;
class vlDialog;

// One map entry; a map ends with an entry whose creator is null. The creator wraps
// dialog item `id` in a control object that links itself to the item.
struct vlCtrlMap {
  vlControl* (*creator)(vlDialog* dialog, int id);
  void* object;  // the bound variable
  int id;
  int size;      // meaning depends on the control class
  void* option;  // likewise
};

class vlDialog : public vlWin {
 public:
  // parent may be null; it becomes the owner of the dialog box.
  vlDialog(vlWin* parent, const char* templateName);
  ~vlDialog() override;

  bool queryClose() override;         // with changes: asks, true only on Yes
  bool command(int id, int code) override;  // 1: OK path, 2: Cancel path, else false

  virtual bool isModified();          // isModifiedMapData()
  virtual bool queryOk();             // true; override to veto OK
  virtual void okProc();              // writes back the changed controls

  bool isModifiedMapData();
  void linkMapObject();
  void updateScreen();                // makes the map's controls and shows the variables
  bool initialProc();                 // updateScreen(), onCreate(); true

  const char* templateName;           // not owned
  const DLGTEMPLATE* templateData;    // not owned; wins over templateName
  vlCtrlMap* ctrlMap;                 // not owned; null: no map
  int result;                         // the value that ends a modal dialog

  // The dialog being created: set by create(), taken and cleared on WM_INITDIALOG.
  static vlDialog* NewDialog;
  // The result of the last modal dialog: -1 when it could not be created.
  static int resultx;
};

class vlDialogModal : public vlDialog {
 public:
  vlDialogModal(vlWin* parent, const char* templateName);
  ~vlDialogModal() override;

  bool destroy() override;            // EndDialog with result
  virtual int run();                  // create(), then resultx
  // Shows the dialog modally; returns when it ended. An owned dialog has been deleted
  // with its window by then: the caller reads resultx, never the object.
  virtual bool create();
};

// The dialog procedure handed to the system.
INT_PTR CALLBACK vlDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
