// Japanese code conversion: JIS (ISO-2022-JP), EUC-JP, Shift_JIS (code page 932),
// UTF-16 and UTF-8. The JIS/EUC-JP/Shift_JIS converter works on JIS X 0208 codes with
// its own arithmetic; the UTF conversions go through the platform's code pages.
#pragma once
#include <string>

// Encoding codes of vlKanjiConvert.
enum {
  vlKanjiJIS = 1,
  vlKanjiEUC = 2,
  vlKanjiSJIS = 3,
  vlKanjiUTF16 = 4,  // only as the target of a conversion from Shift_JIS
};

// Converts the zero-terminated source from one encoding code to another into
// destination, which the caller makes large enough (each switch into two-byte mode
// adds three bytes, a half-width katakana becomes two bytes in JIS). JIS output
// ends in one-byte mode, also when the result is -1; half-width katakana become
// full-width in JIS (a following voicing mark merged where a voiced form exists).
// UTF-16 output holds at most 200 units and a zero unit (an empty source gives the zero
// unit alone: 402 bytes are always enough), written byte by byte (no alignment needed).
// Returns 0; -1 when the source ends inside a two-byte character or an escape
// sequence, holds an invalid two-byte character whose code would contain a zero byte,
// or does not fit into 200 UTF-16 units: the destination then holds what was converted
// before that character. Null arguments give -1. Equal codes copy the source. From JIS every
// target but EUC-JP, and from EUC-JP every target but JIS, means Shift_JIS; from
// Shift_JIS a target other than JIS, EUC-JP or UTF-16, or an unknown source code,
// gives an empty text and 0. EUC-JP half-width katakana stay half-width in Shift_JIS.
int vlKanjiConvert(int from, int to, unsigned char* source, unsigned char* destination);

// One JIS X 0208 code (first byte, second byte) to Shift_JIS, in place:
// 0x30 0x21 -> 0x88 0x9F.
void jis2sjis(unsigned char& first, unsigned char& second);

// The JIS X 0208 code of the full-width form of half-width katakana byte kana
// (0xA1-0xDF). When next is a voicing mark (0xDE, 0xDF) that has a combined form with
// kana (0xB6 0xDE -> 0x25 0x2C), the code is that form and the result is true: the
// caller skips the mark. A byte outside 0xA1-0xDF gives 0, 0 and false.
bool getKana(unsigned char kana, unsigned char next, unsigned char& first,
             unsigned char& second);

// UTF-8 text to code page 932 in destination of size bytes. Returns the bytes written,
// terminator included; 0 when the text does not fit into size bytes (the destination
// then holds an empty text) or cannot be converted. A null destination only asks for
// the size needed. Never writes past size bytes, whatever the input: invalid UTF-8
// and characters that code page 932 lacks come out as "?".
int UTF8toSJIS(unsigned char* source, unsigned char* destination, int size);

// Code page 932 text to UTF-8, with the same contract as UTF8toSJIS.
int SJIStoUTF8(unsigned char* source, unsigned char* destination, int size);

// The zero-terminated UTF-16 text at source in code page 932. The string's length is
// the byte count including the terminator, so its last character is the zero byte.
// Returns 0 or the platform's error code.
int Unicode2Sjis(void* source, std::string& result);
