// libFuzzer target over the M3U reader: the input is an M3U playlist file. Its lines
// must be those of a simple model (CR LF, LF and a lone CR end a line; a long line keeps
// its head and its tail) whenever the file is read byte for byte; every entry fits its
// buffer, and one taken for copying ends in ".mp3" and holds no control character. A
// whole playlist job then runs on it into an empty folder beside a few music files: it
// ends with its closing line, every file logged as copied is in the destination with its
// source's bytes, and nothing else is there.
#include <unistd.h>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "copyEngine.h"
#include "entryText.h"
#include "fuzzShared.h"
#include "m3uEntry.h"
#include "m3uLines.h"
#include "vlFileStream.h"

namespace fs = std::filesystem;

namespace {
std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The folder of the job in the temporary folder that fuzzAll.sh makes for the run
// (TMPDIR), made once per process.
const fs::path& root() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("sondrix-m3uFuzz-" + std::to_string(getpid()));
    fs::create_directories(d / "m");
    fs::create_directories(d / "out");
    for (const char* name : {"a.mp3", "b.MP3", "m/c.mp3", "a b.mp3", "x.wma"}) writeBytes(d / name, name);
    return d;
  }();
  return dir;
}

bool hasMark(const std::string& bytes) {
  return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 || bytes.compare(0, 2, "\xFF\xFE") == 0 ||
         bytes.compare(0, 2, "\xFE\xFF") == 0;
}

void checkLine(const m3uLine& line, const std::string& model) {
  size_t head = std::min(model.size(), size_t(m3uLine::headBytes - 1));
  check(line.length == head && std::string(line.head, line.length) == model.substr(0, head));
  check(line.head[line.length] == 0 && line.cut == (model.size() > head));
  size_t tail = std::min(model.size() - head, size_t(m3uLine::tailBytes - 1));
  check(line.tailLength == tail);
  check(std::string(line.tail, tail) == model.substr(model.size() - tail));
}

void checkEntry(const m3uLine& line, const char* listDir) {
  char out[301];
  std::memset(out, 'J', sizeof out);
  m3uResult found = m3uEntry(line, "Z:", listDir, out);
  if (found == m3uNone) return;
  size_t length = strnlen(out, 300);
  check(length < 300);
  if (found != m3uFile) return;
  check(endsWithMp3(out, length));
  for (size_t i = 0; i < length; ++i) check(static_cast<unsigned char>(out[i]) >= 0x20);
}

// Reads the playlist with the reader alone and checks its lines and entries.
void checkReader(const std::string& list, const std::string& listDir, const std::string& bytes) {
  vlFileStream stream(list.c_str());
  check(stream.openFile('r', nullptr) == 0);
  m3uLines lines(stream);
  check(lines.start());
  std::vector<std::string> model = modelLines(bytes);
  bool byteWise = !hasMark(bytes);
  size_t count = 0;
  m3uLine line;
  while (lines.next(line)) {
    if (byteWise) {
      check(count < model.size());
      checkLine(line, model[count]);
    }
    checkEntry(line, listDir.c_str());
    ++count;
  }
  check(!lines.failed() && (!byteWise || count == model.size()));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 60000) return 0;
  const fs::path& dir = root();
  fs::remove_all(dir / "out");
  fs::create_directory(dir / "out");
  std::string bytes(reinterpret_cast<const char*>(data), size);
  writeBytes(dir / "p.m3u", bytes);
  std::string list = "Z:" + (dir / "p.m3u").string(), out = "Z:" + (dir / "out").string();
  checkReader(list, "Z:" + dir.string() + "/", bytes);
  recordSink log;
  copyEngine engine(log);
  std::strcpy(engine.fileList, list.c_str());
  std::strcpy(engine.destFolder, out.c_str());
  engine.copyMethod = 1;
  engine.copyJob();
  check(!log.lines.empty() && log.lines.back() == closingLine);
  size_t present = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir / "out")) {
    ++present;
    std::string copied = readBytes(e.path());
    check(copied == "a.mp3" || copied == "b.MP3" || copied == "m/c.mp3" || copied == "a b.mp3");
  }
  check(present == countCopied(log.lines));
  return 0;
}
