#include "folderOrder.h"
#include <windows.h>
#include "nameOrder.h"

namespace {
const UINT japanese = 932;

bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
char foldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Equal names in code page 932, ASCII letters folded; a trail byte is never folded.
bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (isLead(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (foldAscii(a[i]) != foldAscii(b[i])) {
      return false;
    }
  }
  return true;
}

std::string fromUtf16(const std::u16string& wide) {
  if (wide.empty()) return {};
  LPCWSTR source = reinterpret_cast<LPCWSTR>(wide.data());
  int size = static_cast<int>(wide.size());
  int count = WideCharToMultiByte(japanese, 0, source, size, nullptr, 0, nullptr, nullptr);
  std::string text(count > 0 ? count : 0, '\0');
  if (count > 0) WideCharToMultiByte(japanese, 0, source, size, &text[0], count, nullptr, nullptr);
  return text;
}

// Control characters would break the one-entry-per-line listing.
std::u16string withoutControls(const std::u16string& name, bool& showable) {
  std::u16string clean = name;
  for (char16_t& c : clean)
    if (c < 0x20 || c == 0x7F) {
      c = u'?';
      showable = false;
    }
  return clean;
}

bool isMusic(const std::string& name) {
  static const char suffix[] = ".MP3";
  if (name.size() < 4) return false;
  for (size_t i = 0; i < 4; ++i)
    if (foldAscii(name[name.size() - 4 + i]) != suffix[i]) return false;
  return true;
}

int deletedBeforeLastInUse(const std::vector<orderLine>& lines) {
  int deleted = 0, pending = 0;
  for (const orderLine& line : lines) {
    if (line.kind == fatEntry::Kind::deleted) {
      pending += static_cast<int>(line.slots);
    } else {
      deleted += pending;
      pending = 0;
    }
  }
  return deleted;
}
}  // namespace

std::u16string cp932ToUtf16(const std::string& text) {
  if (text.empty()) return {};
  int size = static_cast<int>(text.size());
  int count = MultiByteToWideChar(japanese, 0, text.data(), size, nullptr, 0);
  std::u16string wide(count > 0 ? count : 0, u'\0');
  if (count > 0)
    MultiByteToWideChar(japanese, 0, text.data(), size, reinterpret_cast<LPWSTR>(&wide[0]), count);
  return wide;
}

std::string entryName(const fatEntry& entry, bool& showable) {
  showable = true;
  if (entry.longName.empty()) {
    // Bytes that are no code page 932 text come back changed from the round trip.
    showable = fromUtf16(cp932ToUtf16(entry.shortName)) == entry.shortName;
    return entry.shortName;
  }
  std::u16string wide = withoutControls(entry.longName, showable);
  std::string name = fromUtf16(wide);
  // A character without an exact form comes back changed (best fit or '?').
  if (cp932ToUtf16(name) != wide) showable = false;
  return name;
}

bool entryNameMatches(const fatEntry& entry, const std::string& name) {
  bool showable = true;
  return sameIgnoringCase(entry.shortName, name) ||
         (!entry.longName.empty() && sameIgnoringCase(entryName(entry, showable), name));
}

folderOrder checkFolderOrder(const std::vector<fatEntry>& entries, bool natural) {
  folderOrder order;
  std::string highest;
  for (const fatEntry& entry : entries) {
    if (entry.kind == fatEntry::Kind::dot) continue;
    orderLine line;
    line.kind = entry.kind;
    line.slots = entry.slots;
    line.cluster = entry.cluster;
    if (entry.kind != fatEntry::Kind::deleted) line.name = entryName(entry, line.showable);
    line.music = entry.kind == fatEntry::Kind::file && isMusic(line.name);
    if (line.music) {
      ++order.musicFiles;
      line.outOfOrder =
          order.musicFiles > 1 && nameCompare(line.name.c_str(), highest.c_str(), natural) < 0;
      if (line.outOfOrder)
        ++order.outOfOrder;
      else
        highest = line.name;
    }
    order.lines.push_back(line);
  }
  order.deletedBefore = deletedBeforeLastInUse(order.lines);
  return order;
}
