// vlFileStream, and the platform file calls under it: the same rows run against
// Windows (Wine) and the POSIX layer.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "testFs.h"
#include "vlFileStream.h"
#include "vlPathname.h"

namespace {
std::string contents(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(readFile(path, bytes)) << path;
  return bytes;
}

HANDLE openFile(const std::string& path, DWORD access, DWORD share, DWORD creation,
                DWORD attributes = 0) {
  return CreateFileA(path.c_str(), access, share, nullptr, creation, attributes, nullptr);
}

// Opens and closes again; the handle result and last error of the open.
DWORD tryOpen(const std::string& path, DWORD access, DWORD share, DWORD creation) {
  SetLastError(0xdeadbeef);
  HANDLE h = openFile(path, access, share, creation);
  DWORD code = GetLastError();
  if (h == INVALID_HANDLE_VALUE) return code ? code : 0xdeadbeef;
  CloseHandle(h);
  return code == ERROR_ALREADY_EXISTS ? code : 0;
}
}  // namespace

TEST(vlFileStream, ReadsLinesOfAFile) {
  TempDir dir;
  writeFile(dir / "list.wpl", "ab\r\n\x83\x5C\x95\x5C\r\nlast");
  vlFileStream s((dir / "list.wpl").c_str());
  ASSERT_EQ(s.openFile('r', nullptr), 0);
  EXPECT_EQ(s.mode, 'r');
  EXPECT_EQ(s.size(), 14);
  EXPECT_EQ(s.position(), 0);
  std::vector<std::string> lines;
  unsigned char line[1000];
  while (s.position() < s.size()) {
    ASSERT_EQ(s.gets(line, sizeof line), 0);
    lines.emplace_back(reinterpret_cast<char*>(line));
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"ab", "\x83\x5C\x95\x5C", "last"}));
  EXPECT_TRUE(s.eof());
  unsigned char b;
  EXPECT_EQ(s.getb(b), 30);
  EXPECT_EQ(s.close(), 0);
  EXPECT_EQ(s.mode, 0);
  EXPECT_EQ(s.handle, INVALID_HANDLE_VALUE);
}

TEST(vlFileStream, OpenModes) {
  TempDir dir;
  const std::string f = dir / "f.txt";
  vlFileStream s;
  EXPECT_EQ(s.openFile('r', f.c_str()), 2);
  EXPECT_EQ(s.mode, 0);
  EXPECT_EQ(s.close(), 0);
  EXPECT_EQ(s.openFile('x', f.c_str()), -1);
  EXPECT_EQ(s.lastError, -1);
  EXPECT_EQ(s.openFile('r', (dir / "no\\f.txt").c_str()), 3);

  writeFile(f, "12345");
  ASSERT_EQ(s.openFile('a', f.c_str()), 0);
  EXPECT_EQ(s.position(), 5);
  EXPECT_EQ(s.puts("678"), 0);
  EXPECT_EQ(s.size(), 8);
  EXPECT_EQ(s.position(), 8);
  ASSERT_EQ(s.close(), 0);
  EXPECT_EQ(contents(f), "12345678");

  ASSERT_EQ(s.openFile('u', nullptr), 0);
  EXPECT_EQ(s.position(), 0);
  unsigned char b;
  EXPECT_EQ(s.getb(b), 0);
  EXPECT_EQ(b, '1');
  EXPECT_EQ(s.putj('X'), 0);
  ASSERT_EQ(s.close(), 0);
  EXPECT_EQ(contents(f), "1X345678");

  ASSERT_EQ(s.openFile('w', nullptr), 0);
  EXPECT_EQ(s.size(), 0);
  ASSERT_EQ(s.close(), 0);
  EXPECT_EQ(contents(f), "");

  for (char mode : {'a', 'u'}) {
    const std::string fresh = dir / std::string(1, mode);
    ASSERT_EQ(s.openFile(mode, fresh.c_str()), 0) << mode;
    EXPECT_EQ(s.size(), 0);
    ASSERT_EQ(s.close(), 0);
    EXPECT_TRUE(pathExists(fresh));
  }
}

TEST(vlFileStream, Seek) {
  TempDir dir;
  writeFile(dir / "f", "0123456789");
  vlFileStream s((dir / "f").c_str());
  ASSERT_EQ(s.ropen(), 0);
  EXPECT_LT(s.seek(-1, 0), 0);
  EXPECT_EQ(s.lastError, 131);
  EXPECT_STREQ(s.errorString(nullptr), "負のファイル位置です");
  EXPECT_EQ(s.seek(4, 0), 4);
  EXPECT_EQ(s.position(), 4);
  EXPECT_EQ(s.lastError, 0);
  EXPECT_EQ(s.seek(-1, 2), 9);
  EXPECT_EQ(s.seek(-3, 1), 6);
  unsigned char b;
  ASSERT_EQ(s.getb(b), 0);
  EXPECT_EQ(b, '6');
  EXPECT_LT(s.seek(0, 3), 0);
  EXPECT_EQ(s.lastError, 87);
}

TEST(vlFileStream, PushBackIsDroppedOnReopenAndClose) {
  TempDir dir;
  writeFile(dir / "f", "abc");
  vlFileStream s((dir / "f").c_str());
  unsigned char b;
  ASSERT_EQ(s.ropen(), 0);
  ASSERT_EQ(s.getb(b), 0);
  ASSERT_EQ(s.unreadb('z'), 0);
  ASSERT_EQ(s.close(), 0);
  EXPECT_EQ(s.unreadCount, 0);
  ASSERT_EQ(s.ropen(), 0);
  EXPECT_EQ(s.getb(b), 0);
  EXPECT_EQ(b, 'a');
}

TEST(vlFileStream, NameLimits) {
  const std::string n290(290, 'n'), n299(299, 'n');
  vlFileStream s("keep");
  EXPECT_EQ(s.setPath((n290 + "x").c_str()), -1);
  EXPECT_STREQ(s.getPath(), "keep");
  EXPECT_EQ(s.setPath(n290.c_str()), 0);
  EXPECT_EQ(s.getPath(), n290);
  EXPECT_EQ(vlFileStream(n299.c_str()).getPath(), n299);
  vlFileStream tooLong((n299 + "x").c_str());
  EXPECT_STREQ(tooLong.getPath(), "");
  EXPECT_EQ(tooLong.lastError, -1);
  EXPECT_STREQ(s.name(), ":Stream");
  EXPECT_STREQ(s.objectName, "vlStream");
}

TEST(vlFileStream, NameFromAPathnameObject) {
  TempDir dir;
  writeFile(dir / "a.txt", "A");
  writeFile(dir / "b.txt", "B");
  vlPathname p((dir / "a.txt").c_str());
  vlFileStream s(&p);
  EXPECT_EQ(s.getPath(), dir / "a.txt");
  unsigned char b;
  ASSERT_EQ(s.openFile('r', nullptr), 0);
  ASSERT_EQ(s.getb(b), 0);
  EXPECT_EQ(b, 'A');
  ASSERT_EQ(s.close(), 0);

  // A name set on the stream is parsed by the attached object, long or not.
  EXPECT_EQ(s.setPath((dir / "b.txt").c_str()), 0);
  EXPECT_STREQ(p.baseName, "b");
  EXPECT_EQ(s.setPath(std::string(300, 'x').c_str()), 0);
  EXPECT_EQ(p.lastError, 123);
  ASSERT_EQ(s.openFile('r', (dir / "b.txt").c_str()), 0);
  ASSERT_EQ(s.getb(b), 0);
  EXPECT_EQ(b, 'B');
  ASSERT_EQ(s.close(), 0);

  EXPECT_EQ(s.setPath(static_cast<vlPathname*>(nullptr)), 0);
  EXPECT_STREQ(s.getPath(), "");
  vlPathname q((dir / "a.txt").c_str());
  EXPECT_EQ(s.setPath(q), 0);
  EXPECT_EQ(s.pathname, &q);
}

TEST(vlFileStream, HandleOwnership) {
  TempDir dir;
  const std::string f = dir / "f";
  writeFile(f, "xy");
  BY_HANDLE_FILE_INFORMATION info;
  HANDLE kept = openFile(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(kept, INVALID_HANDLE_VALUE);
  { vlFileStream borrowed(kept, 'r', false); }
  EXPECT_TRUE(GetFileInformationByHandle(kept, &info));

  {
    vlFileStream owning(kept, 'r', true);
    EXPECT_EQ(owning.getInfo(&info), 0);
    EXPECT_EQ(owning.size(), 2);
  }
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(GetFileInformationByHandle(kept, &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  // clearHandle hands the handle over without closing it.
  vlFileStream s(f.c_str());
  ASSERT_EQ(s.ropen(), 0);
  HANDLE taken = s.handle;
  s.clearHandle();
  EXPECT_EQ(s.mode, 0);
  EXPECT_TRUE(GetFileInformationByHandle(taken, &info));
  CloseHandle(taken);
}

TEST(vlFileStream, ReopeningReleasesTheOpenHandle) {
  TempDir dir;
  const std::string a = dir / "a", b = dir / "b";
  vlFileStream s;
  ASSERT_EQ(s.openFile('w', a.c_str()), 0);
  ASSERT_EQ(s.openFile('w', b.c_str()), 0);
  EXPECT_EQ(tryOpen(a, GENERIC_WRITE, 0, OPEN_EXISTING), 0u);  // a is closed again

  // A stream that wrapped a borrowed handle owns the handle it opens itself.
  HANDLE borrowed = openFile(a, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  {
    vlFileStream wrap(borrowed, 'r', false);
    ASSERT_EQ(wrap.openFile('u', b.c_str()), 32);  // b is still held exclusively by s
    ASSERT_EQ(s.close(), 0);
    ASSERT_EQ(wrap.openFile('u', b.c_str()), 0);
  }
  EXPECT_EQ(tryOpen(b, GENERIC_WRITE, 0, OPEN_EXISTING), 0u);
  BY_HANDLE_FILE_INFORMATION info;
  EXPECT_TRUE(GetFileInformationByHandle(borrowed, &info));
  CloseHandle(borrowed);
}

TEST(vlFileStream, SharingBetweenStreams) {
  TempDir dir;
  const std::string f = dir / "f";
  writeFile(f, "data");
  vlFileStream reader(f.c_str()), second(f.c_str()), writer(f.c_str());
  ASSERT_EQ(reader.ropen(), 0);
  EXPECT_EQ(second.ropen(), 0);
  EXPECT_EQ(writer.wopen(), 32);
  EXPECT_EQ(writer.uopen(), 32);
  reader.close();
  second.close();
  ASSERT_EQ(writer.aopen(), 0);
  EXPECT_EQ(reader.ropen(), 32);
  EXPECT_EQ(writer.puts("!"), 0);
  writer.close();
  EXPECT_EQ(contents(dir / "f"), "data!");
}

TEST(vlFileStream, InfoCancelAndClosedStreams) {
  TempDir dir;
  writeFile(dir / "f", "12345");
  vlFileStream s((dir / "f").c_str());
  ASSERT_EQ(s.ropen(), 0);
  BY_HANDLE_FILE_INFORMATION info;
  ASSERT_EQ(s.getInfo(&info), 0);
  EXPECT_EQ(info.nFileSizeLow, 5u);
  EXPECT_EQ(info.nNumberOfLinks, 1u);
  EXPECT_EQ(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(s.cancel(), 0);
  EXPECT_EQ(s.puts("x"), 5);  // opened for reading only
  ASSERT_EQ(s.close(), 0);

  unsigned char b;
  EXPECT_EQ(s.getb(b), 6);
  EXPECT_EQ(s.getInfo(nullptr), 6);
  EXPECT_EQ(s.cancel(), 0);  // the invalid value stands for the process itself
}

namespace {
// The stream without reading ahead: every primitive is one platform call, as the file
// stream behaved before it read ahead. The reference for the differential test below.
class directStream : public vlStream {
 public:
  explicit directStream(HANDLE h) : handle(h) {
    BY_HANDLE_FILE_INFORMATION info;
    GetFileInformationByHandle(h, &info);
    len = static_cast<int>(info.nFileSizeLow);
    mode = 'u';
  }
  int readStream(void* buffer, int count, int* done) override {
    DWORD n = 0;
    if (!ReadFile(handle, buffer, static_cast<DWORD>(count), &n, nullptr)) return static_cast<int>(GetLastError());
    pos += static_cast<int>(n);
    if (done) *done = static_cast<int>(n);
    return 0;
  }
  int writeStream(const void* buffer, int count, int* done) override {
    DWORD n = 0;
    if (!WriteFile(handle, buffer, static_cast<DWORD>(count), &n, nullptr)) return static_cast<int>(GetLastError());
    pos += static_cast<int>(n);
    len = std::max(len, pos);
    if (done) *done = static_cast<int>(n);
    return 0;
  }
  int seek(int offset, int method) override {
    int target = static_cast<int>(SetFilePointer(handle, offset, nullptr, static_cast<DWORD>(method)));
    if (target >= 0) pos = target;
    return target;
  }
  HANDLE handle;
};

DWORD platformPosition(HANDLE h) { return SetFilePointer(h, 0, nullptr, FILE_CURRENT); }

std::string patternBytes(int size) {
  std::string bytes;
  for (int i = 0; i < size; ++i) bytes += static_cast<char>(i * 7 % 251);
  return bytes;
}
}  // namespace

TEST(vlFileStream, ReadingAheadBehavesLikeReadingEveryByte) {
  enum Op { read, seek, write, unread, line };
  struct Row {
    Op op;
    int count;   // bytes to read or write; the offset of a seek
    int method = 0;  // of a seek
  } rows[] = {
      {read, 1}, {read, 1}, {read, 10}, {line, 50},             // 0: within the first block
      {read, 4096}, {read, 5000}, {read, 3},                    // 4: across blocks, direct
      {seek, -3, FILE_CURRENT}, {read, 2}, {unread, 1},         // 7: back within the block
      {seek, 0, FILE_CURRENT}, {read, 2}, {write, 3}, {read, 1}, // 10: a pushed-back byte stays
      {seek, 4090, FILE_BEGIN}, {read, 10}, {write, 4106},      // 14: writing over the rest
      {seek, -1, FILE_END}, {read, 5}, {read, 1},               // 17: the end, short, none
      {seek, -20000, FILE_CURRENT}, {seek, 0, FILE_BEGIN}, {read, 2}, {write, 1}, // 20
      {unread, 1}, {seek, 7, FILE_CURRENT}, {read, 1}, {line, 999}, {read, 8000},  // 24
  };
  TempDir dir;
  const std::string data = patternBytes(3 * vlFileStream::ReadAheadSize + 5);
  writeFile(dir / "buffered", data);
  writeFile(dir / "direct", data);
  vlFileStream buffered((dir / "buffered").c_str());
  ASSERT_EQ(buffered.uopen(), 0);
  HANDLE h = openFile(dir / "direct", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
  directStream direct(h);
  vlStream* streams[] = {&buffered, &direct};
  for (size_t i = 0; i < sizeof rows / sizeof *rows; ++i) {
    const Row& r = rows[i];
    std::string got[2];
    int result[2];
    for (int k = 0; k < 2; ++k) {
      vlStream& s = *streams[k];
      std::string bytes(std::max(r.count, 1) + 1, '\0');
      int done = 0;
      unsigned char* at = reinterpret_cast<unsigned char*>(&bytes[0]);
      if (r.op == read) result[k] = s.read(at, r.count, &done);
      if (r.op == line) result[k] = s.gets(at, r.count);
      if (r.op == seek) result[k] = s.seek(r.count, r.method);
      if (r.op == unread) result[k] = s.unreadb(static_cast<unsigned char>('a' + i));
      if (r.op == write) {
        for (int j = 0; j < r.count; ++j) bytes[j] = static_cast<char>('A' + (i + j) % 26);
        result[k] = s.write(at, r.count, &done);
      }
      got[k] = bytes.substr(0, static_cast<size_t>(done)) + "|" + std::to_string(s.position()) + "|" +
               std::to_string(s.size()) + "|" + std::to_string(s.unreadCount);
      if (r.op == line) got[k] += reinterpret_cast<char*>(at);
    }
    EXPECT_EQ(result[0], result[1]) << "row " << i;
    EXPECT_EQ(got[0], got[1]) << "row " << i;
  }
  // A caller that takes the handle over finds it where an unbuffered stream left it.
  HANDLE taken = buffered.handle;
  buffered.clearHandle();
  EXPECT_EQ(platformPosition(taken), platformPosition(h));
  CloseHandle(taken);
  CloseHandle(h);
  EXPECT_EQ(contents(dir / "buffered"), contents(dir / "direct"));
}

TEST(FileCalls, CreateFileErrors) {
  TempDir dir;
  writeFile(dir / "f", "12345");
  makeDir(dir / "sub");
  struct Row {
    std::string name;
    DWORD access, creation, code;
  } rows[] = {
      {"", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
      {dir / "missing", GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
      {dir / "missing", GENERIC_WRITE, TRUNCATE_EXISTING, ERROR_FILE_NOT_FOUND},
      {dir / "no\\f", GENERIC_WRITE, CREATE_ALWAYS, ERROR_PATH_NOT_FOUND},
      {dir / "f\\x", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
      {dir / "sub", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
      {dir / "sub", GENERIC_WRITE, OPEN_ALWAYS, ERROR_ACCESS_DENIED},
      {dir / "sub\\", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
      {dir / "sub", GENERIC_READ, CREATE_NEW, ERROR_FILE_EXISTS},
      {dir / "f", GENERIC_WRITE, CREATE_NEW, ERROR_FILE_EXISTS},
      {dir / "f\\", GENERIC_READ, OPEN_EXISTING, ERROR_INVALID_NAME},
      {dir / "new\\", GENERIC_WRITE, CREATE_ALWAYS, ERROR_INVALID_NAME},
      {dir / "a*b", GENERIC_WRITE, CREATE_ALWAYS, ERROR_INVALID_NAME},
      {dir / "a|b", GENERIC_WRITE, CREATE_ALWAYS, ERROR_INVALID_NAME},
      {dir / "a\"b", GENERIC_WRITE, CREATE_ALWAYS, ERROR_INVALID_NAME},
      {dir / "f", GENERIC_WRITE, 0, ERROR_INVALID_PARAMETER},
      {dir / "f", GENERIC_WRITE, 6, ERROR_INVALID_PARAMETER},
      {dir / "−ソ", GENERIC_WRITE, CREATE_NEW, 0},  // trail bytes 0x7C and 0x5C
  };
  for (size_t i = 0; i < sizeof rows / sizeof *rows; ++i)
    EXPECT_EQ(tryOpen(rows[i].name, rows[i].access, 0, rows[i].creation), rows[i].code)
        << "row " << i << " " << rows[i].name;
  EXPECT_EQ(contents(dir / "f"), "12345");
  EXPECT_TRUE(pathExists(dir / "−ソ"));
}

TEST(FileCalls, CreationDispositions) {
  TempDir dir;
  struct Row {
    DWORD creation;
    bool exists;
    DWORD code;
    const char* after;  // contents afterwards; an existing file holds "12345"
  } rows[] = {
      {CREATE_ALWAYS, false, 0, ""},
      {CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS, ""},
      {OPEN_ALWAYS, false, 0, ""},
      {OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS, "12345"},
      {CREATE_NEW, false, 0, ""},
      {OPEN_EXISTING, true, 0, "12345"},
      {TRUNCATE_EXISTING, true, 0, ""},
  };
  for (size_t i = 0; i < sizeof rows / sizeof *rows; ++i) {
    for (DWORD access : {DWORD(GENERIC_READ), DWORD(GENERIC_WRITE)}) {  // truncation needs no write access
      std::string name = dir / (std::to_string(i) + (access == GENERIC_READ ? "r" : "w"));
      if (rows[i].exists) writeFile(name, "12345");
      EXPECT_EQ(tryOpen(name, access, 0, rows[i].creation), rows[i].code) << "row " << i;
      EXPECT_EQ(contents(name), rows[i].after) << "row " << i;
    }
  }
}

TEST(FileCalls, ShareModes) {
  TempDir dir;
  const DWORD R = GENERIC_READ, W = GENERIC_WRITE, SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;
  struct Row {
    DWORD access1, share1, access2, share2, creation2, code;
  } rows[] = {
      {R, SR, R, SR, OPEN_EXISTING, 0},
      {R, SR, R, 0, OPEN_EXISTING, ERROR_SHARING_VIOLATION},
      {R, SR, R, SR | SW, OPEN_EXISTING, 0},
      {R, SR, W, SR | SW, OPEN_EXISTING, ERROR_SHARING_VIOLATION},
      {R, SR, 0, 0, OPEN_EXISTING, 0},
      {0, 0, R | W, 0, OPEN_EXISTING, 0},  // no data access: neither checks nor blocks
      {W, 0, R, SR | SW, OPEN_EXISTING, ERROR_SHARING_VIOLATION},
      {R | W, SR | SW, R | W, SR | SW, OPEN_EXISTING, 0},
      {R, SR, R, SR | SW, CREATE_ALWAYS, ERROR_ALREADY_EXISTS},
      {W, SR, W, SR, CREATE_ALWAYS, ERROR_SHARING_VIOLATION},
  };
  for (size_t i = 0; i < sizeof rows / sizeof *rows; ++i) {
    const Row& r = rows[i];
    std::string name = dir / std::to_string(i);
    writeFile(name, "12345");
    HANDLE first = openFile(name, r.access1, r.share1, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE) << "row " << i;
    EXPECT_EQ(tryOpen(name, r.access2, r.share2, r.creation2), r.code) << "row " << i;
    BY_HANDLE_FILE_INFORMATION info;
    ASSERT_TRUE(GetFileInformationByHandle(first, &info));
    // A refused CREATE_ALWAYS leaves the file alone.
    bool truncated = r.creation2 == CREATE_ALWAYS && r.code == ERROR_ALREADY_EXISTS;
    EXPECT_EQ(info.nFileSizeLow, truncated ? 0u : 5u) << "row " << i;
    CloseHandle(first);
  }
}

TEST(FileCalls, ReadWriteAndAccess) {
  TempDir dir;
  const std::string f = dir / "f";
  HANDLE w = openFile(f, GENERIC_WRITE, 0, CREATE_ALWAYS);
  char buffer[16];
  DWORD n = 77;
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(ReadFile(w, buffer, 4, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(WriteFile(w, "12345", 5, &n, nullptr));
  EXPECT_EQ(n, 5u);
  EXPECT_EQ(SetFilePointer(w, 8, nullptr, FILE_BEGIN), 8u);
  EXPECT_TRUE(WriteFile(w, "x", 1, nullptr, nullptr));
  CloseHandle(w);
  EXPECT_EQ(contents(f), std::string("12345\0\0\0x", 9));

  HANDLE r = openFile(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(WriteFile(r, "x", 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(ReadFile(r, buffer, 4, nullptr, nullptr));
  EXPECT_TRUE(ReadFile(r, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(n, 5u);
  EXPECT_TRUE(ReadFile(r, buffer, sizeof buffer, &n, nullptr));  // the end is no failure
  EXPECT_EQ(n, 0u);
  CloseHandle(r);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(ReadFile(r, buffer, 1, &n, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(r));
}

TEST(FileCalls, SetFilePointer) {
  TempDir dir;
  writeFile(dir / "f", "12345");
  HANDLE h = openFile(dir / "f", GENERIC_READ, 0, OPEN_EXISTING);
  const DWORD bad = INVALID_SET_FILE_POINTER;
  struct Row {
    LONG distance;
    DWORD method, result, code;
  } rows[] = {
      {-1, FILE_BEGIN, bad, ERROR_NEGATIVE_SEEK},
      {2, FILE_BEGIN, 2, 0},
      {1, FILE_CURRENT, 3, 0},
      {-10, FILE_END, bad, ERROR_NEGATIVE_SEEK},
      {0, FILE_CURRENT, 3, 0},  // failures leave the position alone
      {-1, FILE_END, 4, 0},
      {100, FILE_END, 105, 0},
      {0, 3, bad, ERROR_INVALID_PARAMETER},
      {0x7fffffff, FILE_BEGIN, 0x7fffffff, 0},
      {0x7fffffff, FILE_CURRENT, 0xfffffffe, 0},
  };
  for (size_t i = 0; i < sizeof rows / sizeof *rows; ++i) {
    SetLastError(0);
    EXPECT_EQ(SetFilePointer(h, rows[i].distance, nullptr, rows[i].method), rows[i].result)
        << "row " << i;
    EXPECT_EQ(GetLastError(), rows[i].code) << "row " << i;
  }
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(h, 5, &high, FILE_BEGIN), 5u);
  high = 0;
  EXPECT_EQ(SetFilePointer(h, 0, &high, FILE_CURRENT), 5u);
  EXPECT_EQ(high, 1);
  high = -1;
  EXPECT_EQ(SetFilePointer(h, -5, &high, FILE_BEGIN), bad);
  EXPECT_EQ(high, -1);
  CloseHandle(h);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_BEGIN), bad);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(FileCalls, InformationAndCancel) {
  TempDir dir;
  HANDLE h = openFile(dir / "ro", GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(WriteFile(h, "ab", 2, nullptr, nullptr));  // the new handle may still write
  BY_HANDLE_FILE_INFORMATION a, b;
  ASSERT_TRUE(GetFileInformationByHandle(h, &a));
  EXPECT_EQ(a.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(a.nFileSizeLow, 2u);
  EXPECT_EQ(a.nFileSizeHigh, 0u);
  EXPECT_EQ(a.nNumberOfLinks, 1u);
  HANDLE other = openFile(dir / "ro", 0, 0, OPEN_EXISTING);
  ASSERT_TRUE(GetFileInformationByHandle(other, &b));
  EXPECT_EQ(a.nFileIndexLow, b.nFileIndexLow);
  EXPECT_EQ(a.nFileIndexHigh, b.nFileIndexHigh);
  EXPECT_EQ(a.dwVolumeSerialNumber, b.dwVolumeSerialNumber);
  EXPECT_EQ(a.ftLastWriteTime.dwLowDateTime, b.ftLastWriteTime.dwLowDateTime);
  EXPECT_EQ(a.ftLastWriteTime.dwHighDateTime, b.ftLastWriteTime.dwHighDateTime);

  EXPECT_TRUE(CancelIo(h));
  EXPECT_TRUE(CancelIo(INVALID_HANDLE_VALUE));
  CloseHandle(other);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(CancelIo(other));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(GetFileInformationByHandle(other, &b));
  CloseHandle(h);
}
