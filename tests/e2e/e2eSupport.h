// What the end-to-end tests of sondrix.exe need beyond the dialog driver: a private copy
// of the program (so its SONDRIX.INI is the test's own) run as a user starts it, the
// command-line tool's output for the same job, and a few cross-process helpers.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "dialogDriver.h"
#include "testFs.h"

namespace e2e {

// DOS paths of the programs under test, set by main().
extern std::string programPath;
extern std::string cliPath;

const char* const dialogTitle = "Sondrix ver.1.0 2012/08/19";
const char* const closingLine = "--- 処理は終了しました ---";

// sondrix.exe and help.html copied into <root>\prog, started with <root>\work as its
// current folder (so nothing is found there by accident).
class Program {
 public:
  explicit Program(const TempDir& root);
  std::string folder() const { return programFolder; }
  std::string iniPath() const { return programFolder + "\\SONDRIX.INI"; }
  std::string workFolder() const { return workingFolder; }

  // Starts the program and waits for its dialog; false when none appeared.
  bool start();
  HWND dialog() const { return window; }
  HWND item(int id) const { return dialogDriver::item(window, id); }
  DWORD processId() const { return process ? process->id() : 0; }
  // Posts the run button's click and waits until the log holds `jobsDone` closing lines.
  bool runJob(int jobsDone, int timeoutMs = 30000);
  std::vector<std::string> log() const;
  // Waits for the process to end; true when it ended with 0.
  bool endedCleanly();

 private:
  std::string programFolder;
  std::string workingFolder;
  std::unique_ptr<dialogDriver::Process> process;
  HWND window = nullptr;
};

// The tool's standard output, split at line feeds; `ok` false when it did not run or
// end in time.
std::vector<std::string> runCli(const std::string& arguments, bool* ok);

// A top-level dialog of `processId` other than `except`, polled until it appears.
HWND waitOtherDialog(DWORD processId, HWND except, int timeoutMs = dialogDriver::defaultTimeoutMs);

// Sends a message whose lParam is a text: the text is copied into the window's process
// first, since a pointer of ours means nothing there.
bool sendText(HWND window, UINT message, WPARAM wParam, const std::string& text);

// Every file and folder below `folder`, as "relative\\path (size)", sorted.
std::vector<std::string> listTree(const std::string& folder);

}  // namespace e2e
