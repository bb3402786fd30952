// fatVolume: a read-only FAT12/16/32 volume on a fatDevice: the boot sector, the first
// FAT and the clusters of folders. Every number read from the volume is checked before
// it is used, so a damaged or hostile volume gives a fatError, never a read outside
// the device or an endless walk.
#pragma once
#include <cstdint>
#include <vector>
#include "fatDevice.h"
#include "folderClusters.h"

enum class fatProblem {
  none,
  notFat,         // neither a FAT nor an exFAT boot sector (value: 0)
  truncated,      // the boot sector claims value bytes; the device holds fewer
  readFailed,     // the device could not be read at byte offset value
  clusterRange,   // cluster number value lies outside the volume
  chainLoop,      // a cluster chain comes back to cluster value
  chainBroken,    // cluster value of a chain is marked free or bad in the FAT
  folderTooLong,  // a folder's chain is longer than a folder can be (value: its cluster)
  damagedEntry,   // directory entry number value is not a valid entry
  crossLinked,    // cluster value belongs to the chains of two folders
  badBoot,        // an exFAT boot sector field out of range (value: its byte offset)
  bootChecksum,   // the exFAT boot region does not match its checksum sector
  setChecksum,    // the exFAT entry set at entry number value does not match its checksum
  folderTooLarge, // an exFAT folder longer than 256 MB (value: its cluster)
  systemTable,    // the exFAT allocation bitmap or up-case table missing or damaged
};

struct fatError {
  fatProblem problem = fatProblem::none;
  uint64_t value = 0;
  explicit operator bool() const { return problem != fatProblem::none; }
};

class fatVolume {
 public:
  enum class Type { fat12, fat16, fat32 };
  // A folder holds at most this many 32-byte entries.
  static const uint32_t maxFolderEntries = 65536;

  explicit fatVolume(fatDevice& device);

  // Reads and checks the boot sector; the other calls need a successful open.
  fatError open();
  Type type() const { return fatType; }
  // The root folder's first cluster; 0 for the fixed root area of FAT12 and FAT16.
  uint32_t rootCluster() const { return root; }
  // The highest valid cluster number.
  uint32_t lastCluster() const { return maxCluster; }
  // The raw entries of the folder starting at cluster (0: the fixed root area),
  // following its chain to the end. A cluster that an earlier call read for another
  // folder fails with crossLinked.
  fatError readFolder(uint32_t cluster, std::vector<unsigned char>& bytes);

 private:
  fatError readBootSector(const unsigned char* boot);
  fatError nextCluster(uint32_t cluster, uint32_t& next);
  fatError folderChain(uint32_t first, std::vector<uint32_t>& chain);
  fatError readBytes(uint64_t offset, void* buffer, size_t count);

  fatDevice& device;
  Type fatType = Type::fat12;
  uint32_t bytesPerSector = 0;
  uint32_t clusterBytes = 0;
  uint64_t fatOffset = 0;
  uint64_t rootOffset = 0;
  uint32_t rootBytes = 0;
  uint64_t dataOffset = 0;
  uint32_t maxCluster = 0;
  uint32_t root = 0;
  folderClusters claimed;
};
