#include "cliProgress.h"
#include <windows.h>
#include <cstdio>
#include <cstring>
#include "cliPlatform.h"
#include "copyHelpers.h"

namespace {
const double mebibyte = 1024.0 * 1024.0;

// The size of a file, 0 when it cannot be read.
unsigned long long fileBytes(const char* path) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!describePath(path, info)) return 0;
  return static_cast<unsigned long long>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
}

// Code page 932 lead bytes; a double-byte character is also two columns wide, so bytes
// and columns agree.
bool isLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The first columns bytes of text, never half a character.
std::string cut(const std::string& text, size_t columns) {
  size_t end = 0;
  while (end < text.size()) {
    size_t next = end + (isLead(static_cast<unsigned char>(text[end])) ? 2 : 1);
    if (next > columns || next > text.size()) break;
    end = next;
  }
  return text.substr(0, end);
}

// The name after the last separator.
const char* baseName(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p) {
    if (isLead(static_cast<unsigned char>(*p)) && p[1])
      ++p;
    else if (*p == '\\')
      name = p + 1;
  }
  return name;
}
}  // namespace

cliProgress::cliProgress(int columns) : width(columns) {}

cliProgress::~cliProgress() { clear(); }

void cliProgress::clear() {
  if (drawn) cliPrintStatus(("\r" + std::string(width - 1, ' ') + "\r").c_str());
  drawn = false;
}

void cliProgress::startShowing() {
  showing = true;
  start = std::chrono::steady_clock::now();
}

void cliProgress::fileStarts(const char* source) {
  if (!showing) return;
  auto now = std::chrono::steady_clock::now();
  // At most ten redraws a second, but at once after a log line blanked the line.
  if (drawn && now - lastDraw < std::chrono::milliseconds(100)) return;
  lastDraw = now;
  draw(source);
}

void cliProgress::fileEnds(const char* source, bool copied) {
  unsigned long long size = copied ? fileBytes(source) : 0;
  if (showing) {
    ++files;
    bytes += size;
  } else {
    ++totalFiles;
    totalBytes += size;
  }
}

std::string cliProgress::line(const char* current) const {
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  double rate = took.count() > 0 ? bytes / mebibyte / took.count() : 0;
  char text[200];
  std::snprintf(text, sizeof text, "%d/%d  %.1f/%.1f MiB  %.1f MiB/s  ", files, totalFiles,
                bytes / mebibyte, totalBytes / mebibyte, rate);
  return text + std::string(baseName(current));
}

void cliProgress::draw(const char* current) {
  std::string text = cut(line(current), static_cast<size_t>(width - 1));
  text.resize(static_cast<size_t>(width - 1), ' ');
  cliPrintStatus(("\r" + text).c_str());
  drawn = true;
}
