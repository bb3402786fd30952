// What the command-line tool does differently per platform: how an argument becomes
// a DOS path in code page 932, and how a log line reaches standard output.
#pragma once
#include <string>

// The DOS form of a path argument; false when it cannot be represented.
bool cliDosPath(const char* argument, std::string& dosPath);

// Prints one log line (code page 932) and a line feed, and flushes.
void cliPrintLine(const char* line);
