// vlPathname: a path split into server, drive, folder, base name and extension,
// completed against the current drive and folder, and questions about its file.
// Example: "C:\music\pop\song.mp3" gives drive "C:", dir "\music\pop\", baseName
// "song", ext "mp3"; filePos points at "song.mp3" inside path.
#pragma once
#include <windows.h>
#include "vlObject.h"

class vlPathname : public vlObject {
 public:
  explicit vlPathname(const char* path = nullptr);
  // Copies point into the copy's own buffers, never into the original's.
  vlPathname(const vlPathname& other);
  vlPathname& operator=(const vlPathname& other);
  ~vlPathname() override;

  // Parses and completes a path of at most 260 bytes; 0, or 123 (object left empty).
  int storeName(const char* path);
  // Builds the path from its pieces (null or empty pieces are absent); 0, or 123.
  int make(const char* server, const char* drive, const char* dir, const char* name,
           const char* ext);
  void clear();
  // The base name (overrides the object name slot).
  const char* name() override;
  using vlObject::name;
  // Copies server, drive and folder (with its trailing "\\") into out (300 bytes).
  char* getFilePos(char* out);

  static bool IsExist(const char* path);
  static int Remove(const char* path);
  int remove();
  static int Rename(const char* oldName, const char* newName, int flags);
  int rename(const char* newName, int flags);
  int getStatus(WIN32_FIND_DATAA* record);
  bool isReadOnly();
  bool isHidden();
  bool isSystem();
  bool isDirectory();
  bool isArchive();
  bool isNormal();
  bool isTemporary();
  bool isCompressed();
  bool isExecutable();
  static bool setupDirectory();

  char emptyText;
  char path[300];
  char pieceStore[300];
  char* server;
  char* drive;
  char* dir;
  char* baseName;
  char* ext;
  char* filePos;
  bool statusValid;
  WIN32_FIND_DATAA status;

 private:
  int fail();
  char* keep(char*& store, const char* text);
  char* rebase(const vlPathname& other, const char* piece);
  bool hasAttribute(DWORD bit);
};
