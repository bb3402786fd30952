// Benchmarks of the copy engine on the native build: listing and sorting a full file
// list, a whole sorted job, reading a playlist of long media lines, and the raw copy
// rate; then the command-line tool against cp -rn and rsync --ignore-existing on two
// trees, 300 files of 1 MiB and 3,000 of 8 KiB (all three tools without a final flush),
// and what the tool's final flush of the destination costs on the first. Run with
// `make bench`; TMPDIR=/dev/shm measures on tmpfs.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
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
// One run of a command with its output discarded: seconds taken and its peak resident
// memory (KiB); a negative time when it failed.
struct timedRun {
  double seconds;
  long peakKiB;
};

extern "C" char** environ;

// The command runs under GNU time, which reports the peak of the command alone: a child
// spawned from here would count this process's memory as its own.
timedRun runTimed(const std::vector<std::string>& command, const std::string& report) {
  std::vector<std::string> timed = {"/usr/bin/time", "-o", report, "-f", "%M"};
  timed.insert(timed.end(), command.begin(), command.end());
  std::vector<char*> argv;
  for (const std::string& part : timed) argv.push_back(const_cast<char*>(part.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  auto start = std::chrono::steady_clock::now();
  pid_t child;
  int status = 0;
  bool ran = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
             waitpid(child, &status, 0) == child && WIFEXITED(status) &&
             WEXITSTATUS(status) == 0;
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  posix_spawn_file_actions_destroy(&actions);
  long peak = 0;
  std::ifstream(report) >> peak;
  return {ran ? took.count() : -1, peak};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A tree of files in three folders: its description and where it is.
struct tree {
  std::string what, path;
};

tree makeTree(const std::string& root, const std::string& name, int perFolder, size_t bytes) {
  std::string source = root + "/" + name;
  for (int folder = 1; folder <= 3; ++folder) {
    std::string dir = source + "/disc " + std::to_string(folder);
    std::filesystem::create_directories(dir);
    for (int i = 1; i <= perFolder; ++i) writeBytes(dir + "/" + std::to_string(i) + " track.mp3", bytes);
  }
  std::string size = bytes >= (1 << 20) ? std::to_string(bytes >> 20) + " MiB"
                                        : std::to_string(bytes >> 10) + " KiB";
  return {std::to_string(3 * perFolder) + " files of " + size + " in three folders", source};
}

// One timed run of command into the fresh folder root/to, after a sync, so that no run
// writes out what an earlier one left in the cache; negative when it failed.
timedRun runFresh(const std::string& root,
                  const std::function<std::vector<std::string>(const std::string&)>& command) {
  std::string to = root + "/to";
  std::filesystem::remove_all(to);
  std::filesystem::create_directory(to);
  sync();
  return runTimed(command(to), root + "/peak.txt");
}

// The tree copied by the command-line tool, cp -rn and rsync --ignore-existing into
// fresh destinations; the tool with --no-sync, as the others end without a flush too.
// The tools take turns in every order of the three, each order as often: a slow moment
// of the machine falls on each alike, and each follows each other tool as often (what
// the one before leaves behind, such as the file system's work on its removed copy, can
// slow the next by several percent).
void compareTools(const std::string& root, const tree& from, const std::string& cli) {
  const std::string& source = from.path;
  struct tool {
    const char* name;
    std::function<std::vector<std::string>(const std::string&)> command;
    std::vector<double> seconds;
    long peakKiB;
  } tools[] = {
      {"sondrix-cli sort -r", [&](const std::string& to) {
         return std::vector<std::string>{cli, "sort", "-r", "-q", "--no-sync", source, to}; },
       {}, 0},
      {"cp -rn", [&](const std::string& to) {
         return std::vector<std::string>{"cp", "-rn", source + "/.", to}; }, {}, 0},
      {"rsync -r --ignore-existing", [&](const std::string& to) {
         return std::vector<std::string>{"rsync", "-r", "--ignore-existing", source + "/", to + "/"}; },
       {}, 0},
  };
  const int rounds = 18;  // three times the six orders
  int order[] = {0, 1, 2};
  for (int round = 0; round < rounds; ++round) {
    std::next_permutation(order, order + 3);
    for (int turn = 0; turn < 3; ++turn) {
      tool& t = tools[order[turn]];
      timedRun run = runFresh(root, t.command);
      if (run.seconds < 0) {
        std::printf("%s failed; no comparison\n", t.name);
        return;
      }
      t.seconds.push_back(run.seconds);
      t.peakKiB = std::max(t.peakKiB, run.peakKiB);
    }
  }
  std::filesystem::remove_all(root + "/to");
  double ours = median(tools[0].seconds);
  std::printf("%s, median of %d runs in turns:\n", from.what.c_str(), rounds);
  for (const tool& t : tools)
    std::printf("  %-28s %7.1f ms  peak %6ld KiB  sondrix-cli / this: %.2fx\n", t.name,
                median(t.seconds) * 1000, t.peakKiB, ours / median(t.seconds));
}

// The tool's copy of the tree with its final flush of the destination (syncfs) and with
// --no-sync, taking turns: the difference is what waiting for the device costs.
void flushCost(const std::string& root, const std::string& source, const std::string& cli) {
  std::vector<double> seconds[2];
  const int rounds = 8;
  for (int round = 0; round < rounds; ++round)
    for (int turn = 0; turn < 2; ++turn) {
      bool flushing = (round + turn) % 2 == 0;
      timedRun run = runFresh(root, [&](const std::string& to) {
        std::vector<std::string> command = {cli, "sort", "-r", "-q", source, to};
        if (!flushing) command.insert(command.begin() + 4, "--no-sync");
        return command;
      });
      if (run.seconds < 0) {
        std::printf("sondrix-cli failed; no flush figure\n");
        return;
      }
      seconds[flushing ? 0 : 1].push_back(run.seconds);
    }
  std::filesystem::remove_all(root + "/to");
  double with = median(seconds[0]) * 1000, without = median(seconds[1]) * 1000;
  std::printf("The final flush on the same tree, median of %d runs in turns: sort -r %.1f ms, "
              "with --no-sync %.1f ms: the flush costs %.1f ms (%.0f%%)\n",
              rounds, with, without, with - without, 100 * (with - without) / without);
}
}  // namespace

// argv[1]: the command-line tool to compare with cp and rsync (optional).
int main(int argc, char** argv) {
  // TMPDIR chooses the file system measured (/dev/shm: tmpfs, without the disk).
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/sondrix-bench-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    std::perror(pattern.c_str());
    return 1;
  }
  std::string root = pattern;
  std::filesystem::create_directory(root + "/in");
  // Names in descending order, so that the sort does real work.
  for (int i = copyEngine::maxEntries - 1; i >= 0; --i)
    writeBytes(root + "/in/" + std::to_string(100000 + i) + " track name.mp3", 4096);

  nullSink sink;
  auto engine = std::make_unique<copyEngine>(sink);
  std::string in = dos(root + "/in/");
  std::vector<char> srcDir(in.begin(), in.end());
  srcDir.push_back(0);
  double list = millis([&] { engine->makeList0(srcDir.data()); }, 20);
  std::printf("makeList0, %d entries (search + sort): %.2f ms\n", engine->listCount, list);

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
    std::ofstream playlistFile(root + "/in/list.wpl", std::ios::binary);
    playlistFile << "\xEF\xBB\xBF<?wpl version=\"1.0\"?>\r\n<smil>\r\n  <head>\r\n"
            "    <meta name=\"Generator\" content=\"Jukebox 3.1\"/>\r\n"
            "  </head>\r\n  <body>\r\n    <seq>\r\n";
    for (int i = 0; i < copyEngine::maxEntries; ++i)
      playlistFile << "      <media src=\"..\\Music\\Artist Name\\Album Title &amp; More\\" << 100000 + i
           << " track name.mp3\" albumTitle=\"Album Title &amp; More (Deluxe Edition)\""
              " albumArtist=\"Artist Name\" trackTitle=\"Track Name " << i
           << "\" trackArtist=\"Artist Name feat. Guest\" duration=\"245000\""
              " tid=\"{8D4E6F7A-1B2C-4D3E-9F8A-7B6C5D4E3F2A}\""
              " cid=\"{1A2B3C4D-5E6F-4A8B-9C0D-1E2F3A4B5C6D}\""
              " serviceId=\"{00000000-0000-0000-0000-000000000000}\" rating=\"0\""
              " genre=\"J-Pop / Rock\" composer=\"Composer Name\" releaseDate=\"2019-04-01\""
              " playCount=\"12\" mood=\"Calm\" bpm=\"120\"/>\r\n";
    playlistFile << "    </seq>\r\n  </body>\r\n</smil>\r\n";
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
  if (argc > 1) {
    tree large = makeTree(root, "large", 100, 1 << 20);
    compareTools(root, large, argv[1]);
    flushCost(root, large.path, argv[1]);
    // Short clips, podcasts, audiobook chapters: here the cost of each file shows.
    compareTools(root, makeTree(root, "small", 1000, 8 << 10), argv[1]);
  }
  std::filesystem::remove_all(root);
}
