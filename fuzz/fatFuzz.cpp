// libFuzzer target over the FAT and exFAT readers: any bytes as the start of a volume image.
// Opens it with the reader its boot sector asks for, walks every folder reachable from
// the root as the check command does (each folder once), and builds each folder's order
// report. Crashes, sanitizer reports, reads outside the
// image and endless walks are the faults it looks for.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <vector>
#include "folderOrder.h"
#include "folderSource.h"

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
  std::unique_ptr<folderSource> volume = folderSourceFor(device);
  if (volume->open()) return 0;
  std::vector<fatEntry> pending = {volume->root()};
  std::set<uint32_t> seen;
  while (!pending.empty()) {
    fatEntry folder = pending.back();
    pending.pop_back();
    if (!seen.insert(folder.cluster).second) continue;
    std::vector<fatEntry> entries;
    if (volume->readEntries(folder, entries)) continue;
    folderOrder order = checkFolderOrder(entries, size & 1);
    for (const fatEntry& entry : entries)
      if (entry.kind == fatEntry::Kind::folder) {
        pending.push_back(entry);
        volume->nameMatches(entry, order.lines.empty() ? "" : order.lines[0].name);
      }
  }
  return 0;
}
