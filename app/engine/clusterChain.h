// clusterChain: following a cluster chain through a file allocation table, shared by
// the FAT and exFAT readers. The chain may not leave the volume, come back to itself,
// run into a free or bad cluster, or grow beyond a limit.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>
#include "fatVolume.h"

// What a table entry says after a cluster, once read: the next cluster, or one of these.
const uint32_t chainEnd = 0xFFFFFFFF;
const uint32_t chainBad = 0xFFFFFFF7;
const uint32_t chainFree = 0;

// Reads the table entry of a cluster (2 to lastCluster) into next.
typedef std::function<fatError(uint32_t cluster, uint32_t& next)> chainStep;

// The clusters of the chain from first in order, at most longest of them (more fail
// with folderTooLong, value first).
fatError followChain(uint32_t first, uint32_t lastCluster, size_t longest, const chainStep& step,
                     std::vector<uint32_t>& chain);
