// libFuzzer target over the FAT reader: any bytes as the start of a volume image. Opens it, walks
// every folder reachable from the root as the check command does (each folder once),
// and builds each folder's order report. Crashes, sanitizer reports, reads outside the
// image and endless walks are the faults it looks for.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>
#include "fatDirectory.h"
#include "fatVolume.h"
#include "folderOrder.h"

namespace {
// The input as a sparse image of 64 MiB: bytes past the input read as zeros, so that
// small inputs reach FAT16 and FAT32 layouts too. The reader checks every offset
// against the volume's size before it reads, so a read outside the image is a fault.
class inputDevice : public fatDevice {
 public:
  inputDevice(const uint8_t* data, size_t bytes) : data(data), bytes(bytes) {}
  uint64_t size() const override { return imageBytes; }
  bool read(uint64_t offset, void* buffer, size_t count) override {
    if (offset > imageBytes || count > imageBytes - offset) __builtin_trap();
    std::memset(buffer, 0, count);
    if (offset < bytes)
      std::memcpy(buffer, data + offset, std::min<uint64_t>(count, bytes - offset));
    return true;
  }

 private:
  static const uint64_t imageBytes = 64u << 20;
  const uint8_t* data;
  size_t bytes;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  inputDevice device(data, size);
  fatVolume volume(device);
  if (volume.open()) return 0;
  std::vector<uint32_t> pending = {volume.rootCluster()};
  std::set<uint32_t> seen;
  while (!pending.empty()) {
    uint32_t cluster = pending.back();
    pending.pop_back();
    if (!seen.insert(cluster).second) continue;
    std::vector<unsigned char> bytes;
    std::vector<fatEntry> entries;
    if (volume.readFolder(cluster, bytes) ||
        fatDecodeFolder(bytes, volume.lastCluster(), volume.type() == fatVolume::Type::fat32,
                        entries))
      continue;
    folderOrder order = checkFolderOrder(entries, size & 1);
    for (const orderLine& line : order.lines)
      if (line.kind == fatEntry::Kind::folder) pending.push_back(line.cluster);
  }
  return 0;
}
