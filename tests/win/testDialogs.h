// Item ids of the window tests' own dialog templates (testDialogs.rc), and, for the
// C++ side, a modal dialog that tests drive.
#pragma once

#define idEdit1 101
#define idEdit2 102
#define idEdit3 103
#define idCheck 110
#define idGroup 200  // its radio buttons are 201 and 202
#define idRadio1 201
#define idRadio2 202
#define idList 300
#define idScroll 400
#define idScrollText 401  // the scroll bar's partner
#define idOwnerList 500

#ifndef RC_INVOKED
#include <gtest/gtest.h>
#include <functional>
#include <vector>
#include "dialogDriver.h"
#include "vlDialog.h"

// Titles of the two templates, as the driver finds them.
#define testDialogTitle "vlTest"
#define ownerDrawTitle "vlOwnerDraw"

// A modal dialog for tests. `opened` runs on the dialog's thread from onCreate, after
// the map was shown; with `closeWhenOpened` the dialog then ends itself at once, so a
// test body that runs entirely inside the dialog needs no second thread.
class ProbeDialog : public vlDialogModal {
 public:
  // Posted by a test to end the dialog without questions; wParam is the result.
  static const UINT closeNow = WM_USER + 100;

  struct Command {
    int id;
    int code;
    HWND control;
  };

  explicit ProbeDialog(const char* templateName = "TestDialog")
      : vlDialogModal(nullptr, templateName) {}

  // Creation hook: the test body, then the optional immediate end.
  void onCreate() override {
    if (opened) opened(*this);
    if (closeWhenOpened) destroy();
  }
  // WM_COMMAND: recorded (the record outlives the dialog), then the library's paths.
  bool command(int commandId, int code, HWND control) override {
    if (commands) commands->push_back({commandId, code, control});
    return vlWin::command(commandId, code, control);  // on to command(id, code)
  }
  using vlDialogModal::command;
  // OK allowed unless the test vetoes it.
  bool queryOk() override { return !vetoOk; }
  // Private messages: closeNow ends the dialog with its wParam.
  bool user(vlEvent& event) override {
    if (event.message != closeNow) return false;
    result = static_cast<int>(event.wParam);
    destroy();
    return true;
  }
  // Item size asked before the window is bound: the test's size, else the default.
  vlPoint measureItem(MEASUREITEMSTRUCT* item) override {
    return itemSize.x ? itemSize : vlDialogModal::measureItem(item);
  }
  using vlDialogModal::measureItem;

  std::function<void(ProbeDialog&)> opened;
  bool closeWhenOpened = false;
  bool vetoOk = false;
  vlPoint itemSize = {0, 0};
  std::vector<Command>* commands = nullptr;  // owned by the test
};

// Runs `dialog` (made with new: it goes with its window) modally and returns run().
// `act` runs on a second thread with the dialog's window once it shows; a dialog that
// is still open afterwards fails the test and is closed. Without `act` the dialog must
// end itself. A watchdog bounds the whole run.
inline int runDialog(ProbeDialog* dialog, const char* title,
                     const std::function<void(HWND)>& act = nullptr) {
  using namespace dialogDriver;
  Watchdog watchdog(title, 30000);
  if (!act) return dialog->run();
  DialogActor actor([&] {
    HWND window = waitWindow("#32770", title, GetCurrentProcessId());
    ASSERT_NE(window, nullptr) << "the dialog did not show";
    act(window);
    if (!waitGone(window, 5000)) {
      ADD_FAILURE() << "the dialog is still open";
      PostMessageA(window, ProbeDialog::closeNow, 99, 0);
    }
  });
  int result = dialog->run();
  actor.join();
  return result;
}
#endif
