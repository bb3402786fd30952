// Stopping a job between two whole steps: for the reorder, whose every rename leaves each
// entry whole under its own name, Ctrl-C, a hang-up or a termination only ask the job to
// stop; it ends after the current rename, logs where it stopped and exits with 1.
#pragma once

// From now on those signals (on Windows: Ctrl-C, Ctrl-Break, closing the console, logging
// off, shutting down) only ask.
void cliStopBetweenSteps();

// Whether a stop was asked.
bool cliStopAsked();
