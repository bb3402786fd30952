// Windows: arguments arrive in the ANSI code page; the log is printed as it is, with
// bare line feeds so that both builds print the same bytes. A volume is an image file
// or a volume path (\\.\E:), read in aligned blocks as volume handles require.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#include <winioctl.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include "cliMessages.h"
#include "cliPlatform.h"

namespace {
class windowsVolume : public fatDevice {
 public:
  windowsVolume(HANDLE handle, uint64_t bytes) : handle(handle), bytes(bytes) {}
  ~windowsVolume() override { CloseHandle(handle); }
  uint64_t size() const override { return bytes; }
  bool read(uint64_t offset, void* buffer, size_t count) override {
    if (offset > bytes || count > bytes - offset) return false;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    while (count) {
      uint64_t start = offset - offset % blockBytes;
      if (!loadBlock(start)) return false;
      size_t part = static_cast<size_t>(std::min<uint64_t>(count, start + blockBytes - offset));
      std::memcpy(out, block + (offset - start), part);
      out += part;
      offset += part;
      count -= part;
    }
    return true;
  }

 private:
  // Reads and offsets on a volume handle must be whole sectors; 4096 covers both
  // 512-byte and 4096-byte sectors.
  static const uint64_t blockBytes = 4096;

  bool loadBlock(uint64_t start) {
    if (loaded && blockStart == start) return true;
    loaded = false;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(start);
    DWORD want = static_cast<DWORD>(std::min<uint64_t>(blockBytes, bytes - start));
    DWORD got = 0;
    if (!SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) ||
        !ReadFile(handle, block, want, &got, nullptr) || got != want)
      return false;
    loaded = true;
    blockStart = start;
    return true;
  }

  HANDLE handle;
  uint64_t bytes;
  unsigned char block[blockBytes];
  uint64_t blockStart = 0;
  bool loaded = false;
};

bool isVolumePath(const char* argument) { return std::strncmp(argument, "\\\\.\\", 4) == 0; }

bool volumeSize(HANDLE handle, bool volume, uint64_t& bytes) {
  if (volume) {
    GET_LENGTH_INFORMATION length;
    DWORD got = 0;
    if (!DeviceIoControl(handle, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length,
                         &got, nullptr))
      return false;
    bytes = static_cast<uint64_t>(length.Length.QuadPart);
    return true;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle, &size)) return false;
  bytes = static_cast<uint64_t>(size.QuadPart);
  return true;
}

std::string openFailure(DWORD error, bool volume) {
  if (error == ERROR_ACCESS_DENIED && volume)
    return tr("access denied: run as administrator to read a volume directly");
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return tr("not found");
  if (error == ERROR_ACCESS_DENIED) return tr("access denied");
  char text[200];
  std::snprintf(text, sizeof text, tr("cannot be opened (error %lu)"),
                static_cast<unsigned long>(error));
  return text;
}
}  // namespace

bool cliDosPath(const char* argument, std::string& dosPath) {
  dosPath.clear();
  for (const char* p = argument; *p; ++p) {
    if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) {
      dosPath += *p++;
      dosPath += *p;
    } else {
      dosPath += (*p == '/') ? '\\' : *p;
    }
  }
  return true;
}

void cliPrintLine(const char* line) {
  static bool binary = (_setmode(_fileno(stdout), _O_BINARY), true);
  (void)binary;
  std::fwrite(line, 1, std::strlen(line), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// Lines are written and flushed one by one here, and the system's CopyFileA copies.
void cliStartLog() {}

// A removable drive under the default removal policy caches no writes, so the data is on
// its way to the device when a write returns; flushing a whole volume would need an
// administrator's handle on it.
bool cliFlushFolder(const char*) { return true; }

bool cliExact(int index, const char* argument) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return false;
  bool exact = false;
  if (index < count) {
    BOOL lost = FALSE;
    int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[index], -1, nullptr, 0,
                                    nullptr, &lost);
    std::string text(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    if (bytes > 0 && !lost)
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[index], -1, &text[0], bytes,
                          nullptr, &lost);
    exact = bytes > 0 && !lost && std::strcmp(text.c_str(), argument) == 0;
  }
  LocalFree(wide);
  return exact;
}

int cliStatusWidth() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

void cliPrintStatus(const char* text) {
  std::fputs(text, stderr);
  std::fflush(stderr);
}

std::string cliText(const char* argument) { return argument; }

std::string cliShown(const char* text) { return text; }

bool cliJapanese() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

std::unique_ptr<fatDevice> cliOpenVolume(const char* argument, std::string& reason) {
  bool volume = isVolumePath(argument);
  // Others may keep the volume open for writing; this tool only reads.
  HANDLE handle = CreateFileA(argument, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  uint64_t bytes = 0;
  if (handle == INVALID_HANDLE_VALUE || !volumeSize(handle, volume, bytes)) {
    reason = openFailure(GetLastError(), volume);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return nullptr;
  }
  return std::make_unique<windowsVolume>(handle, bytes);
}

// Windows lists a folder in its file system's order.
HANDLE cliFindInDiskOrder(const char* pattern, WIN32_FIND_DATAA* data) {
  return FindFirstFileA(pattern, data);
}

// The record comes from the folder's own listing here: the basic search only skips the
// short names.
HANDLE cliFindNames(const char* pattern, WIN32_FIND_DATAA* data) {
  return FindFirstFileExA(pattern, FindExInfoBasic, data, FindExSearchNameMatch, nullptr, 0);
}

namespace {
// A stop asked by Ctrl-C or the console's end, for a job that ends between two whole steps.
volatile LONG stopAsked = 0;

// Runs on a thread of its own. Windows ends the process once this returns for a closing
// console, a log-off or a shutdown: waiting here gives the job the time to finish its
// rename and exit first (the system allows a few seconds).
BOOL WINAPI askStop(DWORD event) {
  InterlockedExchange(&stopAsked, 1);
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) Sleep(4000);
  return TRUE;
}
}  // namespace

void cliStopBetweenSteps() { SetConsoleCtrlHandler(askStop, TRUE); }

bool cliStopAsked() { return InterlockedCompareExchange(&stopAsked, 0, 0) != 0; }
