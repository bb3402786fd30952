// Benchmarks of the copy engine on the native build: listing and sorting a full file
// list, a whole sorted job, reading a playlist of long media lines, and the raw copy
// rate. Run with `make bench`.
#include <sys/resource.h>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>
#include "copyEngine.h"

namespace {
class nullSink : public logSink {
 public:
  void addList(const char*) override { ++lines; }
  long lines = 0;
};

double millis(const std::function<void()>& work, int repeat) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repeat; ++i) work();
  std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  return took.count() / repeat;
}

std::string dos(const std::string& host) {
  std::string out = "Z:" + host;
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

void writeBytes(const std::string& path, size_t size) {
  std::ofstream out(path, std::ios::binary);
  std::string block(1 << 16, 'x');
  for (size_t done = 0; done < size; done += block.size())
    out.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), size - done)));
}
}  // namespace

int main() {
  char pattern[] = "/tmp/sondrix-bench-XXXXXX";
  std::string root = mkdtemp(pattern);
  std::filesystem::create_directory(root + "/in");
  // Names in descending order, so the selection sort does real work.
  for (int i = copyEngine::maxEntries - 1; i >= 0; --i)
    writeBytes(root + "/in/" + std::to_string(100000 + i) + " track name.mp3", 4096);

  nullSink sink;
  auto engine = std::make_unique<copyEngine>(sink);
  std::string in = dos(root + "/in/");
  std::vector<char> srcDir(in.begin(), in.end());
  srcDir.push_back(0);
  double list = millis([&] { engine->makeList0(srcDir.data()); }, 20);
  std::printf("makeList0, %d entries (search + selection sort): %.2f ms\n", engine->listCount, list);

  int run = 0;
  double job = millis([&] {
    std::string out = root + "/out" + std::to_string(run++);
    std::filesystem::create_directory(out);
    std::strcpy(engine->sourceFolder, dos(root + "/in").c_str());
    std::strcpy(engine->destFolder, dos(out).c_str());
    engine->copyJob();
  }, 3);
  std::printf("sorted job, 1000 files of 4 KiB: %.1f ms (%ld log lines)\n", job, sink.lines);

  // A playlist as media players write it: 1000 media lines of about 500 bytes, with
  // long attribute lists after the source.
  {
    std::ofstream list(root + "/in/list.wpl", std::ios::binary);
    list << "\xEF\xBB\xBF<?wpl version=\"1.0\"?>\r\n<smil>\r\n  <head>\r\n"
            "    <meta name=\"Generator\" content=\"Jukebox 3.1\"/>\r\n"
            "  </head>\r\n  <body>\r\n    <seq>\r\n";
    for (int i = 0; i < copyEngine::maxEntries; ++i)
      list << "      <media src=\"..\\Music\\Artist Name\\Album Title &amp; More\\" << 100000 + i
           << " track name.mp3\" albumTitle=\"Album Title &amp; More (Deluxe Edition)\""
              " albumArtist=\"Artist Name\" trackTitle=\"Track Name " << i
           << "\" trackArtist=\"Artist Name feat. Guest\" duration=\"245000\""
              " tid=\"{8D4E6F7A-1B2C-4D3E-9F8A-7B6C5D4E3F2A}\""
              " cid=\"{1A2B3C4D-5E6F-4A8B-9C0D-1E2F3A4B5C6D}\""
              " serviceId=\"{00000000-0000-0000-0000-000000000000}\" rating=\"0\""
              " genre=\"J-Pop / Rock\" composer=\"Composer Name\" releaseDate=\"2019-04-01\""
              " playCount=\"12\" mood=\"Calm\" bpm=\"120\"/>\r\n";
    list << "    </seq>\r\n  </body>\r\n</smil>\r\n";
  }
  std::strcpy(engine->fileList, dos(root + "/in/list.wpl").c_str());
  double playlist = millis([&] { engine->makeList1(); }, 5);
  std::printf("makeList1, playlist of %d entries of long media lines (%ld bytes): %.1f ms\n",
              engine->listCount,
              static_cast<long>(std::filesystem::file_size(root + "/in/list.wpl")), playlist);

  const size_t big = 256u << 20;
  writeBytes(root + "/big.mp3", big);
  double copy = millis([&] {
    std::filesystem::remove(root + "/big-copy.mp3");
    CopyFileA(dos(root + "/big.mp3").c_str(), dos(root + "/big-copy.mp3").c_str(), TRUE);
  }, 3);
  std::printf("CopyFileA, 256 MiB: %.1f ms (%.0f MiB/s)\n", copy, 256.0 / (copy / 1000.0));

  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory: %ld KiB (the engine object: %zu KiB)\n", usage.ru_maxrss,
              sizeof(copyEngine) / 1024);
  std::filesystem::remove_all(root);
}
