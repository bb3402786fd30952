#include "vlApp.h"
#include <algorithm>
#include <vector>

vlApp App;
vlApp* pApp = nullptr;

vlApp::vlApp()
    : argPointers(nullptr), argText(nullptr), showCmd(SW_SHOW), argc(0), argv(nullptr),
      envp(nullptr) {
  Module = this;
}

vlApp::~vlApp() { freeArgs(); }

int vlApp::startup(int, char**, char**) { return 0; }

void vlApp::terminal(int&) {}

int vlApp::execApp() {
  int code = main();
  if (code == 0) code = run();
  terminal(code);
  return code;
}

int vlApp::run() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0)) MsgTransaction(msg);
  return static_cast<int>(msg.wParam);
}

int vlApp::MsgPump(int removeFlag) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, static_cast<UINT>(removeFlag) | PM_REMOVE))
    Module->MsgTransaction(msg);
  return 0;
}

LRESULT vlApp::MsgTransaction(MSG& msg) {
  if (accelerators)
    if (int translated = TranslateAcceleratorA(msg.hwnd, accelerators, &msg)) return translated;
  if (checkModeless(&msg)) return 1;
  TranslateMessage(&msg);
  return DispatchMessageA(&msg);
}

bool vlApp::checkModeless(MSG* msg) {
  // A dialog may be destroyed by the message it is offered and remove itself from the
  // list: walk a copy, and skip the dialogs that are no longer listed.
  std::vector<vlDialogModeless*> dialogs(modeless.begin(), modeless.end());
  for (vlDialogModeless* dialog : dialogs) {
    if (std::find(modeless.begin(), modeless.end(), dialog) == modeless.end()) continue;
    HWND window = vlModelessWindow(dialog);
    if (window && IsDialogMessageA(window, msg)) return true;
  }
  return false;
}

void vlApp::appendDialog(vlDialogModeless* dialog) { modeless.push_front(dialog); }

void vlApp::removeDialog(vlDialogModeless* dialog) {
  auto found = std::find(modeless.begin(), modeless.end(), dialog);
  if (found != modeless.end()) modeless.erase(found);
}
