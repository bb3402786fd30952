#include "vlThreadMutex.h"

vlThreadMutex::vlThreadMutex() : vlSyncObject(nullptr), initialised(false), section() {
  dbout("vlThreadMutex \n");
}

vlThreadMutex::~vlThreadMutex() {
  dbout("~vlThreadMutex %d\n", lockCount);
  vlThreadMutex::close();
}

int vlThreadMutex::create() {
  if (!initialised) {
    InitializeCriticalSection(&section);
    initialised = true;
  }
  return 0;
}

int vlThreadMutex::open() { return create(); }

void vlThreadMutex::lock() {
  EnterCriticalSection(&section);
  ++lockCount;
}

int vlThreadMutex::unlock() {
  --lockCount;
  LeaveCriticalSection(&section);
  return 0;
}

int vlThreadMutex::close() {
  dbout("vlThreadMutex close %d\n", lockCount);
  if (initialised) DeleteCriticalSection(&section);
  initialised = false;
  return 0;
}

HANDLE vlThreadMutex::operator()() { return &section; }

HANDLE vlThreadMutex::handle() { return &section; }
