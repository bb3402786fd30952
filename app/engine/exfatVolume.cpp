#include "exfatVolume.h"
#include <algorithm>
#include <cstring>
#include "clusterChain.h"
#include "exfatDirectory.h"
#include "folderOrder.h"

namespace {
uint32_t u32At(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint64_t u64At(const unsigned char* p) { return u32At(p) | (uint64_t{u32At(p + 4)} << 32); }
fatError failure(fatProblem problem, uint64_t value = 0) { return {problem, value}; }

const uint32_t bootSectorBytes = 512;
const uint32_t bootRegionSectors = 12;  // boot sector, 8 extended, OEM, reserved, checksum
const uint64_t largestFolder = 256u << 20;
const uint64_t largestUpcase = 0x10000 * 2;
const size_t entryBytes = 32;
const unsigned char bitmapType = 0x81;
const unsigned char upcaseType = 0x82;

// The checksum skips the volume flags and the percentage in use, which change
// without it.
uint32_t bootRegionSum(const std::vector<unsigned char>& region, size_t bytes) {
  uint32_t sum = 0;
  for (size_t i = 0; i < bytes; ++i)
    if (i != 106 && i != 107 && i != 112) sum = exfatUpcase::sum(sum, &region[i], 1);
  return sum;
}
}  // namespace

exfatVolume::exfatVolume(fatDevice& source) : device(source) {}

fatError exfatVolume::open() {
  if (fatError error = readBootRegion()) return error;
  return findTables();
}

fatError exfatVolume::readBootRegion() {
  unsigned char boot[bootSectorBytes];
  if (device.size() < bootSectorBytes) return failure(fatProblem::notFat);
  if (fatError error = readBytes(0, boot, sizeof boot)) return error;
  if (fatError error = checkBootSector(boot)) return error;
  uint32_t sectorBytes = 1u << sectorShift;
  std::vector<unsigned char> region(bootRegionSectors * sectorBytes);
  if (fatError error = readBytes(0, region.data(), region.size())) return error;
  uint32_t sum = bootRegionSum(region, (bootRegionSectors - 1) * sectorBytes);
  for (size_t at = (bootRegionSectors - 1) * sectorBytes; at < region.size(); at += 4)
    if (u32At(&region[at]) != sum) return failure(fatProblem::bootChecksum);
  return {};
}

// Every field the reader uses, against the ranges the layout allows and the device.
fatError exfatVolume::checkBootSector(const unsigned char* boot) {
  static const unsigned char jump[] = {0xEB, 0x76, 0x90};
  if (std::memcmp(boot, jump, 3) != 0 || boot[510] != 0x55 || boot[511] != 0xAA)
    return failure(fatProblem::notFat);
  for (int i = 11; i < 64; ++i)
    if (boot[i]) return failure(fatProblem::badBoot, i);
  sectorShift = boot[108];
  uint32_t clusterShift = boot[109], fats = boot[110];
  if (sectorShift < 9 || sectorShift > 12) return failure(fatProblem::badBoot, 108);
  if (clusterShift > 25 - sectorShift) return failure(fatProblem::badBoot, 109);
  if (fats != 1 && fats != 2) return failure(fatProblem::badBoot, 110);
  uint64_t sectors = u64At(boot + 72);
  if (sectors > (device.size() >> sectorShift))
    return failure(fatProblem::truncated, sectors > (UINT64_MAX >> sectorShift)
                                              ? UINT64_MAX : sectors << sectorShift);
  uint64_t fatStart = u32At(boot + 80), fatSectors = u32At(boot + 84);
  uint64_t heapStart = u32At(boot + 88);
  clusterCount = u32At(boot + 92);
  rootFirst = u32At(boot + 96);
  if (fatStart < 24) return failure(fatProblem::badBoot, 80);
  if (fatSectors == 0 || (fatSectors << sectorShift) / 4 < uint64_t{clusterCount} + 2)
    return failure(fatProblem::badBoot, 84);
  if (heapStart < fatStart + fatSectors * fats || heapStart > sectors)
    return failure(fatProblem::badBoot, 88);
  if (clusterCount == 0 || clusterCount > 0xFFFFFFF5 ||
      (uint64_t{clusterCount} << clusterShift) > sectors - heapStart)
    return failure(fatProblem::badBoot, 92);
  if (rootFirst < 2 || rootFirst > lastCluster()) return failure(fatProblem::clusterRange, rootFirst);
  // The active FAT is the second one when the volume flags say so.
  uint32_t active = (boot[106] & 1) && fats == 2 ? 1 : 0;
  fatOffset = (fatStart + active * fatSectors) << sectorShift;
  heapOffset = heapStart << sectorShift;
  clusterBytes = 1u << (sectorShift + clusterShift);
  return {};
}

// The allocation bitmap and the up-case table, from their entries in the root folder.
fatError exfatVolume::findTables() {
  std::vector<unsigned char> bytes;
  if (fatError error = readFolder(root(), bytes)) return error;
  bool haveUpcase = false;
  for (size_t at = 0; at + entryBytes <= bytes.size() && bytes[at]; at += entryBytes) {
    const unsigned char* entry = &bytes[at];
    if (entry[0] == bitmapType && bitmap.empty()) {
      std::vector<uint32_t> chain;
      if (fatError error = readTable(entry, chain, (uint64_t{clusterCount} + 7) / 8)) return error;
      if (u64At(entry + 24) < (uint64_t{clusterCount} + 7) / 8)
        return failure(fatProblem::systemTable, u32At(entry + 20));
      bitmap = chain;
    } else if (entry[0] == upcaseType && !haveUpcase) {
      std::vector<uint32_t> chain;
      std::vector<unsigned char> table;
      if (fatError error = readTable(entry, chain, largestUpcase)) return error;
      if (fatError error = readClusters(chain, u64At(entry + 24), table)) return error;
      if (!upcase.load(table, u32At(entry + 4)))
        return failure(fatProblem::systemTable, u32At(entry + 20));
      haveUpcase = true;
    }
  }
  if (bitmap.empty() || !haveUpcase) return failure(fatProblem::systemTable, rootFirst);
  return {};
}

// The chain of a table whose entry gives its first cluster and length.
fatError exfatVolume::readTable(const unsigned char* entry, std::vector<uint32_t>& chain,
                                uint64_t longest) {
  uint32_t first = u32At(entry + 20);
  uint64_t length = u64At(entry + 24);
  if (length == 0 || length > longest + clusterBytes) return failure(fatProblem::systemTable, first);
  size_t clusters = static_cast<size_t>((length + clusterBytes - 1) / clusterBytes);
  fatError error = followChain(first, lastCluster(), clusters, stepper(), chain);
  if (error.problem == fatProblem::folderTooLong) return {};  // the rest holds no table
  if (!error && chain.size() < clusters) return failure(fatProblem::systemTable, first);
  return error;
}

fatEntry exfatVolume::root() const {
  fatEntry folder;
  folder.kind = fatEntry::Kind::folder;
  folder.cluster = rootFirst;
  return folder;
}

fatError exfatVolume::readEntries(const fatEntry& folder, std::vector<fatEntry>& entries) {
  std::vector<unsigned char> bytes;
  if (fatError error = readFolder(folder, bytes)) return error;
  return exfatDecodeFolder(bytes, lastCluster(), entries);
}

bool exfatVolume::nameMatches(const fatEntry& entry, const std::string& name) const {
  std::u16string wanted = cp932ToUtf16(name);
  if (wanted.size() != entry.longName.size()) return false;
  for (size_t i = 0; i < wanted.size(); ++i)
    if (upcase.upper(wanted[i]) != upcase.upper(entry.longName[i])) return false;
  return true;
}

fatError exfatVolume::readFolder(const fatEntry& folder, std::vector<unsigned char>& bytes) {
  std::vector<uint32_t> clusters;
  if (fatError error = folderClustersOf(folder, clusters)) return error;
  for (uint32_t cluster : clusters) {
    if (!claimed.claim(cluster, folder.cluster))
      return failure(fatProblem::crossLinked, cluster);
    bool allocated = false;
    if (fatError error = isAllocated(cluster, allocated)) return error;
    if (!allocated) return failure(fatProblem::chainBroken, cluster);
  }
  return readClusters(clusters, uint64_t{clusters.size()} * clusterBytes, bytes);
}

// A folder's clusters: the root's whole chain; a folder entry's as many as its length
// needs, following each other or the FAT.
fatError exfatVolume::folderClustersOf(const fatEntry& folder, std::vector<uint32_t>& clusters) {
  const uint64_t longest = largestFolder / clusterBytes;
  uint64_t needed = (folder.length + clusterBytes - 1) / clusterBytes;
  bool isRoot = folder.length == 0;
  if (needed > longest) return failure(fatProblem::folderTooLarge, folder.cluster);
  if (folder.contiguous) {
    if (folder.cluster + needed - 1 > lastCluster())
      return failure(fatProblem::clusterRange, folder.cluster + needed - 1);
    for (uint64_t i = 0; i < needed; ++i) clusters.push_back(static_cast<uint32_t>(folder.cluster + i));
    return {};
  }
  fatError error =
      followChain(folder.cluster, lastCluster(), isRoot ? longest : needed, stepper(), clusters);
  if (error.problem == fatProblem::folderTooLong && isRoot)
    return failure(fatProblem::folderTooLarge, folder.cluster);
  // A chain longer than the folder's length holds nothing of it past that length.
  if (error.problem == fatProblem::folderTooLong) return {};
  if (!error && !isRoot && clusters.size() < needed)
    return failure(fatProblem::chainBroken, clusters.back());
  return error;
}

chainStep exfatVolume::stepper() {
  return [this](uint32_t cluster, uint32_t& next) { return nextCluster(cluster, next); };
}

// exFAT's end and bad marks are chainEnd and chainBad; any other value past the last
// cluster is refused by followChain.
fatError exfatVolume::nextCluster(uint32_t cluster, uint32_t& next) {
  unsigned char bytes[4];
  if (fatError error = readBytes(fatOffset + uint64_t{cluster} * 4, bytes, 4)) return error;
  next = u32At(bytes);
  return {};
}

// Whether the allocation bitmap marks cluster as in use.
fatError exfatVolume::isAllocated(uint32_t cluster, bool& allocated) {
  // While open() looks for the bitmap in the root, there is none yet; the root is
  // checked when it is read again.
  allocated = true;
  if (bitmap.empty()) return {};
  uint64_t bit = cluster - 2;
  uint64_t byte = bit / 8;
  uint32_t holder = bitmap[static_cast<size_t>(byte / clusterBytes)];
  unsigned char value = 0;
  uint64_t offset = heapOffset + uint64_t{holder - 2} * clusterBytes + byte % clusterBytes;
  if (fatError error = readBytes(offset, &value, 1)) return error;
  allocated = (value >> (bit % 8)) & 1;
  return {};
}

// The first length bytes of the clusters of chain.
fatError exfatVolume::readClusters(const std::vector<uint32_t>& chain, uint64_t length,
                                   std::vector<unsigned char>& bytes) {
  bytes.resize(static_cast<size_t>(std::min<uint64_t>(length, uint64_t{chain.size()} * clusterBytes)));
  for (size_t i = 0, done = 0; done < bytes.size(); ++i) {
    size_t part = std::min<size_t>(clusterBytes, bytes.size() - done);
    uint64_t offset = heapOffset + uint64_t{chain[i] - 2} * clusterBytes;
    if (fatError error = readBytes(offset, bytes.data() + done, part)) return error;
    done += part;
  }
  return {};
}

fatError exfatVolume::readBytes(uint64_t offset, void* buffer, size_t count) {
  if (!device.read(offset, buffer, count)) return failure(fatProblem::readFailed, offset);
  return {};
}
