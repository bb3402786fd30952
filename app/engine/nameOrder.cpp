#include "nameOrder.h"
#include <cstring>

namespace {
// Digits are never the trail byte of a code page 932 character (trail bytes start at
// 0x40), so a digit byte always stands for itself.
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Compares the digit runs at *a and *b by value and moves both past their runs.
int compareDigitRuns(const unsigned char*& a, const unsigned char*& b) {
  while (*a == '0') ++a;
  while (*b == '0') ++b;
  const unsigned char* startA = a;
  const unsigned char* startB = b;
  while (isDigit(*a)) ++a;
  while (isDigit(*b)) ++b;
  if (a - startA != b - startB) return (a - startA < b - startB) ? -1 : 1;
  for (; startA < a; ++startA, ++startB)
    if (*startA != *startB) return *startA < *startB ? -1 : 1;
  return 0;
}
}  // namespace

int nameCompareBytes(const char* a, const char* b) { return std::strcmp(a, b); }

int nameCompareNatural(const char* a, const char* b) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
  while (*p && *q) {
    if (isDigit(*p) && isDigit(*q)) {
      if (int order = compareDigitRuns(p, q)) return order;
      continue;
    }
    if (*p != *q) return *p < *q ? -1 : 1;
    ++p;
    ++q;
  }
  if (*p || *q) return *p ? 1 : -1;
  return nameCompareBytes(a, b);
}

int nameCompare(const char* a, const char* b, bool natural) {
  return natural ? nameCompareNatural(a, b) : nameCompareBytes(a, b);
}
