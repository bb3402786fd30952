#include "vlGetFn.h"
#include <vfw.h>
#include <cstring>
#include "vlUtl1.h"

int vlGetFileName::maxfilter2 = 100;
char vlGetDirectoryName::current0[300];

namespace {
// Paths handed to callers and `folder` hold 299 bytes of text and the zero.
const int pathSize = 300;
// The longest extension, with its zero, that a filter pattern lends a saved name.
const int extensionSize = 112;
const int mmFilterSize = 1000;

void copyPath(char* destination, const char* source) {
  vlStrncpy(reinterpret_cast<unsigned char*>(destination),
            reinterpret_cast<const unsigned char*>(source), pathSize);
}

// A caller may have filled all of `folder`: the platform and current0 get 299 bytes.
char* boundedFolder(char* folder) {
  folder[pathSize - 1] = 0;
  return folder;
}

// Cuts `text` at `offset` when the text is longer.
void cutAt(char* text, size_t offset) {
  if (offset < std::strlen(text)) text[offset] = 0;
}

// Ensures one final "\\" when there is room for it; "C:\\" stays as it is.
void endWithSeparator(char* folder) {
  if (std::strlen(folder) + 1 < pathSize) vlAdjustDir(folder, '+');
}

// Explorer style: each name with its zero up to an empty name or `end` ("a\0b\0\0" is
// two names in 4 bytes); one file: the name part of the full path.
int countNames(const char* first, const char* end, int* length) {
  int names = 0;
  const char* name = first;
  while (name < end && *name) {
    ++names;
    name += std::strlen(name) + 1;
  }
  *length = static_cast<int>(name - first);
  return names;
}

// Old style: names separated by spaces, split in place into names with zeros.
int splitNames(char* first) {
  int names = 1;
  for (char* space = first; (space = std::strchr(space, ' ')); ++space) {
    *space = 0;
    ++names;
  }
  return names;
}

// The pattern of filter `index` (from 1) in a list of description/pattern pairs, or
// null when the list ends before it.
const char* filterPattern(const char* list, DWORD index) {
  if (!list || index == 0) return nullptr;
  for (DWORD skip = 2 * index - 1; skip > 0; --skip) {
    if (!*list) return nullptr;
    list += std::strlen(list) + 1;
  }
  return *list ? list : nullptr;
}

// The extension that `pattern` lends a name: its first pattern without the leading
// "*" ("*.wpl;*.asx" gives ".wpl"); empty when it would not fit extensionSize, or when
// it holds a wildcard ("*.*"): no file can be named with one.
void patternExtension(const char* pattern, char* extension) {
  extension[0] = 0;
  const char* start = pattern + 1;
  size_t length = std::strcspn(start, ";");
  if (length >= static_cast<size_t>(extensionSize) || std::strcspn(start, "*?") < length) return;
  std::memcpy(extension, start, length);
  extension[length] = 0;
}
}  // namespace

// --- vlGetFileName ----------------------------------------------------------------

vlGetFileName::vlGetFileName(vlWin* parent)
    : vlDialogModal(parent, nullptr),
      fileName(),
      folder(),
      filters(nullptr),
      defaultExtension(nullptr),
      title(),
      mmFilters(nullptr),
      ofn(),
      preview(false),
      flags(0) {
  ofn.lStructSize = sizeof(OPENFILENAMEA);
  ofn.hwndOwner = parent ? parent->hwnd : nullptr;
  ofn.lpstrFile = fileName;
  ofn.nMaxFile = pathSize;
  ofn.nMaxFileTitle = pathSize;
  ofn.lpstrInitialDir = folder;
  ofn.lpstrTitle = title;
}

vlGetFileName::~vlGetFileName() {
  delete[] filters;
  delete[] defaultExtension;
  delete[] mmFilters;
}

bool vlGetFileName::setFilters(char** pairs) {
  int strings = 0;
  size_t total = 0;
  for (; pairs && strings < maxfilter2 && pairs[strings]; ++strings)
    total += std::strlen(pairs[strings]) + 1;
  if (strings == 0 || strings % 2 != 0) return false;

  delete[] filters;
  filters = new char[total + strings + 4];
  char* end = filters;
  for (int i = 0; i < strings; ++i) {
    size_t size = std::strlen(pairs[i]) + 1;
    std::memcpy(end, pairs[i], size);
    end += size;
  }
  end[0] = end[1] = 0;
  ofn.lpstrFilter = filters;
  return true;
}

void vlGetFileName::setMMfilters(bool saving) {
  delete[] mmFilters;
  mmFilters = new char[mmFilterSize]();
  AVIBuildFilterA(mmFilters, mmFilterSize, saving);
  ofn.lpstrFilter = mmFilters;
}

void vlGetFileName::getFileTitle(char* out) {
  out[0] = 0;
  if (ofn.nFileOffset < sizeof(fileName)) copyPath(out, fileName + ofn.nFileOffset);
}

void vlGetFileName::takeChoice(char* path) {
  fileName[sizeof(fileName) - 1] = 0;
  copyPath(path, fileName);
  copyPath(folder, fileName);
  cutAt(folder, ofn.nFileOffset);
}

// --- vlGetOpenFileName ------------------------------------------------------------

vlGetOpenFileName::vlGetOpenFileName(vlWin* parent)
    : vlGetFileName(parent), count(0), namesLength(0) {
  flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  std::strcpy(title, "開く");
}

vlGetOpenFileName::~vlGetOpenFileName() {}

int vlGetOpenFileName::run(char* path, char* names) {
  path[0] = 0;
  ofn.Flags = flags;
  ofn.lpstrInitialDir = boundedFolder(folder);
  // Several names do not fit in a path; the proposed name stays, the rest is cleared so
  // that the name list the platform writes always ends in an empty string.
  bool multiple = flags & OFN_ALLOWMULTISELECT;
  ofn.nMaxFile = multiple ? sizeof(fileName) : pathSize;
  size_t proposed = strnlen(fileName, sizeof(fileName) - 1);
  std::memset(fileName + proposed, 0, sizeof(fileName) - proposed);

  BOOL chosen = preview ? GetOpenFileNamePreviewA(&ofn) : GetOpenFileNameA(&ofn);
  if (!chosen) return 0;
  return readChoice(path, names);
}

int vlGetOpenFileName::readChoice(char* path, char* names) {
  count = 1;
  takeChoice(path);
  if (!(flags & OFN_ALLOWMULTISELECT)) return count;

  size_t offset = ofn.nFileOffset;
  if (offset >= sizeof(fileName)) return count = 0;
  char* first = fileName + offset;
  if (flags & OFN_EXPLORER) {
    count = countNames(first, fileName + sizeof(fileName), &namesLength);
    if (count > 1) endWithSeparator(folder);
  } else {
    if (offset > 0) cutAt(folder, offset - 1);
    namesLength = static_cast<int>(std::strlen(first) + 1);
    count = splitNames(first);
    if (count == 1) endWithSeparator(folder);
  }
  if (names) std::memcpy(names, first, namesLength);
  return count;
}

// --- vlGetSaveFileName ------------------------------------------------------------

vlGetSaveFileName::vlGetSaveFileName(vlWin* parent) : vlGetFileName(parent) {
  flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  std::strcpy(title, "名前を付けて保存");
}

vlGetSaveFileName::~vlGetSaveFileName() {}

bool vlGetSaveFileName::setDefaultExtension(const char* extension) {
  if (!extension) return false;
  delete[] defaultExtension;
  defaultExtension = new char[std::strlen(extension) + 1];
  std::strcpy(defaultExtension, extension);
  return true;
}

bool vlGetSaveFileName::run(char* path) {
  path[0] = 0;
  ofn.Flags = flags;
  ofn.lpstrDefExt = defaultExtension;
  ofn.lpstrInitialDir = boundedFolder(folder);
  ofn.nMaxFile = pathSize;

  BOOL chosen = preview ? GetSaveFileNamePreviewA(&ofn) : GetSaveFileNameA(&ofn);
  if (!chosen) return false;
  takeChoice(path);
  completeExtension(path);
  return true;
}

void vlGetSaveFileName::completeExtension(char* path) {
  // A dot in the name part is an extension ("list." included); '.' is never a trail byte.
  if (ofn.nFileOffset > std::strlen(path) || std::strchr(path + ofn.nFileOffset, '.'))
    return;
  const char* pattern = filterPattern(ofn.lpstrFilter, ofn.nFilterIndex);
  if (!pattern) return;
  char extension[extensionSize];
  patternExtension(pattern, extension);
  if (std::strlen(path) + std::strlen(extension) < pathSize) std::strcat(path, extension);
}

// --- vlGetDirectoryName -----------------------------------------------------------

vlGetDirectoryName::vlGetDirectoryName(vlWin* parent)
    : vlGetFileName(parent), root(CSIDL_DRIVES), owner(parent), image(0), data(0) {
  flags = BIF_RETURNONLYFSDIRS;
}

vlGetDirectoryName::~vlGetDirectoryName() {}

bool vlGetDirectoryName::run(char* path, int extraFlags) {
  if (extraFlags != -1) flags |= extraFlags;
  copyPath(current0, boundedFolder(folder));
  path[0] = 0;

  LPITEMIDLIST rootList = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(owner ? owner->hwnd : nullptr, root, &rootList)))
    return false;
  BROWSEINFOA info = {};
  info.pidlRoot = rootList;
  info.lpszTitle = title;
  info.ulFlags = flags;
  info.lpfn = getDir;
  info.lParam = data;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  CoTaskMemFree(rootList);
  if (!chosen) return false;

  // A folder outside the file system (possible without BIF_RETURNONLYFSDIRS) has no
  // path: that is no choice for the caller.
  image = info.iImage;
  bool named = SHGetPathFromIDListA(chosen, path);
  CoTaskMemFree(chosen);
  if (!named) path[0] = 0;
  return named;
}

int CALLBACK getDir(HWND window, UINT message, LPARAM lParam, LPARAM) {
  if (message == BFFM_INITIALIZED && vlGetDirectoryName::current0[0]) {
    SendMessageA(window, BFFM_SETSELECTIONA, TRUE,
                 reinterpret_cast<LPARAM>(vlGetDirectoryName::current0));
  } else if (message == BFFM_SELCHANGED) {
    char selected[MAX_PATH] = "";
    if (!SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), selected))
      selected[0] = 0;
    SendMessageA(window, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(selected));
  }
  return 0;
}
