// vlWin: construction, class registration, window creation, and attaching objects to
// windows through subclassing and the registry.
#include "vlWin.h"
#include "vlApp.h"

std::map<HWND, vlWin*>* vlWindowsMap = nullptr;
int vlWinID = 1000;

namespace {
const int automaticId = -999;

// Before start-up has stored it (a library used without the entry), the executable's.
HINSTANCE moduleInstance() {
  HINSTANCE instance = Module ? Module->handle() : nullptr;
  return instance ? instance : GetModuleHandleA(nullptr);
}
}  // namespace

vlWin::vlWin(vlWin* parentWin, const char* name, int controlId)
    : vlObject(name),
      prevProc(nullptr),
      hwnd(nullptr),
      windowClass(),
      windowText("velorn"),
      style(WS_CHILD | WS_VISIBLE),
      exStyle(0),
      rect{static_cast<int>(CW_USEDEFAULT), static_cast<int>(CW_USEDEFAULT), 0, 0},
      id(controlId == automaticId ? vlWinID++ : controlId),
      createParam(nullptr),
      wndClassName(name ? name : ""),
      linked(false),
      parent(parentWin),
      dispatchDepth(0),
      deletePending(false) {
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = moduleInstance();
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = wndClassName.c_str();
  owned = true;
}

vlWin::vlWin(HWND window, bool attach)
    : vlObject("vlWin"),
      prevProc(nullptr),
      hwnd(nullptr),
      windowClass(),
      windowText(nullptr),
      style(0),
      exStyle(0),
      rect{0, 0, 0, 0},
      id(0),
      createParam(nullptr),
      linked(false),
      parent(nullptr),
      dispatchDepth(0),
      deletePending(false) {
  owned = attach;
  if (attach)
    linkWin(window);
  else
    hwnd = window;
}

vlWin::~vlWin() {
  bool wasOwned = owned;
  unlinkWin();
  if (wasOwned && hwnd) PostMessageA(hwnd, WM_CLOSE, 0, 0);
}

bool vlWin::registClass() {
  WNDCLASSEXA found = {};
  found.cbSize = sizeof found;
  if (GetClassInfoExA(windowClass.hInstance, wndClassName.c_str(), &found)) return true;
  if (GetClassInfoExA(nullptr, wndClassName.c_str(), &found)) return true;
  windowClass.lpszClassName = wndClassName.c_str();
  if (RegisterClassExA(&windowClass)) return true;
  dbout("\n<<vlWin::ウインドウクラス(%s)の登録に失敗しました。\n", wndClassName.c_str());
  return false;
}

bool vlWin::create(const char* title) {
  if (!registClass()) return false;
  // Unsigned arithmetic wraps as the platform expects: the default rectangle gives
  // CW_USEDEFAULT for the width and height too.
  int width = static_cast<int>(static_cast<unsigned>(rect.right) - static_cast<unsigned>(rect.left));
  int height = static_cast<int>(static_cast<unsigned>(rect.bottom) - static_cast<unsigned>(rect.top));
  // The menu argument is the id of a child window only; for a top-level window it is a
  // menu handle, and an id there would make the creation fail.
  HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
  HWND window = CreateWindowExA(exStyle, wndClassName.c_str(), title ? title : windowText, style,
                                rect.left, rect.top, width, height, parent ? parent->hwnd : nullptr,
                                menu, moduleInstance(), createParam);
  if (!window) {
    dbout("ウインドウ（%s）が生成できませんでした。\n", wndClassName.c_str());
    return false;
  }
  if (!linkWin(window)) {
    DestroyWindow(window);
    return false;
  }
  onCreate();
  return true;
}

bool vlWin::linkWin(HWND window) {
  if (linked) return true;
  // One object per window: a second one would subclass the first's procedure with
  // itself, and every message would call that procedure again without end.
  if (!vlWinStoreManagerTable(window, this)) {
    dbout("\n<<vlWin::ウインドウ(%s)には既に別のオブジェクトがつながっています。\n",
          wndClassName.c_str());
    return false;
  }
  hwnd = window;
  prevProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(vlWinProc)));
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  linked = true;
  return true;
}

void vlWin::unlinkWin() {
  if (!linked) return;
  SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevProc));
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  if (vlWindowsMap) {
    // Only this object's own entry goes: a handle entered first by another object stays.
    auto entry = vlWindowsMap->find(hwnd);
    if (entry != vlWindowsMap->end() && entry->second == this) vlWindowsMap->erase(entry);
    if (vlWindowsMap->empty()) {
      delete vlWindowsMap;
      vlWindowsMap = nullptr;
    }
  }
  linked = false;
}

vlWin* vlWin::GetWin(HWND window) {
  if (!vlWindowsMap) return nullptr;
  auto entry = vlWindowsMap->find(window);
  return entry == vlWindowsMap->end() ? nullptr : entry->second;
}

bool vlWinStoreManagerTable(HWND window, vlWin* object) {
  if (!vlWindowsMap) vlWindowsMap = new std::map<HWND, vlWin*>;
  return vlWindowsMap->emplace(window, object).second;
}

// A modeless dialog is a vlWin; the class itself is not part of this library.
HWND vlModelessWindow(vlDialogModeless* dialog) {
  return dialog ? reinterpret_cast<vlWin*>(dialog)->hwnd : nullptr;
}
