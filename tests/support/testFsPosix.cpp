// Test file helpers over the POSIX layer's own path mapping.
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include "../../lib/posix/posixPath.h"
#include "testFs.h"

namespace {
std::string host(const std::string& dosPath) {
  std::string out;
  if (!posixHostPath(dosPath.c_str(), out)) throw std::runtime_error("bad test path " + dosPath);
  return out;
}
}  // namespace

TempDir::TempDir() {
  char pattern[] = "/tmp/sondrix-test-XXXXXX";
  if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
  root = "Z:" + std::string(pattern);
  for (char& c : root)
    if (c == '/') c = '\\';
}

TempDir::~TempDir() {
  std::string h = host(root);
  std::error_code ignored;
  // Restore access first so that everything can be removed; a link is not followed, so
  // that what it points to outside the folder keeps its mode.
  for (auto& e : std::filesystem::recursive_directory_iterator(
           h, std::filesystem::directory_options::skip_permission_denied, ignored))
    if (!e.is_symlink(ignored)) chmod(e.path().c_str(), 0755);
  std::filesystem::remove_all(h, ignored);
}

void writeFile(const std::string& dosPath, const std::string& bytes) {
  std::ofstream out(host(dosPath), std::ios::binary);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + dosPath);
}

bool readFile(const std::string& dosPath, std::string& bytes) {
  std::ifstream in(host(dosPath), std::ios::binary);
  if (!in) return false;
  std::stringstream s;
  s << in.rdbuf();
  bytes = s.str();
  return true;
}

void makeDir(const std::string& dosPath) {
  if (mkdir(host(dosPath).c_str(), 0777) != 0) throw std::runtime_error("mkdir " + dosPath);
}

// Removes the file directly, as another program would, past the POSIX layer.
void removeFile(const std::string& dosPath) {
  if (unlink(host(dosPath).c_str()) != 0) throw std::runtime_error("unlink " + dosPath);
}

// Past the layer altogether: the paths are taken as written, so that not even the
// layer's matching of names without regard to case sees the folders.
void moveEntry(const std::string& fromDosPath, const std::string& toDosPath) {
  std::string from, to;
  if (!posixHostPath(fromDosPath.c_str(), from, PathUse::opened) ||
      !posixHostPath(toDosPath.c_str(), to, PathUse::opened) || rename(from.c_str(), to.c_str()) != 0)
    throw std::runtime_error("rename " + fromDosPath);
}

bool pathExists(const std::string& dosPath) {
  struct stat st;
  return stat(host(dosPath).c_str(), &st) == 0;
}

