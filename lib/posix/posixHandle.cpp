// Registry of live handles and CloseHandle.
#include <windows.h>
#include <mutex>
#include <set>

namespace {
std::mutex registryLock;
std::set<PosixHandle*>& registry() {
  static std::set<PosixHandle*> handles;
  return handles;
}
}  // namespace

HANDLE posixHandleOpen(PosixHandle* object) {
  std::lock_guard<std::mutex> hold(registryLock);
  registry().insert(object);
  return object;
}

PosixHandle* posixHandleGet(HANDLE h) {
  std::lock_guard<std::mutex> hold(registryLock);
  auto found = registry().find(static_cast<PosixHandle*>(h));
  if (found == registry().end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return *found;
}

BOOL CloseHandle(HANDLE h) {
  PosixHandle* object;
  {
    std::lock_guard<std::mutex> hold(registryLock);
    auto found = registry().find(static_cast<PosixHandle*>(h));
    if (found == registry().end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    object = *found;
    registry().erase(found);
  }
  bool ok = object->release();
  delete object;
  return ok ? TRUE : FALSE;
}
