// mainDialog: the program's one window. It lets the user fill in the destination folder,
// the source folder and the playlist, choose the copy method, run copy jobs through the
// copy engine and read their log. The settings live in SONDRIX.INI beside the program:
// read when the dialog opens, written when it is closed with "閉じる".
#pragma once
#include "copyEngine.h"
#include "vlControl.h"
#include "vlDialog.h"
#include "vlGroupBox.h"
#include "vlIniFile.h"
#include "vlListBox.h"

class mainDialog : public vlDialogModal {
 public:
  mainDialog();
  ~mainDialog() override;  // deletes iniFile, which flushes it

  using vlDialogModal::command;
  bool command(int id, int code) override;  // WM_COMMAND: buttons, radio buttons, F1 (20)
  void onCreate() override;  // WM_INITDIALOG: centre, load settings, wrap the items
  void okProc() override;    // OK accepted ("閉じる"): saves the settings

  // The copy job of the run button: controls into the settings, then the engine.
  void copyFiles();
  // The three edit boxes, the method group and the check box into the settings fields.
  void getParam();
  // The settings fields from SONDRIX.INI (defaults for missing keys), and back.
  void loadParam();
  void saveParam();
  // The browse buttons: destination folder, source folder, playlist.
  void getDDir();
  void getSDir();
  void getFileList();
  // Opens help.html from the program's folder with the shell.
  void showHelp();
  // One log line: appended to the list box, selected and so scrolled into view.
  void addList(const char* text);

  vlEdit* destEdit;
  vlEdit* sourceEdit;
  vlEdit* listEdit;
  vlGroupBox* methodGroup;
  vlCheckBox* recursiveCheck;
  vlListBox* logList;
  vlIniFile* iniFile;  // owned; null until loadParam

 private:
  // Hands the engine's log lines to the dialog's list box.
  class listBoxLog : public logSink {
   public:
    explicit listBoxLog(mainDialog& dialog) : dialog(dialog) {}
    void addList(const char* text) override { dialog.addList(text); }

   private:
    mainDialog& dialog;
  };

  vlEdit* wrapEdit(int id, const char* text);
  // out (300 bytes) = the program's folder + name.
  void programFile(char* out, const char* name);

  listBoxLog log;

 public:
  // The settings fields and the file list (sourceFolder, destFolder, fileList,
  // copyMethod, recursive); declared after the sink that it writes to.
  copyEngine engine;
};
