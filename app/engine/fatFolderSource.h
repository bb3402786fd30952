// fatFolderSource: a FAT12/16/32 volume's folders for the check command: fatVolume's
// clusters decoded by fatDecodeFolder, names matched with ASCII letters folded.
#pragma once
#include "fatVolume.h"
#include "folderSource.h"

class fatFolderSource : public folderSource {
 public:
  explicit fatFolderSource(fatDevice& device) : volume(device) {}
  fatError open() override { return volume.open(); }
  fatEntry root() const override;
  fatError readEntries(const fatEntry& folder, std::vector<fatEntry>& entries) override;
  bool nameMatches(const fatEntry& entry, const std::string& name) const override;

 private:
  fatVolume volume;
};
