// vlScrollBar: a scroll bar control whose value is its position; the partner shows it.
#include "vlScrollBar.h"
#include "vlDialog.h"

namespace {
// A page is a tenth of the range, but at least 2 for tiny and 5 for small ranges.
int pageStepFor(long long span) {
  if (span <= 9) return 2;
  if (span <= 39) return 5;
  return static_cast<int>(span / 10);
}
}  // namespace

vlScrollBar::vlScrollBar(vlWin* parent, int id, long style)
    : vlControl(parent, "Scrollbar", id, static_cast<int>(style)),
      barType(SB_CTL),
      position(0),
      minimum(0),
      maximum(0),
      pageStep(0) {
  joinPartner();
}

vlScrollBar::~vlScrollBar() {}

bool vlScrollBar::create() {
  bool created = vlWin::create();
  joinPartner();
  return created;
}

void vlScrollBar::joinPartner() {
  setRangeAll(0, 100, -1, -1, SIF_RANGE, true);
  setSel(50, true);
  pageStep = 10;
  vlControl::joinPartner();
}

bool vlScrollBar::setSel(int value, bool redraw) {
  if (value < minimum || value > maximum) return false;
  position = value;
  SetScrollPos(hwnd, barType, position, redraw);
  if (partner) partner->setInt(position, "%d");
  return true;
}

bool vlScrollBar::setRangeAll(int min, int max, int pos, int page, unsigned mask,
                              bool redraw) {
  if (mask & SIF_RANGE) {
    if (min > max) return false;
    minimum = min;
    maximum = max;
    pageStep = pageStepFor(static_cast<long long>(max) - min);
  }
  if (mask & SIF_POS) position = pos;
  if (position < minimum) position = minimum;
  if (position > maximum) position = maximum;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = mask;
  info.nMin = minimum;
  info.nMax = maximum;
  info.nPage = static_cast<UINT>(page);
  info.nPos = position;
  SetScrollInfo(hwnd, barType, &info, redraw);
  setSel(position, true);
  return true;
}

void vlScrollBar::linkObject(int* value, int* range) {
  object = value;
  size = 0;
  if (!value) return;
  if (range) setRangeAll(range[0], range[1], -1, -1, SIF_RANGE, true);
  setSel(*value, true);
  if (range) pageStep = range[2];
}

void vlScrollBar::linkMapObject(vlCtrlMap* entry) {
  linkObject(static_cast<int*>(entry->object), static_cast<int*>(entry->option));
}

void vlScrollBar::updateObject() {
  if (object) *static_cast<int*>(object) = position;
}

void vlScrollBar::updateScreen() {
  if (object) setSel(*static_cast<int*>(object), true);
}

bool vlScrollBar::isModified() { return object && position != *static_cast<int*>(object); }

bool vlScrollBar::scroll(int code, int thumb) {
  int next = position;
  switch (code) {
    case SB_LINEUP: next = position - 1; break;
    case SB_LINEDOWN: next = position + 1; break;
    case SB_PAGEUP: next = position - pageStep; break;
    case SB_PAGEDOWN: next = position + pageStep; break;
    case SB_THUMBTRACK: next = thumb; break;
  }
  if (next < minimum) next = minimum;
  if (next > maximum) next = maximum;
  if (next != position) setSel(next, true);
  return true;
}
