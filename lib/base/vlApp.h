// vlApp: the application, the one static object App. It splits the command line into
// arguments, runs the application's main(), then the message loop, and hands every
// queued message to the accelerators and the modeless dialogs before it is dispatched.
// The application supplies only main(); the entry WinMain wires everything together.
#pragma once
#include <list>
#include "vlModule.h"

class vlApp : public vlModule {
 public:
  vlApp();
  ~vlApp() override;

  // Framework start-up: instance, module path, arguments, common controls and the
  // accelerators "KeyAccel"; 0. (Windows build only.)
  int startup002(HINSTANCE instance, const char* commandLine, int show);
  // Splits commandLine into argv after the module path (see vlApp1.cpp); returns argc.
  int xSetupArgs(const char* commandLine);
  // Frees the argument blocks; argv becomes null and argc 0.
  void freeArgs();
  // Called before main(); a non-zero result ends the start with that exit code.
  int startup(int argCount, char** args, char** environment);
  // Called last with the exit code about to be returned, which it may change.
  void terminal(int& code);
  // Supplied by the application: 0 to go on into the message loop, else the exit code.
  int main();
  // main(), then run() when main() gave 0, then terminal(); returns the exit code.
  int execApp();
  // The message loop; returns the wParam of WM_QUIT.
  int run();
  // Routes every message waiting in the queue, without waiting; 0. Messages are always
  // taken off the queue: leaving one there would route it again without end.
  static int MsgPump(int removeFlag);
  // Accelerators first, then the modeless dialogs, then translate and dispatch; returns
  // the value of the step that took the message.
  LRESULT MsgTransaction(MSG& msg) override;
  // True when a registered modeless dialog, newest first, took the message. A dialog
  // removed from the list while the walk goes on is not offered the message.
  bool checkModeless(MSG* msg);
  // Registers a dialog at the front of modeless (no duplicate check); not owning.
  void appendDialog(vlDialogModeless* dialog) override;
  // Removes the first entry equal to dialog, if any.
  void removeDialog(vlDialogModeless* dialog) override;

  char** argPointers;
  char* argText;
  std::list<vlDialogModeless*> modeless;
  int showCmd;
  int argc;
  char** argv;
  char** envp;  // nothing sets it: always null
};

// The window of a modeless dialog (a vlWin), null before it is created. Supplied by the
// window classes; the build without a window system has none.
HWND vlModelessWindow(vlDialogModeless* dialog);

extern vlApp App;
extern vlApp* pApp;  // set to App by the entry
