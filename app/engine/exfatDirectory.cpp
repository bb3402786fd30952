#include "exfatDirectory.h"
#include <algorithm>

namespace {
const size_t entryBytes = 32;
const size_t charsPerNameEntry = 15;
const size_t labelChars = 11;
const uint16_t folderAttribute = 0x10;

// Entry type bits and types, and the stream extension's flags.
enum : unsigned char {
  inUse = 0x80, secondaryBit = 0x40, benignBit = 0x20,
  bitmapType = 0x81, upcaseType = 0x82, labelType = 0x83, fileType = 0x85,
  streamType = 0xC0, nameType = 0xC1,
  allocationPossible = 0x01, noFatChain = 0x02,
};

uint32_t u16At(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t u32At(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t u64At(const unsigned char* p) { return u32At(p) | (uint64_t{u32At(p + 4)} << 32); }

std::u16string units(const unsigned char* p, size_t count) {
  std::u16string text;
  for (size_t i = 0; i < count; ++i) text += static_cast<char16_t>(u16At(p + 2 * i));
  return text;
}

fatError damaged(size_t index) { return {fatProblem::damagedEntry, index}; }

bool isSecondary(unsigned char type) {
  return (type & (inUse | secondaryBit)) == (inUse | secondaryBit);
}

// The name entries that follow the stream extension, and after them only benign
// secondaries.
fatError readName(const unsigned char* set, size_t index, size_t secondaries, size_t length,
                  std::u16string& name) {
  size_t nameEntries = (length + charsPerNameEntry - 1) / charsPerNameEntry;
  if (length == 0 || nameEntries > secondaries - 1) return damaged(index + 1);
  for (size_t i = 2; i <= secondaries; ++i) {
    unsigned char type = set[i * entryBytes];
    bool wanted = i < 2 + nameEntries ? type == nameType : (type & benignBit) != 0;
    if (!wanted) return damaged(index + i);
  }
  for (size_t i = 0; i < nameEntries; ++i) {
    size_t count = std::min(charsPerNameEntry, length - i * charsPerNameEntry);
    name += units(set + (2 + i) * entryBytes + 2, count);
  }
  return {};
}

// A file entry set starting at entry index, with available entries left in the folder.
fatError decodeFileSet(const unsigned char* set, size_t index, size_t available,
                       uint32_t lastCluster, fatEntry& decoded, size_t& used) {
  size_t secondaries = set[1];
  if (secondaries < 2 || secondaries >= available) return damaged(index);
  for (size_t i = 1; i <= secondaries; ++i)
    if (!isSecondary(set[i * entryBytes])) return damaged(index + i);
  const unsigned char* stream = set + entryBytes;
  if (stream[0] != streamType) return damaged(index + 1);
  if (u16At(set + 2) != exfatSetChecksum(set, secondaries + 1))
    return {fatProblem::setChecksum, index};
  if (fatError error = readName(set, index, secondaries, stream[3], decoded.longName)) return error;
  decoded.kind = (u16At(set + 4) & folderAttribute) ? fatEntry::Kind::folder : fatEntry::Kind::file;
  decoded.cluster = (stream[1] & allocationPossible) ? u32At(stream + 20) : 0;
  decoded.length = u64At(stream + 24);
  decoded.contiguous = (stream[1] & noFatChain) != 0;
  used = secondaries + 1;
  if (decoded.cluster != 0 && (decoded.cluster < 2 || decoded.cluster > lastCluster))
    return {fatProblem::clusterRange, decoded.cluster};
  if (decoded.kind == fatEntry::Kind::folder && (decoded.cluster == 0 || decoded.length == 0))
    return damaged(index);
  return {};
}

// Any entry in use other than a file set: the label is listed, the volume's tables
// and benign primaries with their secondaries are passed over.
fatError decodeOther(const unsigned char* entry, size_t index, size_t available,
                     std::vector<fatEntry>& entries, size_t& used) {
  unsigned char type = entry[0];
  used = 1;
  if (type == labelType) {
    if (entry[1] > labelChars) return damaged(index);
    fatEntry label;
    label.kind = fatEntry::Kind::label;
    label.longName = units(entry + 2, entry[1]);
    entries.push_back(label);
    return {};
  }
  if (type == bitmapType || type == upcaseType) return {};
  if (isSecondary(type) || !(type & benignBit)) return damaged(index);
  used += entry[1];
  if (used > available) return damaged(index);
  for (size_t i = 1; i < used; ++i)
    if (!isSecondary(entry[i * entryBytes])) return damaged(index + i);
  return {};
}

}  // namespace

uint16_t exfatSetChecksum(const unsigned char* set, size_t count) {
  uint16_t sum = 0;
  for (size_t i = 0; i < count * entryBytes; ++i)
    if (i != 2 && i != 3) sum = static_cast<uint16_t>(((sum & 1) ? 0x8000 : 0) + (sum >> 1) + set[i]);
  return sum;
}

fatError exfatDecodeFolder(const std::vector<unsigned char>& bytes, uint32_t lastCluster,
                           std::vector<fatEntry>& entries) {
  entries.clear();
  size_t total = bytes.size() / entryBytes;
  for (size_t index = 0; index < total;) {
    const unsigned char* entry = bytes.data() + index * entryBytes;
    size_t used = 1;
    if (entry[0] == 0x00) break;
    if (!(entry[0] & inUse)) {
      fatAddDeletedSlot(entries);
    } else if (entry[0] == fileType) {
      fatEntry decoded;
      if (fatError error = decodeFileSet(entry, index, total - index, lastCluster, decoded, used))
        return error;
      entries.push_back(decoded);
    } else if (fatError error = decodeOther(entry, index, total - index, entries, used)) {
      return error;
    }
    index += used;
  }
  return {};
}
