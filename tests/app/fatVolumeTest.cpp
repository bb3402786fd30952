// The FAT reader on volumes built byte by byte in memory: directory decoding, cluster
// chains, and damaged or hostile layouts that must end in an error, not a crash.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "fatDirectory.h"
#include "fatVolume.h"

namespace {
typedef std::vector<unsigned char> Bytes;

void put16(unsigned char* at, uint32_t value) {
  at[0] = value & 0xFF;
  at[1] = (value >> 8) & 0xFF;
}

// One short entry: name is the 11 raw bytes of "NAME    EXT".
Bytes shortEntry(const char* name, unsigned char attributes = 0x20, uint32_t cluster = 0,
                 unsigned char caseFlags = 0) {
  Bytes entry(32, 0);
  std::copy(name, name + 11, entry.begin());
  entry[11] = attributes;
  entry[12] = caseFlags;
  put16(&entry[20], cluster >> 16);
  put16(&entry[26], cluster & 0xFFFF);
  return entry;
}

unsigned char checksum(const char* name) {
  unsigned char sum = 0;
  for (int i = 0; i < 11; ++i)
    sum = static_cast<unsigned char>(((sum & 1) << 7) + (sum >> 1) + name[i]);
  return sum;
}

// The long-name pieces of name for the short entry shortName, in on-disk order.
std::vector<Bytes> longEntries(const std::u16string& name, const char* shortName) {
  static const int offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
  int pieces = static_cast<int>(name.size() + 12) / 13;
  std::vector<Bytes> entries;
  for (int piece = pieces; piece >= 1; --piece) {
    Bytes entry(32, 0);
    entry[0] = static_cast<unsigned char>(piece | (piece == pieces ? 0x40 : 0));
    entry[11] = 0x0F;
    entry[13] = checksum(shortName);
    for (int i = 0; i < 13; ++i) {
      size_t at = (piece - 1) * 13 + i;
      put16(&entry[offsets[i]], at < name.size() ? name[at] : at == name.size() ? 0 : 0xFFFF);
    }
    entries.push_back(entry);
  }
  return entries;
}

Bytes deleted(Bytes entry) {
  entry[0] = 0xE5;
  return entry;
}

std::string ascii(const std::u16string& text) { return std::string(text.begin(), text.end()); }

const char* kindLetter(fatEntry::Kind kind) {
  switch (kind) {
    case fatEntry::Kind::file:
      return "f";
    case fatEntry::Kind::folder:
      return "F";
    case fatEntry::Kind::label:
      return "l";
    case fatEntry::Kind::dot:
      return "dot";
    case fatEntry::Kind::deleted:
      return "x";
  }
  return "?";
}

// "f:NAME.EXT=long name F:SUB#7 x:2 ..." or "error P:V".
std::string decode(const std::vector<Bytes>& entries, bool fat32 = false) {
  Bytes folder;
  for (const Bytes& entry : entries) folder.insert(folder.end(), entry.begin(), entry.end());
  std::vector<fatEntry> decoded;
  if (fatError error = fatDecodeFolder(folder, fat32 ? 0x20000 : 100, fat32, decoded))
    return "error " + std::to_string(static_cast<int>(error.problem)) + ":" +
           std::to_string(error.value);
  std::string text;
  for (const fatEntry& entry : decoded) {
    text += text.empty() ? "" : " ";
    text += kindLetter(entry.kind);
    if (entry.kind == fatEntry::Kind::deleted) {
      text += ":" + std::to_string(entry.slots);
      continue;
    }
    text += ":" + entry.shortName;
    if (!entry.longName.empty()) text += "=" + ascii(entry.longName);
    if (entry.cluster) text += "#" + std::to_string(entry.cluster);
  }
  return text;
}

std::vector<Bytes> join(std::vector<std::vector<Bytes>> parts) {
  std::vector<Bytes> all;
  for (auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

int problem(fatProblem p) { return static_cast<int>(p); }
std::string failure(fatProblem p, uint64_t value) {
  return "error " + std::to_string(problem(p)) + ":" + std::to_string(value);
}

struct DecodeRow {
  const char* what;
  std::vector<Bytes> entries;
  std::string expected;
  bool fat32 = false;
};
}  // namespace

TEST(FatDirectory, DecodesEntriesInDiskOrder) {
  const Bytes end(32, 0);
  std::vector<Bytes> pieces = longEntries(u"A much longer name.mp3", "AMUCHL~1MP3");
  std::vector<Bytes> swapped = {pieces[1], pieces[0], shortEntry("AMUCHL~1MP3")};
  std::vector<Bytes> wrongSum = longEntries(u"Other.mp3", "OTHER~1 MP3");
  wrongSum.push_back(shortEntry("OTHER~2 MP3"));
  std::vector<Bytes> strayPiece = {pieces[0], pieces[1], shortEntry("AMUCHL~1MP3")};
  strayPiece[1][13] ^= 1;
  const DecodeRow rows[] = {
      {"short names, case flags, 0x05 for a first byte 0xE5",
       {shortEntry("README  TXT"), shortEntry("SONG    MP3", 0x20, 0, 0x18),
        shortEntry("\x05"
                   "AB     MP3"),
        shortEntry("NOEXT      ")},
       "f:README.TXT f:song.mp3 f:\xE5"
       "AB.MP3 f:NOEXT"},
      {"a long name of exactly one piece, and one of two pieces",
       join({longEntries(u"Long Name.mp3", "LONGNA~1MP3"),
             {shortEntry("LONGNA~1MP3")},
             pieces,
             {shortEntry("AMUCHL~1MP3")}}),
       "f:LONGNA~1.MP3=Long Name.mp3 f:AMUCHL~1.MP3=A much longer name.mp3"},
      {"pieces out of order or with another checksum are ignored", join({swapped, wrongSum}),
       "f:AMUCHL~1.MP3 f:OTHER~2.MP3"},
      {"a later piece with another checksum than the first", strayPiece, "f:AMUCHL~1.MP3"},
      {"long-name pieces without their short entry are dropped",
       join({longEntries(u"orphan", "ORPHAN     "), {shortEntry("NEXT    MP3")}}), "f:NEXT.MP3"},
      {"deleted slots, long-name pieces included, count as runs",
       {deleted(pieces[0]), deleted(pieces[1]), deleted(shortEntry("AMUCHL~1MP3")),
        shortEntry("A       MP3"), deleted(shortEntry("B       MP3"))},
       "x:3 f:A.MP3 x:1"},
      {"dot entries, a label and a folder",
       {shortEntry(".          ", 0x10, 5), shortEntry("..         ", 0x10, 0),
        shortEntry("CARD       ", 0x08), shortEntry("SUB        ", 0x10, 7)},
       "dot:.#5 dot:.. l:CARD F:SUB#7"},
      {"the end marker ends the folder",
       {shortEntry("A       MP3"), end, shortEntry("B       MP3")},
       "f:A.MP3"},
      {"the high half of a cluster counts on FAT32 only",
       {shortEntry("SUB        ", 0x10, 0x10002)},
       "F:SUB#2"},
      {"FAT32: the high half read", {shortEntry("SUB        ", 0x10, 0x10002)}, "F:SUB#65538", true},
      {"reserved attribute bits",
       {shortEntry("A       MP3"), shortEntry("B       MP3", 0x60)},
       failure(fatProblem::damagedEntry, 1)},
      {"a control character in a short name",
       {shortEntry("A\nB     MP3")},
       failure(fatProblem::damagedEntry, 0)},
      {"label and folder at once",
       {shortEntry("X          ", 0x18, 3)},
       failure(fatProblem::damagedEntry, 0)},
      {"a folder without a cluster",
       {shortEntry("SUB        ", 0x10, 0)},
       failure(fatProblem::damagedEntry, 0)},
      {"a first cluster beyond the volume",
       {shortEntry("A       MP3", 0x20, 101)},
       failure(fatProblem::clusterRange, 101)},
      {"cluster 1 does not exist",
       {shortEntry("A       MP3", 0x20, 1)},
       failure(fatProblem::clusterRange, 1)},
  };
  for (const DecodeRow& row : rows)
    EXPECT_EQ(decode(row.entries, row.fat32), row.expected) << row.what;
}

namespace {
// A FAT12 volume of 64 sectors of 512 bytes: boot sector, one FAT sector, a root area
// of 16 entries, clusters 2 to 62. Or FAT16 with 4200 sectors.
struct TestVolume {
  Bytes bytes;
  bool fat16;
  uint32_t fatSectors;

  explicit TestVolume(bool wide = false)
      : bytes((wide ? 4200 : 64) * 512, 0), fat16(wide), fatSectors(wide ? 17 : 1) {
    unsigned char* boot = bytes.data();
    boot[0] = 0xEB;
    put16(boot + 11, 512);
    boot[13] = 1;
    put16(boot + 14, 1);
    boot[16] = 1;
    put16(boot + 17, 16);
    put16(boot + 19, static_cast<uint32_t>(bytes.size() / 512));
    put16(boot + 22, fatSectors);
    boot[510] = 0x55;
    boot[511] = 0xAA;
  }

  void setFat(uint32_t cluster, uint32_t value) {
    unsigned char* fat = bytes.data() + 512;
    if (fat16) return put16(fat + cluster * 2, value);
    unsigned char* at = fat + cluster + cluster / 2;
    uint32_t pair = at[0] | (at[1] << 8);
    pair = (cluster & 1) ? (pair & 0x000F) | (value << 4) : (pair & 0xF000) | (value & 0xFFF);
    put16(at, pair);
  }
  void chain(std::vector<uint32_t> clusters) {
    for (size_t i = 0; i < clusters.size(); ++i)
      setFat(clusters[i], i + 1 < clusters.size() ? clusters[i + 1] : 0xFFFF);
  }
  unsigned char* cluster(uint32_t number) {
    return bytes.data() + (2 + fatSectors) * 512 + (number - 2) * 512;
  }
  unsigned char* rootEntry(int index) { return bytes.data() + (1 + fatSectors) * 512 + index * 32; }
  void put(unsigned char* at, const Bytes& entry) { std::copy(entry.begin(), entry.end(), at); }
};

// Reads the folders in turn from one open volume and decodes the last.
std::string readAndDecode(TestVolume& image, std::vector<uint32_t> folders) {
  fatMemoryDevice device(image.bytes);
  fatVolume volume(device);
  fatError error = volume.open();
  std::vector<unsigned char> bytes;
  for (uint32_t folder : folders)
    if (!error) error = volume.readFolder(folder, bytes);
  std::vector<fatEntry> entries;
  if (!error) error = fatDecodeFolder(bytes, volume.lastCluster(), false, entries);
  if (error) return failure(error.problem, error.value);
  std::string names;
  for (const fatEntry& entry : entries) names += (names.empty() ? "" : " ") + entry.shortName;
  return names;
}
}  // namespace

namespace {
// A volume of any size whose bytes are zeros after the boot sector.
class sparseDevice : public fatDevice {
 public:
  sparseDevice(Bytes head, uint64_t bytes) : start(std::move(head)), length(bytes) {}
  uint64_t size() const override { return length; }
  bool read(uint64_t offset, void* buffer, size_t count) override {
    if (offset > length || count > length - offset) return false;
    std::memset(buffer, 0, count);
    if (offset < start.size())
      std::memcpy(buffer, start.data() + offset, std::min<uint64_t>(count, start.size() - offset));
    return true;
  }

 private:
  Bytes start;
  uint64_t length;
};
}  // namespace

TEST(FatVolume, TypeFollowsClusterCount) {
  struct Row {
    uint32_t clusters;
    uint32_t rootEntries;  // none on FAT32
    fatVolume::Type type;
  };
  const Row rows[] = {
      {4084, 16, fatVolume::Type::fat12},
      {4085, 16, fatVolume::Type::fat16},
      {65524, 16, fatVolume::Type::fat16},
      {65525, 0, fatVolume::Type::fat32},
  };
  for (const Row& row : rows) {
    const uint32_t fatSectors = 512;  // room for 65536 FAT32 entries
    uint32_t total = 1 + fatSectors + (row.rootEntries ? 1 : 0) + row.clusters;
    TestVolume image;
    unsigned char* boot = image.bytes.data();
    put16(boot + 17, row.rootEntries);
    put16(boot + 19, 0);
    put16(boot + 22, fatSectors);
    put16(boot + 32, total & 0xFFFF);
    put16(boot + 34, total >> 16);
    put16(boot + 44, 2);
    sparseDevice device(Bytes(boot, boot + 512), uint64_t{total} * 512);
    fatVolume volume(device);
    fatError error = volume.open();
    EXPECT_FALSE(error) << row.clusters << " clusters: problem " << problem(error.problem);
    EXPECT_EQ(volume.type(), row.type) << row.clusters << " clusters";
    EXPECT_EQ(volume.lastCluster(), row.clusters + 1) << row.clusters << " clusters";
  }
}

TEST(FatVolume, ReadsRootAndFoldersOverSeveralClusters) {
  for (bool fat16 : {false, true}) {
    TestVolume image(fat16);
    image.put(image.rootEntry(0), shortEntry("SUB        ", 0x10, 3));
    image.chain({3, 6, 4});  // odd and even FAT12 entries, not in ascending order
    // Clusters 3 and 6 full (16 entries each, no end marker), two entries in cluster 4.
    std::string expected;
    int number = 0;
    for (uint32_t cluster : {3u, 3u, 3u, 3u, 3u, 3u, 3u, 3u, 3u, 3u, 3u, 3u, 3u, 3u, 3u, 3u, 6u,
                             6u, 6u, 6u, 6u, 6u, 6u, 6u, 6u, 6u, 6u, 6u, 6u, 6u, 6u, 6u, 4u, 4u}) {
      std::string name = "F" + std::to_string(100 + number);
      image.put(image.cluster(cluster) + (number % 16) * 32,
                shortEntry((name + "    MP3").c_str()));
      expected += (number++ ? " " : "") + name + ".MP3";
    }
    fatMemoryDevice device(image.bytes);
    fatVolume volume(device);
    ASSERT_FALSE(volume.open());
    EXPECT_EQ(volume.type(), fat16 ? fatVolume::Type::fat16 : fatVolume::Type::fat12);
    EXPECT_EQ(volume.lastCluster(), fat16 ? 4182u : 62u);
    EXPECT_EQ(readAndDecode(image, {0}), "SUB");
    EXPECT_EQ(readAndDecode(image, {3}), expected);
  }
}

TEST(FatVolume, DamagedLayoutsGiveErrors) {
  struct Row {
    const char* what;
    std::function<void(TestVolume&)> damage;
    std::string expected;
    bool fat16 = false;
    std::vector<uint32_t> folders = {3};  // read in turn from one volume
  };
  const Row rows[] = {
      {"no boot signature", [](TestVolume& v) { v.bytes[510] = 0; },
       failure(fatProblem::notFat, 0)},
      {"no jump instruction", [](TestVolume& v) { v.bytes[0] = 0; },
       failure(fatProblem::notFat, 0)},
      {"300 bytes per sector", [](TestVolume& v) { put16(&v.bytes[11], 300); },
       failure(fatProblem::notFat, 0)},
      {"3 sectors per cluster", [](TestVolume& v) { v.bytes[13] = 3; },
       failure(fatProblem::notFat, 0)},
      {"no FAT sectors", [](TestVolume& v) { put16(&v.bytes[22], 0); },
       failure(fatProblem::notFat, 0)},
      {"no data area", [](TestVolume& v) { put16(&v.bytes[19], 3); },
       failure(fatProblem::notFat, 0)},
      {"no root entries on FAT12", [](TestVolume& v) { put16(&v.bytes[17], 0); },
       failure(fatProblem::notFat, 0)},
      {"smaller than a boot sector", [](TestVolume& v) { v.bytes.resize(511); },
       failure(fatProblem::notFat, 0)},
      {"truncated", [](TestVolume& v) { v.bytes.resize(20 * 512); },
       failure(fatProblem::truncated, 64 * 512)},
      {"a chain onto itself", [](TestVolume& v) { v.setFat(3, 3); },
       failure(fatProblem::chainLoop, 3)},
      {"a chain back to its start",
       [](TestVolume& v) {
         v.chain({3, 4}), v.setFat(4, 3);
       },
       failure(fatProblem::chainLoop, 3)},
      {"a free cluster in a chain", [](TestVolume& v) { v.setFat(3, 0); },
       failure(fatProblem::chainBroken, 3)},
      {"a bad cluster in a chain", [](TestVolume& v) { v.setFat(3, 0xFF7); },
       failure(fatProblem::chainBroken, 3)},
      {"a chain beyond the last cluster", [](TestVolume& v) { v.setFat(3, 63); },
       failure(fatProblem::clusterRange, 63)},
      {"a reserved FAT value", [](TestVolume& v) { v.setFat(3, 0xFF0); },
       failure(fatProblem::clusterRange, 0xFF0)},
      {"a folder longer than 65536 entries",
       [](TestVolume& v) {
         for (uint32_t c = 3; c < 4100; ++c) v.setFat(c, c + 1);
         v.setFat(4100, 0xFFFF);
       },
       failure(fatProblem::folderTooLong, 3), true},
      {"the same folder read again", [](TestVolume& v) { v.chain({3, 4}); }, "", false, {3, 3}},
      {"a chain running into another folder's",
       [](TestVolume& v) {
         v.chain({3, 4}), v.chain({5, 4});
       },
       failure(fatProblem::crossLinked, 4), false, {3, 5}},
      {"a folder starting inside another folder's chain", [](TestVolume& v) { v.chain({3, 4}); },
       failure(fatProblem::crossLinked, 4), false, {4, 3}},
  };
  for (const Row& row : rows) {
    TestVolume image(row.fat16);
    image.put(image.rootEntry(0), shortEntry("SUB        ", 0x10, 3));
    image.chain({3});
    row.damage(image);
    std::string result = readAndDecode(image, row.folders);
    EXPECT_EQ(result, row.expected) << row.what;
  }
}
