// Modules and the thread's message queue.
//   LoadLibraryA: a shared library by DOS path, or by bare name through the system's
//   library search. A name without an extension means name.dll; a trailing dot means no
//   extension. Fails with 126 when no such file can be found (also for "", a trailing
//   separator and other drives), 5 for a folder, 193 when the file exists but is not a
//   loadable library. Loading a library again returns the same handle and counts the load.
//   FreeLibrary: undoes one load; FALSE with 6 for a null handle, 126 for one that is
//   not a loaded library.
//   GetModuleFileNameA: the full DOS path ("Z:\...") of the executable (null handle) or
//   of a loaded library; its length on success (last error 0). When the path does not
//   fit, the first size bytes are copied WITHOUT a terminating zero, size is returned and
//   the last error is 122; 0 and 126 for an unknown handle.
//   Message queue of a process without windows: PostMessageA with a null window posts to
//   the calling thread; PostQuitMessage sets the quit code, handed out as WM_QUIT once
//   the posted messages are gone (the last code wins); PeekMessageA and GetMessageA take
//   messages in posting order, within a message range (0 to 0: all). No window, dialog or
//   accelerator table can exist here: a non-null window gives 1400, IsDialogMessageA and
//   TranslateAcceleratorA consume nothing, TranslateMessage translates nothing (there is
//   no keyboard), DispatchMessageA of a thread message calls no procedure and returns 0.
#pragma once
#include "posixTypes.h"

#define ERROR_BAD_EXE_FORMAT 193
#define ERROR_INVALID_WINDOW_HANDLE 1400

HMODULE LoadLibraryA(const char* fileName);
BOOL FreeLibrary(HMODULE module);
DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size);

typedef struct HWND__* HWND;

struct POINT {
  LONG x;
  LONG y;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

#define SW_SHOW 5
#define WM_QUIT 0x0012
#define WM_USER 0x0400
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT removeFlag);
// 0 for WM_QUIT, -1 (last error 1400) for a window filter, else non-zero. Waits while the
// queue is empty: without windows only the thread itself can post, so an empty queue
// that is not quitting waits for ever, as a thread without windows does on Win32.
BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
BOOL IsDialogMessageA(HWND dialog, MSG* msg);
int TranslateAcceleratorA(HWND window, HACCEL table, MSG* msg);
