// The CRT's multibyte string functions (<mbstring.h>) for code page 932.
#pragma once

// First occurrence of c in s; the second byte of a two-byte character never matches,
// and a lead byte followed by the terminating zero ends the text. c == 0 finds the end.
unsigned char* _mbschr(const unsigned char* s, unsigned int c);
