#include "cliCheck.h"
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>
#include "cliPlatform.h"
#include "folderOrder.h"
#include "folderSource.h"

namespace {
// Deeper than any path Windows can name (260 bytes).
const int maxDepth = 128;

std::string format(const char* pattern, ...) {
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
      return "FAT12/16/32 のボリュームでも exFAT のボリュームでもありません "
             "(ディスク全体ではなくパーティションを指定してください)";
    case fatProblem::truncated:
      return format("ボリュームが途中で切れています (ブートセクターでは %llu バイト)", value);
    case fatProblem::readFailed:
      return format("%llu バイト目から読み取れません", value);
    case fatProblem::clusterRange:
      return format("壊れています: クラスター番号 %llu がボリュームの外を指しています", value);
    case fatProblem::chainLoop:
      return format("壊れています: クラスターのつながりがクラスター %llu で輪になっています",
                    value);
    case fatProblem::chainBroken:
      return format("壊れています: クラスター %llu が空きまたは不良のままつながりの途中にあります",
                    value);
    case fatProblem::folderTooLong:
      return format("壊れています: クラスター %llu からのフォルダーが 65536 項目を超えます", value);
    case fatProblem::crossLinked:
      return format("壊れています: クラスター %llu が二つのフォルダーに使われています", value);
    case fatProblem::damagedEntry:
      return format("壊れています: %llu 番目の項目が正しくありません", value + 1);
    case fatProblem::badBoot:
      return format("壊れています: exFAT のブートセクターの %llu バイト目の値が正しくありません",
                    value);
    case fatProblem::bootChecksum:
      return "壊れています: exFAT のブート領域がチェックサムと合いません";
    case fatProblem::setChecksum:
      return format("壊れています: %llu 番目の項目からのエントリセットがチェックサムと合いません",
                    value + 1);
    case fatProblem::folderTooLarge:
      return format("壊れています: クラスター %llu からのフォルダーが 256 MB を超えます", value);
    case fatProblem::systemTable:
      return format("壊れています: クラスター %llu の exFAT のビットマップまたは大文字表が"
                    "ないか正しくありません", value);
    case fatProblem::none:
      break;
  }
  return "";
}

std::string lineText(const orderLine& line) {
  if (line.kind == fatEntry::Kind::deleted) return format("<削除済み %u 枠>", line.slots);
  std::string text = line.name;
  if (line.kind == fatEntry::Kind::folder) text += "  <フォルダー>";
  if (line.kind == fatEntry::Kind::label) text += "  <ボリュームラベル>";
  if (line.outOfOrder) text += "  順序違い";
  if (!line.showable) text += "  <コードページ 932 で表せない名前>";
  return text;
}

std::string summaryText(const folderOrder& order) {
  std::string text = order.musicFiles == 0 ? std::string("mp3 ファイルはありません")
                     : order.outOfOrder == 0
                         ? format("%d 個のファイルは順序どおりです", order.musicFiles)
                         : format("%d 個のファイルのうち %d 個が順序どおりではありません",
                                  order.musicFiles, order.outOfOrder);
  return text + format(" (最後の項目より前の削除済みの枠: %d 個)", order.deletedBefore);
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
      return fail("ボリューム " + cliText(options.volume.c_str()), error);
    fatEntry folder = volume->root();
    std::string path;
    if (!findFolder(cliText(options.folder.c_str()), folder, path)) return 2;
    return checkFolder(path, folder, 0);
  }

 private:
  int fail(const std::string& what, const fatError& error) {
    print(what + " を読めません: " + problemText(error));
    return 2;
  }

  bool readEntries(const std::string& path, const fatEntry& folder, std::vector<fatEntry>& entries) {
    fatError error = volume->readEntries(folder, entries);
    if (error) fail("フォルダー " + displayPath(path), error);
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
        print(format(found ? "%s はフォルダーではありません" : "フォルダー %s が見つかりません",
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
      return fail("フォルダー " + displayPath(path), {fatProblem::chainLoop, folder.cluster});
    std::vector<fatEntry> entries;
    if (!readEntries(path, folder, entries)) return 2;
    folderOrder order = checkFolderOrder(entries, options.natural);
    print(displayPath(path) + "  のディスク上の順序");
    for (const orderLine& line : order.lines) print(lineText(line));
    print(summaryText(order));
    int status = order.outOfOrder ? 1 : 0;
    if (!options.recursive) return status;
    for (const fatEntry& entry : entries) {
      if (entry.kind != fatEntry::Kind::folder) continue;
      bool showable = true;
      std::string inner = path + "\\" + entryName(entry, showable);
      if (depth + 1 >= maxDepth) {
        print("フォルダー " + inner + " を読めません: フォルダーの入れ子が深すぎます");
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
    print("ボリューム " + cliText(options.volume.c_str()) + " を開けません: " + reason);
    return 2;
  }
  return volumeCheck(options, *device).run();
}
