// Command-line splitting. Separators are the bytes 0x01 to 0x20. A quoted argument runs
// to its closing quote, "" inside it stands for one quote, and a two-byte character is
// taken whole, so its second byte never ends the argument; the argument ends right
// after the closing quote. In an unquoted argument quotes are dropped.
// Examples: [a  b] -> [a] [b]; ["C:\My Music\x.mp3" next] -> [C:\My Music\x.mp3] [next];
// [ab"cd] -> [abcd]; ["ab"cd] -> [ab] [cd]; ["say ""hi"""] -> [say "hi"].
#include <cstring>
#include "vlApp.h"

namespace {
bool isSeparator(unsigned char c) { return c >= 0x01 && c <= 0x20; }

// A code page 932 lead byte; single-byte katakana (0xA1-0xDF) are whole characters.
bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Copies a quoted argument that starts at s, just after its opening quote; returns the
// position after the argument.
const unsigned char* copyQuoted(const unsigned char* s, char*& out) {
  while (*s) {
    if (*s == '"') {
      if (s[1] != '"') return s + 1;
      *out++ = '"';
      s += 2;
      continue;
    }
    if (isLead(*s)) {
      *out++ = static_cast<char>(*s++);
      if (!*s) break;  // a lead byte at the very end stands alone
    }
    *out++ = static_cast<char>(*s++);
  }
  return s;
}

const unsigned char* copyUnquoted(const unsigned char* s, char*& out) {
  for (; *s > 0x20; ++s)
    if (*s != '"') *out++ = static_cast<char>(*s);
  return s;
}
}  // namespace

int vlApp::xSetupArgs(const char* commandLine) {
  freeArgs();
  const char* modulePath = pathname.path;
  const char* line = commandLine ? commandLine : "";
  size_t pathLength = std::strlen(modulePath);
  size_t lineLength = std::strlen(line);
  dbout("n1= %d [%s]\n", static_cast<int>(pathLength), modulePath);

  // Every argument is built in place. Its text and zero take no more bytes than it
  // consumed of the line (a quote or separator pays for the zero; only the last one
  // may end at the line's end), and every argument but the last consumes two bytes at
  // least, so the blocks below always suffice.
  argText = new char[pathLength + lineLength + 10];
  argPointers = new char*[lineLength / 2 + 3];
  argv = argPointers;
  std::memcpy(argText, modulePath, pathLength + 1);
  argv[0] = argText;
  argc = 1;
  char* out = argText + pathLength + 1;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(line);
  for (;;) {
    while (isSeparator(*s)) ++s;
    if (!*s) break;
    argv[argc++] = out;
    s = (*s == '"') ? copyQuoted(s + 1, out) : copyUnquoted(s, out);
    *out++ = 0;
  }
  return argc;
}

void vlApp::freeArgs() {
  delete[] argPointers;
  delete[] argText;
  argPointers = nullptr;
  argText = nullptr;
  argv = nullptr;
  argc = 0;
}
