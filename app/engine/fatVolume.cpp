#include "fatVolume.h"
#include <algorithm>
#include "clusterChain.h"

namespace {
uint32_t u16At(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t u32At(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
bool isPowerOfTwo(uint32_t n) { return n && !(n & (n - 1)); }
fatError failure(fatProblem problem, uint64_t value = 0) { return {problem, value}; }

const uint32_t bootSectorBytes = 512;
const uint32_t entryBytes = 32;
}  // namespace

fatVolume::fatVolume(fatDevice& source) : device(source) {}

fatError fatVolume::open() {
  unsigned char boot[bootSectorBytes];
  if (device.size() < bootSectorBytes) return failure(fatProblem::notFat);
  if (fatError error = readBytes(0, boot, sizeof boot)) return error;
  return readBootSector(boot);
}

// The layout from the BIOS parameter block. The FAT type follows from the cluster
// count alone, as every FAT driver decides it.
fatError fatVolume::readBootSector(const unsigned char* boot) {
  bytesPerSector = u16At(boot + 11);
  uint32_t sectorsPerCluster = boot[13];
  uint32_t reserved = u16At(boot + 14);
  uint32_t fats = boot[16];
  uint32_t rootEntries = u16At(boot + 17);
  uint64_t totalSectors = u16At(boot + 19) ? u16At(boot + 19) : u32At(boot + 32);
  uint64_t fatSectors = u16At(boot + 22) ? u16At(boot + 22) : u32At(boot + 36);
  bool shaped = (boot[0] == 0xEB || boot[0] == 0xE9) && boot[510] == 0x55 && boot[511] == 0xAA &&
                isPowerOfTwo(bytesPerSector) && bytesPerSector >= 512 && bytesPerSector <= 4096 &&
                isPowerOfTwo(sectorsPerCluster) && reserved && fats && fatSectors;
  if (!shaped) return failure(fatProblem::notFat);

  uint64_t rootSectors = (uint64_t{rootEntries} * entryBytes + bytesPerSector - 1) / bytesPerSector;
  uint64_t dataSector = reserved + fats * fatSectors + rootSectors;
  if (dataSector >= totalSectors) return failure(fatProblem::notFat);
  uint64_t clusters = (totalSectors - dataSector) / sectorsPerCluster;
  fatType = clusters < 4085 ? Type::fat12 : clusters < 65525 ? Type::fat16 : Type::fat32;
  if ((fatType == Type::fat32) != (rootEntries == 0) || clusters > 0x0FFFFFF5)
    return failure(fatProblem::notFat);
  if (totalSectors * bytesPerSector > device.size())
    return failure(fatProblem::truncated, totalSectors * bytesPerSector);

  // Clusters beyond what the FAT can describe are not used.
  uint32_t entryBits = fatType == Type::fat12 ? 12 : fatType == Type::fat16 ? 16 : 32;
  uint64_t fatEntries = fatSectors * bytesPerSector * 8 / entryBits;
  if (fatEntries < 3) return failure(fatProblem::notFat);
  maxCluster = static_cast<uint32_t>(std::min(clusters + 1, fatEntries - 1));
  clusterBytes = bytesPerSector * sectorsPerCluster;
  fatOffset = uint64_t{reserved} * bytesPerSector;
  rootOffset = (reserved + fats * fatSectors) * bytesPerSector;
  rootBytes = rootEntries * entryBytes;
  dataOffset = dataSector * bytesPerSector;
  root = fatType == Type::fat32 ? u32At(boot + 44) : 0;
  if (fatType == Type::fat32 && (root < 2 || root > maxCluster))
    return failure(fatProblem::clusterRange, root);
  return {};
}

fatError fatVolume::readBytes(uint64_t offset, void* buffer, size_t count) {
  if (!device.read(offset, buffer, count)) return failure(fatProblem::readFailed, offset);
  return {};
}

// The FAT entry of cluster, which lies inside the volume: open() made sure that the
// FAT holds an entry for every cluster up to maxCluster. The bad and end marks of
// every FAT type come back as chainBad and chainEnd.
fatError fatVolume::nextCluster(uint32_t cluster, uint32_t& next) {
  unsigned char bytes[4] = {};
  uint32_t mask = 0x0FFFFFFF;
  if (fatType == Type::fat12) {
    if (fatError error = readBytes(fatOffset + cluster + cluster / 2, bytes, 2)) return error;
    next = (cluster & 1) ? u16At(bytes) >> 4 : u16At(bytes) & 0xFFF;
    mask = 0xFFF;
  } else if (fatType == Type::fat16) {
    if (fatError error = readBytes(fatOffset + uint64_t{cluster} * 2, bytes, 2)) return error;
    next = u16At(bytes);
    mask = 0xFFFF;
  } else {
    if (fatError error = readBytes(fatOffset + uint64_t{cluster} * 4, bytes, 4)) return error;
    next = u32At(bytes) & mask;
  }
  if (next >= mask - 8) next |= 0x0FFFFFFF & ~mask;
  if (next >= 0x0FFFFFF8) next = chainEnd;
  if (next == 0x0FFFFFF7) next = chainBad;
  return {};
}

// The clusters of a folder in order, no more than the largest folder holds.
fatError fatVolume::folderChain(uint32_t first, std::vector<uint32_t>& chain) {
  const uint32_t longest = (maxFolderEntries * entryBytes + clusterBytes - 1) / clusterBytes;
  return followChain(first, maxCluster, longest,
                     [this](uint32_t cluster, uint32_t& next) { return nextCluster(cluster, next); },
                     chain);
}

fatError fatVolume::readFolder(uint32_t cluster, std::vector<unsigned char>& bytes) {
  if (cluster == 0 && fatType != Type::fat32) {
    bytes.resize(rootBytes);
    return readBytes(rootOffset, bytes.data(), bytes.size());
  }
  std::vector<uint32_t> chain;
  if (fatError error = folderChain(cluster, chain)) return error;
  for (uint32_t part : chain)
    if (!claimed.claim(part, cluster)) return failure(fatProblem::crossLinked, part);
  bytes.resize(chain.size() * clusterBytes);
  for (size_t i = 0; i < chain.size(); ++i) {
    uint64_t offset = dataOffset + uint64_t{chain[i] - 2} * clusterBytes;
    if (fatError error = readBytes(offset, bytes.data() + i * clusterBytes, clusterBytes))
      return error;
  }
  return {};
}
