// libFuzzer target over the playlist copy: the input is a playlist file, and a whole
// playlist job runs on it into an empty folder beside a few music files, first as a dry
// run. Checks: the job ends with its closing line, no log line holds a control
// character, every file logged as copied is in the destination with its source's bytes,
// nothing else is there, and the dry run foresaw as many lines, failures and copies.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "copyEngine.h"
#include "fuzzShared.h"

namespace fs = std::filesystem;

namespace {
// The job's folder, with music files named as the seeds and the dictionary name them.
const fs::path& root() {
  static const fs::path dir = makeJobFolder("playlistFuzz", {"a.mp3", "b.MP3", "m/c.mp3", "x.wma"});
  return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 60000) return 0;
  const fs::path& dir = root();
  writeBytes(dir / "p.wpl", std::string(reinterpret_cast<const char*>(data), size));
  checkPlaylistJob(dir, "p.wpl", {"a.mp3", "b.MP3", "m/c.mp3"});
  return 0;
}
