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

// A whole copy, or another file of the source's size, is told by its last byte, without
// reading either file through (the files that end in zeros and are finished are in
// partialCopyTest.cpp).
TEST_F(PartialReads, AWholeCopyIsNotReadThrough) {
  const std::string source = std::string(199999, 'x') + "y";
  writeFile(tmp / "s.mp3", source);
  for (const std::string& dest : {source, std::string(200000, 'z')}) {
    writeFile(tmp / "d.mp3", dest);
    bytesRead = 0;
    posixCalls.read = countingRead;
    partialCopy partial;
    EXPECT_FALSE(partial.finish((tmp / "s.mp3").c_str(), (tmp / "d.mp3").c_str()));
    posixCalls = savedCalls;
    EXPECT_LE(bytesRead, 1u) << dest.substr(0, 1);
    std::string after;
    ASSERT_TRUE(readFile(tmp / "d.mp3", after));
    EXPECT_TRUE(after == dest);
  }
}
