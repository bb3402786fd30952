// Device contexts, drawing objects, and the owner-draw handlers of vlWin: the parent
// passes each request of an owner-drawn control on to that control's object.
#include "vlGdi.h"
#include "vlWin.h"

vlDrawObj::vlDrawObj(HGDIOBJ object, bool owns) : vlObject("vlDrawObj"), handle(object) {
  owned = owns;
}

vlDrawObj::~vlDrawObj() {
  if (owned && handle) DeleteObject(handle);
  handle = nullptr;
}

vlDevInfo::vlDevInfo(HDC context, bool owns) : vlObject("vlDevInfo"), hdc(context) {
  owned = owns;
}

vlDevInfo::~vlDevInfo() {
  if (owned && hdc) DeleteDC(hdc);
  hdc = nullptr;
}

vlDevContext::vlDevContext(HDC context) : vlDevInfo(context, false) { initTable(); }

vlDevContext::~vlDevContext() { restoreSelection(-1); }

void vlDevContext::initTable() {
  for (int kind = 0; kind < 6; ++kind) {
    drawObjects[kind] = nullptr;
    selected[kind] = nullptr;
    ownsSelected[kind] = false;
    original[kind] = nullptr;
  }
}

namespace {
HGDIOBJ selectInto(HDC context, int kind, HGDIOBJ object) {
  if (kind == vlPALETTE)
    return SelectPalette(context, static_cast<HPALETTE>(object), FALSE);
  return SelectObject(context, object);
}
}  // namespace

HGDIOBJ vlDevContext::select(WHICHOBJ kind, void* object, bool owns) {
  HGDIOBJ previous = selectInto(hdc, kind, static_cast<HGDIOBJ>(object));
  if (!original[kind]) original[kind] = previous;
  if (drawObjects[kind]) {
    if (ownsSelected[kind]) delete drawObjects[kind];
    drawObjects[kind] = nullptr;
  } else if (ownsSelected[kind] && selected[kind]) {
    DeleteObject(selected[kind]);
  }
  selected[kind] = static_cast<HGDIOBJ>(object);
  ownsSelected[kind] = owns;
  return previous;
}

HGDIOBJ vlDevContext::select(WHICHOBJ kind, vlDrawObj* object, bool owns) {
  HGDIOBJ previous = select(kind, static_cast<void*>(object ? object->handle : nullptr), owns);
  drawObjects[kind] = object;
  return previous;
}

// What this context selected goes out again before it is deleted: the object that was
// there before its first selection is put back, since a selected object cannot be
// deleted and the context must be left as it was found.
void vlDevContext::restoreSelection(int kind) {
  if (kind < 0) {
    for (int each = 0; each < 6; ++each) restoreSelection(each);
    return;
  }
  if (kind > 5) return;
  if (original[kind]) selectInto(hdc, kind, original[kind]);
  if (ownsSelected[kind]) {
    if (drawObjects[kind])
      delete drawObjects[kind];
    else if (selected[kind])
      DeleteObject(selected[kind]);
  }
  selected[kind] = nullptr;
  drawObjects[kind] = nullptr;
  ownsSelected[kind] = false;
  original[kind] = nullptr;
}

// --- owner draw: the parent's side ---------------------------------------------------

namespace {
vlWin* controlOf(HWND parent, int id) { return vlWin::GetWin(GetDlgItem(parent, id)); }
}  // namespace

bool vlWin::drawItem(int itemId, DRAWITEMSTRUCT* item) {
  vlWin* control = controlOf(hwnd, itemId);
  if (!control || !item) return false;
  vlDevContext context(item->hDC);
  vlRect area{item->rcItem.left, item->rcItem.top, item->rcItem.right, item->rcItem.bottom};
  control->paint(context, area, *item);
  return true;
}

bool vlWin::measureItem(int itemId, MEASUREITEMSTRUCT* item) {
  vlWin* control = controlOf(hwnd, itemId);
  vlPoint size = control ? control->measureItem(item) : vlPoint{200, 10};
  item->itemWidth = static_cast<UINT>(size.x);
  item->itemHeight = static_cast<UINT>(size.y);
  return true;
}

bool vlWin::compareItem(vlEvent& event) {
  auto* compare = reinterpret_cast<COMPAREITEMSTRUCT*>(event.lParam);
  vlWin* control = controlOf(hwnd, static_cast<int>(event.wParam));
  event.result = control ? control->compareItem(reinterpret_cast<void*>(compare->itemData1),
                                                reinterpret_cast<void*>(compare->itemData2), compare)
                         : 0;
  return true;
}

// --- owner draw: the control's side --------------------------------------------------

int vlWin::compareItem(void*, void*, COMPAREITEMSTRUCT*) { return 0; }
vlPoint vlWin::measureItem(MEASUREITEMSTRUCT*) { return vlPoint{200, 20}; }
bool vlWin::paint(vlDevContext&, vlRect&, DRAWITEMSTRUCT&) { return false; }
