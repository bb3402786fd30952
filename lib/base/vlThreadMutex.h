// vlThreadMutex: an in-process mutex on a critical section, without a kernel handle. It
// may be entered again by the thread that holds it; each entry needs its own unlock().
// Unusable until create() (or open()); locking before that or after close() is a
// caller error that is not checked.
#pragma once
#include "vlSyncObject.h"

class vlThreadMutex : public vlSyncObject {
 public:
  vlThreadMutex();
  ~vlThreadMutex() override;

  // Sets the critical section up once; 0.
  int create() override;
  int open() override;
  // Enters the section, then counts the hold. The timed lock(int) of the base does not
  // apply: a thread mutex has no handle to wait on.
  void lock();
  // Uncounts the hold, then leaves the section; 0.
  int unlock() override;
  // Releases the section if it was set up; create() may set it up again.
  int close() override;
  // The address of the section stands for the handle.
  HANDLE operator()() override;
  HANDLE handle() override;
  using vlSyncObject::handle;

  bool initialised;
  CRITICAL_SECTION section;
};
