// Synchronisation: critical sections, events and waits.
//   InitializeCriticalSection / EnterCriticalSection / LeaveCriticalSection /
//   DeleteCriticalSection: an in-process lock that its holder may enter again; each
//   entry needs its own leave.
//   CreateEventA / SetEvent / ResetEvent: manual- or auto-reset events. A name makes the
//   event shared inside the process: creating it again returns a new handle to the same
//   event with the last error 183 (the initial state is then ignored).
//   WaitForSingleObject: WAIT_OBJECT_0 when signalled within the time-out, WAIT_TIMEOUT
//   (258) when not, WAIT_FAILED with 6 for a handle that is not waitable. An auto-reset
//   event is reset by the wait that it satisfies.
#pragma once
#include <pthread.h>
#include "posixHandle.h"
#include "posixTypes.h"

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_ABANDONED 0x80u
#define WAIT_FAILED 0xFFFFFFFFu

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

struct CRITICAL_SECTION {
  pthread_mutex_t mutex;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

void InitializeCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);

HANDLE CreateEventA(SECURITY_ATTRIBUTES* attributes, BOOL manualReset, BOOL initialState,
                    const char* name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);

// A handle that WaitForSingleObject can wait on.
struct PosixWaitable : PosixHandle {
  // Waits until the object is signalled, at most milliseconds (INFINITE: no limit);
  // true when it was, taking it where the object is taken by a wait.
  virtual bool wait(DWORD milliseconds) = 0;
};
