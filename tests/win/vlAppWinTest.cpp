// Start-up, accelerators, modeless dialogs and message boxes need the window system.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <string>
#include <thread>
#include <vector>
#include <list>
#include "vlApp.h"
#include "vlWin.h"

namespace {
std::vector<UINT> received;
std::vector<WPARAM> commands;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) commands.push_back(wParam);
  if (message >= WM_USER) {
    received.push_back(message);
    return 77;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden top-level window whose procedure records what reaches it.
class WinAppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    received.clear();
    commands.clear();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = recordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "vlAppWinTest";
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, "vlAppWinTest", "test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr) << "no window system (run under an X display)";
  }
  void TearDown() override {
    if (window) DestroyWindow(window);
    Module = &App;
  }
  MSG messageFor(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    MSG msg = {};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
  }
  HWND window = nullptr;
};

vlDialogModeless* asModeless(vlWin& win) { return reinterpret_cast<vlDialogModeless*>(&win); }

// A modeless dialog that leaves the application's list, and closes, when it is offered
// a message: the walk over the list must survive it.
class LeavingDialog : public vlWin {
 public:
  LeavingDialog(HWND window, vlApp& app) : vlWin(window, true), app(app) {}
  bool user(vlEvent&) override {  // WM_USER..: leave the list and close
    app.removeDialog(asModeless(*this));
    destroy();
    return true;
  }
  vlApp& app;
};
}  // namespace

TEST(WinApp, StartupRecordsModuleArgumentsAndShowCommand) {
  vlApp app;
  HINSTANCE self = GetModuleHandleA(nullptr);
  EXPECT_EQ(app.startup002(self, "a \"b c\"", 7), 0);
  char path[300] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  EXPECT_EQ(app.handle(), self);
  EXPECT_FALSE(app.owned);
  EXPECT_EQ(app.moduleName, "sondrix-tests");
  EXPECT_EQ(app.showCmd, 7);
  ASSERT_EQ(app.argc, 3);
  EXPECT_STREQ(app.argv[0], path);
  EXPECT_STREQ(app.argv[1], "a");
  EXPECT_STREQ(app.argv[2], "b c");
  EXPECT_EQ(app.accelerators, nullptr) << "the program carries no KeyAccel resource";
  Module = &App;
}

TEST_F(WinAppTest, AcceleratorsTakeTheirKeysFirst) {
  ACCEL keys[] = {{FVIRTKEY, VK_F5, 42}};
  vlApp app;
  app.accelerators = CreateAcceleratorTableA(keys, 1);
  ASSERT_NE(app.accelerators, nullptr);
  MSG f5 = messageFor(WM_KEYDOWN, VK_F5, 0x003F0001);
  EXPECT_NE(app.MsgTransaction(f5), 0);
  EXPECT_EQ(commands, std::vector<WPARAM>{MAKEWPARAM(42, 1)});

  MSG other = messageFor(WM_USER + 5);
  EXPECT_EQ(app.MsgTransaction(other), 77) << "anything else is dispatched to the window";
  EXPECT_EQ(received, std::vector<UINT>{WM_USER + 5});
  DestroyAcceleratorTable(app.accelerators);
}

TEST_F(WinAppTest, ModelessDialogConsumesItsMessages) {
  vlApp app;
  vlWin dialog(static_cast<HWND>(nullptr), false);  // not created yet: skipped
  app.appendDialog(asModeless(dialog));
  MSG msg = messageFor(WM_USER + 1);
  EXPECT_EQ(app.MsgTransaction(msg), 77);
  dialog.hwnd = window;
  EXPECT_TRUE(app.checkModeless(&msg));
  EXPECT_EQ(app.MsgTransaction(msg), 1) << "taken by the dialog";
  EXPECT_EQ(received, (std::vector<UINT>{WM_USER + 1, WM_USER + 1, WM_USER + 1}))
      << "each offer reaches the window once";
}

TEST_F(WinAppTest, ADialogThatLeavesDuringTheWalkIsNotTouchedAgain) {
  vlApp app;
  HWND own = CreateWindowExA(0, "vlAppWinTest", "modeless", WS_OVERLAPPED, 0, 0, 50, 50,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  vlWin older(window, false);
  auto* leaving = new LeavingDialog(own, app);
  app.appendDialog(asModeless(older));
  app.appendDialog(asModeless(*leaving));
  MSG msg = {};
  msg.hwnd = own;
  msg.message = WM_USER + 2;
  EXPECT_TRUE(app.checkModeless(&msg));
  EXPECT_FALSE(IsWindow(own)) << "closed by its handler, and its object deleted with it";
  EXPECT_EQ(app.modeless, std::list<vlDialogModeless*>{asModeless(older)});
  msg.hwnd = window;
  EXPECT_TRUE(app.checkModeless(&msg)) << "the remaining dialog still takes its messages";
}

TEST(WinApp, MessageBoxCaptionDefaultsToTheModuleName) {
  vlModule module("C:\\apps\\vlBoxCaption.exe");
  std::atomic<bool> answered(false);
  std::thread user([&answered] {
    for (int i = 0; i < 100 && !answered; ++i) {
      HWND box = FindWindowA(nullptr, "vlBoxCaption");
      if (box) {
        PostMessageA(box, WM_COMMAND, IDNO, 0);
        answered = true;
      }
      Sleep(50);
    }
  });
  int pressed = module.msgBox("質問", MB_YESNO, nullptr);
  user.join();
  ASSERT_TRUE(answered) << "no message box with the module name as caption";
  EXPECT_EQ(pressed, IDNO);
}
