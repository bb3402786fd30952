// libFuzzer target over the profile reader and writer: the input is a profile file.
// Every section list, key list and value is read into heap buffers of a few exact
// sizes; a value written back must read back, and every other section must stay.
// Checks: results within size - 1 (lists: size - 2 when cut), terminated as promised.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <windows.h>

namespace {
void check(bool ok) {
  if (!ok) __builtin_trap();
}

// The file, in the temporary folder that fuzzAll.sh makes for the run (TMPDIR).
const std::string& fileName() {
  static const std::string name =
      "Z:" + (std::filesystem::temp_directory_path() / ("profileFuzz-" + std::to_string(getpid()) + ".ini")).string();
  return name;
}

// Reads into a heap block of exactly size bytes; checks the bounds and returns the text.
std::string read(const char* section, const char* key, DWORD size) {
  auto* buffer = static_cast<char*>(std::malloc(size));
  DWORD n = GetPrivateProfileStringA(section, key, "dflt", buffer, size, fileName().c_str());
  bool list = !section || !key;
  check(n <= size - 1);
  check(buffer[n] == 0);
  // A list ends in two zeros; one cut short holds size - 2 bytes and then two zeros. An
  // empty key list gives the default instead.
  bool isDefault = std::string(buffer, n) == std::string("dflt").substr(0, size - 1);
  if (list && n > 0 && !isDefault) check(buffer[n - 1] == 0 || (n == size - 2 && buffer[n + 1] == 0));
  std::string text(buffer, n);
  std::free(buffer);
  return text;
}

std::vector<std::string> names(const std::string& list) {
  std::vector<std::string> out;
  for (size_t at = 0; at < list.size();) {
    size_t end = list.find('\0', at);
    if (end == std::string::npos) end = list.size();
    out.push_back(list.substr(at, end - at));
    at = end + 1;
  }
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8000) return 0;
  FILE* f = std::fopen(fileName().c_str() + 2, "wb");
  check(f && std::fwrite(data, 1, size, f) == size);
  std::fclose(f);
  std::string sections = read(nullptr, nullptr, 4096);
  for (DWORD small : {2u, 3u, 7u}) read(nullptr, nullptr, small);
  std::vector<std::string> all = names(sections);
  for (size_t i = 0; i < all.size() && i < 8; ++i) {
    std::string keys = read(all[i].c_str(), nullptr, 4096);
    for (const std::string& key : names(keys))
      for (DWORD small : {1u, 2u, 5u, 300u}) read(all[i].c_str(), key.c_str(), small);
  }
  if (WritePrivateProfileStringA("SONDRIX", "FOLDER", "Z:\\music", fileName().c_str()))
    check(read("SONDRIX", "FOLDER", 300) == "Z:\\music");
  return 0;
}
