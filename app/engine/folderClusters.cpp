#include "folderClusters.h"

bool folderClusters::claim(uint32_t cluster, uint32_t first) {
  auto placed = owners.emplace(cluster, first);
  return placed.second || placed.first->second == first;
}
