// The names in one folder, kept between calls, so that matching a new name without
// regard to case does not read the whole folder for every file a job writes. The listing
// is trusted while the folder's device, inode, change and write times stay as they were.
// The layer's own creates are told to it directly, and are taken in only when the folder
// was unchanged just before the create: a change by another program in between is never
// blessed by the stamp our create leaves. What stamps cannot show: another program's
// change in the instant between that check and our create, and, where folder times are
// kept to the clock tick (kernels before 6.13, FAT), a change in the same tick as the
// listing's reading. Current kernels give a change after a folder's times were read a
// new, finer time. A name missed so might sit beside one that differs only in case;
// nothing is ever replaced, as files are created exclusively.
#pragma once
#include <string>
#include <string_view>

// Looks for name in folder (a host path; "" is the working folder) without regard to
// ASCII case, reading the folder when its listing is not kept or out of date. False
// when folder is not a readable folder; otherwise true, with found set to the entry's
// own spelling, or to name when no entry matches.
bool posixFolderEntry(std::string_view folder, std::string_view name, std::string& found);

// Like posixFolderEntry, but answers only from a listing that is still valid: false,
// reading nothing, when there is none for folder. mark is then what posixFolderBefore
// would give at this moment, for a create that follows with nothing in between.
bool posixListedEntry(std::string_view folder, std::string_view name, std::string& found,
                      unsigned long& mark);

// Taken just before the layer creates an entry at hostPath: a mark of the folder's
// listing when it is still current (the folder's stamp unchanged), else 0.
unsigned long posixFolderBefore(const std::string& hostPath);

// The layer created the entry at hostPath itself, with before from posixFolderBefore:
// the entry joins its folder's listing when nothing else changed the folder since the
// mark; otherwise the listing is read again when needed.
void posixFolderGained(const std::string& hostPath, unsigned long before);

// The layer removed, renamed or made an entry: the listing is read again when needed.
void posixFolderChanged();
