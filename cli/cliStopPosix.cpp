#include "cliStop.h"
#include <signal.h>
#include <initializer_list>

namespace {
volatile sig_atomic_t stopAsked = 0;

void askStop(int) { stopAsked = 1; }
}  // namespace

void cliStopBetweenSteps() {
  struct sigaction action {}, before;
  action.sa_handler = askStop;
  sigemptyset(&action.sa_mask);
  // A signal ignored from the start (nohup, a script's background job) stays ignored.
  for (int number : {SIGINT, SIGTERM, SIGHUP})
    if (sigaction(number, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
      sigaction(number, &action, nullptr);
}

bool cliStopAsked() { return stopAsked != 0; }
