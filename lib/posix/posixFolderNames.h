// The names in one folder, kept between calls, so that matching a new name without
// regard to case does not read the whole folder for every file a job writes. The listing
// is trusted while the folder's device, inode, change and write times stay as they were;
// the layer's own changes are told to it directly, because a file system's time stamp
// may not move within one clock tick. So where folder times are kept to the tick (older
// kernels, FAT), another program's change in the same tick as one of ours goes unseen
// until the folder changes again: a new name might then sit beside one that differs
// only in case. Nothing is ever replaced, as files are created exclusively.
#pragma once
#include <string>

// Looks for name in folder (a host path; "" is the working folder) without regard to
// ASCII case, reading the folder when its listing is not kept or out of date. False
// when folder is not a readable folder; otherwise true, with found set to the entry's
// own spelling, or to name when no entry matches.
bool posixFolderEntry(const std::string& folder, const std::string& name, std::string& found);

// Like posixFolderEntry, but answers only from a listing that is still valid: false,
// reading nothing, when there is none for folder.
bool posixListedEntry(const std::string& folder, const std::string& name, std::string& found);

// The layer created the entry at hostPath itself: it joins its folder's listing.
void posixFolderGained(const std::string& hostPath);

// The layer removed, renamed or made an entry: the listing is read again when needed.
void posixFolderChanged();
