#include "folderReorder.h"
#include <windows.h>
#include <direct.h>
#include <algorithm>
#include <cstring>
#include "copyHelpers.h"
#include "nameOrder.h"
#include "vlPathname.h"

namespace {
const char* const workingSuffix = ".sondrix-reorder";
// The root's working folders: its entries gather in the first, which then moves into the
// second, made in the root's first free slot once nothing else is left there. An upper
// case 8.3 name takes a single slot on FAT.
const char* const rootGathering = "sondrix-reorder";
const char* const rootHolder = "SONDRIX.TMP";
// Deeper than any path Windows can name (260 bytes).
const int maxDepth = 128;

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool isFolder(const std::string& path) { return kindOf(path.c_str()) == pathKind::folder; }

// The volume and file index of a folder, through a handle that only names it.
bool identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE h = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool known = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  return known;
}

std::string errorText(DWORD code) { return " (エラー " + std::to_string(code) + ")"; }
}  // namespace

folderReorder::folderReorder(logSink& sink, const reorderOptions& given)
    : log(sink), options(given) {}

std::string folderReorder::workingFolderOf(const std::string& folder) {
  return folder + workingSuffix;
}

int folderReorder::run(const char* folder) {
  vlPathname path;
  std::string shown = folder;
  if (path.storeName(folder) != 0) return fail({"", "", shown, false}, "パスが正しくありません");
  char parent[300];
  // "E:\MUSIC\" stands for "E:\MUSIC"; the separator the parser kept is a real one.
  if (!*path.filePos && std::strcmp(path.dir, "\\") != 0) {
    path.getFilePos(parent);
    parent[std::strlen(parent) - 1] = 0;
    shown.pop_back();
    if (path.storeName(parent) != 0) return fail({"", "", shown, false}, "パスが正しくありません");
  }
  path.getFilePos(parent);
  place top = *path.filePos ? place{std::string(parent) + path.filePos,
                                    std::string(parent) + path.filePos + "\\", shown, false}
                            : place{parent, parent, shown, true};
  return reorderTree(top, 0);
}

folderReorder::place folderReorder::placeOf(const place& parent, const std::string& name) {
  std::string shown = parent.shown + (parent.prefix == parent.path ? "" : "\\") + name;
  return {parent.prefix + name, parent.prefix + name + "\\", shown, false};
}

// A mount point is a root too: its parent lies on another volume.
bool folderReorder::isRoot(const std::string& path) const {
  BY_HANDLE_FILE_INFORMATION own, parent;
  if (!identity(path, own) || !identity(path + "\\..", parent)) return false;
  return own.dwVolumeSerialNumber != parent.dwVolumeSerialNumber ||
         (own.nFileIndexHigh == parent.nFileIndexHigh && own.nFileIndexLow == parent.nFileIndexLow);
}

int folderReorder::reorderTree(const place& given, int depth) {
  place folder = given;
  if (!folder.root && isRoot(folder.path)) folder.root = true;
  if (depth >= maxDepth) return fail(folder, "フォルダーの入れ子が深すぎます");
  if (stopHere(folder)) return 1;
  int status = options.recursive ? reorderChildren(folder, depth) : 0;
  if (stopped) return 1;
  return std::max(status, folder.root ? reorderRoot(folder) : reorderFolder(folder));
}

// The sub-folders, and those whose reorder stopped between their removal and the last
// rename: only their working folder is there.
int folderReorder::reorderChildren(const place& folder, int depth) {
  std::vector<entry> listed;
  if (!listFolder(folder.path, listed)) return 0;  // the folder's own step says why
  std::vector<std::string> children;
  auto listedAs = [&listed](const std::string& name) {
    return std::any_of(listed.begin(), listed.end(), [&](const entry& e) { return e.name == name; });
  };
  for (const entry& e : listed) {
    if (!e.folder || e.link) continue;
    if (folder.root && (e.name == rootGathering || e.name == rootHolder)) continue;
    if (!endsWith(e.name, workingSuffix)) {
      children.push_back(e.name);
      continue;
    }
    std::string base = e.name.substr(0, e.name.size() - std::strlen(workingSuffix));
    if (!listedAs(base)) children.push_back(base);
  }
  // In the order the folder will hold them, so that the log reads the same everywhere.
  bool natural = options.natural;
  std::sort(children.begin(), children.end(), [natural](const std::string& a, const std::string& b) {
    return nameCompare(a.c_str(), b.c_str(), natural) < 0;
  });
  int status = 0;
  for (const std::string& name : children) {
    status = std::max(status, reorderTree(placeOf(folder, name), depth + 1));
    if (stopped) return 1;
  }
  return status;
}

int folderReorder::reorderFolder(const place& folder) {
  std::string working = workingFolderOf(folder.path);
  bool resuming = isFolder(working);
  std::vector<entry> listed, staying;
  if (!isFolder(folder.path)) {
    // Stopped after the folder was emptied and removed: only the last rename is left.
    if (!resuming) return fail(folder, "フォルダーが見つかりません");
  } else if (!listFolder(folder.path, listed)) {
    return fail(folder, "フォルダーを読めません");
  }
  if (!resuming && alreadyInOrder(listed)) {
    note(folder.shown + "  すでに順序どおりです");
    return 0;
  }
  std::vector<entry> moving = inOrder(listed);
  if (working.size() >= MAX_PATH) return fail(folder, "パスが長すぎます: " + working);
  if (!refuseNames(folder, working + "\\", moving)) return 1;
  if (options.dryRun) {
    if (resuming) listFolder(working, staying);
    showPlan(folder, staying, moving);
    return 0;
  }
  if (!resuming && _mkdir(working.c_str()) != 0)
    return fail(folder, "作業フォルダー " + working + " を作れません");
  int moved = 0;
  if (!moveAll(folder, folder.prefix, working + "\\", moving, moved)) return 1;
  if (isFolder(folder.path) && _rmdir(folder.path.c_str()) != 0)
    return fail(folder, "空になったフォルダーを削除できません (ほかの項目が加わりました)");
  if (!moveOne(folder, working, folder.path)) return 1;
  return done(folder, moved);
}

int folderReorder::reorderRoot(const place& root) {
  std::string gathering = root.prefix + rootGathering, holder = root.prefix + rootHolder;
  std::string held = holder + "\\" + rootGathering;
  std::vector<entry> listed, movable, fixed, gathered;
  if (!listFolder(root.path, listed)) return fail(root, "フォルダーを読めません");
  for (const entry& e : listed)
    if (e.name != rootGathering && e.name != rootHolder)
      (e.system ? fixed : movable).push_back(e);
  bool gatheringThere = isFolder(gathering), heldThere = isFolder(held);
  // A holder without the gathered entries is empty: a run stopped just after making it,
  // or just before its very end. It is made again when needed.
  if (!heldThere && isFolder(holder) && _rmdir(holder.c_str()) != 0)
    return fail(root, "作業フォルダーと同じ名前の " + holder + " があります");
  if (!gatheringThere && !heldThere && alreadyInOrder(movable)) {
    note(root.shown + "  すでに順序どおりです");
    return 0;
  }
  if (!refuseNames(root, held + "\\", movable)) return 1;
  if (options.dryRun) {
    if (heldThere) listFolder(held, gathered);
    movable.insert(movable.end(), gathered.begin(), gathered.end());
    showPlan(root, fixed, inOrder(movable));
    return 0;
  }
  for (const entry& e : fixed) note(root.prefix + e.name + "  システムの項目なので元の場所に残します");
  int moved = 0;
  if (!heldThere) {
    if (!gatheringThere && _mkdir(gathering.c_str()) != 0)
      return fail(root, "作業フォルダー " + gathering + " を作れません");
    int out = 0;
    if (!moveAll(root, root.prefix, gathering + "\\", movable, out)) return 1;
    if (_mkdir(holder.c_str()) != 0) return fail(root, "作業フォルダー " + holder + " を作れません");
    if (!moveOne(root, gathering, held)) return 1;
  }
  if (!listFolder(held, gathered)) return fail(root, "作業フォルダー " + held + " を読めません");
  if (!moveAll(root, held + "\\", root.prefix, inOrder(gathered), moved)) return 1;
  if (_rmdir(held.c_str()) != 0 || _rmdir(holder.c_str()) != 0)
    return fail(root, "作業フォルダー " + holder + " を削除できません");
  return done(root, moved);
}

// The entries as the folder lists them, which on FAT and exFAT is their order on disk.
bool folderReorder::listFolder(const std::string& path, std::vector<entry>& entries) {
  entries.clear();
  WIN32_FIND_DATAA data;
  HANDLE h = options.findFirst((endsWith(path, "\\") ? path + "*" : path + "\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    DWORD a = data.dwFileAttributes;
    bool system = (a & FILE_ATTRIBUTE_SYSTEM) && (a & FILE_ATTRIBUTE_HIDDEN);
    bool link = (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entries.push_back({name, (a & FILE_ATTRIBUTE_DIRECTORY) != 0, system, link});
  } while (FindNextFileA(h, &data));
  FindClose(h);
  return true;
}

// Files first, then folders, each group as a sorted copy writes it.
std::vector<folderReorder::entry> folderReorder::inOrder(std::vector<entry> entries) const {
  bool natural = options.natural;
  std::stable_sort(entries.begin(), entries.end(), [natural](const entry& a, const entry& b) {
    if (a.folder != b.folder) return b.folder;
    return nameCompare(a.name.c_str(), b.name.c_str(), natural) < 0;
  });
  return entries;
}

bool folderReorder::alreadyInOrder(const std::vector<entry>& listed) const {
  std::vector<entry> sorted = inOrder(listed);
  return std::equal(listed.begin(), listed.end(), sorted.begin(),
                    [](const entry& a, const entry& b) { return a.name == b.name; });
}

// Names the system could not hand over exactly, and paths too long for the platform,
// stop the folder before anything moves.
bool folderReorder::refuseNames(const place& folder, const std::string& into,
                                const std::vector<entry>& entries) {
  for (const entry& e : entries) {
    if (e.name.find('?') != std::string::npos)
      return fail(folder, "コードページ 932 で表せない名前があります: " + e.name), false;
    if (into.size() + e.name.size() >= MAX_PATH || folder.prefix.size() + e.name.size() >= MAX_PATH)
      return fail(folder, "パスが長すぎます: " + into + e.name), false;
  }
  return true;
}

// Moves the entries one by one, in the order given. In a root, an entry the system
// refuses to move keeps its place and is named.
bool folderReorder::moveAll(const place& folder, const std::string& from, const std::string& into,
                            const std::vector<entry>& entries, int& moved) {
  for (const entry& e : entries) {
    if (stopHere(folder)) return false;
    if (MoveFileExA((from + e.name).c_str(), (into + e.name).c_str(), 0)) {
      ++moved;
      continue;
    }
    DWORD code = GetLastError();
    if (!(folder.root && code == ERROR_ACCESS_DENIED))
      return fail(folder, e.name + " を移動できません" + errorText(code)), false;
    note(from + e.name + "  移動できないので元の場所に残します");
  }
  return true;
}

// Between two renames: a stop asked ends the job there, with every entry whole.
bool folderReorder::stopHere(const place& folder) {
  if (stopped || !options.stopAsked || !options.stopAsked()) return stopped;
  stopped = true;
  note(folder.shown + "  中断しました (同じコマンドをもう一度実行すると続きを行います)");
  return true;
}

bool folderReorder::moveOne(const place& folder, const std::string& from, const std::string& to) {
  if (stopHere(folder)) return false;
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
  return fail(folder, from + " を " + to + " に移せません" + errorText(GetLastError())), false;
}

void folderReorder::showPlan(const place& folder, const std::vector<entry>& staying,
                             const std::vector<entry>& moving) {
  note(folder.shown + "  の新しい順序");
  for (const entry& e : staying) note("  " + e.name);
  for (const entry& e : moving) note("  " + e.name + "  移動します");
  note(folder.shown + "  " + std::to_string(moving.size()) + " 項目を移動します");
}

int folderReorder::done(const place& folder, int moved) {
  note(folder.shown + "  並べ替えました (" + std::to_string(moved) + " 項目を移動しました)");
  return 0;
}

int folderReorder::fail(const place& folder, const std::string& why) {
  note(folder.shown + "  並べ替えられません: " + why);
  return 1;
}

void folderReorder::note(const std::string& line) { log.addList(line.c_str()); }
