// sondrix-cli: the copy engine from the command line.
//   sondrix-cli sort [-r|--recursive] SOURCE DEST
//   sondrix-cli list PLAYLIST DEST
//   sondrix-cli check [--natural] [-r|--recursive] VOLUME [FOLDER]
// Prints the job's log lines, one per line. Exit status: 0 when every copy succeeded,
// 1 when a copy failed or a folder could not be made, 2 for a usage error. The check's
// own statuses are in cliCheck.h.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include "cliCheck.h"
#include "cliPlatform.h"
#include "copyEngine.h"
#include "sondrixVersion.h"

namespace {
class printSink : public logSink {
 public:
  void addList(const char* text) override { cliPrintLine(text); }
};

int usage(const char* why) {
  std::fprintf(stderr,
               "sondrix-cli: %s\n"
               "usage: sondrix-cli sort [-r|--recursive] SOURCE DEST\n"
               "       sondrix-cli list PLAYLIST DEST\n"
               "       sondrix-cli check [--natural] [-r|--recursive] VOLUME [FOLDER]\n",
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

// Fills the settings as the dialog would and runs the job.
int runJob(int method, bool recursive, const char* source, const char* dest) {
  printSink sink;
  auto engine = std::make_unique<copyEngine>(sink);
  char* sourceField = method == 0 ? engine->sourceFolder : engine->fileList;
  if (!setField(sourceField, source) || !setField(engine->destFolder, dest))
    return usage("a path is too long (299 bytes at most) or not representable");
  engine->copyMethod = method;
  engine->recursive = recursive;
  engine->copyJob();
  return engine->jobFailures ? 1 : 0;
}

int runSort(int argc, char** argv) {
  bool recursive = false;
  int i = 2;
  if (i < argc && (!std::strcmp(argv[i], "-r") || !std::strcmp(argv[i], "--recursive"))) {
    recursive = true;
    ++i;
  }
  if (argc - i != 2) return usage("sort needs SOURCE and DEST");
  return runJob(0, recursive, argv[i], argv[i + 1]);
}

int runList(int argc, char** argv) {
  if (argc != 4) return usage("list needs PLAYLIST and DEST");
  return runJob(1, false, argv[2], argv[3]);
}

int runCheck(int argc, char** argv) {
  checkOptions options;
  int i = 2;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    if (!std::strcmp(argv[i], "--natural")) {
      options.natural = true;
    } else if (!std::strcmp(argv[i], "-r") || !std::strcmp(argv[i], "--recursive")) {
      options.recursive = true;
    } else {
      return usage("unknown option");
    }
  }
  if (argc - i < 1 || argc - i > 2) return usage("check needs VOLUME and at most one FOLDER");
  options.volume = argv[i];
  if (i + 1 < argc) options.folder = argv[i + 1];
  return checkVolume(options);
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage("no command");
  if (!std::strcmp(argv[1], "--version")) {
    cliPrintLine("sondrix-cli " SONDRIX_VERSION);
    return 0;
  }
  if (!std::strcmp(argv[1], "sort")) return runSort(argc, argv);
  if (!std::strcmp(argv[1], "list")) return runList(argc, argv);
  if (!std::strcmp(argv[1], "check")) return runCheck(argc, argv);
  return usage("unknown command");
}
