// What the fuzz targets share: the failure trap, the line model of the readers, and the
// recorded log of a playlist job with what it says was copied.
#pragma once
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
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
