#include "m3uEntry.h"
#include <cctype>
#include <cstring>
#include "copyHelpers.h"
#include "entryText.h"
#include "exactText.h"
#include "vlPathname.h"
#include "vlUtl2.h"

namespace {
const size_t entryBytes = 300;
const size_t textBytes = m3uLine::headBytes;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

size_t trimmed(const char* text, size_t length) {
  while (length > 0 && isBlank(text[length - 1])) --length;
  return length;
}

// The length of a URL scheme before its ":" ("http" in "http://x"); 0 when there is
// none. One letter is a drive, not a scheme.
size_t schemeLength(const char* text, size_t length) {
  if (length == 0 || !std::isalpha(static_cast<unsigned char>(text[0]))) return 0;
  size_t n = 1;
  while (n < length && (std::isalnum(static_cast<unsigned char>(text[n])) || text[n] == '+' ||
                        text[n] == '-' || text[n] == '.'))
    ++n;
  return n >= 2 && n < length && text[n] == ':' ? n : 0;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool isEscape(const char* text, size_t at, size_t length) {
  return text[at] == '%' && at + 2 < length && hexValue(text[at + 1]) >= 0 &&
         hexValue(text[at + 2]) >= 0;
}

// Whether the size bytes of text are word (lower case ASCII) without regard to case.
bool sameWord(const char* text, const char* word, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != word[i]) return false;
  return true;
}

bool hasEscape(const char* text, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (isEscape(text, i, length)) return true;
  return false;
}

// Replaces each %XX escape of text by its byte, in place; the new length. "%" is never
// the second byte of a code page 932 character, so the text may be either encoding.
size_t percentDecode(char* text, size_t length) {
  size_t out = 0;
  for (size_t i = 0; i < length; ++i) {
    if (isEscape(text, i, length)) {
      text[out++] = static_cast<char>(hexValue(text[i + 1]) << 4 | hexValue(text[i + 2]));
      i += 2;
    } else {
      text[out++] = text[i];
    }
  }
  return out;
}

// The decoded path of a file: URL, in place; the new length.
// "file:///C:/a%20b.mp3" -> "C:/a b.mp3", "file://localhost/home/a.mp3" -> "/home/a.mp3",
// "file://srv/m/a.mp3" -> "//srv/m/a.mp3", "file:/home/a.mp3" -> "/home/a.mp3", and
// "file://C:/a.mp3", as some players write it, -> "C:/a.mp3".
size_t filePath(char* text, size_t length) {
  size_t from = 5;  // after "file:"
  if (length >= 7 && text[5] == '/' && text[6] == '/') {
    size_t hostEnd = 7;
    while (hostEnd < length && text[hostEnd] != '/') ++hostEnd;
    bool local = hostEnd == 7 || (hostEnd - 7 == 9 && sameWord(text + 7, "localhost", 9));
    bool drive = hostEnd - 7 == 2 && std::isalpha(static_cast<unsigned char>(text[7])) &&
                 text[8] == ':';
    if (local || drive) from = drive ? 7 : hostEnd;
  }
  std::memmove(text, text + from, length - from);
  length = percentDecode(text, length - from);
  bool driveAfterSlash = length >= 3 && text[0] == '/' &&
                         std::isalpha(static_cast<unsigned char>(text[1])) && text[2] == ':';
  if (driveAfterSlash) std::memmove(text, text + 1, --length);
  return length;
}

// Code page 932 text as it stands, each control character, lone or unknown byte "?";
// the number of such replacements.
int cleanCp932(const char* text, size_t length, char* out) {
  int replaced = 0;
  size_t n = 0;
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned char next = i + 1 < length ? static_cast<unsigned char>(text[i + 1]) : 0;
    bool pair = isLeadByte(c) && next >= 0x40 && next != 0x7F && next <= 0xFC;
    bool single = c < 0x80 ? !isControl(c) : c >= 0xA1 && c <= 0xDF;
    if (pair) {
      out[n++] = text[i++];
      out[n++] = text[i];
    } else {
      out[n++] = single ? text[i] : '?';
      replaced += single ? 0 : 1;
    }
  }
  out[n] = 0;
  return replaced;
}

// UTF-8 text to code page 932, each control character and each character that code
// page 932 cannot hold "?"; the number of such replacements.
int cleanUtf8(const char* text, size_t length, char* out) {
  char plain[textBytes];
  int replaced = 0;
  for (size_t i = 0; i < length; ++i) {
    bool control = isControl(static_cast<unsigned char>(text[i]));
    plain[i] = control ? '?' : text[i];
    replaced += control;
  }
  plain[length] = 0;
  // Never more bytes than the UTF-8 text, so it fits.
  return replaced + utf8ToCp932Exactly(plain, out, textBytes);
}

void toBackslashes(char* text) {
  for (; *text; ++text)
    if (*text == '/') *text = '\\';  // never a second byte of code page 932
}

bool isRooted(const char* path) { return path[0] == '\\' && path[1] != '\\'; }

bool isRelative(const char* path) {
  bool drive = std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
  return path[0] != '\\' && !drive;
}

// The entry of a path text (of the playlist's encoding) into out.
m3uResult pathEntry(const char* text, size_t length, bool utf8, const char* root, char* out) {
  char converted[textBytes];
  int replaced = utf8 ? cleanUtf8(text, length, converted) : cleanCp932(text, length, converted);
  if (!endsWithMp3(converted, std::strlen(converted))) return m3uNone;
  toBackslashes(converted);
  if (replaced == 0 && joinPath(out, entryBytes, isRooted(converted) ? root : "", converted))
    return m3uFile;
  copyWhole(out, converted, entryBytes);
  return m3uUnusable;
}

bool existsUnder(const char* listDir, const char* entry) {
  char path[entryBytes];
  return joinPath(path, sizeof path, listDir, entry) && vlPathname::IsExist(path);
}

// A line longer than the buffers: its tail tells whether it names an ".mp3" file, its
// head is what the log shows.
m3uResult cutEntry(const m3uLine& line, bool url, char* out) {
  char tail[m3uLine::tailBytes];
  size_t length = trimmed(line.tail, line.tailLength);
  std::memcpy(tail, line.tail, length);
  if (url) length = percentDecode(tail, length);
  if (!endsWithMp3(tail, length)) return m3uNone;
  char converted[textBytes];
  if (line.utf8)
    cleanUtf8(line.head, line.length, converted);
  else
    cleanCp932(line.head, line.length, converted);
  copyWhole(out, converted, entryBytes);
  return m3uUnusable;
}
}  // namespace

m3uResult m3uEntry(const m3uLine& line, const char* root, const char* listDir, char* out) {
  char text[textBytes];
  size_t length = line.cut ? line.length : trimmed(line.head, line.length);
  std::memcpy(text, line.head, length);
  if (length == 0 || text[0] == '#') return m3uNone;
  size_t scheme = schemeLength(text, length);
  bool url = scheme == 4 && sameWord(text, "file", 4);
  if (scheme && !url) return m3uNone;
  if (line.cut) return cutEntry(line, url, out);
  if (url) length = filePath(text, length);
  m3uResult found = pathEntry(text, length, line.utf8, root, out);
  if (found != m3uFile || url || !isRelative(out) || !hasEscape(text, length) ||
      existsUnder(listDir, out))
    return found;
  char decoded[entryBytes];
  length = percentDecode(text, length);
  if (pathEntry(text, length, line.utf8, root, decoded) == m3uFile) std::strcpy(out, decoded);
  return m3uFile;
}
