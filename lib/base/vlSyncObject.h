// vlSyncObject: base of the synchronisation objects. It holds a kernel object handle and
// an optional kernel object name, waits on the handle with a time-out while counting the
// holds taken, keeps optional security attributes, and closes the handle when it dies.
#pragma once
#include <windows.h>
#include "vlObject.h"

class vlSyncObject : public vlObject {
 public:
  explicit vlSyncObject(const char* name);
  ~vlSyncObject() override;

  // The kernel object's name, or null when it has none (the object name stays "vlSync").
  const char* name() override;
  // Copies at most 299 bytes, never splitting a two-byte character; null makes the
  // object nameless. Returns name().
  const char* name(const char* newName) override;

  // Waits at most timeout milliseconds (-1: no limit) on the handle. 0 when obtained,
  // counting the hold; otherwise the code (258 for a time-out), also in lastError.
  int lock(int timeout);
  // The base class has no kernel object of its own: these give -1.
  virtual int unlock();
  virtual int open();
  virtual int create();
  // Closes the handle, if any; the handle is forgotten even when closing fails.
  virtual int close();
  virtual HANDLE operator()();
  virtual HANDLE handle();
  virtual void handle(void* value);
  // Stores attributes for derived classes; deletes the previous ones when they were
  // owned. With own true the object deletes attributes when replaced or destroyed.
  void security(SECURITY_ATTRIBUTES* attributes, bool own);

  char syncName[300];
  HANDLE syncHandle;
  const char* namePointer;
  bool ownsSecurity;
  SECURITY_ATTRIBUTES* securityAttributes;
  int lockCount;
};
