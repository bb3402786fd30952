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
// The job's folder, with music files named as the seeds and the dictionary name them.
const fs::path& root() {
  static const fs::path dir = makeJobFolder("m3uFuzz", {"a.mp3", "b.MP3", "m/c.mp3", "a b.mp3", "x.wma"});
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
  std::string bytes(reinterpret_cast<const char*>(data), size);
  writeBytes(dir / "p.m3u", bytes);
  checkReader("Z:" + (dir / "p.m3u").string(), "Z:" + dir.string() + "/", bytes);
  checkPlaylistJob(dir, "p.m3u", {"a.mp3", "b.MP3", "m/c.mp3", "a b.mp3"});
  return 0;
}
