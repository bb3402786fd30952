// Window objects on real windows: dispatch of each message kind to its handler, the
// lifetime of owned objects, the registry, the window services and owner draw.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "traceCapture.h"
#include "vlGdi.h"
#include "vlWin.h"

namespace {
std::vector<std::string> calls;     // handler calls, "name(arguments)"
std::vector<UINT> passedOn;         // messages that reached the class procedure
int destroyed = 0;                  // destructor calls of RecordingWin

LRESULT CALLBACK classProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  passedOn.push_back(message);
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string args(std::initializer_list<long long> values) {
  std::string text;
  for (long long value : values) text += (text.empty() ? "" : ",") + std::to_string(value);
  return text;
}

// Records every handler call with its unpacked arguments and answers `answer`.
class RecordingWin : public vlWin {
 public:
  explicit RecordingWin(vlWin* parentWin = nullptr, int controlId = -999)
      : vlWin(parentWin, "vlWinTestClass", controlId) {
    windowClass.lpfnWndProc = classProc;
    style = WS_OVERLAPPEDWINDOW;
    rect = {10, 20, 310, 220};
  }
  ~RecordingWin() override { ++destroyed; }
  bool note(const std::string& call) {
    calls.push_back(call);
    return answer;
  }
  bool queryClose() override { return note("queryClose()") || closable; }
  bool minimized(int w, int h) override { return note("minimized(" + args({w, h}) + ")"); }
  bool resized(int w, int h, int t) override { return note("resized(" + args({w, h, t}) + ")"); }
  bool activated(int s, bool m) override { return note("activated(" + args({s, m}) + ")"); }
  bool enabled(bool on) override { return note("enabled(" + args({on}) + ")"); }
  void onShow(int s) override { note("onShow(" + args({s}) + ")"); }
  void onHide(int s) override { note("onHide(" + args({s}) + ")"); }
  bool mouse(int m, vlPoint p, int k) override {
    return note("mouse(" + args({m, p.x, p.y, k}) + ")");
  }
  bool kbd(vlEvent& e) override { return note("kbd(" + args({e.message}) + ")"); }
  bool user(vlEvent& e) override { return note("user(" + args({e.message}) + ")"); }
  bool dde(vlEvent& e) override { return note("dde(" + args({e.message}) + ")"); }
  bool other(vlEvent& e) override { return note("other(" + args({e.message}) + ")"); }
  bool layoutChild() override { return note("layoutChild()"); }
  bool command(int i, int c) override { return note("command(" + args({i, c}) + ")"); }
  bool scrolled(int i, int c, int p) override {
    return note("scrolled(" + args({i, c, p}) + ")");
  }
  void menuPopup(vlMenu& m, int p) override { note("menuPopup(" + args({m.ownsMenu, p}) + ")"); }
  void sysmenuPopup(vlMenu&) override { note("sysmenuPopup()"); }
  void menuSelect(vlMenu&, unsigned i, unsigned f) override {
    note("menuSelect(" + args({i, f}) + ")");
  }
  bool answer = false;
  bool closable = false;
};

class WinTest : public TraceTest {
 protected:
  void SetUp() override {
    TraceTest::SetUp();
    calls.clear();
    passedOn.clear();
    destroyed = 0;
  }
  void TearDown() override {
    for (HWND each : made)
      if (IsWindow(each)) DestroyWindow(each);
    TraceTest::TearDown();
  }
  RecordingWin* make() {
    win = new RecordingWin;
    EXPECT_TRUE(win->create("test")) << "no window system (run under an X display)";
    window = win->hwnd;
    made.push_back(window);
    calls.clear();
    passedOn.clear();
    return win;
  }
  bool reachedClass(UINT message) {
    for (UINT m : passedOn)
      if (m == message) return true;
    return false;
  }
  RecordingWin* win = nullptr;
  HWND window = nullptr;
  std::vector<HWND> made;  // destroyed at the end, with their objects
};
}  // namespace

TEST_F(WinTest, EachMessageReachesItsHandlerWithUnpackedArguments) {
  struct Row {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    const char* call;
    bool alwaysPassedOn;  // whatever the handler answers
  } rows[] = {
      /*  0 */ {WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(30, 40), "minimized(30,40)", false},
      /*  1 */ {WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(30, 40), "resized(30,40,2)", false},
      /*  2 */ {WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0, "activated(0,1)", false},
      /*  3 */ {WM_ENABLE, 1, 0, "enabled(1)", false},
      /*  4 */ {WM_SHOWWINDOW, 1, 3, "onShow(3)", true},
      /*  5 */ {WM_SHOWWINDOW, 0, 0, "onHide(0)", true},
      /*  6 */ {WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(-1, -2), "mouse(512,65535,65534,4)", false},
      /*  7 */ {WM_RBUTTONDBLCLK, 0, MAKELPARAM(7, 8), "mouse(518,7,8,0)", false},
      /*  8 */ {WM_KEYDOWN, VK_F2, 0, "kbd(256)", false},
      /*  9 */ {WM_TIMER, 1, 0, "other(275)", false},
      /* 10 */ {2001, 0, 0, "user(2001)", false},
      /* 11 */ {1000, 0, 0, "dde(1000)", false},
      /* 12 */ {1998, 0, 0, "layoutChild()", false},
      /* 13 */ {WM_COMMAND, MAKEWPARAM(5, 7), 0, "command(5,7)", false},
      /* 14 */ {WM_VSCROLL, MAKEWPARAM(3, 9), 0, "scrolled(1,3,9)", false},
      /* 15 */ {WM_HSCROLL, MAKEWPARAM(5, 60000), 0, "scrolled(0,5,60000)", false},
      /* 16 */ {WM_INITMENUPOPUP, 0, MAKELPARAM(4, 0), "menuPopup(0,4)", true},
      /* 17 */ {WM_INITMENUPOPUP, 0, MAKELPARAM(0, 1), "sysmenuPopup()", true},
      /* 18 */ {WM_MENUSELECT, MAKEWPARAM(9, MF_POPUP), 0, "menuSelect(9,16)", true},
  };
  make();
  for (bool answer : {false, true}) {
    win->answer = answer;
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
      const Row& row = rows[i];
      calls.clear();
      passedOn.clear();
      SendMessageA(window, row.message, row.wParam, row.lParam);
      EXPECT_EQ(calls, std::vector<std::string>{row.call}) << "row " << i;
      EXPECT_EQ(reachedClass(row.message), row.alwaysPassedOn || !answer)
          << "row " << i << " answered " << answer;
    }
  }
}

TEST_F(WinTest, SessionAndCloseAreDecidedByTheObjectAlone) {
  make();
  EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), 0);
  win->closable = true;
  EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), 1);
  win->closable = false;
  EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(IsWindow(window)) << "queryClose said no";
  EXPECT_FALSE(reachedClass(WM_QUERYENDSESSION) || reachedClass(WM_CLOSE));

  // WM_NOTIFY from a control without an object goes on to the class procedure.
  NMHDR header = {window, 1, 2};  // every member given
  SendMessageA(window, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&header));
  EXPECT_TRUE(reachedClass(WM_NOTIFY));

  win->closable = true;
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(destroyed, 1);
}

TEST_F(WinTest, OwnedObjectGoesWithItsWindowAndTheRegistryWithItsLastEntry) {
  ASSERT_EQ(vlWindowsMap, nullptr) << "a window of an earlier test is still registered";
  make();
  ASSERT_NE(vlWindowsMap, nullptr);
  EXPECT_EQ(vlWin::GetWin(window), win);
  DestroyWindow(window);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(vlWin::GetWin(window), nullptr);
  EXPECT_EQ(vlWindowsMap, nullptr);
  EXPECT_FALSE(reachedClass(WM_DESTROY)) << "WM_DESTROY ends at the object";

  // Deleted before its window: unlinked at once, the window closes by a posted WM_CLOSE.
  make();
  HWND first = window;
  RecordingWin* firstObject = win;
  RecordingWin* second = make();
  delete firstObject;
  EXPECT_EQ(vlWin::GetWin(first), nullptr);
  EXPECT_TRUE(IsWindow(first));
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(vlWin::GetWin(second->hwnd), second) << "the registry keeps the other entry";
  EXPECT_FALSE(vlWinStoreManagerTable(second->hwnd, nullptr)) << "the first entry stays";
  EXPECT_EQ(vlWin::GetWin(second->hwnd), second);
}

// A window serves one object: a second link is refused and traced, and the first object
// keeps the window, its messages and its registry entry.
TEST_F(WinTest, ASecondObjectIsNotLinkedToAWindowThatHasOne) {
  make();
  auto* second = new RecordingWin;
  EXPECT_FALSE(second->linkWin(window));
  EXPECT_EQ(second->hwnd, nullptr);
  EXPECT_EQ(vlWin::GetWin(window), win);
  SendMessageA(window, WM_COMMAND, 7, 0);
  EXPECT_EQ(calls, std::vector<std::string>{"command(7,0)"});
  ASSERT_FALSE(traced.empty());
  EXPECT_NE(traced.back().find("既に別のオブジェクト"), std::string::npos) << traced.back();
  delete second;
  EXPECT_TRUE(IsWindow(window));
  EXPECT_EQ(vlWin::GetWin(window), win);
}

namespace {
// Destroys its own window inside a handler and still uses its members afterwards.
class SelfClosing : public RecordingWin {
 public:
  bool command(int, int) override {
    destroy();
    calls.push_back("after destroy: " + wndClassName);
    return true;
  }
};
}  // namespace

TEST_F(WinTest, AnObjectOutlivesTheHandlerThatDestroyedItsWindow) {
  auto* closing = new SelfClosing;
  ASSERT_TRUE(closing->create());
  HWND own = closing->hwnd;
  SendMessageA(own, WM_COMMAND, 1, 0);
  EXPECT_FALSE(IsWindow(own));
  EXPECT_EQ(calls, std::vector<std::string>{"after destroy: vlWinTestClass"});
  EXPECT_EQ(destroyed, 1) << "deleted once its handler returned";
}

TEST_F(WinTest, IdsRegistrationAndCreationFailures) {
  int next = vlWinID;
  RecordingWin a, b(nullptr, 5), c;
  EXPECT_EQ(a.id, next);
  EXPECT_EQ(b.id, 5);
  EXPECT_EQ(c.id, next + 1);
  EXPECT_EQ(vlWinID, next + 2);
  EXPECT_EQ(a.rect.left, 10);

  make();
  auto* button = new vlWin(win, "BUTTON", 77);
  ASSERT_TRUE(button->create("押す"));
  EXPECT_NE(GetClassLongPtrA(button->hwnd, GCLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(DefWindowProcA))
      << "a system class is used as it is, not registered again from the description";
  EXPECT_EQ(GetDlgCtrlID(button->hwnd), 77);
  EXPECT_EQ(GetParent(button->hwnd), window);

  vlWin broken(nullptr, "vlNoSuchParentClass", 1);
  broken.style = WS_CHILD;  // a child without a parent cannot be made
  EXPECT_FALSE(broken.create());
  EXPECT_EQ(traced.back(), "ウインドウ（vlNoSuchParentClass）が生成できませんでした。\n");
  vlWin nameless(nullptr, std::string(300, 'c').c_str(), 1);  // longer than a class name may be
  EXPECT_FALSE(nameless.create());
  EXPECT_NE(traced.back().find("の登録に失敗しました"), std::string::npos);
}

TEST_F(WinTest, PositionCentreAndPlacement) {
  make();
  vlPoint at{40, 50}, size{200, 100};
  ASSERT_TRUE(win->setPos(&at, nullptr));
  RECT r;
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.right - r.left, 300) << "moved without resizing";
  ASSERT_TRUE(win->setPos(nullptr, &size));
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, 40) << "resized in place";
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_TRUE(win->moveCenter());
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXFULLSCREEN) - 200) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYFULLSCREEN) - 100) / 2);
  WINDOWPLACEMENT placement = {};
  EXPECT_TRUE(win->getPlacement(placement));
  EXPECT_EQ(placement.length, sizeof placement);

  RecordingWin unmade;
  EXPECT_TRUE(unmade.setPos(&at, &size));
  EXPECT_EQ(unmade.rect.right, 240);
  EXPECT_FALSE(unmade.setPos(&at, nullptr)) << "before creation a size is needed too";
  EXPECT_FALSE(unmade.postParent(WM_USER, 0, 0)) << "no window, no parent: nothing posted";
}

TEST_F(WinTest, TextAndNumbersInText) {
  make();
  std::string long901(901, 'x');
  long901[900] = 'y';
  ASSERT_TRUE(win->setText(long901));
  std::string back;
  EXPECT_EQ(win->getText(back), 901);
  EXPECT_EQ(back, long901);
  ASSERT_TRUE(win->setInt(-42, "%05d"));
  EXPECT_EQ(win->getInt(), -42);
  ASSERT_TRUE(win->setFloat(2.5f, "%.2f"));
  EXPECT_FLOAT_EQ(win->getFloat(), 2.5f);
  char text[10];
  EXPECT_EQ(win->getText(text, sizeof text), 4);
  EXPECT_STREQ(text, "2.50");
  ASSERT_TRUE(win->setInt(7, "%0300d")) << "a format longer than the buffer is cut";
  EXPECT_EQ(win->getTextLen(), 99);
  EXPECT_GT(win->textHeight(), 0);
}

namespace {
// An owner-drawn control's side: measures, orders and paints its items.
class OwnerDrawn : public vlWin {
 public:
  OwnerDrawn(vlWin* parentWin, int controlId) : vlWin(parentWin, "LISTBOX", controlId) {
    style = WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
    rect = {0, 0, 100, 100};
  }
  bool paint(vlDevContext& context, vlRect& area, DRAWITEMSTRUCT& item) override {
    calls.push_back("paint(" + args({area.left, area.top, area.right, area.bottom,
                                     context.hdc == item.hDC}) + ")");
    return true;
  }
};
}  // namespace

TEST_F(WinTest, OwnerDrawRequestsGoToTheControlObject) {
  make();
  auto* list = new OwnerDrawn(win, 300);
  ASSERT_TRUE(list->create());
  struct Row {
    int id;
    unsigned width, height;
  } rows[] = {{300, 200, 20}, {301, 200, 10}};  // with and without a control object
  for (const Row& row : rows) {
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_LISTBOX;
    measure.CtlID = static_cast<UINT>(row.id);
    SendMessageA(window, WM_MEASUREITEM, row.id, reinterpret_cast<LPARAM>(&measure));
    EXPECT_EQ(measure.itemWidth, row.width) << row.id;
    EXPECT_EQ(measure.itemHeight, row.height) << row.id;
  }
  COMPAREITEMSTRUCT compare = {ODT_LISTBOX, 300, list->hwnd, 0, 1, 1, 2, 0};
  EXPECT_EQ(SendMessageA(window, WM_COMPAREITEM, 300, reinterpret_cast<LPARAM>(&compare)), 0);

  HDC screen = GetDC(window);
  DRAWITEMSTRUCT draw = {ODT_LISTBOX, 300, 0, ODA_DRAWENTIRE, 0, list->hwnd, screen, {1, 2, 3, 4}, 0};
  passedOn.clear();
  calls.clear();
  SendMessageA(window, WM_DRAWITEM, 300, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(calls, std::vector<std::string>{"paint(1,2,3,4,1)"});
  EXPECT_FALSE(reachedClass(WM_DRAWITEM));
  draw.CtlID = 301;
  SendMessageA(window, WM_DRAWITEM, 301, reinterpret_cast<LPARAM>(&draw));
  EXPECT_TRUE(reachedClass(WM_DRAWITEM)) << "no control object: not handled";
  ReleaseDC(window, screen);
}

TEST(DevContext, OwnedSelectionsAreDeletedOnceReplacedAndTheContextIsLeftAsFound) {
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ originalFont = GetCurrentObject(memory, OBJ_FONT);
  HFONT first = CreateFontA(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  HFONT second = CreateFontA(14, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  auto* wrapped = new vlDrawObj(CreatePen(PS_SOLID, 1, 0));
  HGDIOBJ pen = wrapped->handle;
  {
    vlDevContext context(memory);
    EXPECT_EQ(context.select(vlFONT, static_cast<void*>(first), true), originalFont);
    EXPECT_EQ(context.select(vlFONT, static_cast<void*>(second), false), first);
    EXPECT_EQ(GetObjectType(first), 0u) << "the owned font went when it was replaced";
    context.select(vlPEN, wrapped, true);
    EXPECT_EQ(GetCurrentObject(memory, OBJ_PEN), pen);
  }
  EXPECT_EQ(GetCurrentObject(memory, OBJ_FONT), originalFont) << "put back as found";
  EXPECT_NE(GetObjectType(second), 0u) << "not owned: kept";
  EXPECT_EQ(GetObjectType(pen), 0u) << "the owned drawing object is deleted at the end";
  DeleteObject(second);
  DeleteDC(memory);
}
