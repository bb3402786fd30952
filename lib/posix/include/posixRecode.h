// Code page 932 byte classes and iconv recoding, for the layer and for POSIX programs
// built on it that meet UTF-8 at their edges (arguments, terminal output).
#pragma once
#include <cstddef>
#include <string>

// True for a code page 932 lead byte (0x81-0x9F, 0xE0-0xFC).
inline bool posixIsLead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// An ASCII capital as its small letter; every other byte (trail bytes too) as it is.
inline unsigned char posixLowerAscii(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

// Recodes len bytes of in from one iconv encoding to another into out. A character
// that the target cannot hold, or an input sequence that is not valid, becomes
// substitute (itself in the target encoding) when one is given; without one the
// call fails. False also when iconv does not know an encoding.
bool posixRecode(const char* fromCode, const char* toCode, const char* in, size_t len,
                 std::string& out, const char* substitute);
