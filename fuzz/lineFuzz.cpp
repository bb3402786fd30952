// libFuzzer target over the stream line reader: the input is a file's bytes (its first
// byte picks the buffer size), read with vlFileStream::gets into a buffer of that size.
// The pieces must put the lines back together exactly as a simple model splits them:
// CR LF, LF and a lone CR end a line; a line longer than the buffer comes in pieces.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include "fuzzShared.h"
#include "vlFileStream.h"

namespace {
// The file, in the temporary folder that fuzzAll.sh makes for the run (TMPDIR).
const std::string& fileName() {
  static const std::string name =
      "Z:" + (std::filesystem::temp_directory_path() / ("lineFuzz-" + std::to_string(getpid()))).string();
  return name;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 20000) return 0;
  int bufferSize = 2 + data[0] % 40;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  FILE* f = std::fopen(fileName().c_str() + 2, "wb");
  check(f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
  std::fclose(f);
  vlFileStream stream(fileName().c_str());
  check(stream.ropen() == 0);
  std::vector<std::string> lines;
  std::string line;
  auto* buffer = static_cast<unsigned char*>(std::malloc(bufferSize));
  while (!stream.eof()) {
    int before = stream.position();
    check(stream.gets(buffer, bufferSize) == 0);
    size_t length = std::strlen(reinterpret_cast<char*>(buffer));
    check(length < size_t(bufferSize));
    check(stream.position() > before);  // every call moves on
    line.append(reinterpret_cast<char*>(buffer), length);
    // A full piece without its line end goes on in the next call.
    bool goesOn = length == size_t(bufferSize - 1) &&
                  stream.position() - before == bufferSize - 1 && !stream.eof();
    // A zero byte in the data ends the text early; the model cannot tell that apart.
    if (std::memchr(bytes.data(), 0, bytes.size())) continue;
    if (!goesOn) {
      lines.push_back(line);
      line.clear();
    }
  }
  std::free(buffer);
  stream.close();
  if (!std::memchr(bytes.data(), 0, bytes.size())) {
    if (!line.empty()) lines.push_back(line);
    check(lines == modelLines(bytes));
  }
  return 0;
}
