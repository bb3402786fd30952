// folderClusters: which folder each cluster read as folder data belongs to. A sound
// volume never has a cluster in two chains; refusing a second owner keeps a hostile
// volume's folders from sharing their clusters over and over, so that reading every
// folder costs no more than the volume's size.
#pragma once
#include <cstdint>
#include <unordered_map>

class folderClusters {
 public:
  // Records cluster as part of the folder whose chain starts at first. False when
  // another folder already holds it; the same folder may be read again.
  bool claim(uint32_t cluster, uint32_t first);

 private:
  std::unordered_map<uint32_t, uint32_t> owners;
};
