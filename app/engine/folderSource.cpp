#include "folderSource.h"
#include <cstring>
#include "exfatVolume.h"
#include "fatFolderSource.h"

std::unique_ptr<folderSource> folderSourceFor(fatDevice& device) {
  unsigned char name[8] = {};
  if (device.read(3, name, sizeof name) && std::memcmp(name, "EXFAT   ", sizeof name) == 0)
    return std::make_unique<exfatVolume>(device);
  return std::make_unique<fatFolderSource>(device);
}
