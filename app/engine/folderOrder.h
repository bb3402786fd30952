// folderOrder: what a player sees in one folder of a FAT volume: its entries in
// on-disk order with code page 932 names, the music files that come earlier than a
// file before them in the order a sorted copy writes, and the deleted slots that a
// later copy would fill first.
#pragma once
#include <string>
#include <vector>
#include "fatDirectory.h"

struct orderLine {
  fatEntry::Kind kind = fatEntry::Kind::file;
  std::string name;         // code page 932; '?' for what it cannot show
  bool showable = true;     // false when the name had to be changed to be shown
  bool music = false;       // a file a sorted copy writes (*.mp3)
  bool outOfOrder = false;  // a music file that sorts before a music file above it
  uint32_t slots = 1;       // deleted: adjacent deleted slots
  uint32_t cluster = 0;
};

struct folderOrder {
  std::vector<orderLine> lines;  // "." and ".." left out
  int musicFiles = 0;
  int outOfOrder = 0;
  int deletedBefore = 0;  // deleted slots before the last entry in use
};

// The order report of a folder's decoded entries.
folderOrder checkFolderOrder(const std::vector<fatEntry>& entries, bool natural);

// The name Windows shows for an entry, in code page 932: the long name when there is
// one, else the 8.3 name. showable is false when a character had no exact form.
std::string entryName(const fatEntry& entry, bool& showable);

// Code page 932 text as UTF-16.
std::u16string cp932ToUtf16(const std::string& text);

// True when name (code page 932) is the entry's long or 8.3 name, ASCII letters
// compared without regard to case.
bool entryNameMatches(const fatEntry& entry, const std::string& name);
