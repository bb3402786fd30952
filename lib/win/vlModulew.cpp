// vlModule's message box, which needs the window system.
#include <windows.h>
#include "vlModule.h"

int vlModule::msgBox(const char* text, int style, const char* caption) {
  return MessageBoxA(nullptr, text, caption ? caption : moduleName.c_str(),
                     static_cast<UINT>(style));
}
