#include "clusterChain.h"
#include <unordered_set>

fatError followChain(uint32_t first, uint32_t lastCluster, size_t longest, const chainStep& step,
                     std::vector<uint32_t>& chain) {
  std::unordered_set<uint32_t> seen;
  uint32_t cluster = first;
  chain.clear();
  for (;;) {
    if (cluster < 2 || cluster > lastCluster) return {fatProblem::clusterRange, cluster};
    if (!seen.insert(cluster).second) return {fatProblem::chainLoop, cluster};
    if (chain.size() == longest) return {fatProblem::folderTooLong, first};
    chain.push_back(cluster);
    uint32_t next = 0;
    if (fatError error = step(cluster, next)) return error;
    if (next == chainEnd) return {};
    if (next == chainFree || next == chainBad) return {fatProblem::chainBroken, cluster};
    cluster = next;
  }
}
