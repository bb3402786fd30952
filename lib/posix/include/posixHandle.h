// Kernel handles of the POSIX layer: every HANDLE that CreateFileA, CreateEventA and
// the like return is a PosixHandle registered here, so that CloseHandle and the other
// calls can tell a live handle from a stale or foreign value (ERROR_INVALID_HANDLE).
#pragma once
#include "posixTypes.h"
#include "posixError.h"

struct PosixHandle {
  virtual ~PosixHandle() = default;
  // Releases what the handle holds; false with the last error set on failure.
  virtual bool release() { return true; }
};

// Registers a new handle object and returns it as a HANDLE.
HANDLE posixHandleOpen(PosixHandle* object);
// The live handle object behind h, or null (last error ERROR_INVALID_HANDLE).
PosixHandle* posixHandleGet(HANDLE h);

template <class T>
T* posixHandleAs(HANDLE h) {
  T* object = dynamic_cast<T*>(posixHandleGet(h));
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

BOOL CloseHandle(HANDLE h);
