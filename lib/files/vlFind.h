// vlFind: one directory search through the platform's find-first / find-next calls.
// Entries come in the platform's order, "." and ".." included; callers filter and sort.
#pragma once
#include <windows.h>
#include "vlObject.h"

class vlFind : public vlObject {
 public:
  vlFind();
  ~vlFind() override;

  // Starts a search for a pattern; 0, or the platform's code (2, 3). The attribute
  // mask has no effect.
  int findFirst(const char* pattern, int attributes);
  // As findFirst, without short names (getAlterName gives ""), which the platform may
  // then skip making. With foldersOnly the platform leaves out other entries where it
  // can, without reading them; it may list them too, so callers still test the
  // directory bit.
  int findBasic(const char* pattern, bool foldersOnly);
  // As findFirst, through another find-first call of the platform's kind.
  int findWith(HANDLE (*first)(const char* pattern, WIN32_FIND_DATAA* data), const char* pattern);
  // Moves to the next entry; false at the end (lastError 18).
  bool findNext();
  // Searches every entry of a folder; read() then returns them one by one.
  int open(const char* folder, int attributes);
  bool read(char* nameOut);
  // Name of the current entry, copied into out when given; null without a search.
  const char* getName(char* out);
  const char* getAlterName(char* out);
  const WIN32_FIND_DATAA* getData() const;
  void close();

  HANDLE handle;
  WIN32_FIND_DATAA findData;
  bool firstPending;

 private:
  int started(HANDLE search);
  const char* currentName(const char* name, char* out);
};
