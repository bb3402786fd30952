// Libraries over dlopen, module file names from /proc/self/exe and the link map, and a
// per-thread message queue for a process that has no windows.
#include <windows.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include "posixPath.h"

namespace {
// Live dlopen handles and how often each was loaded.
std::mutex modulesLock;
std::map<void*, int>& loads() {
  static std::map<void*, int> handles;
  return handles;
}

HMODULE failLoad(DWORD code) {
  SetLastError(code);
  return nullptr;
}

// The host path for a library's DOS name with Windows' naming rules: a name without an
// extension means name.dll, and a trailing dot means no extension. False for a name
// that ends in a separator or names no reachable place.
bool libraryHostPath(const char* fileName, std::string& host) {
  if (!fileName || !*fileName || !posixHostPath(fileName, host)) return false;
  std::string name = host.substr(host.rfind('/') + 1);
  if (name.empty()) return false;
  if (name.back() == '.')
    host.pop_back();
  else if (name.find('.') == std::string::npos)
    host += ".dll";
  return true;
}

// The library to load for a DOS file name, or null with the last error set. A bare
// name is looked for by the system's library search, then in the current folder.
void* openLibrary(const char* fileName) {
  std::string host;
  if (!libraryHostPath(fileName, host)) return failLoad(ERROR_MOD_NOT_FOUND);
  if (host.find('/') == std::string::npos) {
    if (!std::strchr(fileName, ':'))
      if (void* found = dlopen(host.c_str(), RTLD_NOW)) return found;
    host = "./" + host;  // dlopen takes a name without "/" for a search
  }
  struct stat info;
  if (stat(host.c_str(), &info) != 0) return failLoad(ERROR_MOD_NOT_FOUND);
  if (!S_ISREG(info.st_mode)) return failLoad(ERROR_ACCESS_DENIED);
  void* library = dlopen(host.c_str(), RTLD_NOW);
  return library ? library : failLoad(ERROR_BAD_EXE_FORMAT);
}

// The host path of the executable or of a loaded library; false for an unknown handle.
bool modulePath(HMODULE module, std::string& hostPath) {
  if (!module) {
    char buffer[4096];
    ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || length == static_cast<ssize_t>(sizeof buffer)) return false;
    hostPath.assign(buffer, static_cast<size_t>(length));
    return true;
  }
  {
    std::lock_guard<std::mutex> hold(modulesLock);
    if (!loads().count(module)) return false;
  }
  link_map* map = nullptr;
  if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return false;
  hostPath = map->l_name;
  return true;
}
}  // namespace

HMODULE LoadLibraryA(const char* fileName) {
  void* library = openLibrary(fileName);
  if (!library) return nullptr;
  std::lock_guard<std::mutex> hold(modulesLock);
  ++loads()[library];
  return static_cast<HMODULE>(library);
}

BOOL FreeLibrary(HMODULE module) {
  if (!module) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> hold(modulesLock);
    auto found = loads().find(module);
    if (found == loads().end()) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return FALSE;
    }
    if (--found->second == 0) loads().erase(found);
  }
  dlclose(module);
  return TRUE;
}

DWORD GetModuleFileNameA(HMODULE module, char* buffer, DWORD size) {
  std::string host;
  if (!modulePath(module, host)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  std::string dos = "Z:" + posixDosName(host.c_str());
  for (char& c : dos)
    if (c == '/') c = '\\';  // never a trail byte in code page 932
  if (dos.size() >= size) {
    std::memcpy(buffer, dos.data(), size);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(buffer, dos.c_str(), dos.size() + 1);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(dos.size());
}

namespace {
struct Queue {
  std::deque<MSG> posted;
  bool quitting = false;
  int quitCode = 0;
};
thread_local Queue queue;

BOOL failWindow() {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

bool inRange(UINT message, UINT first, UINT last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

MSG makeMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  auto now = std::chrono::steady_clock::now().time_since_epoch();
  MSG msg = {};
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  return msg;
}

// Takes (or, without remove, copies) the next message in range; false when none waits.
bool nextMessage(MSG* msg, UINT first, UINT last, bool remove) {
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!inRange(it->message, first, last)) continue;
    *msg = *it;
    if (remove) queue.posted.erase(it);
    return true;
  }
  if (!queue.quitting || !inRange(WM_QUIT, first, last)) return false;
  *msg = makeMessage(WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
  if (remove) queue.quitting = false;
  return true;
}
}  // namespace

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window) return failWindow();
  queue.posted.push_back(makeMessage(message, wParam, lParam));
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  queue.quitting = true;
  queue.quitCode = exitCode;
}

BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT removeFlag) {
  if (window) return failWindow();
  return nextMessage(msg, first, last, (removeFlag & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last) {
  if (window) {
    failWindow();
    return -1;
  }
  while (!nextMessage(msg, first, last, true)) std::this_thread::sleep_for(std::chrono::hours(1));
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg->hwnd) failWindow();
  return 0;
}

BOOL IsDialogMessageA(HWND dialog, MSG*) {
  if (dialog) failWindow();
  return FALSE;
}

int TranslateAcceleratorA(HWND, HACCEL, MSG*) { return 0; }
