// The playlist copy when the playlist cannot be read to its end: a read fault after the
// first block must not pass for the end of the list.
#include <gtest/gtest.h>
#include <cerrno>
#include <string>
#include "engineFixture.h"
#include "posixFaults.h"

namespace {
int readsBeforeFault;

ssize_t faultyRead(int fd, void* buffer, size_t count) {
  if (readsBeforeFault-- > 0) return savedCalls.read(fd, buffer, count);
  errno = EIO;
  return -1;
}

class PlaylistFaults : public EngineFixture {
 protected:
  PlaylistFaults() { savedCalls = posixCalls; }
  ~PlaylistFaults() override { posixCalls = savedCalls; }
};
}  // namespace

TEST_F(PlaylistFaults, ReadFaultMidListIsLoggedAndCopiesNothing) {
  makeDir(tmp / "out");
  std::string list = "<?wpl version=\"1.0\"?>\r\n<smil><body><seq>\r\n";
  for (int i = 0; i < 400; ++i) {  // several read-ahead blocks
    std::string name = "t" + std::to_string(i) + ".mp3";
    writeFile(tmp / name, name);
    list += "<media src=\"" + name + "\"/>\r\n";
  }
  writeFile(tmp / "p.wpl", list + "</seq></body></smil>\r\n");
  readsBeforeFault = 1;
  posixCalls.read = faultyRead;
  std::vector<std::string> lines = runJob(1, false, tmp / "p.wpl", tmp / "out");
  posixCalls = savedCalls;
  EXPECT_EQ(lines, (std::vector<std::string>{"リストファイルが読めません", "mp3 ファイルはありません", done}));
  EXPECT_EQ(engine->jobFailures, 1);
  EXPECT_FALSE(pathExists(tmp / "out\\t0.mp3"));
}

TEST_F(PlaylistFaults, ReadFaultInAnM3uPlaylistCopiesNothing) {
  makeDir(tmp / "out");
  std::string list = "#EXTM3U\r\n";
  for (int i = 0; i < 800; ++i) {  // several blocks, read once for the encoding, once for the lines
    std::string name = "t" + std::to_string(i) + ".mp3";
    writeFile(tmp / name, name);
    list += "#EXTINF:1,t\r\n" + name + "\r\n";
  }
  writeFile(tmp / "p.m3u8", list);
  for (int reads : {1, 8}) {
    readsBeforeFault = reads;
    posixCalls.read = faultyRead;
    std::vector<std::string> lines = runJob(1, false, tmp / "p.m3u8", tmp / "out");
    posixCalls = savedCalls;
    EXPECT_EQ(lines, (std::vector<std::string>{"リストファイルが読めません", "mp3 ファイルはありません", done}))
        << reads;
    EXPECT_EQ(engine->jobFailures, 1);
    EXPECT_FALSE(pathExists(tmp / "out\\t0.mp3"));
  }
}
