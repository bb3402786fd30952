// The application: the main dialog, its saved settings, and vlApp::main, which runs the
// dialog and then ends the message loop at once, so the process ends with 0.
#include "sondrix.h"
#include <windows.h>
#include <shellapi.h>
#include <climits>
#include <cstdio>
#include "vlApp.h"
#include "vlGetFn.h"

namespace {
// Dialog items of the template "MainDialog".
enum {
  helpButton = 20,
  runButton = 120,
  destBrowse = 121,
  sourceBrowse = 122,
  listBrowse = 123,
  destItem = 140,
  sourceItem = 141,
  listItem = 142,
  recursiveItem = 160,
  methodItem = 200,
  sortRadio = 201,
  listRadio = 202,
  logItem = 260,
};

const int fieldBytes = 300;  // the settings' text fields: 299 bytes and the NUL
const char* const section = "SONDRIX";

template <size_t N>
void copyText(char (&out)[N], const char* text) {
  std::snprintf(out, N, "%s", text);
}
}  // namespace

mainDialog::mainDialog()
    : vlDialogModal(nullptr, "MainDialog"),
      destEdit(nullptr),
      sourceEdit(nullptr),
      listEdit(nullptr),
      methodGroup(nullptr),
      recursiveCheck(nullptr),
      logList(nullptr),
      iniFile(nullptr),
      log(*this),
      engine(log) {}

mainDialog::~mainDialog() { delete iniFile; }

void mainDialog::onCreate() {
  dbout(" mainDialog::onCreate()\n");
  moveCenter();
  loadParam();
  destEdit = wrapEdit(destItem, engine.destFolder);
  sourceEdit = wrapEdit(sourceItem, engine.sourceFolder);
  listEdit = wrapEdit(listItem, engine.fileList);
  methodGroup = new vlGroupBox(this, "Button", methodItem);
  methodGroup->size = 2;
  methodGroup->joinPartner();
  methodGroup->setSel(engine.copyMethod);  // other than 0 or 1: no button selected
  recursiveCheck = new vlCheckBox(this, "Button", recursiveItem);
  recursiveCheck->setCheck(engine.recursive ? 1 : 0);
  recursiveCheck->enable(engine.copyMethod == 0);
  logList = new vlListBox(this, "ListBox", logItem);
}

vlEdit* mainDialog::wrapEdit(int id, const char* text) {
  vlEdit* edit = new vlEdit(this, "Edit", id);
  SendMessageA(edit->hwnd, EM_LIMITTEXT, fieldBytes - 1, 0);
  edit->setText(text);
  return edit;
}

bool mainDialog::command(int id, int code) {
  switch (id) {
    case helpButton:
      showHelp();
      return true;
    case runButton:
      copyFiles();
      return true;
    case destBrowse:
      getDDir();
      return true;
    case sourceBrowse:
      getSDir();
      return true;
    case listBrowse:
      getFileList();
      return true;
    case sortRadio:
    case listRadio:
      engine.copyMethod = methodGroup->getSel();
      recursiveCheck->enable(engine.copyMethod == 0);
      return vlDialogModal::command(id, code);
    default:
      return vlDialogModal::command(id, code);
  }
}

void mainDialog::okProc() { saveParam(); }

void mainDialog::copyFiles() {
  getParam();
  engine.copyJob();
}

void mainDialog::getParam() {
  destEdit->getText(engine.destFolder, fieldBytes);
  sourceEdit->getText(engine.sourceFolder, fieldBytes);
  listEdit->getText(engine.fileList, fieldBytes);
  engine.copyMethod = methodGroup->getSel();
  engine.recursive = recursiveCheck->getCheck() != 0;
}

void mainDialog::addList(const char* text) {
  SendMessageA(logList->hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  LRESULT count = SendMessageA(logList->hwnd, LB_GETCOUNT, 0, 0);
  SendMessageA(logList->hwnd, LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
}

// The page ships beside the program; a name without a folder would be looked for in
// whatever folder the program was started from.
void mainDialog::showHelp() {
  char page[fieldBytes];
  programFile(page, "help.html");
  ShellExecuteA(nullptr, "open", page, nullptr, nullptr, SW_SHOWNORMAL);
}

void mainDialog::programFile(char* out, const char* name) {
  char folder[fieldBytes];
  App.pathname.getFilePos(folder);  // a module path has at most 260 bytes: name fits
  std::snprintf(out, fieldBytes, "%s%s", folder, name);
}

void mainDialog::getSDir() {
  vlGetDirectoryName browser(this);
  sourceEdit->getText(browser.folder, sizeof browser.folder);
  copyText(browser.title, "コピー元フォルダーの指定");
  char path[fieldBytes];
  if (!browser.run(path, -1)) return;
  sourceEdit->setText(path);
  methodGroup->setSel(0);
  recursiveCheck->enable(true);
}

void mainDialog::getDDir() {
  vlGetDirectoryName browser(this);
  destEdit->getText(browser.folder, sizeof browser.folder);
  copyText(browser.title, "コピー先フォルダーの設定");
  char path[fieldBytes];
  if (browser.run(path, BIF_NEWDIALOGSTYLE)) destEdit->setText(path);
}

void mainDialog::getFileList() {
  vlGetOpenFileName chooser(this);
  char playlists[] = "再生リスト(*.wpl)", playlistPattern[] = "*.wpl";
  char allFiles[] = "全てのファイル", allPattern[] = "*.*";
  char* filters[] = {playlists, playlistPattern, allFiles, allPattern, nullptr};
  chooser.setFilters(filters);
  copyText(chooser.title, "Windows Media 再生リストの指定");
  char path[fieldBytes];
  if (chooser.run(path) == 0) return;
  listEdit->setText(path);
  methodGroup->setSel(1);
  recursiveCheck->enable(false);
}

// The texts are read back whole: a cut folder would silently send the next job
// elsewhere.
void mainDialog::loadParam() {
  char path[fieldBytes];
  programFile(path, "SONDRIX.INI");
  iniFile = new vlIniFile("");
  iniFile->setPath(path, true);
  iniFile->sectionName = section;
  iniFile->readString(section, "destionFolder", engine.destFolder, "", fieldBytes);
  iniFile->readString(section, "sourceFolder", engine.sourceFolder, "", fieldBytes);
  iniFile->readString(section, "fileList", engine.fileList, "", fieldBytes);
  engine.copyMethod = iniFile->getInt("copyMethod", 0, INT_MIN, INT_MAX);
  engine.recursive = iniFile->getInt("recursive", 0, INT_MIN, INT_MAX) != 0;
}

// The key "destionFolder" is spelled so in every stored file.
void mainDialog::saveParam() {
  getParam();
  iniFile->writeString(section, "destionFolder", engine.destFolder);
  iniFile->writeString(section, "sourceFolder", engine.sourceFolder);
  iniFile->writeString(section, "fileList", engine.fileList);
  iniFile->putInt("copyMethod", engine.copyMethod, "%d");
  iniFile->putInt("recursive", engine.recursive ? 1 : 0, "%d");
  iniFile->flush();
}

int vlApp::main() {
  mainDialog* dialog = new mainDialog;
  mainWindow = dialog;
  dialog->run();
  mainWindow = nullptr;  // the dialog was deleted with its window
  PostQuitMessage(0);
  return 0;
}
