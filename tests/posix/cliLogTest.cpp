// The command-line tool's log on a file: a line logged reaches the file within about
// 100 ms, also while one long copy keeps the tool from logging anything (the copy made
// slow through the layer's call table), and each line reaches it once.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>
#include <windows.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include "../../lib/posix/posixPath.h"
#include "cliPlatform.h"
#include "posixFaults.h"
#include "testFs.h"

namespace {
using namespace std::chrono;

std::string logPath;
steady_clock::time_point copyStarted;
std::string seenDuringCopy;
bool looked;

std::string logSoFar() {
  std::string text;
  int fd = ::open(logPath.c_str(), O_RDONLY);
  char chunk[4096];
  for (ssize_t got; fd >= 0 && (got = ::read(fd, chunk, sizeof chunk)) > 0;) text.append(chunk, got);
  if (fd >= 0) ::close(fd);
  return text;
}

// 4 KiB every 20 ms: 64 KiB take over 300 ms. The log is looked at 250 ms in.
ssize_t slowCopy(int from, int to, size_t count) {
  std::this_thread::sleep_for(milliseconds(20));
  if (!looked && steady_clock::now() - copyStarted >= milliseconds(250)) {
    seenDuringCopy = logSoFar();
    looked = true;
  }
  return savedCalls.copyRange(from, to, std::min<size_t>(count, 4096));
}

class CliLog : public PosixFaultTest {
 protected:
  void SetUp() override {
    PosixFaultTest::SetUp();
    std::fflush(stdout);
    posixHostPath((tmp / "log.txt").c_str(), logPath);
    savedOut = ::dup(STDOUT_FILENO);
    int file = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(file, STDOUT_FILENO);
    ::close(file);
  }
  void TearDown() override {
    ::dup2(savedOut, STDOUT_FILENO);
    ::close(savedOut);
    PosixFaultTest::TearDown();
  }
  TempDir tmp;
  int savedOut = -1;
};
}  // namespace

TEST_F(CliLog, LinesReachTheFileWhileALongCopyRuns) {
  writeFile(tmp / "big.mp3", std::string(1 << 16, 'x'));
  cliStartLog();
  cliPrintLine("out  copy starts");
  cliPrintLine("a.mp3  ok");
  posixCalls.copyRange = slowCopy;
  looked = false;
  copyStarted = steady_clock::now();
  ASSERT_TRUE(CopyFileA((tmp / "big.mp3").c_str(), (tmp / "copy.mp3").c_str(), TRUE));
  posixCalls = savedCalls;
  ASSERT_TRUE(looked);
  EXPECT_EQ(seenDuringCopy, "out  copy starts\na.mp3  ok\n");
  cliPrintLine("last");
  const std::string all = "out  copy starts\na.mp3  ok\nlast\n";
  auto deadline = steady_clock::now() + seconds(5);
  while (logSoFar() != all && steady_clock::now() < deadline)
    std::this_thread::sleep_for(milliseconds(10));
  EXPECT_EQ(logSoFar(), all);
}
