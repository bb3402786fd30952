#include "vlModule.h"
#include <cstdio>
#include <cstdlib>
#include "vlThreadMutex.h"

vlModule* Module = nullptr;

vlModule::vlModule()
    : vlObject("vlModule"),
      moduleHandle(nullptr),
      threadMutex(nullptr),
      accelerators(nullptr),
      pathname(nullptr),
      mainWindow(nullptr) {}

vlModule::vlModule(const char* path) : vlModule() { storePathname0(path); }

vlModule::~vlModule() {
  if (owned) unload();
}

void vlModule::appendDialog(vlDialogModeless*) {}

void vlModule::removeDialog(vlDialogModeless*) {}

LRESULT vlModule::MsgTransaction(MSG&) { return 0; }

int vlModule::storePathname0(const char* path) {
  pathname.storeName(path);
  moduleName = pathname.baseName;
  return 0;
}

int vlModule::storePathname(const char* path) {
  unload();
  return storePathname0(path);
}

int vlModule::load(const char* fileName) {
  lastError = 0;
  if (moduleHandle) return 0;
  HMODULE library = LoadLibraryA(fileName ? fileName : pathname.path);
  if (library) {
    moduleHandle = library;
    owned = true;
  } else {
    lastError = static_cast<int>(GetLastError());
  }
  return lastError;
}

int vlModule::unload() {
  if (!moduleHandle) return 0;
  BOOL freed = FreeLibrary(moduleHandle);
  if (!freed) {
    // Only a corrupted handle cannot be freed: going on would use a broken module.
    std::fprintf(stderr, "Assertion failed: FreeLibrary(handle()), file %s, line %d\n", __FILE__,
                 __LINE__);
    std::abort();
  }
  moduleHandle = nullptr;
  owned = false;
  return freed;
}

void vlModule::threadLock() {
  if (threadMutex) threadMutex->lock();
}

int vlModule::threadUnlock() { return threadMutex ? threadMutex->unlock() : 0; }

HINSTANCE vlModule::handle() const { return moduleHandle; }
