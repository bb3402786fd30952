// sondrix-cli: the copy engine from the command line.
//   sondrix-cli sort [-r|--recursive] SOURCE DEST
// Prints the job's log lines, one per line. Exit status: 0 when every copy succeeded,
// 1 when a copy failed or a folder could not be made, 2 for a usage error.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include "cliPlatform.h"
#include "copyEngine.h"

namespace {
class printSink : public logSink {
 public:
  void addList(const char* text) override { cliPrintLine(text); }
};

int usage(const char* why) {
  std::fprintf(stderr,
               "sondrix-cli: %s\n"
               "usage: sondrix-cli sort [-r|--recursive] SOURCE DEST\n",
               why);
  return 2;
}

// Copies a path argument into a settings field of 300 bytes.
bool setField(char* field, const char* argument) {
  std::string dosPath;
  if (!cliDosPath(argument, dosPath) || dosPath.size() >= 300) return false;
  std::strcpy(field, dosPath.c_str());
  return true;
}

int runSort(int argc, char** argv) {
  bool recursive = false;
  int i = 2;
  if (i < argc && (!std::strcmp(argv[i], "-r") || !std::strcmp(argv[i], "--recursive"))) {
    recursive = true;
    ++i;
  }
  if (argc - i != 2) return usage("sort needs SOURCE and DEST");
  printSink sink;
  auto engine = std::make_unique<copyEngine>(sink);
  if (!setField(engine->sourceFolder, argv[i]) || !setField(engine->destFolder, argv[i + 1]))
    return usage("a path is too long (299 bytes at most) or not representable");
  engine->copyMethod = 0;
  engine->recursive = recursive;
  engine->copyJob();
  return engine->jobFailures ? 1 : 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage("no command");
  if (!std::strcmp(argv[1], "sort")) return runSort(argc, argv);
  return usage("unknown command");
}
