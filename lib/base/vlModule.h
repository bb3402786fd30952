// vlModule: one executable module: its instance handle, path and name, an optional
// accelerator table, the application's thread lock, and loading and freeing a library by
// path. Module points at the current module (the application), from which windows take
// their instance handle.
#pragma once
#include <windows.h>
#include <string>
#include "vlObject.h"
#include "vlPathname.h"

class vlThreadMutex;
class vlWin;
class vlDialogModeless;

class vlModule : public vlObject {
 public:
  vlModule();
  // Records the path; nothing is loaded yet.
  explicit vlModule(const char* path);
  // Frees the library when load() loaded it (owned).
  ~vlModule() override;

  // Virtual slots after those of vlObject. A plain module routes no messages: all three
  // do nothing (MsgTransaction returns 0).
  virtual void appendDialog(vlDialogModeless* dialog);
  virtual void removeDialog(vlDialogModeless* dialog);
  virtual LRESULT MsgTransaction(MSG& msg);

  // Stores path in pathname and its base name as the module name; 0.
  int storePathname0(const char* path);
  // unload(), then storePathname0().
  int storePathname(const char* path);
  // Loads fileName, or the module's own path when it is null. 0, or the system error
  // code (also in lastError). Loads nothing when a handle is already set.
  int load(const char* fileName);
  // Frees the handle, owned or not: non-zero when one was freed, 0 when none was set.
  // A handle that cannot be freed is an internal fault that stops the process.
  int unload();
  // A message box without owner; the caption defaults to the module name. Returns the
  // id of the pressed button. (Windows build only.)
  int msgBox(const char* text, int style, const char* caption);
  // Takes and releases the application's thread lock; nothing without one.
  void threadLock();
  int threadUnlock();
  HINSTANCE handle() const;

  HINSTANCE moduleHandle;
  std::string moduleName;
  vlThreadMutex* threadMutex;  // not owned: it lives until the process ends
  HACCEL accelerators;
  vlPathname pathname;
  vlWin* mainWindow;  // stored by the application's main()
};

extern vlModule* Module;
