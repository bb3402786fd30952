// fatDevice: where a FAT volume's bytes come from (an image file, a block device, a
// Windows volume, or memory in the tests). Read-only by construction.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

class fatDevice {
 public:
  virtual ~fatDevice() = default;
  // The volume's size in bytes.
  virtual uint64_t size() const = 0;
  // Reads count bytes at offset; false when the range is not wholly inside the volume
  // or the platform read fails. Callers never ask for more than a cluster at once.
  virtual bool read(uint64_t offset, void* buffer, size_t count) = 0;
};

// A volume held in memory, for the tests and the fuzz target.
class fatMemoryDevice : public fatDevice {
 public:
  explicit fatMemoryDevice(std::vector<unsigned char> image) : bytes(std::move(image)) {}
  uint64_t size() const override { return bytes.size(); }
  bool read(uint64_t offset, void* buffer, size_t count) override {
    if (offset > bytes.size() || count > bytes.size() - offset) return false;
    if (count) std::memcpy(buffer, bytes.data() + offset, count);
    return true;
  }

 private:
  std::vector<unsigned char> bytes;
};
