#include <gtest/gtest.h>
#include <direct.h>
#include <stdlib.h>
#include <string.h>
#include <cerrno>
#include <string>
#include <vector>
#include "testFs.h"
#include "vlFind.h"
#include "vlPathname.h"

namespace {
std::string currentFolder() {
  char buffer[300];
  return _getdcwd(0, buffer, sizeof buffer) ? buffer : "";
}

std::string currentDrive() { return std::string(1, static_cast<char>('@' + _getdrive())) + ":"; }

// The current folder without its drive, ending in "\\".
std::string currentDir() {
  std::string dir = currentFolder().substr(2);
  return dir.back() == '\\' ? dir : dir + "\\";
}

// "<none>", "<dir>" or the file's bytes.
std::string state(const std::string& path) {
  vlPathname p(path.c_str());
  if (!vlPathname::IsExist(path.c_str())) return "<none>";
  if (p.isDirectory()) return "<dir>";
  std::string bytes;
  readFile(path, bytes);
  return bytes;
}

// A folder with the files f ("F") and g ("G"), the folder d holding "in", and the
// empty folder e.
void fillFolder(const TempDir& dir) {
  writeFile(dir / "f", "F");
  writeFile(dir / "g", "G");
  makeDir(dir / "d");
  writeFile(dir / "d\\in", "I");
  makeDir(dir / "e");
}

std::vector<std::string> traces;
void keepTrace(const char* line) { traces.push_back(line); }
}  // namespace

TEST(vlPathnameCalls, SplitPath) {
  struct Row {
    const char *in, *drive, *dir, *fname, *ext;
  } rows[] = {
      {"C:\\music\\pop\\song.mp3", "C:", "\\music\\pop\\", "song", ".mp3"},
      {"C:/music/song.mp3", "C:", "/music/", "song", ".mp3"},
      {"ソ\\x.txt", "", "ソ\\", "x", ".txt"},  // trail byte 0x5C, then a separator
      {"dir\\ソ", "", "dir\\", "ソ", ""},
      {"a.b\\c", "", "a.b\\", "c", ""},
      {".profile", "", "", "", ".profile"},
      {"archive.tar.gz", "", "", "archive.tar", ".gz"},
      {"file.", "", "", "file", "."},
      {"\\share\\a\\b.txt", "", "\\share\\a\\", "b", ".txt"},
      {"C:", "C:", "", "", ""},
      {"", "", "", "", ""},
  };
  for (const Row& r : rows) {
    char drive[_MAX_DRIVE] = "J", dir[_MAX_DIR] = "JJ", fname[_MAX_FNAME] = "J", ext[_MAX_EXT] = "J";
    _splitpath(r.in, drive, dir, fname, ext);
    EXPECT_STREQ(drive, r.drive) << r.in;
    EXPECT_STREQ(dir, r.dir) << r.in;
    EXPECT_STREQ(fname, r.fname) << r.in;
    EXPECT_STREQ(ext, r.ext) << r.in;
  }
}

TEST(vlPathnameCalls, SplitPathPieceTooLong) {
  const std::string a255(255, 'a'), a256(256, 'a');
  struct Row {
    std::string in;
    bool fits;
  } rows[] = {
      {a255, true}, {a256, false},                               // name
      {"\\" + a255.substr(2) + "\\x", true},                       // folder
      {"\\" + a255.substr(1) + "\\x", false},                      //
      {"x." + a255.substr(1), true}, {"x." + a255, false},         // extension
  };
  for (const Row& r : rows) {
    char drive[_MAX_DRIVE] = "J", dir[_MAX_DIR] = "J", fname[_MAX_FNAME] = "J", ext[_MAX_EXT] = "J";
    errno = 0;
    _splitpath(r.in.c_str(), drive, dir, fname, ext);
    std::string joined = std::string(drive) + dir + fname + ext;
    EXPECT_EQ(joined, r.fits ? r.in : "") << r.in.size();
    EXPECT_EQ(errno, r.fits ? 0 : ERANGE) << r.in.size();
  }
}

TEST(vlPathnameCalls, StricmpFoldsAsciiToLowerCase) {
  struct Row {
    const char *a, *b;
    int sign;
  } rows[] = {
      {"EXE", "exe", 0}, {"Bat", "bAT", 0}, {"a", "B", -1}, {"B", "a", 1},
      {"_", "a", -1},  // '_' lies between the cases: lower case is compared
      {"abc", "ab", 1}, {"", "", 0}, {"ソ", "ソ", 0},
  };
  for (const Row& r : rows) {
    int result = _stricmp(r.a, r.b);
    EXPECT_EQ((result > 0) - (result < 0), r.sign) << r.a << " " << r.b;
  }
}

TEST(vlPathnameCalls, CurrentDriveAndFolder) {
  int drive = _getdrive();
  ASSERT_GE(drive, 1);
  ASSERT_LE(drive, 26);
  std::string folder = currentFolder();
  ASSERT_GE(folder.size(), 3u);
  EXPECT_EQ(folder.substr(0, 3), currentDrive() + "\\");
  char buffer[300];
  ASSERT_NE(_getdcwd(drive, buffer, sizeof buffer), nullptr);
  EXPECT_EQ(folder, buffer);
  if (drive != 17) {
    EXPECT_EQ(_getdcwd(17, buffer, sizeof buffer), nullptr);  // Q:
  }

  int exact = static_cast<int>(folder.size() + 1);
  EXPECT_EQ(_getdcwd(0, buffer, exact), buffer);
  memset(buffer, 'J', sizeof buffer);
  errno = 0;
  EXPECT_EQ(_getdcwd(0, buffer, exact - 1), nullptr);
  EXPECT_EQ(errno, ERANGE);
  EXPECT_EQ(buffer[0], 'J');
  char* allocated = _getdcwd(0, nullptr, 0);
  ASSERT_NE(allocated, nullptr);
  EXPECT_EQ(folder, allocated);
  free(allocated);
}

TEST(vlPathnameCalls, DeleteFile) {
  struct Row {
    const char* name;
    DWORD code;  // 0: deleted
  } rows[] = {
      {"f", 0}, {"h", 2}, {"h\\", 2}, {"x\\h", 3}, {"f\\x", 3}, {"d", 5}, {"e", 5},
      {"f?", 123}, {"*", 123}, {"a*\\x", 123}, {"a<b", 123},
  };
  for (const Row& r : rows) {
    TempDir dir;
    fillFolder(dir);
    SetLastError(0xdeadbeef);
    BOOL ok = DeleteFileA((dir / r.name).c_str());
    EXPECT_EQ(ok, r.code == 0) << r.name;
    if (!ok) {
      EXPECT_EQ(GetLastError(), r.code) << r.name;
    }
    EXPECT_EQ(state(dir / "f"), strcmp(r.name, "f") == 0 ? "<none>" : "F") << r.name;
  }
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(DeleteFileA(""));
  EXPECT_EQ(GetLastError(), 3u);
}

TEST(vlPathnameCalls, MoveFile) {
  struct Row {
    const char *from, *to;
    DWORD flags, code;
    const char *fromAfter, *toAfter;
  } rows[] = {
      /*  0 */ {"f", "h", 0, 0, "<none>", "F"},
      /*  1 */ {"f", "g", 0, 183, "F", "G"},
      /*  2 */ {"f", "g", MOVEFILE_COPY_ALLOWED, 183, "F", "G"},
      /*  3 */ {"f", "g", MOVEFILE_REPLACE_EXISTING, 0, "<none>", "F"},
      /*  4 */ {"f", "g", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, 0, "<none>", "F"},
      /*  5 */ {"f", "f", 0, 0, "F", "F"},
      /*  6 */ {"f", "e", 0, 183, "F", "<dir>"},
      /*  7 */ {"f", "e", MOVEFILE_REPLACE_EXISTING, 5, "F", "<dir>"},
      /*  8 */ {"d", "f", 0, 183, "<dir>", "F"},
      /*  9 */ {"d", "e", 0, 183, "<dir>", "<dir>"},
      /* 10 */ {"d", "e", MOVEFILE_REPLACE_EXISTING, 5, "<dir>", "<dir>"},
      /* 11 */ {"d", "h", MOVEFILE_WRITE_THROUGH, 0, "<none>", "<dir>"},
      /* 12 */ {"d\\", "h", 0, 0, "<none>", "<dir>"},
      /* 13 */ {"d", "d\\sub", 0, 87, "<dir>", "<none>"},
      /* 14 */ {"f", "x\\h", 0, 3, "F", "<none>"},
      /* 15 */ {"f", "f\\h", 0, 3, "F", "<none>"},
      /* 16 */ {"x", "h", 0, 2, "<none>", "<none>"},
      /* 17 */ {"x\\y", "h", 0, 3, "<none>", "<none>"},
      /* 18 */ {"f", "a*b", 0, 123, "F", "<none>"},
      /* 19 */ {"f", "a|b", 0, 123, "F", "<none>"},
      /* 20 */ {"f", "ソ表.mp3", 0, 0, "<none>", "F"},
  };
  int index = 0;
  for (const Row& r : rows) {
    TempDir dir;
    fillFolder(dir);
    SetLastError(0xdeadbeef);
    BOOL ok = MoveFileExA((dir / r.from).c_str(), (dir / r.to).c_str(), r.flags);
    EXPECT_EQ(ok, r.code == 0) << "row " << index;
    if (!ok) {
      EXPECT_EQ(GetLastError(), r.code) << "row " << index;
    }
    EXPECT_EQ(state(dir / r.from), r.fromAfter) << "row " << index;
    EXPECT_EQ(state(dir / r.to), r.toAfter) << "row " << index;
    ++index;
  }
}

// Names moved into a folder one after another are matched without regard to case against
// everything there: this program's earlier moves and what another program put there
// between two of them.
TEST(vlPathnameCalls, MovesIntoAFolderSeeEveryNameThere) {
  TempDir dir;
  makeDir(dir / "Out");
  for (const char* name : {"a", "b", "c", "d"}) writeFile(dir / name, name);
  EXPECT_TRUE(MoveFileExA((dir / "a").c_str(), (dir / "Out\\one.mp3").c_str(), 0));
  writeFile(dir / "Out\\SONG.MP3", "theirs");
  EXPECT_TRUE(MoveFileExA((dir / "b").c_str(), (dir / "Out\\two.mp3").c_str(), 0));
  for (const char* taken : {"Out\\song.mp3", "OUT\\One.MP3", "out\\TWO.mp3"}) {
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MoveFileExA((dir / "c").c_str(), (dir / taken).c_str(), 0)) << taken;
    EXPECT_EQ(GetLastError(), 183u) << taken;
  }
  EXPECT_EQ(state(dir / "c"), "c");
}

TEST(vlPathnameCalls, MoveAcrossVolumes) {
  const std::string other = "Z:\\dev\\shm";  // a memory file system beside the temp folder
  if (!vlPathname::IsExist(other.c_str())) GTEST_SKIP() << "no second volume";
  TempDir dir;
  fillFolder(dir);
  std::string target = other + dir.path().substr(dir.path().rfind('\\'));
  struct Cleanup {
    std::string path;
    ~Cleanup() { vlPathname::Remove(path.c_str()); }
  } cleanup{target};
  int code = vlPathname::Rename((dir / "f").c_str(), target.c_str(), 0);
  if (code == 0) GTEST_SKIP() << "one volume";
  EXPECT_EQ(code, 17);
  EXPECT_EQ(vlPathname::Rename((dir / "f").c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED), 0);
  EXPECT_EQ(state(dir / "f"), "<none>");
  EXPECT_EQ(state(target), "F");
  EXPECT_EQ(vlPathname::Rename((dir / "g").c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED), 183);
  EXPECT_EQ(vlPathname::Rename((dir / "g").c_str(), target.c_str(),
                               MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
            0);
  EXPECT_EQ(state(target), "G");
  EXPECT_EQ(vlPathname::Rename((dir / "d").c_str(), (target + "d").c_str(), MOVEFILE_COPY_ALLOWED), 5);
  EXPECT_EQ(state(dir / "d"), "<dir>");
}

TEST(vlPathname, SplitsAbsolutePaths) {
  struct Row {
    const char *in, *server, *drive, *dir, *base, *ext, *path;
  } rows[] = {
      {"C:\\music\\pop\\song.mp3", "", "C:", "\\music\\pop\\", "song", "mp3", nullptr},
      {"\\\\host\\share\\a\\b.txt", "\\\\host", "", "\\share\\a\\", "b", "txt", nullptr},
      {"\\\\host\\", "\\\\host", "", "\\", "", "", nullptr},
      {"C:\\dir\\", "", "C:", "\\dir\\", "", "", nullptr},
      {"C:\\dir\\.profile", "", "C:", "\\dir\\", ".profile", "", nullptr},
      {"C:\\dir\\archive.tar.gz", "", "C:", "\\dir\\", "archive.tar", "gz", nullptr},
      {"C:\\dir\\file.", "", "C:", "\\dir\\", "file", "", "C:\\dir\\file"},
      {"C:\\dir\\.", "", "C:", "\\dir\\", "", "", "C:\\dir\\"},
      {"c:\\a\\b\\..", "", "c:", "\\a\\b\\", "..", "", nullptr},  // the parent stays ".."
      {"C:\\ソ\\表.mp3", "", "C:", "\\ソ\\", "表", "mp3", nullptr},
      {"C:\\表", "", "C:", "\\", "表", "", nullptr},
      {"C:/music/song.mp3", "", "C:", "/music/\\", "song", "mp3", "C:/music/\\song.mp3"},
  };
  for (const Row& r : rows) {
    vlPathname p(r.in);
    EXPECT_EQ(p.lastError, 0) << r.in;
    EXPECT_STREQ(p.server, r.server) << r.in;
    EXPECT_STREQ(p.drive, r.drive) << r.in;
    EXPECT_STREQ(p.dir, r.dir) << r.in;
    EXPECT_STREQ(p.baseName, r.base) << r.in;
    EXPECT_STREQ(p.name(), r.base) << r.in;
    EXPECT_STREQ(p.ext, r.ext) << r.in;
    EXPECT_STREQ(p.path, r.path ? r.path : r.in) << r.in;
    char folder[300] = "junk";
    EXPECT_EQ(std::string(p.getFilePos(folder)) + p.filePos, p.path) << r.in;
    EXPECT_EQ(std::string(folder), std::string(r.server) + r.drive + r.dir) << r.in;
  }
}

TEST(vlPathname, CompletesRelativePaths) {
  const std::string drive = currentDrive(), dir = currentDir();
  std::string lowerDrive = drive;
  lowerDrive[0] = static_cast<char>(lowerDrive[0] | 0x20);
  struct Row {
    std::string in, drive, dir, base;
  } rows[] = {
      {"song.mp3", drive, dir, "song"},
      {"sub\\a.mp3", drive, dir + "sub\\", "a"},
      {"..\\x\\a.mp3", drive, dir + "..\\x\\", "a"},
      {"\\x\\a.mp3", drive, "\\x\\", "a"},
      {drive + "a.mp3", drive, dir, "a"},
      {lowerDrive + "a.mp3", lowerDrive, dir, "a"},
  };
  for (const Row& r : rows) {
    vlPathname p(r.in.c_str());
    EXPECT_EQ(p.lastError, 0) << r.in;
    EXPECT_EQ(p.drive, r.drive) << r.in;
    EXPECT_EQ(p.dir, r.dir) << r.in;
    EXPECT_EQ(p.baseName, r.base) << r.in;
    EXPECT_EQ(p.path, r.drive + r.dir + r.base + ".mp3") << r.in;
  }
  for (int number = 1; number <= 26; ++number) {  // a drive whose current folder is its root
    char root[300];
    if (!_getdcwd(number, root, sizeof root) || strlen(root) != 3) continue;
    std::string in = std::string(root, 2) + "a.mp3";
    EXPECT_EQ(vlPathname(in.c_str()).path, root + std::string("a.mp3"));
  }
}

TEST(vlPathname, RelativeNameFindsTheEntryInTheWorkingFolder) {
  vlFind find;
  ASSERT_EQ(find.findFirst("*", 0xFF), 0);
  std::string entry;
  do entry = find.getName(nullptr);
  while ((entry == "." || entry == "..") && find.findNext());
  vlPathname p(entry.c_str());
  EXPECT_EQ(p.path, currentDrive() + currentDir() + entry);
  EXPECT_EQ(p.getStatus(nullptr), 0);
  EXPECT_STREQ(p.status.cFileName, entry.c_str());
}

TEST(vlPathname, RefusesWhatItCannotHold) {
  const std::string dir200(200, 'd'), a256(256, 'a'), a257(257, 'a');
  const std::string rows[] = {
      "\\\\host",                           // server without a separator
      "C:\\" + dir200 + "\\" + std::string(57, 'n'),   // 261 bytes
      dir200 + "\\" + std::string(57, 'n'),  // 258 bytes, longer once completed
      "C:\\" + a256 + "\\",                  // 260 bytes, but a folder too long to split
      "C:\\" + a257,                         // 260 bytes, but a name too long to split
      "Q:a.mp3",                             // no current folder on drive Q:
      "1:a.mp3", "@:a.mp3",                  // no drive letter
      "\\\\host\\:x",
  };
  dboutHook = keepTrace;
  for (const std::string& in : rows) {
    if (in[0] == 'Q' && _getdrive() == 17) continue;
    traces.clear();
    vlPathname p("C:\\old.mp3");
    EXPECT_EQ(p.storeName(in.c_str()), 123) << in;
    EXPECT_EQ(p.lastError, 123) << in;
    EXPECT_STREQ(p.path, "") << in;
    EXPECT_EQ(p.filePos, &p.emptyText) << in;
    EXPECT_EQ(p.baseName, &p.emptyText) << in;
    char folder[300] = "junk";
    EXPECT_STREQ(p.getFilePos(folder), "") << in;
    ASSERT_EQ(traces.size(), 1u) << in;
    EXPECT_NE(traces[0].find("vlPathname::store"), std::string::npos) << traces[0];
  }
  dboutHook = nullptr;
}

TEST(vlPathname, AcceptsPathsOf260Bytes) {
  std::string in = "C:\\" + std::string(100, 'a') + "\\" + std::string(100, 'b') + "\\" +
                   std::string(51, 'c') + ".mp3";
  ASSERT_EQ(in.size(), 260u);
  vlPathname p(in.c_str());
  EXPECT_EQ(p.lastError, 0);
  EXPECT_EQ(p.path, in);
  EXPECT_EQ(std::string(p.filePos), std::string(51, 'c') + ".mp3");
}

TEST(vlPathname, MakeJoinsPieces) {
  struct Row {
    const char *server, *drive, *dir, *name, *ext, *path, *base, *extAfter;
  } rows[] = {
      {"\\\\host\\", nullptr, "\\share", "b", "txt", "\\\\host\\share\\b.txt", "b", "txt"},
      {"", "C:", "\\dir", "", "profile", "C:\\dir\\.profile", ".profile", ""},
      {nullptr, "C:", nullptr, "a", nullptr, "C:a", "a", ""},
      {nullptr, "C:", "\\ソ", "a", "", "C:\\ソ\\a", "a", ""},
      {nullptr, nullptr, nullptr, nullptr, nullptr, "", "", ""},
  };
  for (const Row& r : rows) {
    vlPathname p;
    EXPECT_EQ(p.make(r.server, r.drive, r.dir, r.name, r.ext), 0) << r.path;
    EXPECT_STREQ(p.path, r.path);
    EXPECT_STREQ(p.baseName, r.base) << r.path;
    EXPECT_STREQ(p.ext, r.extAfter) << r.path;
  }
  const std::string dir250 = "\\" + std::string(249, 'd');
  vlPathname p;
  EXPECT_EQ(p.make(nullptr, "C:", dir250.c_str(), "abcd", "mp3"), 0);  // 260 with the dot
  EXPECT_EQ(std::string(p.filePos), "abcd.mp3");
  EXPECT_EQ(p.make(nullptr, "C:", dir250.c_str(), "abcd", "mp3x"), 123);
  EXPECT_EQ(p.lastError, 123);
  EXPECT_STREQ(p.path, "");
  EXPECT_EQ(p.dir, &p.emptyText);
}

TEST(vlPathname, TakesItsOwnPiecesAsArguments) {
  vlPathname p("C:\\music\\song.mp3");
  EXPECT_EQ(p.storeName(p.path), 0);
  EXPECT_STREQ(p.path, "C:\\music\\song.mp3");
  EXPECT_EQ(p.make(p.server, p.drive, p.dir, "tune", p.ext), 0);
  EXPECT_STREQ(p.path, "C:\\music\\tune.mp3");
  EXPECT_STREQ(p.ext, "mp3");
}

TEST(vlPathname, CopiesOwnTheirPieces) {
  auto* original = new vlPathname("\\\\host\\share\\song.mp3");
  vlPathname copy(*original);
  vlPathname assigned;
  assigned = *original;
  delete original;
  for (vlPathname* p : {&copy, &assigned}) {
    EXPECT_STREQ(p->server, "\\\\host");
    EXPECT_STREQ(p->dir, "\\share\\");
    EXPECT_STREQ(p->filePos, "song.mp3");
    EXPECT_EQ(p->drive, &p->emptyText);
  }
}

TEST(vlPathname, IsExist) {
  TempDir dir;
  fillFolder(dir);
  writeFile(dir / "a.mp3", "x");
  struct Row {
    std::string path;
    bool exists;
  } rows[] = {
      {dir / "a.mp3", true}, {dir / "A.MP3", true}, {dir / "d", true}, {dir / "*.mp3", true},
      {dir / "*.wma", false}, {dir / "b.mp3", false}, {dir / "x\\a.mp3", false}, {"", false},
  };
  for (const Row& r : rows) EXPECT_EQ(vlPathname::IsExist(r.path.c_str()), r.exists) << r.path;
  EXPECT_FALSE(vlPathname::IsExist(nullptr));
}

TEST(vlPathname, RemoveAndRename) {
  TempDir dir;
  fillFolder(dir);
  writeFile(dir / "a.mp3", "x");
  EXPECT_EQ(vlPathname::Remove((dir / "missing").c_str()), 0);
  EXPECT_EQ(vlPathname::Remove((dir / "d").c_str()), 5);
  EXPECT_EQ(vlPathname::Remove((dir / "*.mp3").c_str()), 123);
  EXPECT_EQ(state(dir / "a.mp3"), "x");
  EXPECT_EQ(vlPathname::Rename("", (dir / "h").c_str(), 0), 3);
  EXPECT_EQ(vlPathname::Rename((dir / "f").c_str(), nullptr, 0), 3);

  vlPathname p((dir / "f").c_str());
  ASSERT_EQ(p.getStatus(nullptr), 0);
  EXPECT_EQ(p.rename((dir / "g").c_str(), 0), 183);
  EXPECT_EQ(p.lastError, 183);
  EXPECT_FALSE(p.statusValid);
  EXPECT_EQ(p.rename((dir / "h").c_str(), 0), 0);
  EXPECT_EQ(p.path, dir / "f");  // the object keeps the old name
  EXPECT_EQ(state(dir / "h"), "F");
  EXPECT_EQ(p.rename((dir / "i").c_str(), 0), 2);

  vlPathname q((dir / "g").c_str());
  ASSERT_EQ(q.getStatus(nullptr), 0);
  EXPECT_EQ(q.remove(), 0);
  EXPECT_FALSE(q.statusValid);
  EXPECT_EQ(state(dir / "g"), "<none>");
  q.lastError = 7;
  EXPECT_EQ(q.remove(), 0);  // already gone
  EXPECT_EQ(q.lastError, 0);
}

TEST(vlPathname, StatusIsCachedUntilAskedAgain) {
  TempDir dir;
  writeFile(dir / "a.mp3", "xyz");
  vlPathname p((dir / "a.mp3").c_str());
  WIN32_FIND_DATAA record;
  memset(&record, 0xAB, sizeof record);
  ASSERT_EQ(p.getStatus(&record), 0);
  EXPECT_STREQ(record.cFileName, "a.mp3");
  EXPECT_EQ(record.nFileSizeLow, 3u);
  EXPECT_TRUE(p.statusValid);
  EXPECT_TRUE(p.isArchive());
  ASSERT_TRUE(DeleteFileA(p.path));
  EXPECT_TRUE(p.isArchive());  // from the cache
  EXPECT_EQ(p.getStatus(nullptr), 2);
  EXPECT_FALSE(p.statusValid);
  EXPECT_FALSE(p.isArchive());
  EXPECT_EQ(p.lastError, 2);
}

TEST(vlPathname, AttributeTests) {
  TempDir dir;
  fillFolder(dir);
  writeFile(dir / ".hidden", "x");
  vlPathname folder((dir / "d").c_str()), file((dir / "f").c_str()),
      hidden((dir / ".hidden").c_str()), missing((dir / "missing").c_str());
  EXPECT_TRUE(folder.isDirectory());
  EXPECT_FALSE(folder.isArchive());
  EXPECT_TRUE(file.isArchive());
  EXPECT_FALSE(file.isDirectory() || file.isReadOnly() || file.isHidden() || file.isSystem());
  EXPECT_FALSE(file.isNormal() || file.isTemporary() || file.isCompressed());
  EXPECT_TRUE(hidden.isHidden());
  EXPECT_FALSE(missing.isDirectory() || missing.isArchive());
  EXPECT_EQ(missing.lastError, 2);
}

TEST(vlPathname, IsExecutableByExtension) {
  struct Row {
    const char* path;
    bool executable;
  } rows[] = {{"C:\\RUN.EXE", true}, {"C:\\setup.Bat", true}, {"C:\\x.com", true},
              {"C:\\a.exe.txt", false}, {"C:\\exe", false}, {"C:\\", false}};
  for (const Row& r : rows) EXPECT_EQ(vlPathname(r.path).isExecutable(), r.executable) << r.path;
}
