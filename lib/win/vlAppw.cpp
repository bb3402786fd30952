// Start-up of the application in the window system.
#include <windows.h>
#include <commctrl.h>
#include "vlApp.h"

int vlApp::startup002(HINSTANCE instance, const char* commandLine, int show) {
  owned = false;  // the executable's own instance is never freed
  moduleHandle = instance;
  char path[300];
  DWORD length = GetModuleFileNameA(instance, path, sizeof path);
  path[length < sizeof path ? length : sizeof path - 1] = 0;  // a cut path comes without its zero
  storePathname0(path);
  showCmd = show;
  xSetupArgs(commandLine);
  InitCommonControls();
  accelerators = LoadAcceleratorsA(moduleHandle, "KeyAccel");
  return 0;
}
