// vlWin: the library's object for one Win32 window. It keeps what is needed to register a
// class and create the window, attaches itself by subclassing (so the window's messages
// reach its virtual handlers through vlWinProc), and is found again from the handle
// through one process-wide registry. Dialogs and controls derive from it.
//
// Ownership: an object made with the main constructor is `owned`: it lives on the heap
// and belongs to its window. It deletes itself on WM_DESTROY; deleted first, it unlinks
// and posts WM_CLOSE so the window follows.
//
// Sources: vlWin.cpp (construction, registration, creation, linking, registry),
// vlWin2.cpp (message dispatch), vlWin3.cpp (window services and handler defaults),
// vlGdi.cpp (the owner-draw handlers).
#pragma once
#include <windows.h>
#include <map>
#include <string>
#include "vlObject.h"

// A position, or a size (x = width, y = height).
struct vlPoint {
  int x;
  int y;
};

// In the order of a Win32 RECT.
struct vlRect {
  int left;
  int top;
  int right;
  int bottom;
};

// One window message as handlers receive it. `result` is what the window procedure
// returns when a handler reports the message handled.
struct vlEvent {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result;
};

// A menu handle for the menu handlers. The dispatcher hands them a temporary that does
// not own the menu; a handler that sets ownsMenu makes the temporary destroy it.
class vlMenu : public vlObject {
 public:
  explicit vlMenu(HMENU menu, bool owns = false);
  ~vlMenu() override;

  HMENU hmenu;
  bool ownsMenu;
};

class vlDevContext;
class vlThread;  // not part of this system: only pointers pass through
class vlDDE;     // likewise

class vlWin : public vlObject {
 public:
  // Main constructor: object and class name `name`; id -999 takes the next automatic
  // id (vlWinID, from 1000). The object is owned.
  vlWin(vlWin* parent, const char* name, int id);
  // Wraps an existing window. With attach true the object links itself and is owned;
  // with false it only holds the handle (no messages, never deletes itself).
  vlWin(HWND window, bool attach);
  // Unlinks; an owned object whose window still exists posts WM_CLOSE to it.
  ~vlWin() override;

  // --- virtual operations, in slot order -----------------------------------------
  virtual bool queryClose();                           // may the window close? true
  virtual bool queryEndSession();                      // WM_QUERYENDSESSION: queryClose()
  virtual bool onClose();                              // WM_CLOSE: queryClose() then destroy()
  virtual void onEndSession(bool ending, bool logoff); // WM_ENDSESSION: onClose() if ending
  virtual bool terminateCheck();                       // true
  virtual bool command(int id, int code);              // WM_COMMAND without the control
  virtual bool command(int id, int code, HWND control);// WM_COMMAND: id, notification, control
  virtual bool getMinMaxInfo(MINMAXINFO* info);        // WM_GETMINMAXINFO
  virtual bool paint();                                // WM_PAINT
  virtual bool activated(int state, bool minimized);   // WM_ACTIVATE, WM_MDIACTIVATE
  virtual bool enabled(bool on);                       // WM_ENABLE
  virtual bool gotFocus(vlWin* previous);              // WM_SETFOCUS: object that lost it
  virtual bool killedFocus(vlWin* next);               // WM_KILLFOCUS: object that gets it
  virtual void onShow(int status);                     // WM_SHOWWINDOW, shown
  virtual void onHide(int status);                     // WM_SHOWWINDOW, hidden
  virtual bool resized(int width, int height, int type);  // WM_SIZE, not minimised
  virtual bool minimized(int width, int height);       // WM_SIZE with SIZE_MINIMIZED
  virtual bool timer(int id);                          // not called by the dispatcher
  virtual bool queryMaximize();                        // true; not called by the dispatcher
  virtual bool drawItem(int id, DRAWITEMSTRUCT* item); // WM_DRAWITEM: to the control's paint
  virtual bool compareItem(vlEvent& event);            // WM_COMPAREITEM: to the control
  virtual bool measureItem(int id, MEASUREITEMSTRUCT* item);  // WM_MEASUREITEM: to the control
  virtual bool deleteItem(int id, DELETEITEMSTRUCT* item);    // WM_DELETEITEM: true
  // Control side of owner draw: order of two items (-1, 0, 1), item size, painting.
  virtual int compareItem(void* item1, void* item2, COMPAREITEMSTRUCT* compare);
  virtual vlPoint measureItem(MEASUREITEMSTRUCT* item);
  virtual bool paint(vlDevContext& context, vlRect& rect, DRAWITEMSTRUCT& item);
  virtual bool scrolled(int id, int code, int position);  // WM_HSCROLL/WM_VSCROLL
  virtual void menuSelect(vlMenu& menu, unsigned item, unsigned flags);  // WM_MENUSELECT
  virtual void menuInit(vlMenu& menu);                 // WM_INITMENU
  virtual void menuPopup(vlMenu& menu, int position);  // WM_INITMENUPOPUP
  virtual void sysmenuPopup(vlMenu& menu);             // WM_INITMENUPOPUP, system menu
  virtual void onCreate();                             // creation hook, after linking
  virtual bool layoutChild();                          // message 1998
  virtual bool notified(NMHDR* header, LRESULT& result);  // a control's own notification
  virtual bool notified(int id, NMHDR* header, LRESULT& result);  // WM_NOTIFY: reflected
  virtual bool dropFiles0(vlEvent& event);             // WM_DROPFILES: unpacks, dropFiles
  virtual bool other(vlEvent& event);                  // every message not named elsewhere
  virtual void dropFiles(HDROP drop, int count, vlPoint* point, bool inClient);
  virtual bool mouse(int message, vlPoint point, int keys);  // 0x0200..0x020A
  virtual bool kbd(vlEvent& event);                    // 0x0100..0x0108
  virtual bool user(vlEvent& event);                   // 0x0400..0x7FFF but 1998/2000/2008
  virtual bool dde(vlEvent& event);                    // 0x03E0..0x03E8
  virtual int getDialogCode(vlEvent& event);           // WM_GETDLGCODE: 0
  virtual bool threadEnded(int code, vlThread* thread);  // message 2008: deletes the thread
  virtual bool notifiedDDE(int code, vlDDE* dde);      // message 2000
  virtual bool destroy();                              // DestroyWindow
  virtual bool show(int command);                      // ShowWindow
  virtual bool setText(const char* text);
  virtual bool setText(std::string text);
  virtual int getText(char* buffer, int size);         // GetWindowTextA: length copied
  virtual int getText(std::string& text);              // whole text; -1 if out of memory
  virtual int getTextLen();
  virtual bool setInt(int value, const char* format);  // printf format, one int
  virtual int getInt();                                // atoi of the text
  virtual bool setFloat(float value, const char* format);
  virtual float getFloat();
  virtual int textHeight();                            // height of "abcdefgh" in its font
  virtual bool enable(bool on);                        // EnableWindow

  // --- registration and creation -----------------------------------------------
  // True when the class is usable: already registered here, a system class, or newly
  // registered from windowClass.
  bool registClass();
  // Registers, creates with the title (windowText when null), links, then onCreate().
  bool create(const char* title = nullptr);
  // Binds this object to window; false, traced, when another object is bound to it.
  bool linkWin(HWND window);
  void unlinkWin();
  static vlWin* GetWin(HWND window);

  // The message entry of this object and the dispatcher (vlWin2.cpp).
  LRESULT msgProc(vlEvent& event);
  bool dispatchEvent(vlEvent& event);

  // --- window services -----------------------------------------------------------
  // WM_NEXTDLGCTL moves, sent when `send`, else posted.
  LRESULT SetControl(HWND control, bool send);
  LRESULT NextControl(bool send);
  LRESULT PrevControl(bool send);
  // Posts to the parent object's window, or to GetParent(hwnd) without one.
  bool postParent(UINT message, WPARAM wParam, LPARAM lParam);
  // Either may be null; before creation both are needed and only fill `rect`.
  bool setPos(vlPoint* position, vlPoint* size);
  bool moveCenter();
  bool getPlacement(WINDOWPLACEMENT& placement);
  bool peekMsg(UINT first, UINT last, UINT remove, MSG* msg);
  // MessageBoxA owned by this window; the caption defaults to the module's name.
  int msgBox(const char* text, int style, const char* caption = nullptr);

  WNDPROC prevProc;
  HWND hwnd;
  WNDCLASSEXA windowClass;
  const char* windowText;
  DWORD style;
  DWORD exStyle;
  vlRect rect;
  int id;
  void* createParam;
  std::string wndClassName;
  bool linked;
  vlWin* parent;  // not owned
  // Messages of this object being handled right now, and a deletion that waits for
  // the outermost of them (its window was destroyed from inside a handler).
  int dispatchDepth;
  bool deletePending;
};

// The registry from window handle to object, created on the first entry and deleted
// with the last; null in between.
extern std::map<HWND, vlWin*>* vlWindowsMap;
// The next automatic control id.
extern int vlWinID;

// Enters the pair; false (and the first entry stays) when the handle is present.
bool vlWinStoreManagerTable(HWND window, vlWin* object);
// The window procedure of every attached window.
LRESULT CALLBACK vlWinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
