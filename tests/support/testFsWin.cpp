// Test file helpers over the Win32 A-functions (ANSI code page 932).
#include <windows.h>
#include <stdexcept>
#include "testFs.h"

namespace {
void removeTree(const std::string& path) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = d.cFileName;
      if (name == "." || name == "..") continue;
      std::string child = path + "\\" + name;
      SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(child);
      else DeleteFileA(child.c_str());
    } while (FindNextFileA(h, &d));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
}
}  // namespace

TempDir::TempDir() {
  char base[MAX_PATH];
  GetTempPathA(sizeof base, base);
  for (unsigned n = GetTickCount();; ++n) {
    root = std::string(base) + "sondrix-test-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(n);
    if (CreateDirectoryA(root.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("temp dir");
  }
}

TempDir::~TempDir() { removeTree(root); }

void writeFile(const std::string& dosPath, const std::string& bytes) {
  HANDLE h = CreateFileA(dosPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + dosPath);
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
}

bool readFile(const std::string& dosPath, std::string& bytes) {
  HANDLE h = CreateFileA(dosPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return true;
}

void makeDir(const std::string& dosPath) {
  if (!CreateDirectoryA(dosPath.c_str(), nullptr)) throw std::runtime_error("mkdir " + dosPath);
}

void removeFile(const std::string& dosPath) {
  if (!DeleteFileA(dosPath.c_str())) throw std::runtime_error("delete " + dosPath);
}

void moveEntry(const std::string& fromDosPath, const std::string& toDosPath) {
  if (!MoveFileA(fromDosPath.c_str(), toDosPath.c_str()))
    throw std::runtime_error("move " + fromDosPath);
}

bool pathExists(const std::string& dosPath) {
  return GetFileAttributesA(dosPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

