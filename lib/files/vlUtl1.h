// Path-text functions for code page 932 byte text: a trail byte 0x5C is never taken
// for the separator "\\".
#pragma once

// Bounded copy that never splits a two-byte character; returns the bytes copied (at
// most size - 1) or -1 for a null argument or size <= 0. Unlike the other functions
// here it takes any byte of 0x80 or above with a byte after it as a two-byte character,
// so two half-width katakana move together; a character that does not fit is skipped,
// and a later, shorter one may still fit.
int vlStrncpy(unsigned char* destination, const unsigned char* source, int size);

// First occurrence of byte c in text under code page 932 rules, or null.
char* vlMbschr(const unsigned char* text, int c);

// Trims control characters and blanks from both ends, in place.
void vlBlankCut(void* text);

// Mode '+': ensures a trailing "\\" (needs one spare byte). Mode '-': removes one.
// Any other mode: the display form ("C:" -> "C:\", "C:\a\" -> "C:\a", "C:\" stays).
void vlAdjustDir(char* path, char mode);
