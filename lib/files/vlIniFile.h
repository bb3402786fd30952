// vlIniFile: one section of a profile file (NAME.INI) read and written as strings,
// integers, floats and whole font records, through the platform's profile calls.
// Keys composed from a pattern or a prefix must fit 79 bytes; an operation whose key
// would not fit writes nothing and reads give the default, rather than use a cut key.
#pragma once
#include <windows.h>
#include <string>
#include "vlSetting.h"

class vlIniFile : public vlSetting {
 public:
  explicit vlIniFile(const char* section = "");
  ~vlIniFile() override;

  // The file is the path's folder + settingName + ".INI"; C:\app\tool.exe gives
  // C:\app\tool.INI. 0, or 123 when the path or the composed path is refused.
  int setPath(const char* path, bool takeName) override;
  // False also for text that would break the file's line structure (a line break
  // anywhere, "=" in the key, a key starting with "["); lastError is then 87.
  virtual bool writeString(const char* section, const char* key, const char* value);
  // The value, or defaultValue when missing, cut to size - 1 bytes; returns its length.
  virtual int readString(const char* section, const char* key, char* out,
                         const char* defaultValue, int size);

  // Patterns take one int (e.g. "item%d"), formats one int or one double.
  bool putInt(const char* key, int value, const char* format);
  bool putIntIndex(const char* keyPattern, int index, int value, const char* format);
  // Bounded as min first, then max: min > max gives max.
  int getInt(const char* key, int defaultValue, int min, int max);
  int getIntIndex(const char* keyPattern, int index, int defaultValue);
  int getIntIndex(const char* keyPattern, int index, int defaultValue, int min, int max);

  bool putFloat(const char* key, float value, const char* format);
  bool putFloatIndex(const char* keyPattern, int index, float value, const char* format);
  // The default for a missing or empty value, and for one too long to be a number.
  float getFloat(const char* key, float defaultValue);
  // A NaN passes the bounds unchanged.
  float getFloat(const char* key, float defaultValue, float min, float max);
  float getFloatIndex(const char* keyPattern, int index, float defaultValue);
  float getFloatIndex(const char* keyPattern, int index, float defaultValue, float min,
                      float max);

  // Keys prefix + field name. An empty face name is written alone; true when every
  // key was written.
  bool saveFont(const char* prefix, const LOGFONTA* font);
  // False, and font = *fallback when given, when no face name is stored.
  bool loadFont(const char* prefix, LOGFONTA* font, const LOGFONTA* fallback);

  void flush();

  bool dirty;
  std::string sectionName;

 private:
  int readInt(const char* key, int defaultValue);
};
