// Critical sections over recursive pthread mutexes; events and waits over a mutex and a
// condition variable shared by every handle of one event.
#include <windows.h>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>

void InitializeCriticalSection(CRITICAL_SECTION* section) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&section->mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

void EnterCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_lock(&section->mutex); }

void LeaveCriticalSection(CRITICAL_SECTION* section) { pthread_mutex_unlock(&section->mutex); }

void DeleteCriticalSection(CRITICAL_SECTION* section) {
  // Win32 lets the holder delete a section it still holds; a pthread mutex must be free
  // before it is destroyed. Unlocking fails once the caller holds it no more.
  while (pthread_mutex_unlock(&section->mutex) == 0) {
  }
  pthread_mutex_destroy(&section->mutex);
}

namespace {
struct EventState {
  std::mutex lock;
  std::condition_variable changed;
  bool signalled;
  bool manualReset;
};

struct EventHandle : PosixWaitable {
  explicit EventHandle(std::shared_ptr<EventState> s) : state(std::move(s)) {}

  bool wait(DWORD milliseconds) override {
    std::unique_lock<std::mutex> hold(state->lock);
    auto isSignalled = [this] { return state->signalled; };
    if (milliseconds == INFINITE)
      state->changed.wait(hold, isSignalled);
    else if (!state->changed.wait_for(hold, std::chrono::milliseconds(milliseconds), isSignalled))
      return false;
    if (!state->manualReset) state->signalled = false;
    return true;
  }

  std::shared_ptr<EventState> state;
};

// Named events of the process; an entry lives as long as some handle to it.
std::mutex namesLock;
std::map<std::string, std::weak_ptr<EventState>>& namedEvents() {
  static std::map<std::string, std::weak_ptr<EventState>> events;
  return events;
}

std::shared_ptr<EventState> newEvent(BOOL manualReset, BOOL initialState) {
  auto state = std::make_shared<EventState>();
  state->signalled = initialState != FALSE;
  state->manualReset = manualReset != FALSE;
  return state;
}

bool setSignalled(HANDLE event, bool signalled) {
  EventHandle* handle = posixHandleAs<EventHandle>(event);
  if (!handle) return false;
  std::lock_guard<std::mutex> hold(handle->state->lock);
  handle->state->signalled = signalled;
  if (signalled) handle->state->changed.notify_all();
  return true;
}
}  // namespace

HANDLE CreateEventA(SECURITY_ATTRIBUTES*, BOOL manualReset, BOOL initialState, const char* name) {
  std::shared_ptr<EventState> state;
  DWORD result = ERROR_SUCCESS;
  if (name && *name) {
    std::lock_guard<std::mutex> hold(namesLock);
    std::weak_ptr<EventState>& entry = namedEvents()[name];
    state = entry.lock();
    if (state) {
      result = ERROR_ALREADY_EXISTS;
    } else {
      state = newEvent(manualReset, initialState);
      entry = state;
    }
  } else {
    state = newEvent(manualReset, initialState);
  }
  SetLastError(result);
  return posixHandleOpen(new EventHandle(state));
}

BOOL SetEvent(HANDLE event) { return setSignalled(event, true) ? TRUE : FALSE; }

BOOL ResetEvent(HANDLE event) { return setSignalled(event, false) ? TRUE : FALSE; }

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  PosixWaitable* waitable = posixHandleAs<PosixWaitable>(object);
  if (!waitable) return WAIT_FAILED;
  return waitable->wait(milliseconds) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}
