#include <gtest/gtest.h>
#include <windows.h>
#include <cstdint>
#include <cstring>
#include <list>
#include <random>
#include <string>
#include <vector>
#include "vlApp.h"

// The application's main() for the test program: whatever the running test installs.
namespace {
int (*testMain)(vlApp& app) = nullptr;
}
int vlApp::main() { return testMain ? testMain(*this) : 0; }

namespace {
const char* modulePath = "C:\\apps\\sondrix.exe";

std::vector<std::string> arguments(const vlApp& app) {
  std::vector<std::string> result;
  for (int i = 1; i < app.argc; ++i) result.push_back(app.argv[i]);
  return result;
}

// Records every message that the loop routes, then routes it as vlApp does.
class RecordingApp : public vlApp {
 public:
  LRESULT MsgTransaction(MSG& msg) override {
    routed.push_back(msg.message);
    return vlApp::MsgTransaction(msg);
  }
  std::vector<UINT> routed;
};

// Each test gets an empty message queue and leaves Module and the hooks as it found them.
class AppTest : public ::testing::Test {
 protected:
  void SetUp() override { drain(); }
  void TearDown() override {
    drain();
    Module = &App;
    testMain = nullptr;
  }
  static void drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
};

vlDialogModeless* dialog(int& identity) { return reinterpret_cast<vlDialogModeless*>(&identity); }
}  // namespace

TEST_F(AppTest, SplitsTheCommandLine) {
  struct Row {
    std::string line;
    std::vector<std::string> args;
  } rows[] = {
      /*  0 */ {"", {}},
      /*  1 */ {"a  b", {"a", "b"}},
      /*  2 */ {"\ta\x01"
                "b\x1f"
                "c\r\n",
                {"a", "b", "c"}},
      /*  3 */ {"\"C:\\My Music\\x.mp3\" next", {"C:\\My Music\\x.mp3", "next"}},
      /*  4 */ {"\"say \"\"hi\"\" now\"", {"say \"hi\" now"}},
      /*  5 */ {"ab\"cd", {"abcd"}},
      /*  6 */ {"ab\"c d\"", {"abc", "d"}},
      /*  7 */ {"\"ab\"cd", {"ab", "cd"}},
      /*  8 */ {"\"open to the end", {"open to the end"}},
      /*  9 */ {"a b   \t", {"a", "b"}},
      /* 10 */ {"\"\"", {""}},
      /* 11 */ {"\"\" \"\"x", {"", "", "x"}},
      /* 12 */ {"\"\"\"\"", {"\""}},
      /* 13 */ {"\"ソ\" x", {"ソ", "x"}},  // trail byte 0x5C
      /* 14 */ {"\"表示 曲\"", {"表示 曲"}},
      /* 15 */ {"\"\x83\" x", {"\x83\" x"}},  // a lead byte takes the quote with it
      /* 16 */ {"\"ｱｲ\" x", {"ｱｲ", "x"}},  // single-byte katakana end at the quote
      /* 17 */ {"\"\x80\" \"\xfd\"", {"\x80", "\xfd"}},
      /* 18 */ {"\"ab\x83", {"ab\x83"}},  // a lead byte at the very end
      /* 19 */ {"x\x81", {"x\x81"}},
      /* 20 */ {"ソ\"x \x83\x40", {"ソx", "\x83\x40"}},
  };
  for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
    vlApp app;
    app.storePathname0(modulePath);
    EXPECT_EQ(app.xSetupArgs(rows[i].line.c_str()), static_cast<int>(rows[i].args.size()) + 1)
        << "row " << i;
    EXPECT_STREQ(app.argv[0], modulePath) << "row " << i;
    EXPECT_EQ(arguments(app), rows[i].args) << "row " << i;
    EXPECT_EQ(app.argv, app.argPointers) << "row " << i;
    EXPECT_EQ(app.argv[0], app.argText) << "row " << i;
  }
}

TEST_F(AppTest, LongArgumentsAreKeptWhole) {
  vlApp app;
  app.storePathname0(modulePath);
  std::string big(10000, 'x');
  std::string line = big + " \"" + big + " " + big + "\" end";
  ASSERT_EQ(app.xSetupArgs(line.c_str()), 4);
  EXPECT_EQ(arguments(app), (std::vector<std::string>{big, big + " " + big, "end"}));

  std::string many;
  for (int i = 0; i < 5000; ++i) many += "a ";
  ASSERT_EQ(app.xSetupArgs(many.c_str()), 5001) << "a second split frees the first";
  EXPECT_STREQ(app.argv[5000], "a");
}

TEST_F(AppTest, RandomCommandLinesStayInsideTheirBlocks) {
  // The sanitizer run turns any write past the argument blocks into a failure.
  const char alphabet[] = {' ', '\t', '"', '"', 'a', 'b', '\x83', '\x5c', '\xb1', '\x81'};
  std::mt19937 random(42);
  vlApp app;
  for (int round = 0; round < 3000; ++round) {
    std::string line(random() % 40, ' ');
    for (char& c : line) c = alphabet[random() % sizeof alphabet];
    int count = app.xSetupArgs(line.c_str());
    size_t written = 0;
    for (int i = 0; i < count; ++i) written += std::strlen(app.argv[i]) + 1;
    EXPECT_LE(count, static_cast<int>(line.size() / 2) + 2) << line;
    EXPECT_LE(written, line.size() + 2) << line;
  }
}

TEST_F(AppTest, ExecAppRunsTheLoopOnlyAfterMainSucceeds) {
  RecordingApp app;
  testMain = [](vlApp&) { return 7; };
  PostMessageA(nullptr, WM_USER + 1, 0, 0);
  EXPECT_EQ(app.execApp(), 7);
  EXPECT_TRUE(app.routed.empty()) << "the loop must not run";
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

  testMain = [](vlApp&) {
    PostMessageA(nullptr, WM_USER + 2, 0, 0);
    PostQuitMessage(3);
    PostMessageA(nullptr, WM_USER + 3, 0, 0);
    return 0;
  };
  EXPECT_EQ(app.execApp(), 3) << "the quit code ends the run";
  EXPECT_EQ(app.routed, (std::vector<UINT>{WM_USER + 2, WM_USER + 3}));
}

TEST_F(AppTest, MsgPumpRoutesEachWaitingMessageOnce) {
  RecordingApp app;  // the current module, which MsgPump routes through
  PostMessageA(nullptr, WM_USER + 1, 0, 0);
  PostMessageA(nullptr, WM_USER + 2, 0, 0);
  EXPECT_EQ(vlApp::MsgPump(PM_NOREMOVE), 0) << "a flag that leaves messages must not loop";
  EXPECT_EQ(app.routed, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(vlApp::MsgPump(PM_REMOVE), 0);
  EXPECT_EQ(app.routed.size(), 2u);
}

TEST_F(AppTest, ModelessDialogsAreListedNewestFirst) {
  vlApp app;
  int one = 1, two = 2;
  app.appendDialog(dialog(one));
  app.appendDialog(dialog(two));
  app.appendDialog(dialog(one));  // no duplicate check
  EXPECT_EQ(app.modeless,
            (std::list<vlDialogModeless*>{dialog(one), dialog(two), dialog(one)}));
  app.removeDialog(dialog(one));
  app.removeDialog(dialog(two));
  app.removeDialog(dialog(two));  // absent: nothing happens
  EXPECT_EQ(app.modeless, std::list<vlDialogModeless*>{dialog(one)});

  // The entries are stand-ins, not windows: only a plain module may be asked to route.
  MSG msg = {};
  msg.message = WM_USER;
  vlModule plain;
  plain.appendDialog(dialog(two));
  EXPECT_EQ(plain.MsgTransaction(msg), 0);
}

// The message queue under the loop, checked against its Win32 contract.
TEST_F(AppTest, QueueHandsOutQuitAfterPostedMessages) {
  PostQuitMessage(4);
  PostMessageA(nullptr, WM_USER + 1, 11, 12);
  PostQuitMessage(5);
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 11u);
  EXPECT_EQ(msg.lParam, 12);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 5u) << "the last quit code wins";
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit was taken";

  PostMessageA(nullptr, WM_USER + 1, 0, 0);
  PostMessageA(nullptr, WM_USER + 2, 0, 0);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2)) << "range filter";
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));

  HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(PostMessageA(bogus, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), 1400u);
  SetLastError(0xdeadbeef);
  EXPECT_FALSE(IsDialogMessageA(bogus, &msg));
  EXPECT_EQ(GetLastError(), 1400u);
}
