// POSIX: arguments are UTF-8 POSIX paths; the log is printed in UTF-8; a volume is an
// image file or a block device read with pread.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/time.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include "cliMessages.h"
#include "cliPlatform.h"
#include "posixCopy.h"
#include "posixRecode.h"

namespace {
class posixVolume : public fatDevice {
 public:
  posixVolume(int handle, uint64_t length) : fd(handle), bytes(length) {}
  ~posixVolume() override { ::close(fd); }
  uint64_t size() const override { return bytes; }
  bool read(uint64_t offset, void* buffer, size_t count) override {
    if (offset > bytes || count > bytes - offset) return false;
    for (size_t done = 0; done < count;) {
      ssize_t got = ::pread(fd, static_cast<char*>(buffer) + done, count - done,
                            static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      done += static_cast<size_t>(got);
    }
    return true;
  }

 private:
  int fd;
  uint64_t bytes;
};

// Log lines for a file or pipe are gathered and written at least every 100 ms, at the
// end and on an interrupt: a copy logs thousands of lines a second, and a write for each
// costs as much as copying a small file. A fixed buffer, so that the signal handlers can
// write it out. To a terminal every line goes out at once. A write that fails (a full
// disk) loses the log, not the job.
//
// A line gathered into an empty buffer arms a one-shot timer, whose signal writes the
// buffer out 100 ms later, also while one long copy keeps the program from logging
// anything. While the program itself is working on the buffer (busy), the signal only
// leaves a note (writeDue), and the program writes when it is done.
bool gathering = false;
char gathered[1 << 16];
volatile sig_atomic_t gatheredBytes = 0, writtenBytes = 0;
volatile sig_atomic_t busy = 0, writeDue = 0, timerArmed = 0;
const int interrupts[] = {SIGINT, SIGTERM, SIGHUP};

size_t room() { return sizeof gathered - static_cast<size_t>(gatheredBytes); }

// Only async-signal-safe calls: the signal handlers use it too. Counting what went out
// keeps a line from being written twice when the interrupt comes in the middle.
void writeGathered() {
  while (writtenBytes < gatheredBytes) {
    ssize_t put = ::write(STDOUT_FILENO, gathered + writtenBytes,
                          static_cast<size_t>(gatheredBytes - writtenBytes));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    writtenBytes = writtenBytes + static_cast<sig_atomic_t>(put);
  }
  gatheredBytes = 0;
  writtenBytes = 0;
}

// The program's own write, the timer's kept out meanwhile.
void writeNow() {
  busy = 1;
  writeGathered();
  writeDue = 0;
  busy = 0;
}

void onTimer(int) {
  int saved = errno;
  timerArmed = 0;
  if (busy)
    writeDue = 1;
  else
    writeGathered();
  errno = saved;
}

void armTimer() {
  if (timerArmed) return;
  timerArmed = 1;
  struct itimerval once {};
  once.it_value.tv_usec = 100000;
  ::setitimer(ITIMER_REAL, &once, nullptr);
}

// Ctrl-C, a hang-up or a termination: the file being copied is removed (a half file on
// the stick would look like a whole one), the log so far is written, and the program
// ends by the signal as it would have. (A file being finished stays: it is a longer
// unfinished copy, which the next run finishes.)
void onInterrupt(int number) {
  posixAbandonCopy();
  writeGathered();
  ::signal(number, SIG_DFL);
  ::raise(number);
}

// A stop asked by a signal, for a job that ends between two whole steps.
volatile sig_atomic_t stopAsked = 0;

void askStop(int) { stopAsked = 1; }

// Each handler holds the other off: the timer's write never runs inside the interrupt's,
// nor the other way round. SA_RESTART: the timer interrupts no system call of the copy.
void handle(int number, void (*handler)(int), int flags) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigemptyset(&action.sa_mask);
  sigaddset(&action.sa_mask, SIGALRM);
  for (int other : interrupts) sigaddset(&action.sa_mask, other);
  sigaction(number, &action, nullptr);
}

// Ctrl-C, a hang-up and a termination go to handler. A signal ignored from the start
// (nohup, a script's background job) stays ignored.
void catchStopSignals(void (*handler)(int)) {
  struct sigaction before;
  for (int number : interrupts)
    if (sigaction(number, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
      handle(number, handler, 0);
}

const char* openFailure(int error) {
  if (error == ENOENT || error == ENOTDIR) return tr("not found");
  if (error == EACCES || error == EPERM)
    return tr("no permission to read it (run as root for a device)");
  if (error == EISDIR) return tr("a folder: give an image file or a device");
  if (error == ENODEV)
    return tr("neither an image file nor a block device (pipes and terminals cannot be read)");
  return tr("cannot be opened");
}
}  // namespace

bool cliDosPath(const char* argument, std::string& dosPath) {
  std::string text;
  if (!posixRecode("UTF-8", "CP932", argument, std::strlen(argument), text, nullptr))
    return false;
  // An absolute path lies on drive Z:, the POSIX root.
  dosPath = (text[0] == '/') ? "Z:" : "";
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (posixIsLead(c) && i + 1 < text.size()) {
      dosPath += text.substr(i++, 2);
    } else {
      dosPath += (c == '/') ? '\\' : text[i];
    }
  }
  return true;
}

void cliStartLog() {
  gathering = !::isatty(STDOUT_FILENO);
  if (gathering) {
    handle(SIGALRM, onTimer, SA_RESTART);
    std::atexit(writeNow);
  }
  catchStopSignals(onInterrupt);
}

void cliStopBetweenSteps() { catchStopSignals(askStop); }

bool cliStopAsked() { return stopAsked != 0; }

void cliPrintLine(const char* line) {
  std::string utf8;
  posixRecode("CP932", "UTF-8", line, std::strlen(line), utf8, "?");
  utf8 += '\n';
  busy = 1;
  if (utf8.size() > room()) writeGathered();  // lines stay whole where they can
  for (size_t done = 0; done < utf8.size();) {
    if (room() == 0) writeGathered();
    size_t piece = std::min(utf8.size() - done, room());
    std::memcpy(gathered + gatheredBytes, utf8.data() + done, piece);
    gatheredBytes = gatheredBytes + static_cast<sig_atomic_t>(piece);
    done += piece;
  }
  if (gathering)
    armTimer();
  else
    writeGathered();
  busy = 0;
  if (writeDue) writeNow();
}

bool cliFlushFolder(const char* folder) { return posixFlushVolume(folder) != FALSE; }

bool cliExact(int, const char*) { return true; }

int cliStatusWidth() {
  if (!::isatty(STDERR_FILENO)) return 0;
  struct winsize size;
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

void cliPrintStatus(const char* text) {
  std::string utf8;
  posixRecode("CP932", "UTF-8", text, std::strlen(text), utf8, "?");
  std::fwrite(utf8.data(), 1, utf8.size(), stderr);
  std::fflush(stderr);
}

std::string cliText(const char* argument) {
  std::string text;
  posixRecode("UTF-8", "CP932", argument, std::strlen(argument), text, "?");
  return text;
}

std::string cliShown(const char* text) {
  std::string utf8;
  posixRecode("CP932", "UTF-8", text, std::strlen(text), utf8, "?");
  return utf8;
}

bool cliJapanese() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    // ja, ja_JP, ja_JP.UTF-8, ja@...: the end of the text is among the ends strchr finds.
    if (value && *value)
      return !std::strncmp(value, "ja", 2) && std::strchr("_.@", value[2]);
  }
  return false;
}

std::unique_ptr<fatDevice> cliOpenVolume(const char* argument, std::string& reason) {
  // Without O_NONBLOCK opening a FIFO would wait for a writer that may never come; it
  // changes nothing for the files and block devices that are read.
  int fd = ::open(argument, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  int error = fd < 0 ? errno : 0;
  struct stat status;
  if (!error && ::fstat(fd, &status) != 0) error = errno;
  if (!error && S_ISDIR(status.st_mode)) error = EISDIR;
  if (!error && !S_ISREG(status.st_mode) && !S_ISBLK(status.st_mode)) error = ENODEV;
  // A block device reports its size only at its end.
  off_t end = error ? -1 : ::lseek(fd, 0, SEEK_END);
  if (!error && end < 0) error = errno;
  if (error) {
    if (fd >= 0) ::close(fd);
    reason = openFailure(error);
    return nullptr;
  }
  return std::make_unique<posixVolume>(fd, static_cast<uint64_t>(end));
}

// The layer's FindFirstFileA sorts as Wine does; this one keeps the file system's order.
HANDLE cliFindInDiskOrder(const char* pattern, WIN32_FIND_DATAA* data) {
  return posixFindFirstInDiskOrder(pattern, data);
}

HANDLE cliFindNames(const char* pattern, WIN32_FIND_DATAA* data) {
  return posixFindNames(pattern, data);
}
