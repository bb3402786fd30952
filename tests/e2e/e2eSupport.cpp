// Helpers of the end-to-end tests: the program's private copy, the command-line tool's
// output, and messages that carry text into another process.
#include "e2eSupport.h"
#include <algorithm>
#include <stdexcept>

namespace e2e {

std::string programPath;
std::string cliPath;

namespace {
std::string folderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

void copyInto(const std::string& file, const std::string& folder) {
  std::string target = folder + file.substr(file.rfind('\\'));
  if (!CopyFileA(file.c_str(), target.c_str(), FALSE))
    throw std::runtime_error("cannot copy " + file);
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// Reads what is in the pipe now; false at its end.
bool drain(HANDLE pipe, std::string& out) {
  DWORD waiting = 0;
  if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr)) return false;
  char buffer[4096];
  DWORD got = 0;
  while (waiting > 0 && ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    out.append(buffer, got);
    waiting = waiting > got ? waiting - got : 0;
  }
  return true;
}

void addTree(const std::string& root, const std::string& relative,
             std::vector<std::string>& entries) {
  WIN32_FIND_DATAA found;
  std::string folder = relative.empty() ? root : root + "\\" + relative;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = relative.empty() ? name : relative + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      entries.push_back(path + "\\");
      addTree(root, path, entries);
    } else {
      entries.push_back(path + " (" + std::to_string(found.nFileSizeLow) + ")");
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
}  // namespace

Program::Program(const TempDir& root)
    : programFolder(root / "prog"), workingFolder(root / "work") {
  makeDir(programFolder);
  makeDir(workingFolder);
  copyInto(programPath, programFolder);
  copyInto(folderOf(programPath) + "\\help.html", programFolder);
}

bool Program::start() {
  process = std::make_unique<dialogDriver::Process>(programFolder + "\\sondrix.exe", "",
                                                    workingFolder.c_str());
  if (!process->started()) return false;
  window = dialogDriver::waitWindow("#32770", dialogTitle, process->id());
  return window != nullptr;
}

bool Program::runJob(int jobsDone, int timeoutMs) {
  dialogDriver::click(item(120));
  return dialogDriver::waitFor(
      [&] {
        std::vector<std::string> lines = log();
        return std::count(lines.begin(), lines.end(), closingLine) >= jobsDone;
      },
      timeoutMs);
}

std::vector<std::string> Program::log() const { return dialogDriver::listLines(item(260)); }

bool Program::endedCleanly() {
  DWORD code = 1;
  return process && process->wait(&code) && code == 0;
}

std::vector<std::string> runCli(const std::string& arguments, bool* ok) {
  *ok = false;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string commandLine = "\"" + cliPath + "\" " + arguments;
  PROCESS_INFORMATION info = {};
  bool started = CreateProcessA(cliPath.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                nullptr, nullptr, &startup, &info);
  CloseHandle(writeEnd);
  std::string output;
  if (started) {
    DWORD deadline = GetTickCount() + 30000;
    bool ended = false;
    while (!ended && GetTickCount() < deadline) {
      ended = WaitForSingleObject(info.hProcess, 20) == WAIT_OBJECT_0;
      drain(readEnd, output);
    }
    if (!ended) TerminateProcess(info.hProcess, 1);
    *ok = ended;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  CloseHandle(readEnd);
  return splitLines(output);
}

HWND waitOtherDialog(DWORD processId, HWND except, int timeoutMs) {
  struct Search {
    DWORD processId;
    HWND except;
    HWND found;
  } search = {processId, except, nullptr};
  dialogDriver::waitFor(
      [&] {
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
              auto* s = reinterpret_cast<Search*>(data);
              char className[32] = "";
              DWORD owner = 0;
              GetWindowThreadProcessId(window, &owner);
              GetClassNameA(window, className, sizeof className);
              if (owner != s->processId || window == s->except || !IsWindowVisible(window) ||
                  std::string(className) != "#32770")
                return TRUE;
              s->found = window;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

bool sendText(HWND window, UINT message, WPARAM wParam, const std::string& text) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return false;
  void* remote = VirtualAllocEx(process, nullptr, text.size() + 1, MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  bool sent = remote && WriteProcessMemory(process, remote, text.c_str(), text.size() + 1,
                                           nullptr) &&
              dialogDriver::send(window, message, wParam, reinterpret_cast<LPARAM>(remote));
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return sent;
}

std::vector<std::string> listTree(const std::string& folder) {
  std::vector<std::string> entries;
  addTree(folder, "", entries);
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace e2e
