// The flush that ends a copy job before its closing line: once, on the destination's
// file system, never in a dry run or without the setting; a failed flush is logged and
// fails the job.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <windows.h>
#include <cerrno>
#include <string>
#include <vector>
#include "../../lib/posix/posixPath.h"
#include "engineFixture.h"
#include "posixFaults.h"

namespace {
int syncError;  // the errno of the flush; 0 for success
std::vector<dev_t> flushedDevices;

int recordedSync(int fd) {
  struct stat st;
  flushedDevices.push_back(fstat(fd, &st) == 0 ? st.st_dev : 0);
  if (!syncError) return savedCalls.syncfs(fd);
  errno = syncError;
  return -1;
}

bool flushVolume(const char* folder) { return posixFlushVolume(folder) != FALSE; }

class JobFlush : public EngineFixture {
 protected:
  JobFlush() {
    savedCalls = posixCalls;
    posixCalls.syncfs = recordedSync;
    flushedDevices.clear();
    makeDir(tmp / "in");
    makeDir(tmp / "out");
    writeFile(tmp / "in\\a.mp3", "a");
    engine->flushDestination = flushVolume;
  }
  ~JobFlush() override { posixCalls = savedCalls; }
  dev_t outDevice() {
    std::string host;
    struct stat st;
    posixHostPath((tmp / "out").c_str(), host);
    return stat(host.c_str(), &st) == 0 ? st.st_dev : 1;
  }
};
}  // namespace

TEST_F(JobFlush, FlushesTheDestinationOnceBeforeTheClosingLine) {
  struct Row {
    const char* what;
    int error;
    bool dryRun, setting;
    std::vector<std::string> ending;  // the log after the file's lines
    int flushes, failures;
  } rows[] = {
      {"flushed", 0, false, true, {"1 個のファイルをコピーしました", done}, 1, 0},
      {"the device fails", EIO, false, true,
       {"1 個のファイルをコピーしました", tmp / "out" + "  へ書いたデータをディスクに書き出せませんでした (エラー 21)", done}, 1, 1},
      {"a dry run writes nothing to flush", EIO, true, true, {"1 個のファイルをコピーしました", done}, 0, 0},
      {"the dialog sets no flush", EIO, false, false, {"1 個のファイルをコピーしました", done}, 0, 0},
  };
  int index = 0;
  for (const Row& r : rows) {
    std::string row = "row " + std::to_string(index) + " (" + r.what + ")";
    if (pathExists(tmp / "out\\a.mp3")) removeFile(tmp / "out\\a.mp3");
    flushedDevices.clear();
    syncError = r.error;
    engine->flushDestination = r.setting ? flushVolume : nullptr;
    std::vector<std::string> lines = runObserved(r.dryRun, 0, false, tmp / "in", tmp / "out").log;
    ASSERT_GE(lines.size(), 2u + r.ending.size()) << row;
    EXPECT_EQ(std::vector<std::string>(lines.end() - r.ending.size(), lines.end()), r.ending) << row;
    EXPECT_EQ(flushedDevices.size(), static_cast<size_t>(r.flushes)) << row;
    if (!flushedDevices.empty()) {
      EXPECT_EQ(flushedDevices[0], outDevice()) << row;
    }
    EXPECT_EQ(engine->jobFailures, r.failures) << row;
    ++index;
  }
}
