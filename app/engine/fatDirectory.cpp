#include "fatDirectory.h"
#include <algorithm>

namespace {
const size_t entryBytes = 32;
const unsigned char attrLongName = 0x0F;
const unsigned char attrLabel = 0x08;
const unsigned char attrFolder = 0x10;
const unsigned char attrReserved = 0xC0;
const unsigned char deletedMark = 0xE5;
const int charsPerPiece = 13;
const int maxPieces = 20;  // 255 characters

// Where the 13 UTF-16 characters of a long-name piece lie in its entry.
const int pieceOffsets[charsPerPiece] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};

// Long-name pieces come last piece first, numbered down to 1, each carrying the
// checksum of the short entry that follows them.
struct longNameParts {
  std::u16string chars;
  int expected = 0;  // number of the next piece; 0 once complete
  unsigned char checksum = 0;
  bool active = false;

  void add(const unsigned char* entry) {
    int order = entry[0] & 0x1F;
    if (entry[0] & 0x40) {
      active = order >= 1 && order <= maxPieces;
      chars.assign(static_cast<size_t>(order) * charsPerPiece, u'\0');
      expected = order;
      checksum = entry[13];
    }
    if (!active || order != expected || entry[13] != checksum) {
      active = false;
      return;
    }
    for (int i = 0; i < charsPerPiece; ++i) {
      const unsigned char* p = entry + pieceOffsets[i];
      chars[(order - 1) * charsPerPiece + i] = static_cast<char16_t>(p[0] | (p[1] << 8));
    }
    --expected;
  }

  // The joined name when the pieces were complete and belong to this short entry.
  std::u16string take(const unsigned char* shortEntry) {
    bool matches = active && expected == 0 && checksum == shortChecksum(shortEntry);
    active = false;
    if (!matches) return {};
    return chars.substr(0, chars.find(u'\0'));
  }

  static unsigned char shortChecksum(const unsigned char* name) {
    unsigned char sum = 0;
    for (int i = 0; i < 11; ++i)
      sum = static_cast<unsigned char>(((sum & 1) << 7) + (sum >> 1) + name[i]);
    return sum;
  }
};

// One part of an 8.3 name without its padding, lower-cased when the entry's case flag
// asks for it (Windows sets the flag only for plain ASCII parts).
std::string shortPart(const unsigned char* bytes, int count, bool lower) {
  while (count > 0 && bytes[count - 1] == ' ') --count;
  std::string part(reinterpret_cast<const char*>(bytes), count);
  bool ascii = true;
  for (unsigned char c : part) ascii = ascii && c < 0x80;
  if (lower && ascii)
    for (char& c : part)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return part;
}

std::string shortName(const unsigned char* entry) {
  std::string name = shortPart(entry, 8, entry[12] & 0x08);
  // 0x05 stands for a first byte 0xE5, a lead byte in code page 932.
  if (!name.empty() && entry[0] == 0x05) name[0] = static_cast<char>(0xE5);
  std::string extension = shortPart(entry + 8, 3, entry[12] & 0x10);
  return extension.empty() ? name : name + "." + extension;
}

bool validShortName(const unsigned char* entry) {
  for (int i = 0; i < 11; ++i)
    if (entry[i] < 0x20 && !(i == 0 && entry[i] == 0x05)) return false;
  return true;
}

bool isDotEntry(const unsigned char* entry) {
  static const char dot[] = ".          ";
  static const char dotDot[] = "..         ";
  return std::equal(entry, entry + 11, dot) || std::equal(entry, entry + 11, dotDot);
}

fatError entryFailure(fatProblem problem, uint64_t value) { return {problem, value}; }

// A short entry (file, folder, label or dot entry), with the long name before it.
fatError decodeShortEntry(const unsigned char* entry, size_t index, uint32_t lastCluster,
                          bool fat32, longNameParts& longName, fatEntry& decoded) {
  unsigned char attributes = entry[11];
  unsigned char kindBits = attributes & (attrLabel | attrFolder);
  if ((attributes & attrReserved) || kindBits == (attrLabel | attrFolder) || !validShortName(entry))
    return entryFailure(fatProblem::damagedEntry, index);
  decoded.cluster = (entry[26] | (entry[27] << 8)) |
                    (fat32 ? static_cast<uint32_t>(entry[20] | (entry[21] << 8)) << 16 : 0);
  decoded.shortName = shortName(entry);
  decoded.longName = longName.take(entry);
  if (kindBits == attrLabel) {
    decoded.kind = fatEntry::Kind::label;
    return {};
  }
  bool folder = kindBits == attrFolder;
  decoded.kind = !folder             ? fatEntry::Kind::file
                 : isDotEntry(entry) ? fatEntry::Kind::dot
                                     : fatEntry::Kind::folder;
  if (decoded.cluster != 0 && (decoded.cluster < 2 || decoded.cluster > lastCluster))
    return entryFailure(fatProblem::clusterRange, decoded.cluster);
  if (decoded.kind == fatEntry::Kind::folder && decoded.cluster == 0)
    return entryFailure(fatProblem::damagedEntry, index);
  return {};
}
}  // namespace

void fatAddDeletedSlot(std::vector<fatEntry>& entries) {
  if (!entries.empty() && entries.back().kind == fatEntry::Kind::deleted) {
    ++entries.back().slots;
    return;
  }
  fatEntry slot;
  slot.kind = fatEntry::Kind::deleted;
  entries.push_back(slot);
}

fatError fatDecodeFolder(const std::vector<unsigned char>& bytes, uint32_t lastCluster, bool fat32,
                         std::vector<fatEntry>& entries) {
  entries.clear();
  longNameParts longName;
  for (size_t at = 0, index = 0; at + entryBytes <= bytes.size(); at += entryBytes, ++index) {
    const unsigned char* entry = bytes.data() + at;
    if (entry[0] == 0x00) break;
    if (entry[0] == deletedMark) {
      longName.active = false;
      fatAddDeletedSlot(entries);
    } else if ((entry[11] & 0x3F) == attrLongName) {
      longName.add(entry);
    } else {
      fatEntry decoded;
      if (fatError error = decodeShortEntry(entry, index, lastCluster, fat32, longName, decoded))
        return error;
      entries.push_back(decoded);
    }
  }
  return {};
}
