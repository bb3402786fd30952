// Windows: arguments arrive in the ANSI code page; the log is printed as it is, with
// bare line feeds so that both builds print the same bytes.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <cstdio>
#include <cstring>
#include "cliPlatform.h"

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
