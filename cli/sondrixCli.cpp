// sondrix-cli: the copy engine from the command line.
//   sondrix-cli sort [-r] [--natural] [-n] [-q] [--no-sync] SOURCE DEST
//   sondrix-cli list [-n] [-q] [--no-sync] [--base DIR] PLAYLIST DEST
//   sondrix-cli check [--natural] [-r] VOLUME [FOLDER]
//   sondrix-cli reorder [-r] [--natural] [-n] [-q] FOLDER
// Prints the job's log lines, one per line. A file that an interrupted copy left
// unfinished at the destination is finished. Exit status: 0 when every copy succeeded
// (in a dry run: would succeed), 1 when a copy failed, a folder could not be made or the
// destination could not be written out to its device, 2
// for a usage error or an operand refused before anything is written. The check's own
// statuses are in cliCheck.h; reorder: 0 done, 1 a folder could not be reordered.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>
#include "cliCheck.h"
#include "cliMessages.h"
#include "cliPlatform.h"
#include "cliProgress.h"
#include "copyEngine.h"
#include "copyHelpers.h"
#include "folderReorder.h"
#include "sondrixVersion.h"

namespace {
const char* usageText() {
  return tr(
    "usage: sondrix-cli sort [-r|--recursive] [--natural] [-n|--dry-run] [-q|--quiet] [--no-sync]\n"
    "                        SOURCE DEST\n"
    "       sondrix-cli list [-n|--dry-run] [-q|--quiet] [--no-sync] [--base DIR] PLAYLIST DEST\n"
    "       sondrix-cli check [--natural] [-r|--recursive] VOLUME [FOLDER]\n"
    "       sondrix-cli reorder [-r|--recursive] [--natural] [-n|--dry-run] [-q|--quiet] FOLDER\n"
    "       sondrix-cli -h|--help | --version\n"
    "  -r, --recursive  take the sub-folders too\n"
    "  --natural        compare digit runs by value, 2 before 10 (sort: the copy order;\n"
    "                   check: the order expected on the volume; reorder: the new order)\n"
    "  -n, --dry-run    write nothing; mark each file with what the copy would do\n"
    "                   (reorder: print the new order and mark the entries that move)\n"
    "  -q, --quiet      no progress line on a terminal\n"
    "  --base DIR       list: resolve relative entries against DIR, not the playlist's folder\n"
    "  --no-sync        end without waiting until the destination's data is on its device\n"
    "  -h, --help       this text\n"
    "Options may come before or after the operands; \"--\" ends them.");
}

enum commandBit { sortCommand = 1, listCommand = 2, checkCommand = 4, reorderCommand = 8 };

struct arguments {
  bool recursive = false, natural = false, dryRun = false, quiet = false, help = false,
       noSync = false;
  std::vector<int> operands;  // indices into argv
  int base = 0;               // index of --base's folder in argv; 0 when not given
};

struct optionEntry {
  char shortName;  // 0 when there is none
  const char* longName;
  int commands;  // commandBit values that take it
  bool arguments::*flag;
};

const optionEntry optionTable[] = {
    {'r', "--recursive", sortCommand | checkCommand | reorderCommand, &arguments::recursive},
    {0, "--natural", sortCommand | checkCommand | reorderCommand, &arguments::natural},
    {'n', "--dry-run", sortCommand | listCommand | reorderCommand, &arguments::dryRun},
    {'q', "--quiet", sortCommand | listCommand | reorderCommand, &arguments::quiet},
    {0, "--no-sync", sortCommand | listCommand, &arguments::noSync},
    {'h', "--help", sortCommand | listCommand | checkCommand | reorderCommand, &arguments::help},
};

// A message (code page 932) as the terminal shows it, with the arguments, as given, in
// place of its %s marks in turn.
std::string shown(const char* message, std::initializer_list<std::string> arguments = {}) {
  std::string text = cliShown(message);
  size_t at = 0;
  for (const std::string& argument : arguments) {
    at = text.find("%s", at);
    if (at == std::string::npos) break;
    text.replace(at, 2, argument);
    at += argument.size();
  }
  return text;
}

// why: as shown().
int usageError(const std::string& why) {
  std::fprintf(stderr, "sondrix-cli: %s\n%s\n", why.c_str(), shown(usageText()).c_str());
  return 2;
}

// On standard output as the log is printed, so that both builds print the same bytes.
int showUsage() {
  cliPrintLine(usageText());
  return 0;
}

// The option of the command named --name, or -shortName when that is not 0.
const optionEntry* findOption(const char* name, char shortName, int command) {
  for (const optionEntry& option : optionTable) {
    bool named = shortName ? option.shortName == shortName : !std::strcmp(option.longName, name);
    if (named && (option.commands & command)) return &option;
  }
  return nullptr;
}

// Reads the options and operands after the command; false, with why set (as shown()), on
// an unknown option. Short options may be grouped (-rn).
bool parseArguments(int argc, char** argv, int command, arguments& out, std::string& why) {
  bool optionsEnded = false;
  for (int i = 2; i < argc; ++i) {
    const char* arg = argv[i];
    if (optionsEnded || arg[0] != '-' || !arg[1]) {
      out.operands.push_back(i);
    } else if (!std::strcmp(arg, "--")) {
      optionsEnded = true;
    } else if (!std::strcmp(arg, "--base") && command == listCommand) {
      if (++i == argc) return why = shown(tr("--base needs a folder")), false;
      out.base = i;
    } else if (arg[1] == '-') {
      const optionEntry* option = findOption(arg, 0, command);
      if (!option) return why = shown(tr("unknown option %s"), {arg}), false;
      out.*(option->flag) = true;
    } else {
      for (const char* c = arg + 1; *c; ++c) {
        const optionEntry* option = findOption("", *c, command);
        if (!option) return why = shown(tr("unknown option %s"), {std::string("-") + *c}), false;
        out.*(option->flag) = true;
      }
    }
  }
  return true;
}

// What an operand must name: a file to read, a folder, or a folder to reorder, which
// may be gone when a stopped reorder left only its working folder.
enum operandKind { readableFile, existingFolder, reorderedFolder };

bool namesWanted(const std::string& dosPath, operandKind wanted) {
  if (wanted == readableFile)
    return kindOf(dosPath.c_str()) == pathKind::file && canRead(dosPath.c_str());
  if (kindOf(dosPath.c_str()) == pathKind::folder) return true;
  return wanted == reorderedFolder &&
         kindOf(folderReorder::workingFolderOf(dosPath).c_str()) == pathKind::folder;
}

// Checks one operand and copies its DOS form into a settings field of 300 bytes; false,
// after one line on standard error naming the path, when it is refused.
bool takeOperand(char** argv, int index, const char* role, operandKind wanted, char* field) {
  const char* argument = argv[index];
  std::string dosPath;
  const char* why = nullptr;
  if (!cliExact(index, argument) || !cliDosPath(argument, dosPath))
    why = tr("%s %s cannot be written in code page 932");
  else if (dosPath.size() >= 300)
    why = tr("%s %s is too long (299 bytes at most)");
  else if (!namesWanted(dosPath, wanted))
    why = wanted == readableFile ? tr("%s %s is not an existing readable file")
                                 : tr("%s %s is not an existing folder");
  if (why) {
    std::fprintf(stderr, "sondrix-cli: %s\n", shown(why, {role, argument}).c_str());
    return false;
  }
  std::strcpy(field, dosPath.c_str());
  return true;
}

class printSink : public logSink {
 public:
  // A log line; a progress line on the terminal is blanked first.
  void addList(const char* text) override {
    if (progress) progress->clear();
    cliPrintLine(text);
  }
  cliProgress* progress = nullptr;
};

class silentSink : public logSink {
 public:
  void addList(const char*) override {}
};

// Counts the job's files and bytes in a dry run, then shows them while it copies.
void runWithProgress(copyEngine& engine, printSink& sink, int width) {
  cliProgress progress(width);
  silentSink silent;
  copyEngine counting(silent);
  std::memcpy(counting.sourceFolder, engine.sourceFolder, sizeof engine.sourceFolder);
  std::memcpy(counting.destFolder, engine.destFolder, sizeof engine.destFolder);
  std::memcpy(counting.fileList, engine.fileList, sizeof engine.fileList);
  std::memcpy(counting.listBase, engine.listBase, sizeof engine.listBase);
  counting.copyMethod = engine.copyMethod;
  counting.recursive = engine.recursive;
  counting.naturalOrder = engine.naturalOrder;
  counting.finishPartial = engine.finishPartial;
  counting.findNames = engine.findNames;
  counting.dryRun = true;
  counting.observer = &progress;
  counting.copyJob();
  progress.startShowing();
  engine.observer = &progress;
  sink.progress = &progress;
  engine.copyJob();
  sink.progress = nullptr;
  engine.observer = nullptr;
}

// Fills the settings as the dialog would, plus the options it never sets, and runs the job.
int runJob(int command, const arguments& args, char** argv) {
  bool sort = command == sortCommand;
  if (args.operands.size() != 2)
    return usageError(shown(sort ? tr("sort needs SOURCE and DEST") : tr("list needs PLAYLIST and DEST")));
  printSink sink;
  // The engine is large (its name buffer): not on the stack.
  auto engine = std::make_unique<copyEngine>(sink);
  if (!takeOperand(argv, args.operands[0], sort ? "SOURCE" : "PLAYLIST",
                   sort ? existingFolder : readableFile,
                   sort ? engine->sourceFolder : engine->fileList) ||
      !takeOperand(argv, args.operands[1], "DEST", existingFolder, engine->destFolder) ||
      (args.base && !takeOperand(argv, args.base, "BASE", existingFolder, engine->listBase)))
    return 2;
  engine->copyMethod = sort ? 0 : 1;
  engine->recursive = args.recursive;
  engine->naturalOrder = args.natural;
  engine->dryRun = args.dryRun;
  engine->finishPartial = true;
  engine->findNames = cliFindNames;
  if (!args.noSync) engine->flushDestination = cliFlushFolder;
  cliStartLog();
  int width = args.quiet || args.dryRun ? 0 : cliStatusWidth();
  if (width > 0)
    runWithProgress(*engine, sink, width);
  else
    engine->copyJob();
  return engine->jobFailures ? 1 : 0;
}

int runCheck(const arguments& args, char** argv) {
  if (args.operands.empty() || args.operands.size() > 2)
    return usageError(shown(tr("check needs VOLUME and at most one FOLDER")));
  checkOptions options;
  options.natural = args.natural;
  options.recursive = args.recursive;
  options.volume = argv[args.operands[0]];
  if (args.operands.size() == 2) options.folder = argv[args.operands[1]];
  return checkVolume(options);
}

// Reorders in place; a stop asked by a signal ends the job after the current rename.
int runReorder(const arguments& args, char** argv) {
  if (args.operands.size() != 1) return usageError(shown(tr("reorder needs one FOLDER")));
  char folderPath[300];
  if (!takeOperand(argv, args.operands[0], "FOLDER", reorderedFolder, folderPath)) return 2;
  reorderOptions options;
  options.recursive = args.recursive;
  options.natural = args.natural;
  options.dryRun = args.dryRun;
  options.stopAsked = cliStopAsked;
  options.findFirst = cliFindInDiskOrder;
  printSink sink;
  cliStartLog();
  cliStopBetweenSteps();
  return folderReorder(sink, options).run(folderPath);
}

int commandOf(const char* name) {
  if (!std::strcmp(name, "sort")) return sortCommand;
  if (!std::strcmp(name, "list")) return listCommand;
  if (!std::strcmp(name, "check")) return checkCommand;
  if (!std::strcmp(name, "reorder")) return reorderCommand;
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usageError(shown(tr("no command")));
  if (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help")) return showUsage();
  if (!std::strcmp(argv[1], "--version")) {
    cliPrintLine("sondrix-cli " SONDRIX_VERSION);
    return 0;
  }
  int command = commandOf(argv[1]);
  if (!command) return usageError(shown(tr("unknown command %s"), {argv[1]}));
  arguments args;
  std::string why;
  if (!parseArguments(argc, argv, command, args, why)) return usageError(why);
  if (args.help) return showUsage();
  if (command == checkCommand) return runCheck(args, argv);
  if (command == reorderCommand) return runReorder(args, argv);
  return runJob(command, args, argv);
}
