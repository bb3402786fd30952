// exactText: UTF-8 names to code page 932 only where the conversion is exact. Where code
// page 932 has no character, the platform's conversion gives "?" or a look-alike ("e"
// for "é", on Windows even "\" for "¥"), which could name another file: only a round
// trip tells.
#pragma once
#include <cstddef>

// Converts the UTF-8 text into out (size bytes, terminated), each character that does not
// come back unchanged from code page 932 as "?". The number of such characters, or -1
// when the result does not fit into size bytes (out then empty).
// Example: "caf\xC3\xA9.mp3" gives "caf?.mp3" and 1.
int utf8ToCp932Exactly(const char* text, char* out, size_t size);
