// exfatVolume: a read-only exFAT volume on a fatDevice: the main boot region with its
// checksum, the FAT, the allocation bitmap, the up-case table and the clusters of
// folders, chained through the FAT or contiguous. As with FAT, every number read from
// the volume is checked before it is used.
#pragma once
#include <cstdint>
#include <vector>
#include "clusterChain.h"
#include "exfatUpcase.h"
#include "folderClusters.h"
#include "folderSource.h"

class exfatVolume : public folderSource {
 public:
  explicit exfatVolume(fatDevice& device);

  fatError open() override;
  fatEntry root() const override;
  fatError readEntries(const fatEntry& folder, std::vector<fatEntry>& entries) override;
  // Names compared through the volume's up-case table.
  bool nameMatches(const fatEntry& entry, const std::string& name) const override;

  // The highest valid cluster number.
  uint32_t lastCluster() const { return clusterCount + 1; }
  // The raw entries of a folder: root() or a folder entry.
  fatError readFolder(const fatEntry& folder, std::vector<unsigned char>& bytes);

 private:
  fatError readBootRegion();
  fatError checkBootSector(const unsigned char* boot);
  fatError findTables();
  fatError readTable(const unsigned char* entry, std::vector<uint32_t>& chain, uint64_t longest);
  fatError folderClustersOf(const fatEntry& folder, std::vector<uint32_t>& clusters);
  chainStep stepper();
  fatError nextCluster(uint32_t cluster, uint32_t& next);
  fatError isAllocated(uint32_t cluster, bool& allocated);
  fatError readClusters(const std::vector<uint32_t>& chain, uint64_t length,
                        std::vector<unsigned char>& bytes);
  fatError readBytes(uint64_t offset, void* buffer, size_t count);

  fatDevice& device;
  uint32_t sectorShift = 0;
  uint32_t clusterBytes = 0;
  uint64_t fatOffset = 0;   // bytes, of the active FAT
  uint64_t heapOffset = 0;  // bytes
  uint32_t clusterCount = 0;
  uint32_t rootFirst = 0;
  std::vector<uint32_t> bitmap;  // the clusters of the allocation bitmap
  exfatUpcase upcase;
  folderClusters claimed;
};
