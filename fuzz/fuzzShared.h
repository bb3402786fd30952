// What the fuzz targets share: the failure trap, the line model of the readers, and the
// recorded log of a playlist job with what it says was copied.
#pragma once
#include <algorithm>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "copyEngine.h"
#include "logSink.h"

inline void check(bool ok) {
  if (!ok) __builtin_trap();
}

// The lines of a file as a simple model splits them: CR LF, LF and a lone CR end a line,
// and a last line without an end counts when it is not empty.
inline std::vector<std::string> modelLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

class recordSink : public logSink {
 public:
  void addList(const char* text) override { lines.push_back(text); }
  std::vector<std::string> lines;
};

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// "--- 処理は終了しました ---" in code page 932: a job's last line.
const char* const closingLine = "--- \217\210\227\235\202\315\217\111\227\271\202\265\202\334\202\265\202\275 ---";

// The log lines that end in "  成功" (code page 932): the files copied.
inline size_t countCopied(const std::vector<std::string>& log) {
  const char* const copiedMark = "  \220\254\214\367";
  size_t copied = 0, mark = std::strlen(copiedMark);
  for (const std::string& line : log)
    copied += line.size() > mark && line.compare(line.size() - mark, std::string::npos, copiedMark) == 0;
  return copied;
}

// The folder of a playlist job in the temporary folder that fuzzAll.sh makes for the run
// (TMPDIR): the sub-folder m, the destination out, and a music file for each name
// holding that name. Made once per process by the caller.
inline std::filesystem::path makeJobFolder(const char* target, const std::vector<std::string>& files) {
  std::filesystem::path d =
      std::filesystem::temp_directory_path() / ("sondrix-" + std::string(target) + "-" + std::to_string(getpid()));
  std::filesystem::create_directories(d / "m");
  std::filesystem::create_directories(d / "out");
  for (const std::string& name : files) writeBytes(d / name, name);
  return d;
}

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Counts the files that a job copies, or in a dry run would.
class copyCounter : public copyObserver {
 public:
  void fileStarts(const char*) override {}
  void fileEnds(const char*, bool copied) override { files += copied ? 1 : 0; }
  int files = 0;
};

struct jobOutcome {
  std::vector<std::string> lines;
  int failures, copied;
};

inline jobOutcome runPlaylistJob(const std::string& list, const std::string& out, bool dryRun) {
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

// Runs a playlist job on dir/listName into an emptied dir/out, first as a dry run.
// Checks: the job ends with its closing line, no log line holds a control character,
// every file logged as copied is in the destination with the bytes of one of the sources
// (each music file holds its own name), nothing else is there, and the dry run foresaw as
// many lines, failures and copies.
inline void checkPlaylistJob(const std::filesystem::path& dir, const char* listName,
                             const std::vector<std::string>& sources) {
  namespace fs = std::filesystem;
  fs::remove_all(dir / "out");
  fs::create_directory(dir / "out");
  std::string list = "Z:" + (dir / listName).string(), out = "Z:" + (dir / "out").string();
  jobOutcome dry = runPlaylistJob(list, out, true);
  jobOutcome real = runPlaylistJob(list, out, false);
  check(!real.lines.empty() && real.lines.back() == closingLine);
  check(dry.lines.size() == real.lines.size() && dry.failures == real.failures &&
        dry.copied == real.copied);
  for (const std::string& line : real.lines)
    for (char c : line) check(static_cast<unsigned char>(c) >= 0x20);
  size_t present = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir / "out")) {
    ++present;
    check(std::count(sources.begin(), sources.end(), readBytes(e.path())) == 1);
  }
  check(present == countCopied(real.lines) && present == static_cast<size_t>(real.copied));
  check(real.failures >= 0);
}
