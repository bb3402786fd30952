// vlGroupBox: a group box that owns the radio buttons following it: button i has the id
// group id + 1 + i, `size` holds their number. Its value is the checked button's index.
#pragma once
#include "vlControl.h"

class vlGroupBox : public vlControl {
 public:
  using vlControl::vlControl;
  ~vlGroupBox() override;

  bool enable(bool on) override;       // the box and every radio button
  void linkMapObject(vlCtrlMap* entry) override;
  void joinPartner() override;         // a vlRadioBox for each button without an object
  void updateObject() override;
  void updateScreen() override;
  bool isModified() override;

  void linkObject(int* selection, int count);
  // The first checked button's index, or -1.
  int getSel();
  // Checks button `index` alone; -1 unchecks all. False when out of range.
  bool setSel(int index);
};

// One radio button: a vlControl of its own class.
class vlRadioBox : public vlControl {
 public:
  using vlControl::vlControl;
  ~vlRadioBox() override;
};
