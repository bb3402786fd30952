// What finishing an interrupted copy reads, counted through the layer's system calls: a
// job run again over a card it filled tries it for every file already there.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "partialCopy.h"
#include "posixFaults.h"
#include "testFs.h"

namespace {
size_t bytesRead;

ssize_t countingRead(int fd, void* buffer, size_t count) {
  ssize_t got = savedCalls.read(fd, buffer, count);
  if (got > 0) bytesRead += static_cast<size_t>(got);
  return got;
}

class PartialReads : public PosixFaultTest {
 protected:
  TempDir tmp;
};
}  // namespace

// A whole copy is told by its last byte, without reading either file through; a file of
// the same size that ends in zeros is still compared, and finished when it is unfinished.
TEST_F(PartialReads, AWholeCopyIsNotReadThrough) {
  const std::string source = std::string(199999, 'x') + "y";
  struct Row {
    const char* what;
    std::string dest;
    bool finished;
    size_t mostRead;  // npos: whatever finishing takes
  } rows[] = {
      {"a whole copy", source, false, 1},
      {"another file of the same size", std::string(200000, 'z'), false, 1},
      {"unfinished, zeros at the end", source.substr(0, 70000) + std::string(130000, '\0'), true,
       std::string::npos},
      {"zeros at the end, differing before", "w" + std::string(199999, '\0'), false, 2 * 65536 + 1},
  };
  writeFile(tmp / "s.mp3", source);
  for (const Row& r : rows) {
    writeFile(tmp / "d.mp3", r.dest);
    bytesRead = 0;
    posixCalls.read = countingRead;
    partialCopy partial;
    EXPECT_EQ(partial.finish((tmp / "s.mp3").c_str(), (tmp / "d.mp3").c_str()), r.finished)
        << r.what;
    posixCalls = savedCalls;
    EXPECT_LE(bytesRead, r.mostRead) << r.what;
    std::string after;
    ASSERT_TRUE(readFile(tmp / "d.mp3", after));
    EXPECT_TRUE(after == (r.finished ? source : r.dest)) << r.what;
  }
}
