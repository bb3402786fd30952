// Message dispatch: the window procedure of attached windows, the object's entry, and
// the table that maps each message to one virtual handler with unpacked arguments.
// A handler that returns true has handled the message and its event's result goes back
// to the system; false passes the message on to the window's previous procedure.
#include "vlWin.h"
#include "vlScrollBar.h"

namespace {
const UINT layoutMessage = 1998;
const UINT ddeNotifyMessage = 2000;
const UINT threadEndedMessage = 2008;
const UINT ddeFirst = 0x03E0;

unsigned low(UINT_PTR value) { return LOWORD(value); }
unsigned high(UINT_PTR value) { return HIWORD(value); }

bool inRange(UINT message, UINT first, UINT last) { return message >= first && message <= last; }

// The menu messages: the handler gets a temporary wrapper that does not own the menu.
// They never count as handled.
bool dispatchMenu(vlWin& win, vlEvent& event) {
  switch (event.message) {
    case WM_INITMENU: {
      vlMenu menu(reinterpret_cast<HMENU>(event.wParam));
      win.menuInit(menu);
      break;
    }
    case WM_INITMENUPOPUP: {
      vlMenu menu(reinterpret_cast<HMENU>(event.wParam));
      if (high(event.lParam) != 0)
        win.sysmenuPopup(menu);
      else
        win.menuPopup(menu, static_cast<int>(low(event.lParam)));
      break;
    }
    default: {  // WM_MENUSELECT
      vlMenu menu(reinterpret_cast<HMENU>(event.lParam));
      win.menuSelect(menu, low(event.wParam), high(event.wParam));
      break;
    }
  }
  return false;
}

// The scroll messages: a scroll-bar control names itself, otherwise the window's own
// bars are 0 (horizontal) and 1 (vertical).
bool dispatchScroll(vlWin& win, vlEvent& event) {
  HWND bar = reinterpret_cast<HWND>(event.lParam);
  int barId = bar ? GetDlgCtrlID(bar) : (event.message == WM_HSCROLL ? 0 : 1);
  return win.scrolled(barId, static_cast<int>(low(event.wParam)),
                      static_cast<int>(high(event.wParam)));
}

// The ranges at the end of the table, after every single message was tested.
bool dispatchRange(vlWin& win, vlEvent& event) {
  UINT message = event.message;
  if (inRange(message, WM_KEYFIRST, WM_KEYFIRST + 8)) return win.kbd(event);
  if (inRange(message, WM_MOUSEFIRST, WM_MOUSEFIRST + 10)) {
    vlPoint point{static_cast<int>(low(event.lParam)), static_cast<int>(high(event.lParam))};
    return win.mouse(static_cast<int>(message), point, static_cast<int>(event.wParam));
  }
  if (inRange(message, WM_USER, 0x7FFF)) return win.user(event);
  if (inRange(message, ddeFirst, ddeFirst + 8)) return win.dde(event);
  return win.other(event);
}
}  // namespace

vlMenu::vlMenu(HMENU menu, bool owns) : vlObject("vlMenu"), hmenu(menu), ownsMenu(owns) {}

vlMenu::~vlMenu() {
  if (ownsMenu && hmenu) DestroyMenu(hmenu);
  hmenu = nullptr;
}

LRESULT CALLBACK vlWinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  vlWin* win = reinterpret_cast<vlWin*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!win) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_DESTROY) {
    bool wasOwned = win->owned;
    win->unlinkWin();
    win->hwnd = nullptr;
    win->owned = false;
    // A window destroyed from inside one of its own handlers keeps its object until
    // that outermost handler has returned, so the handler may still use its members.
    if (wasOwned) {
      if (win->dispatchDepth > 0)
        win->deletePending = true;
      else
        delete win;
    }
    return 0;
  }
  vlEvent event{message, wParam, lParam, 0};
  ++win->dispatchDepth;
  LRESULT result = win->msgProc(event);
  if (--win->dispatchDepth == 0 && win->deletePending) delete win;
  return result;
}

LRESULT vlWin::msgProc(vlEvent& event) {
  if (event.message == WM_QUERYENDSESSION) return queryEndSession() ? 1 : 0;
  if (event.message == WM_ENDSESSION) {
    onEndSession(event.wParam != 0, event.lParam != 0);
    return 0;
  }
  // A handler may destroy the window; vlWinProc keeps the object alive until this
  // returns, and only the event, which lives in the caller's frame, is read after a
  // handled message.
  if (dispatchEvent(event)) return event.result;
  if (!hwnd) return event.result;  // the handler destroyed the window: nothing to pass on
  return CallWindowProcA(prevProc, hwnd, event.message, event.wParam, event.lParam);
}

bool vlWin::dispatchEvent(vlEvent& event) {
  WPARAM w = event.wParam;
  LPARAM l = event.lParam;
  switch (event.message) {
    case WM_SIZE:
      if (w == SIZE_MINIMIZED) return minimized(low(l), high(l));
      return resized(low(l), high(l), low(w));
    case WM_ACTIVATE: return activated(low(w), high(w) != 0);
    case WM_SETFOCUS: return gotFocus(GetWin(reinterpret_cast<HWND>(w)));
    case WM_KILLFOCUS: return killedFocus(GetWin(reinterpret_cast<HWND>(w)));
    case WM_ENABLE: return enabled(low(w) != 0);
    case WM_PAINT: return paint();
    case WM_CLOSE:
      onClose();
      return true;
    case WM_SHOWWINDOW:
      if (w)
        onShow(static_cast<int>(l));
      else
        onHide(static_cast<int>(l));
      return false;
    case WM_GETMINMAXINFO: return getMinMaxInfo(reinterpret_cast<MINMAXINFO*>(l));
    case WM_DRAWITEM: return drawItem(static_cast<int>(w), reinterpret_cast<DRAWITEMSTRUCT*>(l));
    case WM_MEASUREITEM:
      return measureItem(static_cast<int>(w), reinterpret_cast<MEASUREITEMSTRUCT*>(l));
    case WM_DELETEITEM:
      return deleteItem(static_cast<int>(w), reinterpret_cast<DELETEITEMSTRUCT*>(l));
    case WM_COMPAREITEM: return compareItem(event);
    case WM_NOTIFY:
      return notified(static_cast<int>(w), reinterpret_cast<NMHDR*>(l), event.result);
    case WM_GETDLGCODE: return getDialogCode(event) != 0;
    case WM_COMMAND:
      return command(static_cast<int>(low(w)), static_cast<int>(high(w)), reinterpret_cast<HWND>(l));
    case WM_HSCROLL:
    case WM_VSCROLL: return dispatchScroll(*this, event);
    case WM_INITMENU:
    case WM_INITMENUPOPUP:
    case WM_MENUSELECT: return dispatchMenu(*this, event);
    case WM_MDIACTIVATE:
      return activated(reinterpret_cast<HWND>(l) == hwnd ? 1 : 0, IsIconic(hwnd) != 0);
    case WM_DROPFILES: return dropFiles0(event);
    case layoutMessage: return layoutChild();
    case ddeNotifyMessage: return notifiedDDE(static_cast<int>(w), reinterpret_cast<vlDDE*>(l));
    case threadEndedMessage:
      return threadEnded(static_cast<int>(w), reinterpret_cast<vlThread*>(l));
    default: return dispatchRange(*this, event);
  }
}

bool vlWin::onClose() {
  if (!queryClose()) return false;
  return destroy();
}

bool vlWin::notified(int, NMHDR* header, LRESULT& result) {
  vlWin* control = header ? GetWin(header->hwndFrom) : nullptr;
  if (!control) return false;
  return control->notified(header, result);
}

bool vlWin::scrolled(int barId, int code, int position) {
  // Only a scroll-bar object can take the scroll; another object at that id cannot.
  auto* bar = dynamic_cast<vlScrollBar*>(GetWin(GetDlgItem(hwnd, barId)));
  if (!bar) return false;
  bar->scroll(code, position);
  return true;
}
