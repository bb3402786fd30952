#include "cliStop.h"
#include <windows.h>

namespace {
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
