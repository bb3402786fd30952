// libFuzzer target over the playlist copy: the input is a playlist file, and a whole
// playlist job runs on it into an empty folder beside a few music files. Checks: the
// job ends with its closing line, every file logged as copied is in the destination
// with its source's bytes, and nothing else is there.
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
// The folder of the job in the temporary folder that fuzzAll.sh makes for the run
// (TMPDIR), made once per process: music files named as the seeds and
// the dictionary name them, a sub-folder, and the destination.
const fs::path& root() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("sondrix-playlistFuzz-" + std::to_string(getpid()));
    fs::create_directories(d / "m");
    fs::create_directories(d / "out");
    for (const char* name : {"a.mp3", "b.MP3", "m/c.mp3", "x.wma"}) writeBytes(d / name, name);
    return d;
  }();
  return dir;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 60000) return 0;
  const fs::path& dir = root();
  fs::remove_all(dir / "out");
  fs::create_directory(dir / "out");
  writeBytes(dir / "p.wpl", std::string(reinterpret_cast<const char*>(data), size));
  recordSink log;
  copyEngine engine(log);
  std::string list = "Z:" + (dir / "p.wpl").string(), out = "Z:" + (dir / "out").string();
  std::strcpy(engine.fileList, list.c_str());
  std::strcpy(engine.destFolder, out.c_str());
  engine.copyMethod = 1;
  engine.copyJob();
  check(!log.lines.empty() && log.lines.back() == closingLine);
  size_t present = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir / "out")) {
    ++present;
    std::ifstream in(e.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    check(bytes == "a.mp3" || bytes == "b.MP3" || bytes == "m/c.mp3");
  }
  check(present == countCopied(log.lines));
  check(engine.jobFailures >= 0);
  return 0;
}
