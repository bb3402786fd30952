// vlListBox: a list box whose value is the selected line's index.
#pragma once
#include "vlControl.h"

class vlListBox : public vlControl {
 public:
  using vlControl::vlControl;
  ~vlListBox() override;

  void linkMapObject(vlCtrlMap* entry) override;  // option: null-terminated lines
  void updateObject() override;
  void updateScreen() override;
  bool isModified() override;

  // Links the selection variable and appends the lines (the list is not emptied).
  void linkObject(int* selection, char** lines);
  // Selected index with its text in buffer (which must hold the longest line), or -1
  // and an empty buffer.
  int getSel(char* buffer);
  // The same into a buffer of bufferSize bytes: -1 and an empty buffer also when the
  // line does not fit.
  int getSel(char* buffer, int bufferSize);
  // Scrolls so the last line is in view; 0, or -1 if refused (also in lastError).
  int showLast();
};
