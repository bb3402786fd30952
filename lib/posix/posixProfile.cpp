// Profile files over whole-file reads; a write goes to a temporary file that is renamed
// over the old one, so a failure never leaves a half-written profile.
#include <windows.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>
#include "posixCalls.h"
#include "posixFolderNames.h"
#include "posixPath.h"
#include "posixText.h"

namespace {
const size_t none = std::string::npos;

// One line of the file and the line end that followed it ("" for a last line without).
struct Line {
  std::string text;
  std::string end;
};
typedef std::vector<Line> Lines;

// The lines of a section: the header (none for the lines before the first header) and
// the body [first, end).
struct Span {
  size_t header;
  size_t first;
  size_t end;
};

bool isBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; }

std::string trim(const std::string& text) {
  size_t from = 0, to = text.size();
  while (from < to && isBlank(text[from])) ++from;
  while (to > from && isBlank(text[to - 1])) --to;
  return text.substr(from, to - from);
}

// Bytes in the character that starts at text[at]; a lead byte without a trail is one.
size_t charLength(const std::string& text, size_t at) {
  return posixIsLead(text[at]) && at + 1 < text.size() && text[at + 1] ? 2 : 1;
}

// The length of the longest prefix of text within limit bytes that splits no character.
size_t fitting(const std::string& text, size_t limit) {
  size_t at = 0;
  while (at < text.size() && at + charLength(text, at) <= limit) at += charLength(text, at);
  return at;
}

// Without regard to ASCII case; a trail byte is compared as it is, so that two
// different double-byte characters never match.
bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t at = 0; at < a.size();) {
    size_t length = charLength(a, at);
    if (length == 2) {
      if (a.compare(at, 2, b, at, 2) != 0) return false;
    } else if (posixLowerAscii(static_cast<unsigned char>(a[at])) !=
               posixLowerAscii(static_cast<unsigned char>(b[at]))) {
      return false;
    }
    at += length;
  }
  return true;
}

// "[name]": the name runs to the line's last "]" (never the trail byte of a character).
bool headerName(const std::string& line, std::string& name) {
  std::string text = trim(line);
  if (text.empty() || text[0] != '[') return false;
  size_t close = none;
  for (size_t at = 1; at < text.size(); at += charLength(text, at))
    if (text[at] == ']') close = at;
  if (close == none) return false;
  name = trim(text.substr(1, close - 1));
  return true;
}

// "key=value", both trimmed. "=" is never a trail byte.
bool keyValue(const std::string& line, std::string& key, std::string& value) {
  size_t equals = line.find('=');
  if (equals == none) return false;
  key = trim(line.substr(0, equals));
  value = trim(line.substr(equals + 1));
  return true;
}

Lines splitLines(const std::string& text) {
  Lines lines;
  for (size_t at = 0; at < text.size();) {
    size_t stop = text.find_first_of("\r\n", at);
    if (stop == none) {
      lines.push_back({text.substr(at), ""});
      break;
    }
    size_t endLength = text.compare(stop, 2, "\r\n") == 0 ? 2 : 1;
    lines.push_back({text.substr(at, stop - at), text.substr(stop, endLength)});
    at = stop + endLength;
  }
  return lines;
}

std::string joinLines(const Lines& lines) {
  std::string text;
  for (const Line& line : lines) text += line.text + line.end;
  return text;
}

// The first section of that name; "" is the part before the first header, always there.
bool findSection(const Lines& lines, const std::string& name, Span& span) {
  bool inside = name.empty();
  span = {none, 0, lines.size()};
  std::string found;
  for (size_t at = 0; at < lines.size(); ++at) {
    if (!headerName(lines[at].text, found)) continue;
    if (inside) {
      span.end = at;
      return true;
    }
    if (sameName(found, name)) {
      inside = true;
      span = {at, at + 1, lines.size()};
    }
  }
  return inside;
}

// The line of the first key of that name in the span, or none; its name and value.
size_t findKey(const Lines& lines, const Span& span, const std::string& name,
               std::string& fileKey, std::string& value) {
  for (size_t at = span.first; at < span.end; ++at)
    if (keyValue(lines[at].text, fileKey, value) && sameName(fileKey, name)) return at;
  return none;
}

std::vector<std::string> sectionNames(const Lines& lines) {
  std::vector<std::string> names;
  std::string name;
  for (const Line& line : lines)
    if (headerName(line.text, name) && !name.empty()) names.push_back(name);
  return names;
}

// Keys with a value; comments (";") and empty names are left out.
std::vector<std::string> keyNames(const Lines& lines, const Span& span) {
  std::vector<std::string> names;
  std::string key, value;
  for (size_t at = span.first; at < span.end; ++at)
    if (keyValue(lines[at].text, key, value) && !key.empty() && key[0] != ';')
      names.push_back(key);
  return names;
}

// Copies text (without enclosing quotes) into out, cut to size - 1 bytes; size > 0.
DWORD putValue(std::string text, char* out, DWORD size) {
  if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') && text.back() == text[0])
    text = text.substr(1, text.size() - 2);
  size_t length = fitting(text, size - 1);
  std::memcpy(out, text.data(), length);
  out[length] = 0;
  return static_cast<DWORD>(length);
}

// Each name NUL-terminated and one more NUL. A list without a spare byte is cut, still
// doubly terminated, and reported as size - 2. size > 0.
DWORD putList(const std::vector<std::string>& names, char* out, DWORD size) {
  std::string list;
  for (const std::string& name : names) list += name + '\0';
  if (list.size() + 2 <= size) {
    std::memcpy(out, list.data(), list.size());
    out[list.size()] = 0;
    return static_cast<DWORD>(list.size());
  }
  out[0] = 0;
  if (size < 2) return 0;
  size_t length = fitting(list, size - 2);
  std::memcpy(out, list.data(), length);
  out[length] = out[length + 1] = 0;
  return size - 2;
}

// Trailing spaces are dropped, but never the first character.
std::string defaultText(const char* defaultValue) {
  std::string text = defaultValue ? defaultValue : "";
  while (text.size() > 1 && text.back() == ' ') text.pop_back();
  return text;
}

// What keeps an open profile from being read: 87 for a pipe or a device (a folder
// fails in the reading), else 0.
DWORD specialFileCode(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0) return posixErrorCode(errno);
  return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) ? 0 : ERROR_INVALID_PARAMETER;
}

DWORD readAll(int fd, std::string& text) {
  char buffer[8192];
  for (;;) {
    ssize_t got = posixCalls.read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return posixErrorCode(errno);
    if (got == 0) return 0;
    text.append(buffer, static_cast<size_t>(got));
  }
}

// Reads the profile; 0, 2 for a missing file (no lines), or another failure code. The
// last error is set to the result.
DWORD loadProfile(const char* fileName, std::string& hostPath, Lines& lines) {
  DWORD code = ERROR_ACCESS_DENIED;  // no name: the platform opens its own folder
  if (fileName && *fileName) {
    code = 0;
    if (!posixHostPath(fileName, hostPath)) return GetLastError();
    // The open never waits for a pipe's writer; a regular file ignores O_NONBLOCK.
    int fd = posixCalls.open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0);
    if (fd < 0) {
      code = posixErrorCode(errno, hostPath.c_str());
    } else {
      std::string text;
      code = specialFileCode(fd);
      if (!code) code = readAll(fd, text);
      posixCalls.close(fd);
      if (!code) lines = splitLines(text);
    }
  }
  SetLastError(code);
  return code;
}

DWORD writeAll(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    ssize_t put = posixCalls.write(fd, text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return posixErrorCode(errno);
    done += static_cast<size_t>(put);
  }
  return posixCalls.fsync(fd) == 0 ? 0 : posixErrorCode(errno);
}

// Writes text to a temporary file beside the profile and renames it over the profile
// (over the file that a symbolic link names, so that the link stays).
DWORD saveProfile(const std::string& hostPath, const std::string& text) {
  std::string target = hostPath;
  if (char* real = realpath(hostPath.c_str(), nullptr)) {
    target = real;
    free(real);
  }
  struct stat st;
  bool exists = stat(target.c_str(), &st) == 0;
  // A read-only profile stays as it is, as on Windows, even for root.
  if (exists && !(st.st_mode & S_IWUSR)) return ERROR_ACCESS_DENIED;
  std::string temp = target + ".partial" + std::to_string(getpid());
  posixCalls.unlink(temp.c_str());
  int fd = posixCalls.open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return posixErrorCode(errno, temp.c_str());
  if (exists) fchmod(fd, st.st_mode & 07777);
  DWORD code = writeAll(fd, text);
  if (posixCalls.close(fd) != 0 && !code) code = posixErrorCode(errno);
  if (!code && posixCalls.rename(temp.c_str(), target.c_str()) != 0) code = posixErrorCode(errno, target.c_str());
  if (code) posixCalls.unlink(temp.c_str());
  posixFolderChanged();
  return code;
}

// The line end for new lines: the file's own, CRLF for a new file.
std::string lineEnd(const Lines& lines) {
  for (const Line& line : lines)
    if (!line.end.empty()) return line.end;
  return "\r\n";
}

void insertLine(Lines& lines, size_t at, const std::string& text) {
  std::string end = lineEnd(lines);
  if (at > 0 && lines[at - 1].end.empty()) lines[at - 1].end = end;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line{text, end});
}

void deleteSection(Lines& lines, const std::string& section) {
  Span span;
  if (!findSection(lines, section, span)) return;
  size_t from = span.header == none ? span.first : span.header;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(from),
              lines.begin() + static_cast<std::ptrdiff_t>(span.end));
}

void deleteKey(Lines& lines, const std::string& section, const std::string& key) {
  Span span;
  std::string fileKey, value;
  if (!findSection(lines, section, span)) return;
  size_t at = findKey(lines, span, key, fileKey, value);
  if (at != none) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
}

void setValue(Lines& lines, const std::string& section, const std::string& key,
              const char* value) {
  while (isBlank(*value)) ++value;
  Span span;
  if (!findSection(lines, section, span)) {
    insertLine(lines, lines.size(), "[" + section + "]");
    insertLine(lines, lines.size(), key + "=" + value);
    return;
  }
  std::string fileKey, oldValue;
  size_t at = findKey(lines, span, key, fileKey, oldValue);
  if (at != none) {
    lines[at].text = fileKey + "=" + value;
    return;
  }
  size_t after = span.first;  // behind the section's last non-blank line
  for (size_t line = span.first; line < span.end; ++line)
    if (!trim(lines[line].text).empty()) after = line + 1;
  insertLine(lines, after, key + "=" + value);
}
// As the platform reads numbers: blanks, a sign, then 0x, 0o or 0b (lower case) for
// another base, digits up to the first other character, wrapping at 32 bits.
UINT parseInteger(const char* p) {
  while (*p && static_cast<unsigned char>(*p) <= ' ') ++p;
  bool negative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  UINT base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'o' || p[1] == 'b')) {
    base = p[1] == 'x' ? 16 : p[1] == 'o' ? 8 : 2;
    p += 2;
  }
  UINT total = 0;
  for (;; ++p) {
    char c = *p;
    UINT digit = c >= '0' && c <= '9'   ? c - '0'
                 : c >= 'a' && c <= 'z' ? c - 'a' + 10
                 : c >= 'A' && c <= 'Z' ? c - 'A' + 10
                                        : base;
    if (digit >= base) break;
    total = total * base + digit;  // wraps as the platform's does
  }
  return negative ? 0u - total : total;
}
}  // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                               char* out, DWORD size, const char* fileName) {
  if (!out || size == 0) return 0;
  std::string hostPath;
  Lines lines;
  loadProfile(fileName, hostPath, lines);
  if (!section) return putList(sectionNames(lines), out, size);
  Span span;
  bool found = findSection(lines, trim(section), span);
  if (!key) {
    DWORD length = putList(found ? keyNames(lines, span) : std::vector<std::string>(), out, size);
    if (out[0]) return length;
  } else if (found) {
    std::string fileKey, value;
    if (findKey(lines, span, trim(key), fileKey, value) != none) return putValue(value, out, size);
  }
  return putValue(defaultText(defaultValue), out, size);
}

UINT GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                           const char* fileName) {
  char text[30];
  if (GetPrivateProfileStringA(section, key, "", text, sizeof text, fileName) == 0)
    return static_cast<UINT>(defaultValue);
  return parseInteger(text);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* fileName) {
  if (!section && !key && !value) return FALSE;  // flush: nothing is cached here
  if (!section) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  // Read, change and replace as one step, so that threads lose none of each other's writes.
  static std::mutex writing;
  std::lock_guard<std::mutex> lock(writing);
  std::string hostPath;
  Lines lines;
  DWORD code = loadProfile(fileName, hostPath, lines);
  if (code && code != ERROR_FILE_NOT_FOUND) return FALSE;
  std::string before = joinLines(lines);
  if (!key) deleteSection(lines, trim(section));
  else if (!value) deleteKey(lines, trim(section), trim(key));
  else setValue(lines, trim(section), trim(key), value);
  std::string after = joinLines(lines);
  if (after == before) return TRUE;
  code = saveProfile(hostPath, after);
  if (code) SetLastError(code);
  return code ? FALSE : TRUE;
}
