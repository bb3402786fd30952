// File-system helpers for tests, with DOS paths in code page 932 on both platforms.
#pragma once
#include <string>

// A fresh, empty temporary folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder's DOS path, without a trailing separator.
  const std::string& path() const { return root; }
  // root + "\\" + name.
  std::string operator/(const std::string& name) const { return root + "\\" + name; }

 private:
  std::string root;
};

void writeFile(const std::string& dosPath, const std::string& bytes);
// The file's bytes, or false when it cannot be read.
bool readFile(const std::string& dosPath, std::string& bytes);
void makeDir(const std::string& dosPath);
void removeFile(const std::string& dosPath);
// Renames a file or folder as another program would, with the paths as written.
void moveEntry(const std::string& fromDosPath, const std::string& toDosPath);
bool pathExists(const std::string& dosPath);
