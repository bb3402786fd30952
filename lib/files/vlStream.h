// vlStream: an abstract byte stream. A derived class supplies readStream/writeStream
// (and opening, closing, positioning); on top of them this class gives bytes, 16-bit
// values, double-byte characters, line reading (CR, LF and CR LF all end a line) and
// text output with a configurable line end. It keeps no buffer besides a small stack
// of pushed-back bytes, so every byte moved is one call of the primitive.
#pragma once
#include <cstdarg>
#include <string>
#include "vlObject.h"

class vlPathname;
class vlJString;

class vlStream : public vlObject {
 public:
  vlStream();
  ~vlStream() override;

  // Virtual slots, in order after those of vlObject.
  const char* name() override;  // ":Stream"
  using vlObject::name;
  // The text of lastError from the stream's own table, else the object base's.
  const char* errorString(char* buffer) override;
  virtual int openStream(char mode);
  virtual const char* errorString(int code, char* buffer);
  virtual int ropen();
  virtual int wopen();
  virtual int aopen();
  virtual int uopen();
  virtual int close();
  // Primitives: move up to count bytes, store the number moved through done (when not
  // null), advance pos (and len when writing past it); 0 or an error code. A read of
  // 0 bytes with result 0 is the end of the data.
  virtual int readStream(void* buffer, int count, int* done);
  virtual int writeStream(const void* buffer, int count, int* done);
  // Returns the new position, or a negative value on failure.
  virtual int seek(int offset, int method);
  virtual int position();
  virtual int size();
  virtual bool eof();
  virtual const char* getPath();
  virtual int setPath(const char* path);
  virtual int setPath(vlPathname* pathname);
  virtual int setPath(vlPathname& pathname);
  virtual int setData(const void* data, int length, bool copy);
  virtual void* dataAddress();

  // Reading: 0, 30 at the end of the data (or when a push-back is refused), else the
  // primitive's code. Pushed-back bytes come first.
  int read(void* buffer, int count, int* done);
  int getb(unsigned char& byte);
  int getwi(unsigned short& value);  // high byte first
  // A byte with the high bit set and the byte after it form one character.
  int getj(unsigned short& value);
  // Refused with 30 at position 0 or when the stack is full; nothing changes then.
  int unreadb(unsigned char byte);
  int unreadj(unsigned short value);
  // One line without its end into buffer (size bytes with the zero); a longer line is
  // cut and its rest comes with the next call. At the end: 0 and an empty text.
  int gets(unsigned char* buffer, int size);
  // One line of any length; 1 and an empty string at the end of the data.
  int gets(std::string& line);
  // One line of code page 932 characters into line (emptied first); 30 at the end of
  // the data. A lead byte that is the last byte of the data stands alone.
  int gets(vlJString* line);

  // Writing: 0 or the primitive's code; a text stops at the first failed byte.
  int write(const void* buffer, int count, int* done);
  int putj(unsigned short value);   // the high byte only when not 0
  int putwi(unsigned short value);  // high byte first
  int puts(const char* text);
  int puts(std::string* text);
  int putsln(const char* text);
  int putsln(std::string* text);
  // Each character through putj; 0 or the first failure.
  int puts(vlJString* text);
  int putsln(vlJString* text);
  // printf-style text; one that does not fit the 10000-byte buffer is refused with -1
  // and nothing is written.
  int format(const char* pattern, ...) __attribute__((format(printf, 2, 3)));
  int formatln(const char* pattern, ...) __attribute__((format(printf, 2, 3)));

  static const char* ErrorString(int code, char* buffer);

  static const int UnreadMax = 9;
  static const int FormatMax = 10000;

  unsigned char unreadBuf[UnreadMax];
  int unreadCount;
  int pos;
  int len;
  char mode;
  int lastWritten;
  int lastRead;
  unsigned short lineEnd;  // written through putj: 0x0D0A is CR LF

 private:
  int lineByte(int& code);
  int putFormatted(bool withLineEnd, const char* pattern, va_list args);
};
