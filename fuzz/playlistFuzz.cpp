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
#include "logSink.h"

namespace fs = std::filesystem;

namespace {
void check(bool ok) {
  if (!ok) __builtin_trap();
}

class recordSink : public logSink {
 public:
  void addList(const char* text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

// Counts the files that a job copies, or in a dry run would.
class copyCounter : public copyObserver {
 public:
  void fileStarts(const char*) override {}
  void fileEnds(const char*, bool copied) override { files += copied ? 1 : 0; }
  int files = 0;
};

struct outcome {
  std::vector<std::string> lines;
  int failures, copied;
};

outcome runJob(const std::string& list, const std::string& out, bool dryRun) {
  recordSink log;
  copyCounter counter;
  copyEngine engine(log);
  std::strcpy(engine.fileList, list.c_str());
  std::strcpy(engine.destFolder, out.c_str());
  engine.copyMethod = 1;
  engine.dryRun = dryRun;
  engine.observer = &counter;
  engine.copyJob();
  return {log.lines, engine.jobFailures, counter.files};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

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

const char* const copiedMark = "  \220\254\214\367";  // "  成功" in code page 932
const char* const closingLine = "--- \217\210\227\235\202\315\217\111\227\271\202\265\202\334\202\265\202\275 ---";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 60000) return 0;
  const fs::path& dir = root();
  fs::remove_all(dir / "out");
  fs::create_directory(dir / "out");
  writeBytes(dir / "p.wpl", std::string(reinterpret_cast<const char*>(data), size));
  std::string list = "Z:" + (dir / "p.wpl").string(), out = "Z:" + (dir / "out").string();
  outcome dry = runJob(list, out, true);
  outcome real = runJob(list, out, false);
  const std::vector<std::string>& lines = real.lines;
  check(!lines.empty() && lines.back() == closingLine);
  check(dry.lines.size() == lines.size() && dry.failures == real.failures &&
        dry.copied == real.copied);
  for (const std::string& line : lines)
    for (char c : line) check(static_cast<unsigned char>(c) >= 0x20);
  size_t copied = 0;
  for (const std::string& line : lines)
    if (line.size() > std::strlen(copiedMark) &&
        line.compare(line.size() - std::strlen(copiedMark), std::string::npos, copiedMark) == 0)
      ++copied;
  size_t present = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir / "out")) {
    ++present;
    std::ifstream in(e.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    check(bytes == "a.mp3" || bytes == "b.MP3" || bytes == "m/c.mp3");
  }
  check(present == copied && copied == static_cast<size_t>(real.copied));
  return 0;
}
