// Common dialogs: what run makes of the platform's answers (fed as the platform writes
// them), the filter list bytes, and real open, save and folder dialogs driven by a user.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "dialogDriver.h"
#include "testFs.h"
#include "vlGetFn.h"

using namespace std::string_literals;
namespace dd = dialogDriver;

namespace {
// A null-terminated char* array over `strings`, as setFilters takes it.
std::vector<char*> pairArray(std::vector<std::string>& strings) {
  std::vector<char*> array;
  for (std::string& s : strings) array.push_back(&s[0]);
  array.push_back(nullptr);
  return array;
}

// Fills fileName and the offset as the platform leaves them after an OK.
void answer(vlGetFileName& dialog, const std::string& buffer, int offset) {
  std::memset(dialog.fileName, 0x55, sizeof(dialog.fileName));
  std::memcpy(dialog.fileName, buffer.data(), buffer.size());
  dialog.ofn.nFileOffset = static_cast<WORD>(offset);
}

const int explorer = OFN_ALLOWMULTISELECT | OFN_EXPLORER;
const int oldStyle = OFN_ALLOWMULTISELECT;

// --- reading the platform's answer -------------------------------------------------

struct ChoiceRow {
  const char* what;
  int flags;
  std::string buffer;  // fileName as the platform wrote it
  int offset;          // nFileOffset
  int count;
  const char* path;
  const char* folder;
  std::string names;   // what lands in names; empty: names untouched
};

TEST(vlGetFnChoice, ReadsEverySelectionStyle) {
  const ChoiceRow rows[] = {
      {"single", 0, "C:\\m\\a.mp3\0"s, 5, 1, "C:\\m\\a.mp3", "C:\\m\\", ""},
      {"explorer, one", explorer, "C:\\m\\a.mp3\0\0"s, 5, 1, "C:\\m\\a.mp3", "C:\\m\\",
       "a.mp3\0"s},
      {"explorer, two", explorer, "C:\\m\0a.mp3\0b.mp3\0\0"s, 5, 2, "C:\\m", "C:\\m\\",
       "a.mp3\0b.mp3\0"s},
      {"explorer, root", explorer, "C:\\\0a.mp3\0b.mp3\0\0"s, 4, 2, "C:\\", "C:\\",
       "a.mp3\0b.mp3\0"s},
      // 0x5C as the trail byte of a two-byte character is no separator.
      {"explorer, trail byte", explorer, "C:\\表\0a.mp3\0b.mp3\0\0"s, 6, 2, "C:\\表",
       "C:\\表\\", "a.mp3\0b.mp3\0"s},
      {"old style, one", oldStyle, "C:\\m\\a.mp3\0"s, 5, 1, "C:\\m\\a.mp3", "C:\\m\\",
       "a.mp3\0"s},
      {"old style, two", oldStyle, "C:\\m a.mp3 b.mp3\0"s, 5, 2, "C:\\m a.mp3 b.mp3", "C:\\m",
       "a.mp3\0b.mp3\0"s},
      {"old style, three", oldStyle, "C:\\m a.mp3 b.mp3 c.mp3\0"s, 5, 3,
       "C:\\m a.mp3 b.mp3 c.mp3", "C:\\m", "a.mp3\0b.mp3\0c.mp3\0"s},
  };
  for (const ChoiceRow& row : rows) {
    SCOPED_TRACE(row.what);
    vlGetOpenFileName dialog(nullptr);
    dialog.flags |= row.flags;
    answer(dialog, row.buffer, row.offset);
    char path[300];
    char names[5000];
    std::memset(names, 'x', sizeof(names));
    EXPECT_EQ(dialog.readChoice(path, names), row.count);
    EXPECT_EQ(dialog.count, row.count);
    EXPECT_STREQ(path, row.path);
    EXPECT_STREQ(dialog.folder, row.folder);
    if (row.names.empty()) {
      EXPECT_EQ(names[0], 'x');
    } else {
      EXPECT_EQ(dialog.namesLength, static_cast<int>(row.names.size()));
      EXPECT_EQ(std::string(names, row.names.size()), row.names);
      EXPECT_EQ(names[row.names.size()], 'x');
    }
  }
}

TEST(vlGetFnChoice, NameListFillingTheWholeBufferStopsAtItsEnd) {
  vlGetOpenFileName dialog(nullptr);
  dialog.flags |= explorer;
  std::string buffer = "C:\\m"s + '\0';
  while (buffer.size() + 10 <= sizeof(dialog.fileName)) buffer += "123456789"s + '\0';
  buffer.append(sizeof(dialog.fileName) - buffer.size(), 'z');  // no final empty name
  answer(dialog, buffer, 5);
  char path[300];
  std::vector<char> names(sizeof(dialog.fileName));
  EXPECT_EQ(dialog.readChoice(path, names.data()), 500);
  EXPECT_EQ(dialog.namesLength, static_cast<int>(sizeof(dialog.fileName)) - 5);
  EXPECT_EQ(names[dialog.namesLength - 1], 0);
}

TEST(vlGetFnChoice, PathsStayWithinTheirBuffers) {
  // 400 bytes of name at the offset: the title and the path keep 299 of them.
  vlGetOpenFileName dialog(nullptr);
  answer(dialog, "C:\\m\\" + std::string(400, 'n') + '\0', 5);
  char path[310];
  char title[310];
  std::memset(path, '#', sizeof(path));
  std::memset(title, '#', sizeof(title));
  dialog.readChoice(path, nullptr);
  dialog.getFileTitle(title);
  EXPECT_EQ(std::strlen(path), 299u);
  EXPECT_EQ(path[300], '#');
  EXPECT_EQ(std::string(title), std::string(299, 'n'));
  EXPECT_EQ(title[300], '#');
  EXPECT_STREQ(dialog.folder, "C:\\m\\");
}

// --- completing a saved name's extension --------------------------------------------

struct ExtensionRow {
  const char* what;
  std::vector<std::string> filters;  // none: no list
  int index;                         // nFilterIndex
  std::string chosen;                // fileName; the name starts after the last "\\"
  std::string expected;
};

TEST(vlGetFnSave, CompletesTheExtensionFromTheSelectedFilter) {
  const std::vector<std::string> playlist = {"再生リスト(*.wpl)", "*.wpl", "全てのファイル", "*.*"};
  const std::string x110(110, 'x');
  const ExtensionRow rows[] = {
      {"typed without", playlist, 1, "C:\\m\\list", "C:\\m\\list.wpl"},
      {"typed with", playlist, 1, "C:\\m\\list.txt", "C:\\m\\list.txt"},
      {"trailing dot", playlist, 1, "C:\\m\\list.", "C:\\m\\list."},
      {"dot in the folder only", playlist, 1, "C:\\a.b\\list", "C:\\a.b\\list.wpl"},
      {"all files: no wildcard in a name", playlist, 2, "C:\\m\\list", "C:\\m\\list"},
      {"wildcard later in the pattern", {"Lists", "*.w?l;*.wpl"}, 1, "C:\\m\\list", "C:\\m\\list"},
      {"wildcard only in a later pattern", {"Lists", "*.wpl;*.*"}, 1, "C:\\m\\list",
       "C:\\m\\list.wpl"},
      {"index 0", playlist, 0, "C:\\m\\list", "C:\\m\\list"},
      {"index past the end", playlist, 3, "C:\\m\\list", "C:\\m\\list"},
      {"no list", {}, 1, "C:\\m\\list", "C:\\m\\list"},
      {"two patterns", {"Lists", "*.wpl;*.asx"}, 1, "C:\\m\\list", "C:\\m\\list.wpl"},
      {"111-byte extension", {"Long", "*." + x110}, 1, "C:\\m\\a", "C:\\m\\a." + x110},
      {"112-byte extension", {"Long", "*.x" + x110}, 1, "C:\\m\\a", "C:\\m\\a"},
      {"ends at 299 bytes", playlist, 1, "C:\\m\\" + std::string(290, 'n'),
       "C:\\m\\" + std::string(290, 'n') + ".wpl"},
      {"would pass 299 bytes", playlist, 1, "C:\\m\\" + std::string(291, 'n'),
       "C:\\m\\" + std::string(291, 'n')},
  };
  for (const ExtensionRow& row : rows) {
    SCOPED_TRACE(row.what);
    vlGetSaveFileName dialog(nullptr);
    std::vector<std::string> strings = row.filters;
    if (!strings.empty()) {
      ASSERT_TRUE(dialog.setFilters(pairArray(strings).data()));
    }
    answer(dialog, row.chosen + '\0', static_cast<int>(row.chosen.rfind('\\') + 1));
    dialog.ofn.nFilterIndex = row.index;
    char path[300];
    dialog.takeChoice(path);
    dialog.completeExtension(path);
    EXPECT_EQ(std::string(path), row.expected);
  }
}

TEST(vlGetFnSave, TheExtensionComesFromTheListTheDialogShowed) {
  // setMMfilters replaces the shown list but keeps `filters`: the index is the shown one's.
  vlGetSaveFileName dialog(nullptr);
  std::vector<std::string> mine = {"Mine", "*.aaa"};
  ASSERT_TRUE(dialog.setFilters(pairArray(mine).data()));
  dialog.ofn.lpstrFilter = "Shown\0*.bbb;*.ccc\0\0";
  answer(dialog, "C:\\m\\clip\0"s, 5);
  dialog.ofn.nFilterIndex = 1;
  char path[300];
  dialog.takeChoice(path);
  dialog.completeExtension(path);
  EXPECT_STREQ(path, "C:\\m\\clip.bbb");
}

TEST(vlGetFnSave, MultimediaListBecomesTheShownList) {
  for (bool saving : {false, true}) {
    SCOPED_TRACE(saving ? "saving" : "reading");
    vlGetSaveFileName dialog(nullptr);
    dialog.setMMfilters(saving);
    ASSERT_NE(dialog.mmFilters, nullptr);
    EXPECT_EQ(dialog.ofn.lpstrFilter, dialog.mmFilters);
    EXPECT_NE(dialog.mmFilters[0], 0) << "no multimedia types";
    EXPECT_EQ(dialog.filters, nullptr);
  }
}

// --- the filter list ----------------------------------------------------------------

struct FilterRow {
  const char* what;
  std::vector<std::string> strings;
  bool accepted;
  std::string bytes;  // the list when accepted
};

std::vector<std::string> numbered(int n) {
  std::vector<std::string> strings;
  for (int i = 0; i < n; ++i) strings.push_back(std::string(1, static_cast<char>('A' + i % 26)));
  return strings;
}

std::string numberedBytes(int n) {
  std::string bytes;
  for (const std::string& s : numbered(n)) bytes += s + '\0';
  return bytes + "\0\0"s;
}

TEST(vlGetFnFilters, BuildsTheListOrKeepsThePreviousOne) {
  const FilterRow rows[] = {
      {"one pair", {"全てのファイル", "*.*"}, true, "全てのファイル\0*.*\0\0\0"s},
      {"playlist", {"再生リスト(*.wpl)", "*.wpl", "全てのファイル", "*.*"}, true,
       "再生リスト(*.wpl)\0*.wpl\0全てのファイル\0*.*\0\0\0"s},
      {"odd", {"全てのファイル"}, false, ""},
      {"none", {}, false, ""},
      {"99 strings", numbered(99), false, ""},
      {"100 strings", numbered(100), true, numberedBytes(100)},
      {"101 strings: the first 100", numbered(101), true, numberedBytes(100)},
      {"130 strings: the first 100", numbered(130), true, numberedBytes(100)},
  };
  const std::string previous = "old\0*.old\0\0\0"s;
  for (const FilterRow& row : rows) {
    SCOPED_TRACE(row.what);
    vlGetFileName dialog(nullptr);
    std::vector<std::string> old = {"old", "*.old"};
    ASSERT_TRUE(dialog.setFilters(pairArray(old).data()));
    std::vector<std::string> strings = row.strings;
    EXPECT_EQ(dialog.setFilters(pairArray(strings).data()), row.accepted);
    EXPECT_EQ(dialog.ofn.lpstrFilter, dialog.filters);
    const std::string& expected = row.accepted ? row.bytes : previous;
    EXPECT_EQ(std::string(dialog.filters, expected.size()), expected);
  }
}

// --- real dialogs -------------------------------------------------------------------

// The file-name edit of an open or save dialog: inside the combo box of item 0x47C, or
// the plain edit 0x480 of older layouts.
HWND fileNameEdit(HWND dialog) {
  HWND box = dd::item(dialog, 0x47C);
  if (!box) return dd::item(dialog, 0x480);
  HWND edit = FindWindowExA(box, nullptr, "Edit", nullptr);
  if (edit) return edit;
  return FindWindowExA(FindWindowExA(box, nullptr, "ComboBox", nullptr), nullptr, "Edit",
                       nullptr);
}

// Types `text` into the file-name edit of the dialog titled `title` and presses OK.
void typeAndAccept(const char* title, const std::string& text) {
  HWND dialog = dd::waitWindow("#32770", title, GetCurrentProcessId());
  ASSERT_NE(dialog, nullptr) << "no dialog " << title;
  HWND edit = fileNameEdit(dialog);
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(dd::setText(edit, text));
  dd::click(dd::item(dialog, IDOK));
}

// A real dialog in a fresh folder. The open and save dialogs move the working folder
// to the chosen one; it is put back before the folder goes.
class vlGetFnReal : public ::testing::Test {
 protected:
  void SetUp() override { GetCurrentDirectoryA(sizeof(working), working); }
  void TearDown() override { SetCurrentDirectoryA(working); }

  dd::Watchdog watchdog{"vlGetFnReal", 60000};
  TempDir dir;
  char working[MAX_PATH];
};

TEST_F(vlGetFnReal, OpensTheFileTheUserNames) {
  writeFile(dir / "list.wpl", "");
  for (bool preview : {false, true}) {
    SCOPED_TRACE(preview ? "preview" : "plain");
    vlGetOpenFileName dialog(nullptr);
    std::strcpy(dialog.title, "vlGetFnTest 開く");
    std::strcpy(dialog.folder, dir.path().c_str());
    dialog.preview = preview;
    char path[300];
    dd::DialogActor actor([&] { typeAndAccept("vlGetFnTest 開く", dir / "list.wpl"); });
    int chosen = dialog.run(path);
    actor.join();
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(std::string(path), dir / "list.wpl");
    EXPECT_EQ(std::string(dialog.folder), dir.path() + "\\");
    char title[300];
    dialog.getFileTitle(title);
    EXPECT_STREQ(title, "list.wpl");
  }
}

TEST_F(vlGetFnReal, SelectsMoreNamesThanFitInAPath) {
  std::string typed;
  std::string expected;
  for (char c = 'a'; c < 'a' + 12; ++c) {
    std::string name = std::string(1, c) + "-a-rather-long-playlist-entry-name.mp3";
    writeFile(dir / name, "");
    typed += "\"" + name + "\" ";
    expected += name + '\0';
  }
  ASSERT_GT(expected.size(), 300u);
  vlGetOpenFileName dialog(nullptr);
  dialog.flags |= OFN_ALLOWMULTISELECT | OFN_EXPLORER;
  std::strcpy(dialog.title, "vlGetFnTest multi");
  std::strcpy(dialog.folder, dir.path().c_str());
  char path[300];
  std::vector<char> names(sizeof(dialog.fileName));
  dd::DialogActor actor([&] { typeAndAccept("vlGetFnTest multi", typed); });
  int chosen = dialog.run(path, names.data());
  actor.join();
  EXPECT_EQ(chosen, 12);
  EXPECT_EQ(std::string(dialog.folder), dir.path() + "\\");
  EXPECT_EQ(dialog.namesLength, static_cast<int>(expected.size()));
  EXPECT_EQ(std::string(names.data(), expected.size()), expected);
}

TEST_F(vlGetFnReal, SavesUnderTheNameWithTheFiltersExtension) {
  vlGetSaveFileName dialog(nullptr);
  std::vector<std::string> strings = {"再生リスト(*.wpl)", "*.wpl", "全てのファイル", "*.*"};
  ASSERT_TRUE(dialog.setFilters(pairArray(strings).data()));
  dialog.ofn.nFilterIndex = 1;
  std::strcpy(dialog.title, "vlGetFnTest 保存");
  std::strcpy(dialog.folder, dir.path().c_str());
  char path[300];
  dd::DialogActor actor([&] { typeAndAccept("vlGetFnTest 保存", "list"); });
  bool chosen = dialog.run(path);
  actor.join();
  EXPECT_TRUE(chosen);
  EXPECT_EQ(std::string(path), dir / "list.wpl");
}

TEST_F(vlGetFnReal, BrowsesToTheFolderTheUserPicks) {
  // The browser opens on the system folder and the user goes up to the Windows folder.
  // Folders made by the test itself would do as well on Windows, but Wine's browser
  // misses a folder made while the process runs in about one run of twelve.
  char system[MAX_PATH];
  GetSystemDirectoryA(system, sizeof(system));
  const std::string start = system;
  const std::string up = start.substr(0, start.rfind('\\'));
  vlGetDirectoryName dialog(nullptr);
  std::strcpy(dialog.title, "vlGetFnTest folder");
  std::strcpy(dialog.folder, start.c_str());
  char path[300];
  std::string shownAtStart;
  dd::DialogActor actor([&] {
    HWND browser = dd::waitWindow("#32770", nullptr, GetCurrentProcessId());
    ASSERT_NE(browser, nullptr);
    HWND status = dd::item(browser, 0x3743);  // the status line of BIF_STATUSTEXT
    dd::waitFor([&] { return dd::getText(status) == start; });
    shownAtStart = dd::getText(status);
    dd::send(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(up.c_str()));
    EXPECT_TRUE(dd::waitFor([&] { return dd::getText(status) == up; }))
        << dd::getText(status);
    dd::click(dd::item(browser, IDOK));
  });
  bool chosen = dialog.run(path, BIF_STATUSTEXT);
  actor.join();
  EXPECT_EQ(shownAtStart, start);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(std::string(path), up);
  EXPECT_EQ(std::string(vlGetDirectoryName::current0), start);
}

TEST_F(vlGetFnReal, CancelChoosesNothing) {
  vlGetOpenFileName open(nullptr);
  vlGetSaveFileName save(nullptr);
  vlGetDirectoryName browser(nullptr);
  const std::function<bool(char*)> runs[] = {
      [&](char* path) { return open.run(path) != 0; },
      [&](char* path) { return save.run(path); },
      [&](char* path) { return browser.run(path, -1); },
  };
  for (const auto& run : runs) {
    char path[300] = "junk";
    dd::DialogActor actor([] {
      HWND dialog = dd::waitWindow("#32770", nullptr, GetCurrentProcessId());
      ASSERT_NE(dialog, nullptr);
      dd::click(dd::item(dialog, IDCANCEL));
    });
    EXPECT_FALSE(run(path));
    actor.join();
    EXPECT_STREQ(path, "");
  }
  EXPECT_EQ(open.count, 0);
}

TEST(vlGetFnFolder, WithoutRootEndsAtOnceWithABoundedStart) {
  // An unterminated 300-byte starting folder; no root item list means no window.
  vlGetDirectoryName dialog(nullptr);
  std::memset(dialog.folder, 'f', sizeof(dialog.folder));
  dialog.root = 0x7FFF;
  char path[300] = "junk";
  EXPECT_FALSE(dialog.run(path, -1));
  EXPECT_STREQ(path, "");
  EXPECT_EQ(std::string(vlGetDirectoryName::current0), std::string(299, 'f'));
  EXPECT_EQ(dialog.flags, BIF_RETURNONLYFSDIRS);
}
}  // namespace
