#include "vlStream.h"
#include <algorithm>
#include <cstdio>
#include <cstring>
#include "vlJstring.h"

namespace {
struct ErrorText {
  int code;
  const char* text;
};

const ErrorText table[] = {
    {131, "負のファイル位置です"},
    {-9999, nullptr},
};

const int endOfData = 30;
}  // namespace

vlStream::vlStream()
    : vlObject("vlStream"),
      unreadBuf{},
      unreadCount(0),
      pos(0),
      len(0),
      mode(0),
      lastWritten(0),
      lastRead(0),
      lineEnd(0x0D0A) {}

vlStream::~vlStream() = default;

const char* vlStream::name() { return ":Stream"; }

const char* vlStream::errorString(char* buffer) { return errorString(lastError, buffer); }

int vlStream::openStream(char) { return -1; }

const char* vlStream::errorString(int code, char* buffer) { return ErrorString(code, buffer); }

int vlStream::ropen() { return openStream('r'); }

int vlStream::wopen() { return openStream('w'); }

int vlStream::aopen() { return openStream('a'); }

int vlStream::uopen() { return openStream('u'); }

int vlStream::close() { return -1; }

int vlStream::readStream(void*, int, int*) { return -1; }

int vlStream::writeStream(const void*, int, int*) { return -1; }

int vlStream::seek(int, int) { return -1; }

int vlStream::position() { return pos; }

int vlStream::size() { return len; }

bool vlStream::eof() { return position() >= size(); }

const char* vlStream::getPath() { return nullptr; }

int vlStream::setPath(const char*) { return -1; }

int vlStream::setPath(vlPathname*) { return -1; }

int vlStream::setPath(vlPathname& pathname) { return setPath(&pathname); }

int vlStream::setData(const void*, int, bool) { return -1; }

void* vlStream::dataAddress() { return nullptr; }

int vlStream::read(void* buffer, int count, int* done) {
  lastError = 0;
  if (done) *done = 0;
  if (count <= 0) return 0;
  if (!buffer) return lastError = -1;
  auto* out = static_cast<unsigned char*>(buffer);
  int taken = std::min(count, unreadCount);
  for (int i = 0; i < taken; ++i) out[i] = unreadBuf[--unreadCount];
  pos += taken;
  int got = 0;
  if (taken < count) {
    lastError = readStream(out + taken, count - taken, &got);
    if (lastError == 0 && got == 0) lastError = endOfData;
  }
  if (done) *done = taken + got;
  return lastError;
}

int vlStream::getb(unsigned char& byte) { return read(&byte, 1, nullptr); }

int vlStream::getwi(unsigned short& value) {
  unsigned char bytes[2];
  int got = 0;
  if (read(bytes, 2, &got) == 0 && got < 2) lastError = endOfData;  // a lone last byte
  if (lastError == 0) value = static_cast<unsigned short>(bytes[0] << 8 | bytes[1]);
  return lastError;
}

int vlStream::getj(unsigned short& value) {
  unsigned char high, low;
  if (getb(high) != 0) return lastError;
  if (high < 0x80) {
    value = high;
    return 0;
  }
  if (getb(low) == 0) value = static_cast<unsigned short>(high << 8 | low);
  return lastError;
}

int vlStream::unreadb(unsigned char byte) {
  int code = endOfData;
  if (pos > 0 && unreadCount < UnreadMax) {
    unreadBuf[unreadCount++] = byte;
    --pos;
    code = 0;
  }
  return viewError(code, nullptr, 5);
}

int vlStream::unreadj(unsigned short value) {
  if (value < 256) return unreadb(static_cast<unsigned char>(value));
  // Both bytes or none: half a character left on the stack would garble the next read.
  if (pos < 2 || unreadCount > UnreadMax - 2) return viewError(endOfData, nullptr, 5);
  unreadb(static_cast<unsigned char>(value));
  return unreadb(static_cast<unsigned char>(value >> 8));
}

int vlStream::lineByte(int& code) {
  unsigned char byte;
  code = 0;
  if (eof() || (code = getb(byte)) != 0 || byte == '\n') return -1;
  if (byte == '\r') {
    unsigned char next;
    // CR LF is one line end; a lone CR ends the line and the byte after it stays.
    if (getb(next) == 0 && next != '\n') unreadb(next);
    return -1;
  }
  return byte;
}

int vlStream::gets(unsigned char* buffer, int size) {
  if (!buffer || size < 1) return viewError(-1, nullptr, 5);
  int code = size == 1 ? -1 : 0;
  bool ended = size == 1;
  int n = 0;
  while (!ended && n < size - 1) {
    int byte = lineByte(code);
    if (byte < 0) ended = true;
    else buffer[n++] = static_cast<unsigned char>(byte);
  }
  // A line that just fills the buffer still takes its line end along; otherwise the
  // next call would return a line that is not there.
  if (!ended) {
    int byte = lineByte(code);
    if (byte >= 0) unreadb(static_cast<unsigned char>(byte));
  }
  buffer[n] = 0;
  return viewError(code, nullptr, 5);
}

int vlStream::gets(std::string& line) {
  line.clear();
  int code = 1;
  if (!eof())
    for (int byte; (byte = lineByte(code)) >= 0;) line += static_cast<char>(byte);
  return viewError(code, nullptr, 5);
}

int vlStream::gets(vlJString* line) {
  lastError = 0;
  if (!line) return viewError(-1, nullptr, 5);
  line->charCount = 0;
  if (eof()) return viewError(endOfData, nullptr, 5);
  while (!eof()) {
    unsigned char byte;
    if (getb(byte) != 0) return viewError(lastError, nullptr, 5);
    unsigned short code = byte;
    // As getj, except that a lead byte at the very end is kept rather than lost.
    if (byte >= 0x80 && !eof()) {
      unsigned char low;
      if (getb(low) != 0) return viewError(lastError, nullptr, 5);
      code = static_cast<unsigned short>(byte << 8 | low);
    }
    if (code == '\n') break;
    if (code == '\r') {
      unsigned char next;
      if (getb(next) == 0 && next != '\n') unreadb(next);
      lastError = 0;  // a CR as the last byte still ends the line cleanly
      break;
    }
    line->append(code, 1);
  }
  return 0;
}

int vlStream::write(const void* buffer, int count, int* done) {
  lastError = 0;
  if (done) *done = 0;
  if (count <= 0) return 0;
  if (!buffer) return viewError(-1, "write", 5);
  return viewError(writeStream(buffer, count, done), "write", 5);
}

int vlStream::putj(unsigned short value) {
  unsigned char high = static_cast<unsigned char>(value >> 8);
  unsigned char low = static_cast<unsigned char>(value);
  if (high && write(&high, 1, nullptr) != 0) return lastError;
  return write(&low, 1, nullptr);
}

int vlStream::putwi(unsigned short value) {
  unsigned char bytes[2] = {static_cast<unsigned char>(value >> 8),
                            static_cast<unsigned char>(value)};
  return write(bytes, 2, nullptr);
}

int vlStream::puts(const char* text) {
  if (!text) return 0;
  for (const char* p = text; *p; ++p)
    if (write(p, 1, nullptr) != 0) return lastError;
  return 0;
}

int vlStream::puts(std::string* text) { return puts(text ? text->c_str() : nullptr); }

int vlStream::putsln(const char* text) {
  int code = puts(text);
  return code ? code : putj(lineEnd);
}

int vlStream::putsln(std::string* text) { return putsln(text ? text->c_str() : nullptr); }

int vlStream::puts(vlJString* text) {
  lastError = 0;
  for (int i = 0; text && i < text->charCount; ++i)
    if (putj(text->data[i]) != 0) return viewError(lastError, nullptr, 5);
  return 0;
}

int vlStream::putsln(vlJString* text) {
  if (puts(text) == 0) lastError = putj(lineEnd);
  return lastError;
}

int vlStream::putFormatted(bool withLineEnd, const char* pattern, va_list args) {
  char text[FormatMax];
  int length = pattern ? std::vsnprintf(text, FormatMax, pattern, args) : -1;
  if (length < 0 || length >= FormatMax) return viewError(-1, "format", 5);
  return withLineEnd ? putsln(text) : puts(text);
}

int vlStream::format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  int code = putFormatted(false, pattern, args);
  va_end(args);
  return code;
}

int vlStream::formatln(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  int code = putFormatted(true, pattern, args);
  va_end(args);
  return code;
}

const char* vlStream::ErrorString(int code, char* buffer) {
  const char* text = nullptr;
  for (const ErrorText* e = table; e->text; ++e)
    if (e->code == code) text = e->text;  // the last match wins
  if (!text) text = vlObject::ErrorString(code, nullptr);
  if (buffer) std::strcpy(buffer, text);
  return text;
}
