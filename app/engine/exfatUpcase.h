// exfatUpcase: an exFAT volume's up-case table, which says how the volume folds names
// to compare them without regard to case. Stored as UTF-16 code units, a run of
// unchanged characters written as 0xFFFF and its length.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class exfatUpcase {
 public:
  // Takes the table's bytes; false when they do not match checksum or a run would
  // go past the last character.
  bool load(const std::vector<unsigned char>& bytes, uint32_t checksum);
  // The character's upper-case form; a character past the table stays as it is.
  char16_t upper(char16_t c) const { return c < table.size() ? table[c] : c; }

  // The rotate-and-add sum that exFAT uses over its boot region and up-case table.
  static uint32_t sum(uint32_t start, const unsigned char* bytes, size_t count);

 private:
  std::vector<char16_t> table;
};
