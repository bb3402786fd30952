// POSIX: arguments are UTF-8 POSIX paths; the log is printed in UTF-8.
#include <cstdio>
#include <cstring>
#include "cliPlatform.h"
#include "posixText.h"

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

void cliPrintLine(const char* line) {
  std::string utf8;
  posixRecode("CP932", "UTF-8", line, std::strlen(line), utf8, "?");
  utf8 += '\n';
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fflush(stdout);
}
