// One folder's names, by their ASCII-folded form.
#include "posixFolderNames.h"
#include <dirent.h>
#include <sys/stat.h>
#include <mutex>
#include <unordered_map>
#include "posixText.h"

namespace {
struct Stamp {
  dev_t device;
  ino_t inode;
  struct timespec changed, written;
};

bool operator==(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool operator==(const Stamp& a, const Stamp& b) {
  return a.device == b.device && a.inode == b.inode && a.changed == b.changed &&
         a.written == b.written;
}

struct Listing {
  bool valid = false;
  Stamp stamp{};
  // Counts every reading and change, so that a mark taken before a create shows whether
  // the listing was replaced or told of anything meanwhile; 0 is never a generation.
  unsigned long generation = 1;
  // Folded name to the entry's own spelling; the first entry the folder lists wins.
  std::unordered_map<std::string, std::string> names;
  // Reused for every call, so that looking up a name allocates nothing: the folder's
  // path as the system wants it, and a folded name.
  std::string path, key;
};

std::mutex listingLock;
Listing listing;

void fold(std::string& name) {
  for (char& c : name)
    c = static_cast<char>(posixLowerAscii(static_cast<unsigned char>(c)));
}

std::string folded(std::string_view name) {
  std::string key(name);
  fold(key);
  return key;
}

// The folder ("" is the working folder) as a path for the system, in listing.path.
const char* systemPath(std::string_view folder) {
  listing.path.assign(folder.empty() ? std::string_view(".") : folder);
  return listing.path.c_str();
}

bool stampOf(std::string_view folder, Stamp& stamp) {
  struct stat st;
  if (stat(systemPath(folder), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  stamp = Stamp{st.st_dev, st.st_ino, st.st_ctim, st.st_mtim};
  return true;
}

// Reads the folder into the listing; taken under the stamp read before, so that a change
// made while reading leaves a stamp that no longer matches.
bool readListing(std::string_view folder, const Stamp& stamp) {
  listing.valid = false;
  ++listing.generation;
  DIR* dir = opendir(systemPath(folder));
  if (!dir) return false;
  listing.names.clear();
  while (struct dirent* e = readdir(dir)) listing.names.emplace(folded(e->d_name), e->d_name);
  closedir(dir);
  listing.stamp = stamp;
  listing.valid = true;
  return true;
}

bool lookUp(std::string_view folder, std::string_view name, std::string& found, bool mayRead,
            unsigned long& mark) {
  std::lock_guard<std::mutex> hold(listingLock);
  Stamp now;
  if (!stampOf(folder, now)) return false;
  if (!(listing.valid && listing.stamp == now) && !(mayRead && readListing(folder, now)))
    return false;
  listing.key.assign(name);
  fold(listing.key);
  auto entry = listing.names.find(listing.key);
  if (entry == listing.names.end()) found.assign(name);
  else found = entry->second;
  mark = listing.generation;
  return true;
}
}  // namespace

bool posixFolderEntry(std::string_view folder, std::string_view name, std::string& found) {
  unsigned long mark;
  return lookUp(folder, name, found, true, mark);
}

bool posixListedEntry(std::string_view folder, std::string_view name, std::string& found,
                      unsigned long& mark) {
  return lookUp(folder, name, found, false, mark);
}

namespace {
std::string_view folderOf(std::string_view hostPath) {
  size_t slash = hostPath.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : hostPath.substr(0, slash + 1);
}

void forget() {
  listing.valid = false;
  ++listing.generation;
}
}  // namespace

unsigned long posixFolderBefore(const std::string& hostPath) {
  std::lock_guard<std::mutex> hold(listingLock);
  Stamp now;
  bool current = listing.valid && stampOf(folderOf(hostPath), now) && listing.stamp == now;
  return current ? listing.generation : 0;
}

void posixFolderGained(const std::string& hostPath, unsigned long before) {
  std::string_view folder = folderOf(hostPath);
  std::string_view name = std::string_view(hostPath).substr(folder.size());
  std::lock_guard<std::mutex> hold(listingLock);
  Stamp now;
  if (!listing.valid || !stampOf(folder, now)) return;
  // Another folder's listing stays as it is: its own stamp still guards it.
  if (now.device != listing.stamp.device || now.inode != listing.stamp.inode) return;
  // The new stamp covers only our own create when the listing was current just before
  // it; otherwise someone else changed the folder too, and it is read again.
  if (before != listing.generation) return forget();
  listing.names.emplace(folded(name), name);
  listing.stamp = now;
  ++listing.generation;
}

void posixFolderChanged() {
  std::lock_guard<std::mutex> hold(listingLock);
  forget();
}
