// Control characters in names: no Windows name holds a character below 0x20, and a log
// line holding one (a line feed above all) would not stay one line.
#pragma once
#include <cstddef>

// Replaces each byte below 0x20 (NUL included) of the length bytes at text with '?', as
// the volume check shows such characters; true when there was one. Such a byte is never
// part of a multi-byte character in UTF-8 or code page 932, so text may be either.
bool maskControls(char* text, size_t length);
