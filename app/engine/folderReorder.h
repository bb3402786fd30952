// folderReorder: puts the entries of a folder on a card in the order a sorted copy writes
// them (files, then sub-folders, each by nameOrder), through the file system alone. A
// new folder receives its entries one after another on every FAT and exFAT driver, so
// each entry is moved (one rename, nothing copied) into a fresh working folder in that
// order, and the working folder then takes the folder's place. At every moment each
// entry is in the folder or in the working folder under its own name; a run after an
// interruption finds the working folder and finishes the job.
//
// The root of a volume cannot be put aside: its entries move into a working folder, that
// folder moves into a second one made in the root's first free slot, and the entries
// come back in order right behind it. Only the second folder's slot stays free before
// them, and an entry that cannot be moved (a folder the system protects) keeps its place.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "logSink.h"

struct reorderOptions {
  bool recursive = false;         // each sub-folder first, the same way
  bool natural = false;           // digit runs by value
  bool dryRun = false;            // log the new order; change nothing
  bool (*stopAsked)() = nullptr;  // asked before each rename; true ends the job there
  // The search that lists a folder in the order its file system holds the entries.
  HANDLE (*findFirst)(const char* pattern, WIN32_FIND_DATAA* data) = FindFirstFileA;
};

class folderReorder {
 public:
  folderReorder(logSink& log, const reorderOptions& options);

  // Reorders folder, a DOS path in code page 932 ("E:\MUSIC", "E:\"). 0 when done, 1
  // when a folder could not be reordered or a stop was asked (both logged).
  int run(const char* folder);

  // The working folder beside a folder that is not a root: "E:\MUSIC.sondrix-reorder".
  static std::string workingFolderOf(const std::string& folder);

 private:
  struct entry {
    std::string name;
    bool folder;
    bool system;  // hidden and system: in a root, the system keeps it where it is
    bool link;    // a link to a folder: moved, never entered
  };
  struct place {
    std::string path;    // completed: "E:\MUSIC", "E:\"
    std::string prefix;  // what an entry's name follows: "E:\MUSIC\", "E:\"
    std::string shown;   // as logged: the path as given, and the names below it
    bool root;
  };

  static place placeOf(const place& parent, const std::string& name);
  bool isRoot(const std::string& path) const;
  int reorderTree(const place& folder, int depth);
  bool stopHere(const place& folder);
  int reorderChildren(const place& folder, int depth);
  int reorderFolder(const place& folder);
  int reorderRoot(const place& folder);
  bool listFolder(const std::string& path, std::vector<entry>& entries);
  std::vector<entry> inOrder(std::vector<entry> entries) const;
  bool alreadyInOrder(const std::vector<entry>& listed) const;
  bool refuseNames(const place& folder, const std::string& into, const std::vector<entry>& entries);
  bool moveAll(const place& folder, const std::string& from, const std::string& into,
               const std::vector<entry>& entries, int& moved);
  bool moveOne(const place& folder, const std::string& from, const std::string& to);
  void showPlan(const place& folder, const std::vector<entry>& staying,
                const std::vector<entry>& moving);
  int done(const place& folder, int moved);
  int fail(const place& folder, const std::string& why);
  void note(const std::string& line);

  logSink& log;
  reorderOptions options;
  bool stopped = false;
};
