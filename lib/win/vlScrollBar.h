// vlScrollBar: a scroll bar control whose value is its position in [minimum, maximum];
// the partner (next id, usually a text) shows the position in decimal.
#pragma once
#include "vlControl.h"

class vlScrollBar : public vlControl {
 public:
  // Class "Scrollbar"; sets range 0..100, position 50, page step 10, then the partner.
  vlScrollBar(vlWin* parent, int id, long style = 0);
  ~vlScrollBar() override;

  void linkMapObject(vlCtrlMap* entry) override;  // option: int[3] min, max, page step
  void joinPartner() override;
  void updateObject() override;
  void updateScreen() override;
  bool isModified() override;

  // vlWin::create without a title, then joinPartner() either way.
  bool create();
  // False out of range; else moves the thumb and writes the partner's text.
  bool setSel(int value, bool redraw);
  // SIF_RANGE sets the range and the page step (false if min > max), SIF_POS the
  // position; the position is clamped and shown.
  bool setRangeAll(int min, int max, int pos, int page, unsigned mask, bool redraw);
  void linkObject(int* value, int* range);
  // A scroll code and thumb position from WM_HSCROLL/WM_VSCROLL; true.
  bool scroll(int code, int thumb);

  int barType;
  int position;
  int minimum;
  int maximum;
  int pageStep;
};
