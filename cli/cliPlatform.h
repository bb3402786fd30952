// What the command-line tool does differently per platform: how an argument becomes
// a DOS path in code page 932, how a log line reaches standard output and the progress
// line the terminal, and how a volume is opened for reading.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "fatDevice.h"

// The DOS form of a path argument; false when it cannot be represented.
bool cliDosPath(const char* argument, std::string& dosPath);

// Prepares standard output for a job's log. On POSIX, lines for a file or pipe are
// gathered and written in batches, and an interrupt (Ctrl-C, a hang-up, a termination)
// writes them out and removes a file left half-copied before the program ends.
void cliStartLog();

// Prints one log line (code page 932) and a line feed: at once to a terminal, and on
// POSIX otherwise within 100 ms, also while a long copy runs, at the latest when the
// program ends.
void cliPrintLine(const char* line);

// Makes what a job wrote under folder (a DOS path) durable before the job says it is
// done: on Linux the folder's file system is written out to its device. On Windows the
// system's removal policy decides (README), and nothing is done here. False, with the
// last error set, when the flush failed.
bool cliFlushFolder(const char* folder);

// Whether argv[index] holds the argument exactly: Windows puts '?' or a look-alike in
// place of what the ANSI code page lacks. (Off Windows, cliDosPath refuses such paths.)
bool cliExact(int index, const char* argument);

// The columns of the terminal on standard error; 0 when it is not a terminal.
int cliStatusWidth();

// Writes text (code page 932) to standard error as it is, without a line feed.
void cliPrintStatus(const char* text);

// The argument as code page 932 text for the log, '?' for what it cannot hold.
std::string cliText(const char* argument);

// Text (code page 932) as the terminal shows it, so that an argument can be put into it
// unchanged: UTF-8 on POSIX, the same bytes on Windows.
std::string cliShown(const char* text);

// Whether the user reads Japanese: on POSIX the first of LC_ALL, LC_MESSAGES and LANG that
// is set and not empty names language ja (an installed locale is not needed); on Windows
// the user interface language is Japanese.
bool cliJapanese();

// Opens a volume read-only: an image file, a block device on Linux, a volume path such
// as \\.\E: on Windows. Null when it cannot be opened; reason (code page 932) says why.
std::unique_ptr<fatDevice> cliOpenVolume(const char* argument, std::string& reason);

// Starts a search that lists a folder in the order its file system holds the entries (on
// FAT and exFAT, their order on disk); FindNextFileA and FindClose go on from there.
HANDLE cliFindInDiskOrder(const char* pattern, WIN32_FIND_DATAA* data);

// Starts a search for the copy's listing of music files, which reads only the names and
// the directory bit: on POSIX without reading each entry the folder describes (the
// layer's posixFindNames), on Windows the basic search.
HANDLE cliFindNames(const char* pattern, WIN32_FIND_DATAA* data);

// Stopping between two whole steps: for the reorder, whose every rename leaves each entry
// whole under its own name, Ctrl-C, a hang-up or a termination only ask the job to stop;
// it ends after the current rename, logs where it stopped and exits with 1. From this call
// on those signals (on Windows: Ctrl-C, Ctrl-Break, closing the console, logging off,
// shutting down) only ask.
void cliStopBetweenSteps();

// Whether a stop was asked.
bool cliStopAsked();
