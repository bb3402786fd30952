// vlJString: a string of 16-bit character codes for code page 932 text, one code per
// character, so that indexes, lengths and edits count characters and a two-byte
// character is never split.
//
// Pairing rule: a byte of 0x80 or above followed by a non-zero byte forms one character
// (first byte * 256 + second byte), half-width katakana included; such a byte right
// before the terminating zero stands alone. Back to bytes a code with a non-zero high
// byte gives two bytes, any other code one. Byte text thus survives the round trip:
// "\x82\xA0" "A" -> 0x82A0, 0x0041 -> "\x82\xA0" "A".
//
// Up to 64 characters live inside the object; a longer string moves to the heap, which
// grows by at least 64 characters at a time and never shrinks except by clearHeap().
// Positions and counts are in characters. Edits with a position or count out of range
// do nothing. A string is at most MaxChars characters long; an edit that would pass
// that, or for which no memory is left, does nothing either.
#pragma once
#include "vlObject.h"

typedef unsigned short jchar;

// ASCII letters only: a-z to A-Z (jupper) and back (jlower); every other code unchanged.
jchar jupper(jchar code);
jchar jlower(jchar code);

class vlJString : public vlObject {
 public:
  vlJString();
  ~vlJString() override;
  vlJString(const vlJString&) = delete;
  vlJString& operator=(const vlJString&) = delete;

  static constexpr int LocalChars = 64;
  static constexpr int MaxChars = 0x3FFFFFFF;  // so that the byte length fits an int

  // Conversions of zero-terminated byte text; a null text counts as empty.
  static int length(const unsigned char* text);
  // Writes the codes of text (no terminator) and returns their number.
  static int byte2jchar(const unsigned char* text, jchar* codes);
  // Writes the bytes of count codes and a zero; returns the bytes without the zero.
  static int jchar2byte(const jchar* codes, int count, unsigned char* text);
  static int byteLength(const jchar* codes, int count);

  // Back to the inside buffer, empty.
  void clearHeap();
  // Room for needed characters; false (nothing changed) beyond MaxChars or without memory.
  bool checkAlloc(int needed);

  // Editing. The string forms take count characters from the source's index on, a
  // negative count meaning all of them; a count beyond the source's end is cut there.
  void storeString(const unsigned char* text);
  void append(const unsigned char* text);
  void append(jchar code, int count);
  void append(const jchar* codes, int count);
  void append(vlJString* other);
  void insert(int position, const unsigned char* text);
  void insert(int position, jchar code, int count);
  void insert(int position, const jchar* codes, int count);
  void insert(int position, vlJString* other, int index, int count);
  // Overwrites from position on; past the end the string grows.
  void replace(int position, const unsigned char* text);
  void replace(int position, jchar code, int count);
  void replace(int position, const jchar* codes, int count);
  void replace(int position, vlJString* other, int index, int count);
  // -1 for a negative position or count, else 0; a count past the end cuts the tail.
  int erase(int position, int count);
  // A new string on the heap, owned by the caller; null for a negative index.
  vlJString* subString(int index, int count);
  void toUpper();
  void toLower();

  // Reading out: the byte length without terminator; toByte writes the text and its
  // zero when text is not null and returns the byte length either way.
  int byteLength();
  int toByte(unsigned char* text);

  // Searching and comparing; fold compares ASCII letters without regard to case.
  // Index of code among count characters from index on (all for a negative count), or -1.
  int find(jchar code, int index, int count, bool fold);
  // Index of the first occurrence, within count characters from index, of the
  // otherCount characters of other from otherIndex on; -1 when there is none.
  int find(int index, int count, vlJString* other, int otherIndex, int otherCount, bool fold);
  // The first differing pair's code difference, else the difference of the requested
  // lengths (negative lengths meaning to the end); index - otherIndex when one is negative.
  int comp(int index, int count, vlJString* other, int otherIndex, int otherCount, bool fold);
  int comp(int index, int count, const unsigned char* text, int textIndex, int textCount,
           bool fold);

  int charCount;
  int capacity;
  jchar* data;
  jchar localBuffer[LocalChars];
  jchar* heapBuffer;

 private:
  bool openGap(int position, int count);
  bool cover(int position, int count);
  bool inBuffer(const jchar* codes);
  bool sourceRange(vlJString* other, int index, int& count);
  bool matchesAt(int at, const jchar* pattern, int count, bool fold);
};
