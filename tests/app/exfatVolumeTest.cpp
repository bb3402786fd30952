// The exFAT reader on a volume built byte by byte in memory: entry sets, contiguous and
// chained folders, names matched through the up-case table, and damaged or hostile
// layouts that must end in an error, not a crash or an endless walk.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>
#include "exfatDirectory.h"
#include "exfatUpcase.h"
#include "exfatVolume.h"

namespace {
typedef std::vector<unsigned char> Bytes;

void put16(unsigned char* at, uint32_t value) {
  at[0] = value & 0xFF;
  at[1] = (value >> 8) & 0xFF;
}
void put32(unsigned char* at, uint32_t value) {
  put16(at, value & 0xFFFF);
  put16(at + 2, value >> 16);
}

// 512-byte sectors and clusters: the boot region, the FAT at sector 24, the heap of 64
// clusters at sector 32. Cluster 2 holds the bitmap, 3 the up-case table, 4 and 5 the
// root, 6 and 7 the contiguous folder Sub, 8 the chained folder Chained.
struct ExfatImage {
  Bytes bytes = Bytes(96 * 512, 0);
  std::vector<Bytes> root, sub;

  unsigned char* cluster(uint32_t n) { return &bytes[(32 + n - 2) * 512]; }
  void setFat(uint32_t n, uint32_t value) { put32(&bytes[24 * 512 + n * 4], value); }

  static std::vector<Bytes> fileSet(const std::u16string& name, bool folder = false,
                                    uint32_t first = 0, uint32_t length = 0,
                                    bool contiguous = false) {
    size_t names = (name.size() + 14) / 15;
    std::vector<Bytes> set(2 + names, Bytes(32, 0));
    set[0][0] = 0x85;
    set[0][1] = static_cast<unsigned char>(1 + names);
    put16(&set[0][4], folder ? 0x10 : 0x20);
    set[1][0] = 0xC0;
    set[1][1] = static_cast<unsigned char>(first ? (contiguous ? 3 : 1) : 0);
    set[1][3] = static_cast<unsigned char>(name.size());
    put32(&set[1][20], first);
    put32(&set[1][24], length);
    for (size_t i = 0; i < names; ++i) {
      set[2 + i][0] = 0xC1;
      for (size_t c = 0; c < 15 && i * 15 + c < name.size(); ++c)
        put16(&set[2 + i][2 + 2 * c], name[i * 15 + c]);
    }
    return checksummed(set);
  }
  static std::vector<Bytes> checksummed(std::vector<Bytes> set) {
    Bytes all;
    for (const Bytes& entry : set) all.insert(all.end(), entry.begin(), entry.end());
    put16(&set[0][2], exfatSetChecksum(all.data(), set.size()));
    return set;
  }
  static Bytes entry(unsigned char type, uint32_t first, uint32_t length, uint32_t sum = 0) {
    Bytes e(32, 0);
    e[0] = type;
    put32(&e[4], sum);
    put32(&e[20], first);
    put32(&e[24], length);
    return e;
  }

  ExfatImage() {
    unsigned char* boot = bytes.data();
    const unsigned char start[] = {0xEB, 0x76, 0x90, 'E', 'X', 'F', 'A', 'T', ' ', ' ', ' '};
    std::copy(start, start + sizeof start, boot);
    put32(boot + 72, 96);
    put32(boot + 80, 24);
    put32(boot + 84, 1);
    put32(boot + 88, 32);
    put32(boot + 92, 64);
    put32(boot + 96, 4);
    boot[108] = 9;
    boot[110] = 1;
    boot[510] = 0x55, boot[511] = 0xAA;
    // Identity below 'a', then 'a' to 'z' upper-cased.
    Bytes upcase = {0xFF, 0xFF, 0x61, 0x00};
    for (char c = 'A'; c <= 'Z'; ++c) upcase.insert(upcase.end(), {static_cast<unsigned char>(c), 0});
    std::copy(upcase.begin(), upcase.end(), cluster(3));
    cluster(2)[0] = 0x7F;  // clusters 2 to 8 in use
    for (uint32_t n : {2u, 3u, 5u, 6u, 7u, 8u}) setFat(n, 0xFFFFFFFF);
    setFat(4, 5);
    Bytes label = entry(0x83, 0, 0);
    label[1] = 4;
    for (int i = 0; i < 4; ++i) put16(&label[2 + 2 * i], "CARD"[i]);
    std::vector<Bytes> gone = fileSet(u"old.mp3");
    for (Bytes& e : gone) e[0] &= 0x7F;
    root = {label, entry(0x81, 2, 8), entry(0x82, 3, upcase.size(),
                                            exfatUpcase::sum(0, upcase.data(), upcase.size()))};
    for (auto part : {fileSet(u"b.mp3"), gone, fileSet(u"a.mp3"),
                      fileSet(u"A name longer than fifteen.mp3"), fileSet(u"Sub", true, 6, 1024, true),
                      fileSet(u"Chained", true, 8, 512)})
      root.insert(root.end(), part.begin(), part.end());
    sub = fileSet(u"c.mp3");
  }

  // Writes the folders' entries into their clusters.
  Bytes finished() {
    for (size_t i = 0; i < root.size(); ++i)
      std::copy(root[i].begin(), root[i].end(), (i < 16 ? cluster(4) : cluster(5) - 512) + i * 32);
    for (size_t i = 0; i < sub.size(); ++i) std::copy(sub[i].begin(), sub[i].end(), cluster(6) + i * 32);
    std::vector<unsigned char> region(bytes.begin(), bytes.begin() + 11 * 512);
    uint32_t sum = 0;
    for (size_t i = 0; i < region.size(); ++i)
      if (i != 106 && i != 107 && i != 112) sum = exfatUpcase::sum(sum, &region[i], 1);
    for (int at = 11 * 512; at < 12 * 512; at += 4) put32(&bytes[at], sum);
    return bytes;
  }
};

std::string ascii(const std::u16string& text) { return std::string(text.begin(), text.end()); }

// "l:CARD f:b.mp3 x:3 F:Sub ..." for the folders in turn, "|" between them; or "error P:V".
std::string listFolders(const Bytes& image, std::vector<std::string> path) {
  fatMemoryDevice device(image);
  exfatVolume volume(device);
  fatError error = volume.open();
  fatEntry folder = volume.root();
  std::string text;
  for (size_t step = 0; !error && step <= path.size(); ++step) {
    std::vector<fatEntry> entries;
    error = volume.readEntries(folder, entries);
    text += step ? " |" : "";
    for (const fatEntry& entry : entries) {
      static const char* letters[] = {"f", "F", "l", "dot", "x"};
      text += std::string(" ") + letters[static_cast<int>(entry.kind)] + ":" +
              (entry.kind == fatEntry::Kind::deleted ? std::to_string(entry.slots)
                                                     : ascii(entry.longName));
      if (step < path.size() && volume.nameMatches(entry, path[step])) folder = entry;
    }
  }
  if (error)
    return "error " + std::to_string(static_cast<int>(error.problem)) + ":" +
           std::to_string(error.value);
  return text.substr(1);
}

std::string failure(fatProblem p, uint64_t value) {
  return "error " + std::to_string(static_cast<int>(p)) + ":" + std::to_string(value);
}
}  // namespace

TEST(ExfatVolume, ReadsFoldersAndRefusesDamage) {
  const std::string rootList =
      "l:CARD f:b.mp3 x:3 f:a.mp3 f:A name longer than fifteen.mp3 F:Sub F:Chained";
  struct Row {
    const char* what;
    std::function<void(ExfatImage&)> change;
    std::vector<std::string> path;  // folders entered by name after the root
    std::string expected;
    bool finish = true;  // false: the change comes after the checksums
  };
  const Row rows[] = {
      {"root over two clusters, a contiguous folder found without regard to case",
       [](ExfatImage&) {}, {"sUB"}, rootList + " | f:c.mp3"},
      {"a folder chained through the FAT, found again by name", [](ExfatImage&) {},
       {"CHAINED"}, rootList + " |"},
      {"a bad boot checksum", [](ExfatImage& v) { v.bytes[100] ^= 1; }, {},
       failure(fatProblem::bootChecksum, 0), false},
      {"the volume flags are left out of the checksum", [](ExfatImage& v) { v.bytes[106] ^= 2; },
       {}, rootList, false},
      {"a sector shift out of range", [](ExfatImage& v) { v.bytes[108] = 13; }, {},
       failure(fatProblem::badBoot, 108)},
      {"a heap beyond the volume", [](ExfatImage& v) { put32(&v.bytes[92], 65); }, {},
       failure(fatProblem::badBoot, 92)},
      {"a volume longer than the device", [](ExfatImage& v) { put32(&v.bytes[72], 97); }, {},
       failure(fatProblem::truncated, 97 * 512)},
      {"a root cluster beyond the heap", [](ExfatImage& v) { put32(&v.bytes[96], 66); }, {},
       failure(fatProblem::clusterRange, 66)},
      {"a set checksum mismatch", [](ExfatImage& v) { v.root[4][3] ^= 1; }, {},
       failure(fatProblem::setChecksum, 3)},
      {"a root chain that loops", [](ExfatImage& v) { v.setFat(5, 4); }, {},
       failure(fatProblem::chainLoop, 4)},
      {"a folder starting inside the root's chain",
       [](ExfatImage& v) {
         v.root.resize(19);
         auto inside = ExfatImage::fileSet(u"Chained", true, 5, 512);
         v.root.insert(v.root.end(), inside.begin(), inside.end());
       },
       {"Chained"}, failure(fatProblem::crossLinked, 5)},
      {"a contiguous folder past the heap",
       [](ExfatImage& v) {
         v.root.pop_back(), v.root.pop_back(), v.root.pop_back();
         auto far = ExfatImage::fileSet(u"Far", true, 65, 1024, true);
         v.root.insert(v.root.end(), far.begin(), far.end());
       },
       {"far"}, failure(fatProblem::clusterRange, 66)},
      {"a file cluster beyond the heap",
       [](ExfatImage& v) { v.sub = ExfatImage::fileSet(u"c.mp3", false, 70, 10); }, {"Sub"},
       failure(fatProblem::clusterRange, 70)},
      {"a set claiming more secondaries than it has",
       [](ExfatImage& v) { v.root[16][1] = 5; }, {}, failure(fatProblem::damagedEntry, 19)},
      {"a set running past the end of its folder",
       [](ExfatImage& v) {
         std::vector<Bytes> sub(v.root.begin() + 16, v.root.begin() + 19);
         v.root.resize(16);
         v.root.resize(29, Bytes(32, 0x05));
         sub[0][1] = 3;
         v.root.insert(v.root.end(), sub.begin(), sub.end());
       },
       {}, failure(fatProblem::damagedEntry, 29)},
      {"a set whose secondary is a primary",
       [](ExfatImage& v) { v.root[5] = ExfatImage::checksummed({v.root[3], v.root[4], v.root[3]})[2]; },
       {}, failure(fatProblem::damagedEntry, 5)},
      {"a folder cluster free in the bitmap", [](ExfatImage& v) { v.cluster(2)[0] = 0x3F; },
       {"Chained"}, failure(fatProblem::chainBroken, 8)},
      {"an up-case table that does not match its checksum",
       [](ExfatImage& v) { v.cluster(3)[10] ^= 1; }, {}, failure(fatProblem::systemTable, 3)},
      {"no exFAT jump", [](ExfatImage& v) { v.bytes[1] = 0; }, {}, failure(fatProblem::notFat, 0)},
  };
  for (const Row& row : rows) {
    ExfatImage image;
    if (row.finish) row.change(image);
    Bytes bytes = image.finished();
    if (!row.finish) {
      image.bytes = bytes;
      row.change(image);
      bytes = image.bytes;
    }
    EXPECT_EQ(listFolders(bytes, row.path), row.expected) << row.what;
  }
}
