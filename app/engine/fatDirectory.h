// fatDirectory: the 32-byte entries of a FAT folder decoded in on-disk order: long
// names joined and checked against the checksum of their short entry, 8.3 names,
// deleted slots, volume labels and the "." and ".." entries. The entries of exFAT
// folders (exfatDirectory) come in the same form.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include "fatVolume.h"

struct fatEntry {
  enum class Kind { file, folder, label, dot, deleted };
  Kind kind = Kind::file;
  std::u16string longName;  // empty when there is none, or its checksum did not match
  std::string shortName;    // "NAME.EXT" in the volume's code page, as Windows shows it
  uint32_t cluster = 0;     // first cluster
  uint32_t slots = 1;       // deleted: the number of adjacent deleted 32-byte slots
  uint64_t length = 0;      // exFAT: the data length in bytes
  bool contiguous = false;  // exFAT: the clusters follow each other, without a FAT chain
};

// Counts one more deleted slot: a new run, or the run that entries ends with.
void fatAddDeletedSlot(std::vector<fatEntry>& entries);

// Decodes a folder's entries up to its end marker or the end of bytes. lastCluster is
// the volume's highest cluster; fat32 says whether the high half of cluster numbers
// counts. Fails with damagedEntry (the entry's number) for reserved attribute bits,
// control characters in a short name or a folder without a cluster, and with
// clusterRange for a first cluster outside the volume.
fatError fatDecodeFolder(const std::vector<unsigned char>& bytes, uint32_t lastCluster, bool fat32,
                         std::vector<fatEntry>& entries);
