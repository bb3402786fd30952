// The platform's standard dialogs for choosing files and folders behind one interface.
// Each object is made for one use: construct, fill title, folder and filters, run, read
// path/folder/count, destroy. They sit under vlDialogModal in the class tree but create
// no dialog from a template: run calls the platform dialog and returns when it closed.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include "vlDialog.h"

class vlGetFileName : public vlDialogModal {
 public:
  explicit vlGetFileName(vlWin* parent);
  ~vlGetFileName() override;

  // Pairs of description and pattern up to a null (at most maxfilter2 strings); false
  // for none or an odd number, keeping the previous list.
  bool setFilters(char** pairs);
  // The multimedia library's list of readable (or, when saving, writable) types.
  void setMMfilters(bool saving);
  // The file-name part of the last choice; out must hold 300 bytes.
  void getFileTitle(char* out);
  // After a successful platform call: path (300 bytes) takes the chosen name and folder
  // its folder part. Apart from run so that tests can feed it what the platform returns.
  void takeChoice(char* path);

  char fileName[5000];
  char folder[300];
  char* filters;
  char* defaultExtension;
  char title[200];
  char* mmFilters;
  OPENFILENAMEA ofn;
  bool preview;
  int flags;

  static int maxfilter2;
};

class vlGetOpenFileName : public vlGetFileName {
 public:
  explicit vlGetOpenFileName(vlWin* parent);
  ~vlGetOpenFileName() override;
  // The number of files chosen, 0 when cancelled. path (300 bytes) takes the first
  // choice; with multiple selection names takes the names, each followed by a zero.
  // With multiple selection the platform is told the whole fileName buffer, so names
  // must hold 5000 bytes.
  int run(char* path, char* names = nullptr);
  // After a successful platform call: path, folder, count, namesLength and names from
  // fileName and ofn as the platform left them; returns count.
  int readChoice(char* path, char* names);

  int count;
  int namesLength;
};

class vlGetSaveFileName : public vlGetFileName {
 public:
  explicit vlGetSaveFileName(vlWin* parent);
  ~vlGetSaveFileName() override;
  // Without a dot; false for null.
  bool setDefaultExtension(const char* extension);
  // True when a name was chosen into path (300 bytes); a name without extension gets
  // the selected filter's first pattern's.
  bool run(char* path);
  // Appends the selected filter's first extension to path (300 bytes) when the chosen
  // name has none and it fits; the filter list is the one the dialog showed.
  void completeExtension(char* path);
};

class vlGetDirectoryName : public vlGetFileName {
 public:
  explicit vlGetDirectoryName(vlWin* parent);
  ~vlGetDirectoryName() override;
  // Opens the folder browser on `folder`; extra flags other than -1 are added for good.
  // True when a folder was chosen into path (at least 300 bytes).
  bool run(char* path, int extraFlags);

  int root;
  vlWin* owner;
  int image;
  LPARAM data;

  // The folder that the browser selects when it opens.
  static char current0[300];
};

// The folder browser's callback.
int CALLBACK getDir(HWND window, UINT message, LPARAM lParam, LPARAM data);
