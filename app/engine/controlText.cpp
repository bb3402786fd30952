#include "controlText.h"

bool maskControls(char* text, size_t length) {
  bool masked = false;
  for (size_t i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x20) continue;
    text[i] = '?';
    masked = true;
  }
  return masked;
}
