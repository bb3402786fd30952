#include "vlIniFile.h"
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// Composed keys and formatted values live in buffers of this size.
const int textSize = 80;

// Formats one value into text; false when the result would not fit (or no format).
template <typename T>
bool formatted(char (&text)[textSize], const char* format, T value) {
  if (!format) return false;
  int written = std::snprintf(text, textSize, format, value);
  return written >= 0 && written < textSize;
}

bool fontKey(char (&key)[textSize], const char* prefix, const char* field) {
  if (!prefix) return false;
  int written = std::snprintf(key, textSize, "%s%s", prefix, field);
  return written >= 0 && written < textSize;
}

template <typename T>
T bounded(T value, T min, T max) {
  if (min > value) value = min;
  if (value > max) value = max;
  return value;
}

float toFloat(double value) {
  if (value > FLT_MAX) return HUGE_VALF;
  if (value < -FLT_MAX) return -HUGE_VALF;
  return static_cast<float>(value);
}

bool breaksLines(const char* text) { return text && std::strpbrk(text, "\r\n"); }

// A key with "=" would split into another key; one starting with "[" could read as a
// section header.
bool badKey(const char* key) {
  return key && (std::strchr(key, '=') || key[std::strspn(key, " \t\v\f\x1a")] == '[');
}

struct LongField {
  const char* name;
  LONG LOGFONTA::*field;
  int defaultValue;
};
const LongField longFields[] = {
    {"lfHeight", &LOGFONTA::lfHeight, 16},          {"lfWidth", &LOGFONTA::lfWidth, 0},
    {"lfEscapement", &LOGFONTA::lfEscapement, 0},   {"lfOrientation", &LOGFONTA::lfOrientation, 0},
    {"lfWeight", &LOGFONTA::lfWeight, 0},
};

struct ByteField {
  const char* name;
  BYTE LOGFONTA::*field;
};
const ByteField byteFields[] = {
    {"lfItalic", &LOGFONTA::lfItalic},
    {"lfUnderline", &LOGFONTA::lfUnderline},
    {"lfStrikeOut", &LOGFONTA::lfStrikeOut},
    {"lfCharSet", &LOGFONTA::lfCharSet},
    {"lfOutPrecision", &LOGFONTA::lfOutPrecision},
    {"lfClipPrecision", &LOGFONTA::lfClipPrecision},
    {"lfQuality", &LOGFONTA::lfQuality},
    {"lfPitchAndFamily", &LOGFONTA::lfPitchAndFamily},
};
// When this key fits, every font key fits.
const char* const longestFontField = "lfPitchAndFamily";
}  // namespace

vlIniFile::vlIniFile(const char* section) : dirty(false), sectionName(section ? section : "") {}

vlIniFile::~vlIniFile() { flush(); }

int vlIniFile::setPath(const char* path, bool takeName) {
  int code = vlSetting::setPath(path, takeName);
  if (code || !settingPath.path[0]) return code;  // no folder: stay without a file
  char folder[300];
  char full[300];
  settingPath.getFilePos(folder);
  int written = std::snprintf(full, sizeof full, "%s%s.INI", folder, settingName.c_str());
  if (written < 0 || written >= static_cast<int>(sizeof full)) {
    settingPath.clear();
    return viewError(ERROR_INVALID_NAME, "setPath", 5);
  }
  return viewError(settingPath.storeName(full), "setPath", 5);
}

bool vlIniFile::writeString(const char* section, const char* key, const char* value) {
  if (breaksLines(section) || breaksLines(key) || breaksLines(value) || badKey(key)) {
    viewError(ERROR_INVALID_PARAMETER, "write", 5);
    return false;
  }
  bool written = WritePrivateProfileStringA(section, key, value, settingPath.path) != FALSE;
  if (written) dirty = true;
  return written;
}

int vlIniFile::readString(const char* section, const char* key, char* out,
                          const char* defaultValue, int size) {
  if (!out || size <= 0) return 0;
  return static_cast<int>(GetPrivateProfileStringA(section, key, defaultValue, out,
                                                   static_cast<DWORD>(size), settingPath.path));
}

bool vlIniFile::putInt(const char* key, int value, const char* format) {
  char text[textSize];
  return formatted(text, format, value) && writeString(sectionName.c_str(), key, text);
}

bool vlIniFile::putIntIndex(const char* keyPattern, int index, int value, const char* format) {
  char key[textSize];
  return formatted(key, keyPattern, index) && putInt(key, value, format);
}

int vlIniFile::readInt(const char* key, int defaultValue) {
  return static_cast<int>(
      GetPrivateProfileIntA(sectionName.c_str(), key, defaultValue, settingPath.path));
}

int vlIniFile::getInt(const char* key, int defaultValue, int min, int max) {
  return bounded(readInt(key, defaultValue), min, max);
}

int vlIniFile::getIntIndex(const char* keyPattern, int index, int defaultValue) {
  char key[textSize];
  return formatted(key, keyPattern, index) ? readInt(key, defaultValue) : defaultValue;
}

int vlIniFile::getIntIndex(const char* keyPattern, int index, int defaultValue, int min,
                           int max) {
  return bounded(getIntIndex(keyPattern, index, defaultValue), min, max);
}

bool vlIniFile::putFloat(const char* key, float value, const char* format) {
  char text[textSize];
  return formatted(text, format, static_cast<double>(value)) &&
         writeString(sectionName.c_str(), key, text);
}

bool vlIniFile::putFloatIndex(const char* keyPattern, int index, float value,
                              const char* format) {
  char key[textSize];
  return formatted(key, keyPattern, index) && putFloat(key, value, format);
}

float vlIniFile::getFloat(const char* key, float defaultValue) {
  char text[textSize];
  int length = readString(sectionName.c_str(), key, text, "", textSize);
  // A value that fills the buffer may have been cut, and a cut number is a wrong one.
  if (length == 0 || length >= textSize - 1) return defaultValue;
  return toFloat(std::strtod(text, nullptr));
}

float vlIniFile::getFloat(const char* key, float defaultValue, float min, float max) {
  return bounded(getFloat(key, defaultValue), min, max);
}

float vlIniFile::getFloatIndex(const char* keyPattern, int index, float defaultValue) {
  char key[textSize];
  return formatted(key, keyPattern, index) ? getFloat(key, defaultValue) : defaultValue;
}

float vlIniFile::getFloatIndex(const char* keyPattern, int index, float defaultValue,
                               float min, float max) {
  return bounded(getFloatIndex(keyPattern, index, defaultValue), min, max);
}

bool vlIniFile::saveFont(const char* prefix, const LOGFONTA* font) {
  char key[textSize];
  if (!font || !fontKey(key, prefix, longestFontField)) return false;
  // The face name need not be terminated within its field.
  char face[LF_FACESIZE + 1] = {};
  std::memcpy(face, font->lfFaceName, LF_FACESIZE);
  fontKey(key, prefix, "lfFaceName");
  if (!writeString(sectionName.c_str(), key, face)) return false;
  if (!face[0]) return true;
  for (const LongField& f : longFields)
    if (!fontKey(key, prefix, f.name) || !putInt(key, font->*f.field, "%d")) return false;
  for (const ByteField& f : byteFields)
    if (!fontKey(key, prefix, f.name) || !putInt(key, font->*f.field, "%d")) return false;
  flush();
  return true;
}

bool vlIniFile::loadFont(const char* prefix, LOGFONTA* font, const LOGFONTA* fallback) {
  if (!font) return false;
  char key[textSize];
  font->lfFaceName[0] = 0;
  if (fontKey(key, prefix, longestFontField) && fontKey(key, prefix, "lfFaceName"))
    readString(sectionName.c_str(), key, font->lfFaceName, "", LF_FACESIZE);
  if (!font->lfFaceName[0]) {
    if (fallback) *font = *fallback;
    return false;
  }
  for (const LongField& f : longFields) {
    fontKey(key, prefix, f.name);
    font->*f.field = readInt(key, f.defaultValue);
  }
  for (const ByteField& f : byteFields) {
    fontKey(key, prefix, f.name);
    font->*f.field = static_cast<BYTE>(readInt(key, 0) & 0xFF);
  }
  return true;
}

void vlIniFile::flush() {
  if (dirty) WritePrivateProfileStringA(nullptr, nullptr, nullptr, settingPath.path);
  dirty = false;
}
