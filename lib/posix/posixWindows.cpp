// The window classes' side of the library where there is no window system: no modeless
// dialog can have a window here.
#include "vlApp.h"

HWND vlModelessWindow(vlDialogModeless*) { return nullptr; }
