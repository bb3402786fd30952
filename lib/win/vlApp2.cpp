// The program entry, alone in its object file so that only the program links it.
#include <windows.h>
#include "vlApp.h"
#include "vlThreadMutex.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
  pApp = &App;
  App.threadMutex = new vlThreadMutex;  // lives until the process ends
  App.threadMutex->create();
  App.startup002(instance, commandLine, show);
  int code = App.startup(App.argc, App.argv, App.envp);
  if (code != 0)
    App.terminal(code);
  else
    code = App.execApp();
  App.freeArgs();
  return code;
}
