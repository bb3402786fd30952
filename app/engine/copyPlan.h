// copyPlan: what a dry run would have made so far in its job (the files it would copy,
// the folders it would create), so that it decides each later file as the copy would on
// the same tree: a second entry naming a file the job already copied finds it present,
// holding the bytes of the source it was copied from.
// Paths are compared as Windows and a FAT volume compare names: ASCII letters without
// regard to case (never the trail byte of a two-byte character), a final separator
// ignored. Example: "D:\out\Song.mp3" and "d:\OUT\song.MP3" are one path.
#pragma once
#include <map>
#include <string>
#include "copyHelpers.h"

class copyPlan {
 public:
  // Forgets what was made: a new job.
  void clear();
  // What is at path (code page 932): what the job would have made there, else what the
  // disk holds.
  pathKind find(const char* path) const;
  // Records a new entry at path where the job could make one: nothing is there yet, and
  // the text up to its last separator names a folder. False, recording nothing, else.
  // A file is copied from source.
  bool make(const char* path, pathKind what, const char* source = "");
  // The job would finish the file at path from source: it then holds source's bytes.
  void fill(const char* path, const char* source);
  // The file whose bytes the file at path would hold: the source the job would have
  // copied or finished it from, or null when the job would not have written it.
  const char* contentOf(const char* path) const;

 private:
  struct entry {
    pathKind kind;
    std::string source;  // of a file
  };
  std::map<std::string, entry> made;  // by the folded path
};
