// folderSource: the folders of a volume as the check command walks them, whatever its
// file system: FAT12/16/32 or exFAT, told apart by the boot sector.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "fatDevice.h"
#include "fatDirectory.h"

class folderSource {
 public:
  virtual ~folderSource() = default;
  // Reads and checks the boot region; the other calls need a successful open.
  virtual fatError open() = 0;
  // The root folder as an entry of kind folder.
  virtual fatEntry root() const = 0;
  // The entries of root() or of a folder entry read from the volume, in on-disk order.
  // A cluster that an earlier call read for another folder fails with crossLinked.
  virtual fatError readEntries(const fatEntry& folder, std::vector<fatEntry>& entries) = 0;
  // True when name (code page 932) names the entry, letters compared without regard to
  // case as the file system compares them.
  virtual bool nameMatches(const fatEntry& entry, const std::string& name) const = 0;
};

// The reader of the device's file system: exFAT when its boot sector names it, FAT
// otherwise (whose open() tells a volume that is neither).
std::unique_ptr<folderSource> folderSourceFor(fatDevice& device);
