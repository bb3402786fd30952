#include "vlSyncObject.h"
#include <cstdint>
#include "vlUtl1.h"

namespace {
// An address for the %x of a trace line (its low 32 bits: %x takes an unsigned int).
unsigned traceAddress(const void* address) {
  return static_cast<unsigned>(reinterpret_cast<uintptr_t>(address));
}
}  // namespace

vlSyncObject::vlSyncObject(const char* name)
    : vlObject("vlSync"),
      syncName(),
      syncHandle(nullptr),
      namePointer(nullptr),
      ownsSecurity(false),
      securityAttributes(nullptr),
      lockCount(0) {
  dbout("vlSyncObject %x\n", traceAddress(name));
  vlSyncObject::name(name);
}

vlSyncObject::~vlSyncObject() {
  if (lockCount != 0)
    dbout("<<unmach lockCount %d %x (%s)>>\n", lockCount, traceAddress(this), objectName);
  if (ownsSecurity) delete securityAttributes;
  vlSyncObject::close();
}

const char* vlSyncObject::name() { return namePointer; }

const char* vlSyncObject::name(const char* newName) {
  if (!newName) {
    namePointer = nullptr;
    return namePointer;
  }
  vlStrncpy(reinterpret_cast<unsigned char*>(syncName),
            reinterpret_cast<const unsigned char*>(newName), sizeof syncName);
  namePointer = syncName;
  return namePointer;
}

int vlSyncObject::lock(int timeout) {
  lastError = 0;
  DWORD result = WaitForSingleObject(syncHandle, static_cast<DWORD>(timeout));
  if (result == WAIT_FAILED) return viewError(static_cast<int>(GetLastError()), "wait", 5);
  if (result == WAIT_TIMEOUT) return viewError(WAIT_TIMEOUT, "wait", 5);
  if (result == WAIT_OBJECT_0) ++lockCount;
  return lastError;  // also for an abandoned mutex, which is not counted
}

int vlSyncObject::unlock() { return -1; }

int vlSyncObject::open() { return -1; }

int vlSyncObject::create() { return -1; }

int vlSyncObject::close() {
  lastError = 0;
  if (syncHandle) {
    if (!CloseHandle(syncHandle)) viewError(static_cast<int>(GetLastError()), "close", 5);
    syncHandle = nullptr;
  }
  return lastError;
}

HANDLE vlSyncObject::operator()() { return syncHandle; }

HANDLE vlSyncObject::handle() { return syncHandle; }

void vlSyncObject::handle(void* value) { syncHandle = value; }

void vlSyncObject::security(SECURITY_ATTRIBUTES* attributes, bool own) {
  if (ownsSecurity) delete securityAttributes;
  securityAttributes = attributes;
  ownsSecurity = own;
}
