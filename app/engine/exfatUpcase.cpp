#include "exfatUpcase.h"

uint32_t exfatUpcase::sum(uint32_t start, const unsigned char* bytes, size_t count) {
  uint32_t total = start;
  for (size_t i = 0; i < count; ++i) total = ((total & 1) ? 0x80000000u : 0) + (total >> 1) + bytes[i];
  return total;
}

bool exfatUpcase::load(const std::vector<unsigned char>& bytes, uint32_t checksum) {
  table.clear();
  if (bytes.size() % 2 || sum(0, bytes.data(), bytes.size()) != checksum) return false;
  const size_t characters = 0x10000;
  for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
    char16_t unit = static_cast<char16_t>(bytes[at] | (bytes[at + 1] << 8));
    if (unit == 0xFFFF && at + 3 < bytes.size()) {
      size_t run = bytes[at + 2] | (bytes[at + 3] << 8);
      if (table.size() + run > characters) return false;
      while (run--) table.push_back(static_cast<char16_t>(table.size()));
      at += 2;
    } else {
      if (table.size() == characters) return false;
      table.push_back(unit);
    }
  }
  return true;
}
