#include "vlUtl1.h"
#include <mbstring.h>
#include <cstring>

int vlStrncpy(unsigned char* destination, const unsigned char* source, int size) {
  if (!destination || !source || size <= 0) return -1;
  int copied = 0;
  for (const unsigned char* p = source; *p;) {
    int width = (*p >= 0x80 && p[1]) ? 2 : 1;
    // A character that does not fit is skipped; a later, shorter one may still fit.
    if (copied + width < size) {
      std::memcpy(destination + copied, p, width);
      copied += width;
    }
    p += width;
  }
  destination[copied] = 0;
  return copied;
}

char* vlMbschr(const unsigned char* text, int c) {
  return reinterpret_cast<char*>(_mbschr(text, static_cast<unsigned int>(c)));
}

void vlBlankCut(void* text) {
  unsigned char* s = static_cast<unsigned char*>(text);
  size_t len = std::strlen(reinterpret_cast<char*>(s));
  if (len == 0) return;
  while (len > 0 && s[len - 1] <= 0x20) s[--len] = 0;
  size_t lead = 0;
  while (lead < len && s[lead] <= 0x20) ++lead;
  if (lead > 0) std::memmove(s, s + lead, len - lead + 1);
}

namespace {
// The last "\\" of the text that is not a trail byte, or null.
char* lastSeparator(char* text) {
  char* last = nullptr;
  for (char* p = text; (p = vlMbschr(reinterpret_cast<unsigned char*>(p), '\\')); ++p)
    last = p;
  return last;
}

// Removes a final "\\" standing at byte offset minOffset or later.
void removeTrailing(char* text, long minOffset) {
  char* last = lastSeparator(text);
  if (last && last[1] == 0 && last - text >= minOffset) *last = 0;
}
}  // namespace

void vlAdjustDir(char* path, char mode) {
  if (mode == '+') {
    char* last = lastSeparator(path);
    if (!last || last[1] != 0) std::strcat(path, "\\");
  } else if (mode == '-') {
    removeTrailing(path, 0);
  } else {
    // The separator search runs over the whole text, so a trail byte 0x5C at the fourth
    // byte is never mistaken for a separator; a drive root keeps its "\\".
    if (std::strlen(path) == 2) std::strcat(path, "\\");
    removeTrailing(path, 3);
  }
}
