#include "posixShortName.h"
#include <cstring>
#include <vector>
#include "posixText.h"

namespace {
bool isInvalidDosChar(unsigned ch) {
  return ch > 0x7F || (ch && std::strchr("*?<>|\"\\/:+;=,[] ~.", static_cast<int>(ch)));
}

bool isLegal8dot3(const std::vector<unsigned>& name) {
  if (name.size() > 12 || name.empty()) return false;
  if (name[0] == '.') return name.size() == 1 || (name.size() == 2 && name[1] == '.');
  size_t dot = name.size();
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned ch = name[i];
    if (ch == '.') {
      if (dot != name.size()) return false;
      dot = i;
    } else if (ch > 0x7F || ch <= 0x20 || (ch != '~' && isInvalidDosChar(ch))) {
      return false;
    }
  }
  size_t extLength = dot == name.size() ? 0 : name.size() - dot - 1;
  return dot >= 1 && dot <= 8 && extLength <= 3 && !(dot < name.size() && extLength == 0);
}

unsigned lower(unsigned ch) { return (ch >= 'A' && ch <= 'Z') ? ch + 32 : ch; }
char upper(unsigned ch) { return static_cast<char>((ch >= 'a' && ch <= 'z') ? ch - 32 : ch); }
char dosChar(unsigned ch) { return isInvalidDosChar(ch) ? '_' : upper(ch); }

std::vector<unsigned> utf16Units(const std::string& hostName) {
  std::string bytes;
  std::vector<unsigned> units;
  if (!posixRecode("UTF-8", "UTF-16LE", hostName.data(), hostName.size(), bytes, nullptr))
    return units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    units.push_back(static_cast<unsigned char>(bytes[i]) |
                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return units;
}
}  // namespace

std::string posixShortName(const std::string& hostName) {
  std::vector<unsigned> name = utf16Units(hostName);
  if (name.empty() || isLegal8dot3(name)) return "";
  uint16_t hash = 0xBEEF;
  for (size_t i = 0; i + 1 < name.size(); ++i)
    hash = static_cast<uint16_t>((hash << 3) ^ (hash >> 5) ^ lower(name[i]) ^ (lower(name[i + 1]) << 8));
  hash = static_cast<uint16_t>((hash << 3) ^ (hash >> 5) ^ lower(name.back()));
  size_t ext = 0;  // last dot after the first character
  for (size_t i = 1; i + 1 < name.size(); ++i)
    if (name[i] == '.') ext = i;
  std::string alias;
  for (size_t i = 0; i < 4 && i < name.size() && (ext == 0 || i < ext); ++i)
    alias += dosChar(name[i]);
  alias.append(5 - alias.size(), '~');
  const char hashChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345";
  alias += hashChars[(hash >> 10) & 0x1F];
  alias += hashChars[(hash >> 5) & 0x1F];
  alias += hashChars[hash & 0x1F];
  if (ext) {
    alias += '.';
    for (size_t i = ext + 1; i < name.size() && i <= ext + 3; ++i) alias += dosChar(name[i]);
  }
  return alias;
}
