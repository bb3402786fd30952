// _mbschr for code page 932.
#include <mbstring.h>
#include "posixText.h"

unsigned char* _mbschr(const unsigned char* s, unsigned int c) {
  for (; *s; ++s) {
    if (posixIsLead(*s)) {
      if (!s[1]) return c == 0 ? const_cast<unsigned char*>(s) : nullptr;
      ++s;
      continue;
    }
    if (*s == c) return const_cast<unsigned char*>(s);
  }
  return c == 0 ? const_cast<unsigned char*>(s) : nullptr;
}
