// The application. Its main() ends the message loop at once by posting the quit message
// and returning 0, so the process ends with 0.
#include <windows.h>
#include "vlApp.h"

int vlApp::main() {
  PostQuitMessage(0);
  return 0;
}
