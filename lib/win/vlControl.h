// vlControl: a window object for one child window, as a rule an existing dialog item
// found by its id. On top of the window: a linked program variable (shown, compared,
// written back), a partner (the control with the next id, shown and enabled along),
// and keys: F1 posts command 20, Enter command 21, Tab moves the focus, Escape posts
// IDCANCEL. vlEdit and vlCheckBox are here; vlGroupBox, vlRadioBox, vlListBox and
// vlScrollBar have their own sources.
#pragma once
#include "vlWin.h"

struct vlCtrlMap;

class vlControl : public vlWin {
 public:
  // Class name is also the object name; `style` is ORed into the creation style. Links
  // to the parent's dialog item `id` when that exists (tryLink).
  vlControl(vlWin* parent, const char* className, int id, int style = 0);
  // Around an existing window: linked (and owned) when `link`, else a handle holder.
  vlControl(HWND window, bool link);
  ~vlControl() override;  // deletes a partner that this control made

  bool kbd(vlEvent& event) override;   // F1, Enter, Tab, Escape
  bool show(int command) override;     // with the partner; true if it was visible
  bool enable(bool on) override;       // with the partner; true if it was disabled

  virtual void linkObject(void* variable, int size);
  virtual void linkMapObject(vlCtrlMap* entry);
  virtual void joinPartner();          // partner = the control with the next id
  virtual void updateObject();         // control value -> variable
  virtual void updateScreen();         // variable -> control
  virtual bool isModified();
  virtual void modified(bool on);
  // Button messages, each one SendMessageA.
  virtual int getCheck();
  virtual int setCheck(int state);
  virtual int getState();
  virtual int setState(int state);
  virtual int setStyle(int style, bool redraw);
  virtual int click();

  bool tryLink();
  // The window's id, or `id` while there is no window.
  int controlId();

  bool changed;
  void* object;       // the linked variable, or null
  int size;           // its size, or a group's button count
  vlWin* partner;
  bool ownsPartner;   // partner made here (deleted with us), not found registered
};

class vlEdit : public vlControl {
 public:
  using vlControl::vlControl;
  ~vlEdit() override;

  void linkMapObject(vlCtrlMap* entry) override;  // also limits the text to size - 1
  void updateObject() override;
  void updateScreen() override;
  bool isModified() override;          // EM_GETMODIFY, else changed
  virtual void setModified(bool on);   // sets changed only
};

class vlCheckBox : public vlControl {
 public:
  using vlControl::vlControl;
  ~vlCheckBox() override;

  void linkMapObject(vlCtrlMap* entry) override;
  void updateObject() override;
  void updateScreen() override;
  bool isModified() override;
};
