// exfatDirectory: the 32-byte entries of an exFAT folder decoded in on-disk order: file
// entry sets (file, stream extension, file names) checked against their set checksum,
// the volume label, and every entry no longer in use as a deleted slot. The allocation
// bitmap and up-case table entries are the volume's own and are not listed.
#pragma once
#include <cstdint>
#include <vector>
#include "fatDirectory.h"

// Decodes a folder's entries up to its end marker or the end of bytes; names come as
// long names, folders with their data length and chain kind. lastCluster is the
// volume's highest cluster. Fails with damagedEntry (the entry's number) for a set
// that runs past the folder, holds other entries than it claims or lacks its stream
// or names, for a secondary entry outside a set and an unknown critical entry; with
// setChecksum (the set's first entry) for a set whose checksum does not match, and
// with clusterRange for a first cluster outside the volume.
fatError exfatDecodeFolder(const std::vector<unsigned char>& bytes, uint32_t lastCluster,
                           std::vector<fatEntry>& entries);

// The checksum of an entry set of count entries, which a file entry keeps.
uint16_t exfatSetChecksum(const unsigned char* set, size_t count);
