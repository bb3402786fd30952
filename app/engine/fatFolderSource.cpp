#include "fatFolderSource.h"
#include "folderOrder.h"

fatEntry fatFolderSource::root() const {
  fatEntry folder;
  folder.kind = fatEntry::Kind::folder;
  folder.cluster = volume.rootCluster();
  return folder;
}

fatError fatFolderSource::readEntries(const fatEntry& folder, std::vector<fatEntry>& entries) {
  std::vector<unsigned char> bytes;
  if (fatError error = volume.readFolder(folder.cluster, bytes)) return error;
  return fatDecodeFolder(bytes, volume.lastCluster(), volume.type() == fatVolume::Type::fat32,
                         entries);
}

bool fatFolderSource::nameMatches(const fatEntry& entry, const std::string& name) const {
  return entryNameMatches(entry, name);
}
