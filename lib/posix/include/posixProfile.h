// Profile files: GetPrivateProfileStringA, GetPrivateProfileIntA,
// WritePrivateProfileStringA, and the LOGFONTA record that fonts are saved from.
//
// Contracts kept as Windows and Wine keep them:
// - The file is code page 932 text. "[name]" opens a section (the name runs to the last
//   "]" of the line); "key=value" lines follow. Lines before the first section form the
//   section "". Names and values are trimmed of blanks (space, tab, CR, LF, VT, FF and
//   0x1A); section and key names match without regard to ASCII case; the first section
//   and the first key of a name win. A value in matching quotes ("x" or 'x') is read
//   without them.
// - GetPrivateProfileStringA: the value, else the default (trailing spaces dropped) for
//   a missing file, section or key; at most size - 1 bytes, never a split double-byte
//   character, NUL-terminated; returns the bytes copied. Size 0 writes nothing. A null
//   key lists the section's keys, a null section the section names: each NUL-terminated,
//   the list ended by another NUL; a list that does not fit with a byte to spare is cut
//   and size - 2 returned. An empty key list gives the default.
// - GetPrivateProfileIntA: the value as an integer (sign, then 0x, 0o or 0b prefixes,
//   digits up to the first other character, wrapping at 32 bits; text without a number
//   gives 0), or the default for a missing or empty value.
// - WritePrivateProfileStringA: creates the file, the section and the key as needed
//   (new keys after the section's last non-blank line, new sections at the end) and
//   replaces a value in place, keeping every other line byte for byte. New lines end in
//   CRLF, or in the file's own line end. A null value deletes the key, a null key the
//   section. Null section, key and value only flushes, which reports FALSE as the
//   platform does; a null section alone fails with 2. The file is written to a
//   temporary file beside it and renamed over it, so a failed write (FALSE and the
//   code) leaves the old file whole. A read-only file (no owner write permission) is
//   not written (5). Writes of this process are serialised.
// - A missing file reads as empty (last error 2), a missing folder gives 3, a folder or
//   an empty file name 5. A pipe or device reads as empty at once with 87, a socket
//   with 433, as under Wine; writing them fails with that code and leaves them as they
//   are (Wine reports a write to a pipe as done, though nothing is kept).
#pragma once
#include "posixTypes.h"

#define LF_FACESIZE 32

struct LOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
};

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* out, DWORD size, const char* fileName);
UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                           const char* fileName);
BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName);
