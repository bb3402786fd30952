#include "cliCheck.h"
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>
#include "cliMessages.h"
#include "cliPlatform.h"
#include "folderOrder.h"
#include "folderSource.h"

namespace {
// Deeper than any path Windows can name (260 bytes).
const int maxDepth = 128;

__attribute__((format(gnu_printf, 1, 2))) std::string format(const char* pattern, ...) {
  va_list arguments, copy;
  va_start(arguments, pattern);
  va_copy(copy, arguments);
  int size = std::vsnprintf(nullptr, 0, pattern, arguments);
  std::string text(size > 0 ? size : 0, '\0');
  std::vsnprintf(&text[0], text.size() + 1, pattern, copy);
  va_end(copy);
  va_end(arguments);
  return text;
}

void print(const std::string& line) { cliPrintLine(line.c_str()); }

std::string problemText(const fatError& error) {
  unsigned long long value = error.value;
  switch (error.problem) {
    case fatProblem::notFat:
      return tr("neither a FAT12/16/32 nor an exFAT volume (give a partition, not the whole "
                "disk)");
    case fatProblem::truncated:
      return format(tr("the volume is cut short (%llu bytes by its boot sector)"), value);
    case fatProblem::readFailed:
      return format(tr("cannot be read from byte %llu on"), value);
    case fatProblem::clusterRange:
      return format(tr("damaged: cluster number %llu points outside the volume"), value);
    case fatProblem::chainLoop:
      return format(tr("damaged: the cluster chain loops at cluster %llu"), value);
    case fatProblem::chainBroken:
      return format(tr("damaged: cluster %llu is free or bad in the middle of a chain"), value);
    case fatProblem::folderTooLong:
      return format(tr("damaged: the folder from cluster %llu has more than 65536 entries"),
                    value);
    case fatProblem::crossLinked:
      return format(tr("damaged: cluster %llu is used by two folders"), value);
    case fatProblem::damagedEntry:
      return format(tr("damaged: entry %llu is not valid"), value + 1);
    case fatProblem::badBoot:
      return format(tr("damaged: the value at byte %llu of the exFAT boot sector is not valid"),
                    value);
    case fatProblem::bootChecksum:
      return tr("damaged: the exFAT boot region does not match its checksum");
    case fatProblem::setChecksum:
      return format(tr("damaged: the entry set from entry %llu does not match its checksum"),
                    value + 1);
    case fatProblem::folderTooLarge:
      return format(tr("damaged: the folder from cluster %llu is larger than 256 MB"), value);
    case fatProblem::systemTable:
      return format(tr("damaged: the exFAT allocation bitmap or up-case table at cluster %llu "
                       "is missing or not valid"), value);
    case fatProblem::none:
      break;
  }
  return "";
}

std::string lineText(const orderLine& line) {
  if (line.kind == fatEntry::Kind::deleted) return format(tr("<deleted slots: %u>"), line.slots);
  std::string text = line.name;
  if (line.kind == fatEntry::Kind::folder) text += std::string("  ") + tr("<folder>");
  if (line.kind == fatEntry::Kind::label) text += std::string("  ") + tr("<volume label>");
  if (line.outOfOrder) text += std::string("  ") + tr("out of order");
  if (!line.showable) text += std::string("  ") + tr("<name not shown in code page 932>");
  return text;
}

std::string summaryText(const folderOrder& order) {
  std::string text = order.musicFiles == 0 ? std::string(tr("no mp3 files"))
                     : order.outOfOrder == 0
                         ? format(tr("mp3 files: %d, all in order"), order.musicFiles)
                         : format(tr("mp3 files: %d, out of order: %d"),
                                  order.musicFiles, order.outOfOrder);
  return text + format(tr(" (deleted slots before the last entry: %d)"), order.deletedBefore);
}

// Splits a folder path at '/' and '\', which is never a trail byte here.
std::vector<std::string> pathParts(const std::string& path) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < path.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(path[i]);
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (lead && i + 1 < path.size()) {
      parts.back() += path.substr(i++, 2);
    } else if (c == '/' || c == '\\') {
      if (!parts.back().empty()) parts.emplace_back();
    } else {
      parts.back() += path[i];
    }
  }
  if (parts.back().empty()) parts.pop_back();
  return parts;
}

class volumeCheck {
 public:
  volumeCheck(const checkOptions& given, fatDevice& device)
      : options(given), volume(folderSourceFor(device)) {}

  int run() {
    if (fatError error = volume->open())
      return fail(tr("cannot read volume %s: %s"), cliText(options.volume.c_str()), error);
    fatEntry folder = volume->root();
    std::string path;
    if (!findFolder(cliText(options.folder.c_str()), folder, path)) return 2;
    return checkFolder(path, folder, 0);
  }

 private:
  // pattern: a message with the volume or folder, then the problem, in its %s marks.
  int fail(const char* pattern, const std::string& what, const fatError& error) {
    print(format(pattern, what.c_str(), problemText(error).c_str()));
    return 2;
  }

  bool readEntries(const std::string& path, const fatEntry& folder, std::vector<fatEntry>& entries) {
    fatError error = volume->readEntries(folder, entries);
    if (error) fail(tr("cannot read folder %s: %s"), displayPath(path), error);
    return !error;
  }

  static std::string displayPath(const std::string& path) { return path.empty() ? "\\" : path; }

  // Walks down the given folder path; prints why when it is not there.
  bool findFolder(const std::string& wanted, fatEntry& folder, std::string& path) {
    for (const std::string& part : pathParts(wanted)) {
      std::vector<fatEntry> entries;
      if (!readEntries(path, folder, entries)) return false;
      const fatEntry* found = nullptr;
      for (const fatEntry& entry : entries)
        if (entry.kind != fatEntry::Kind::deleted && entry.kind != fatEntry::Kind::label &&
            volume->nameMatches(entry, part) && !found)
          found = &entry;
      if (!found || found->kind != fatEntry::Kind::folder) {
        print(format(found ? tr("%s is not a folder") : tr("folder %s not found"),
                     (path + "\\" + part).c_str()));
        return false;
      }
      bool showable = true;
      path += "\\" + entryName(*found, showable);
      folder = *found;
    }
    return true;
  }

  int checkFolder(const std::string& path, const fatEntry& folder, int depth) {
    if (!visited.insert(folder.cluster).second)
      return fail(tr("cannot read folder %s: %s"), displayPath(path),
                  {fatProblem::chainLoop, folder.cluster});
    std::vector<fatEntry> entries;
    if (!readEntries(path, folder, entries)) return 2;
    folderOrder order = checkFolderOrder(entries, options.natural);
    print(format(tr("On-disk order of %s"), displayPath(path).c_str()));
    for (const orderLine& line : order.lines) print(lineText(line));
    print(summaryText(order));
    int status = order.outOfOrder ? 1 : 0;
    if (!options.recursive) return status;
    for (const fatEntry& entry : entries) {
      if (entry.kind != fatEntry::Kind::folder) continue;
      bool showable = true;
      std::string inner = path + "\\" + entryName(entry, showable);
      if (depth + 1 >= maxDepth) {
        print(format(tr("cannot read folder %s: %s"), inner.c_str(),
                     tr("the folders are nested too deep")));
        return 2;
      }
      int innerStatus = checkFolder(inner, entry, depth + 1);
      if (innerStatus == 2) return 2;
      status = std::max(status, innerStatus);
    }
    return status;
  }

  const checkOptions& options;
  std::unique_ptr<folderSource> volume;
  std::set<uint32_t> visited;  // folders already listed: a folder that comes back is a loop
};
}  // namespace

int checkVolume(const checkOptions& options) {
  std::string reason;
  std::unique_ptr<fatDevice> device = cliOpenVolume(options.volume.c_str(), reason);
  if (!device) {
    print(format(tr("cannot open volume %s: %s"), cliText(options.volume.c_str()).c_str(),
                 reason.c_str()));
    return 2;
  }
  return volumeCheck(options, *device).run();
}
