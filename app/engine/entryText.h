// Tests and cuts on the text of playlist entries, shared by the playlist readers.
#pragma once
#include <cstddef>

// Whether the length bytes of text end in ".mp3", without regard to ASCII case.
bool endsWithMp3(const char* text, size_t length);

// Whether byte starts a two-byte character of code page 932.
bool isLeadByte(unsigned char byte);

// Copies at most size - 1 bytes of code page 932 text, never half a character, and
// terminates out. Example: "ab" followed by "ソ" (0x83 0x5C) with size 4 gives "ab".
void copyWhole(char* out, const char* text, size_t size);
