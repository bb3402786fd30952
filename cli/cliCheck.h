// The check command: the order in which a player will see the files of a folder on a
// FAT volume, read from the volume itself.
#pragma once
#include <string>

struct checkOptions {
  std::string volume;  // image file, block device or volume path, as given
  std::string folder;  // path inside the volume, as given; empty for the root
  bool natural = false;
  bool recursive = false;
};

// Prints each folder's entries in on-disk order and a summary line. Exit status: 0
// when every folder is in order, 1 when one is not, 2 when the volume cannot be read.
int checkVolume(const checkOptions& options);
