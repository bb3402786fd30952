// vlObject: root of the class library. Each object carries a short name, the code of
// the last error it reported, and reports errors as trace lines gated by a threshold.
#pragma once

// The trace sink, printf-style. Silent in this program: reports are dropped unless a
// debugging or test build installs dboutHook, which then receives each formatted line.
void dbout(const char* format, ...);
extern void (*dboutHook)(const char* line);

class vlObject {
 public:
  explicit vlObject(const char* name);
  virtual ~vlObject();

  // Virtual slots, in order: name, rename, text of lastError.
  virtual const char* name();
  virtual const char* name(const char* newName);
  virtual const char* errorString(char* buffer);

  // Stores at most 80 bytes of name; returns the name buffer.
  const char* className(const char* name);

  // Text of a Win32 error code (or the fallback "<<error: N>>"); also copied into
  // buffer when given, which must hold 64 bytes.
  static const char* ErrorString(int code, char* buffer);

  // Stores code in lastError and traces it when level is above the threshold.
  int viewError(int code, const char* where, int level);
  static int ViewError(int code, const char* where, int level);
  int viewErrorLevel() const;
  int resetViewError();
  static int ViewErrorLevel();
  static int ViewErrorLevel(int level);
  static int ResetViewError();

  static int DisplayErrorLevel;

  int errorLevel;
  char objectName[128];
  bool owned;
  int lastError;
};
