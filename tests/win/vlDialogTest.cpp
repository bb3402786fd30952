// Real modal dialogs from the test templates, driven from a second thread as a user
// would: typing, buttons, the question on Cancel.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>
#include "dialogDriver.h"
#include "testDialogs.h"
#include "traceCapture.h"
#include "vlControl.h"
#include "vlGroupBox.h"
#include "vlListBox.h"
#include "vlScrollBar.h"

using namespace dialogDriver;

namespace {

vlControl* makeEdit(vlDialog* dialog, int id) { return new vlEdit(dialog, "Edit", id); }
vlControl* makeCheck(vlDialog* dialog, int id) { return new vlCheckBox(dialog, "Button", id); }
vlControl* makeGroup(vlDialog* dialog, int id) { return new vlGroupBox(dialog, "Button", id); }
vlControl* makeList(vlDialog* dialog, int id) { return new vlListBox(dialog, "ListBox", id); }
vlControl* makeScroll(vlDialog* dialog, int id) { return new vlScrollBar(dialog, id); }

// Types `text` over the edit's whole content, one character at a time, as the keyboard
// would: the edit then reports itself modified.
std::string textOf(HWND window) {
  char buffer[100] = "";
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

void typeInto(HWND edit, const std::string& text) {
  send(edit, EM_SETSEL, 0, -1);
  for (char c : text) send(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// Waits until the dialog's thread has handled everything posted before: a sent message
// is answered only when the thread is back in a message loop.
void settle(HWND dialog) {
  for (int i = 0; i < 3; ++i) {
    send(dialog, WM_NULL, 0, 0);
    Sleep(50);
  }
}

// An in-memory dialog template titled "vlMemory" with one item of class `itemClass`
// (none when empty).
std::vector<WORD> memoryTemplate(const std::wstring& itemClass) {
  std::vector<WORD> words;
  auto dword = [&](DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
  };
  auto text = [&](const std::wstring& value) {
    words.insert(words.end(), value.begin(), value.end());
    words.push_back(0);
  };
  dword(WS_POPUP | WS_CAPTION | DS_MODALFRAME);
  dword(0);
  words.push_back(itemClass.empty() ? 0 : 1);
  for (WORD size : {0, 0, 100, 50}) words.push_back(size);
  words.push_back(0);  // no menu
  words.push_back(0);  // the standard dialog class
  text(L"vlMemory");
  if (itemClass.empty()) return words;
  if (words.size() % 2) words.push_back(0);  // items start on a DWORD
  dword(WS_CHILD | WS_VISIBLE);
  dword(0);
  for (WORD size : {5, 5, 40, 12, 900}) words.push_back(size);  // and the id
  text(itemClass);
  text(L"");
  words.push_back(0);  // no creation data
  return words;
}

const char* const question = "変更を保存せずに終了してよろしいですか？";

// Every kind of mapped control, each with its variable.
class DialogTest : public TraceTest {
 protected:
  char first[40] = "alpha";
  char second[40] = "beta";
  char third[40] = "gamma";
  int recursive = 1;
  int method = 1;
  int line = 2;
  int position = 7;
  int range[3] = {0, 20, 3};
  char red[4] = "red", green[6] = "green", blue[5] = "blue";
  char* lines[4] = {red, green, blue, nullptr};
  vlCtrlMap map[9] = {
      {makeEdit, first, idEdit1, sizeof first, nullptr},
      {makeEdit, second, idEdit2, sizeof second, nullptr},
      {makeEdit, third, idEdit3, sizeof third, nullptr},
      {makeCheck, &recursive, idCheck, 0, nullptr},
      {makeGroup, &method, idGroup, 2, nullptr},
      {makeList, &line, idList, 0, lines},
      {makeScroll, &position, idScroll, 0, range},
      {nullptr, nullptr, 0, 0, nullptr},
  };
  std::vector<ProbeDialog::Command> commands;

  ProbeDialog* mapped() {
    ProbeDialog* dialog = new ProbeDialog;
    dialog->ctrlMap = map;
    dialog->commands = &commands;
    return dialog;
  }
  int countOf(int id) const {
    int count = 0;
    for (const auto& command : commands) count += command.id == id;
    return count;
  }
};

TEST_F(DialogTest, WithoutMapOrChangesCancelClosesAtOnceAndOkWritesNothing) {
  vlCtrlMap onlyEnd[1] = {{nullptr, nullptr, 0, 0, nullptr}};
  struct Row {
    vlCtrlMap* map;
    int button;
    int result;
  } rows[] = {{nullptr, IDCANCEL, 2}, {onlyEnd, IDCANCEL, 2}, {onlyEnd, IDOK, 1},
              {map, IDCANCEL, 2}};  // a map nobody changed asks nothing either
  for (const Row& row : rows) {
    ProbeDialog* dialog = new ProbeDialog;
    dialog->ctrlMap = row.map;
    EXPECT_EQ(runDialog(dialog, testDialogTitle, [&](HWND window) { click(item(window, row.button)); }),
              row.result);
    EXPECT_EQ(vlDialog::resultx, row.result);
  }
  EXPECT_STREQ(first, "alpha");
}

TEST_F(DialogTest, TheMapShowsEveryVariableWhenTheDialogOpens) {
  runDialog(mapped(), testDialogTitle, [&](HWND window) {
    EXPECT_EQ(getText(item(window, idEdit2)), "beta");
    EXPECT_EQ(checked(item(window, idCheck)), 1);
    EXPECT_EQ(checked(item(window, idRadio1)), 0);
    EXPECT_EQ(checked(item(window, idRadio2)), 1);
    EXPECT_EQ(listLines(item(window, idList)), (std::vector<std::string>{"red", "green", "blue"}));
    LRESULT selected = 0;
    send(item(window, idList), LB_GETCURSEL, 0, 0, &selected);
    EXPECT_EQ(selected, 2);
    EXPECT_EQ(getText(item(window, idScrollText)), "7");
    click(item(window, IDCANCEL));
  });
}

TEST_F(DialogTest, OkWritesBackOnlyTheControlTheUserChanged) {
  int result = runDialog(mapped(), testDialogTitle, [&](HWND window) {
    // Changed behind the dialog's back: a write-back of unchanged controls would undo it.
    std::strcpy(first, "elsewhere");
    recursive = 5;
    typeInto(item(window, idEdit2), "typed");
    click(item(window, IDOK));
  });
  EXPECT_EQ(result, 1);
  EXPECT_STREQ(first, "elsewhere");
  EXPECT_STREQ(second, "typed");
  EXPECT_STREQ(third, "gamma");
  EXPECT_EQ(countOf(IDOK), 1) << "a handled command is dispatched once";
}

TEST_F(DialogTest, CancelWithChangesAsksNoKeepsTheDialogYesClosesWithoutWriting) {
  int result = runDialog(mapped(), testDialogTitle, [&](HWND window) {
    click(item(window, idRadio1));
    settle(window);
    click(item(window, IDCANCEL));
    bool pressed = false;
    EXPECT_EQ(answerMessageBox(IDNO, &pressed), question);
    ASSERT_TRUE(pressed);
    settle(window);
    EXPECT_TRUE(IsWindow(window) && IsWindowEnabled(window)) << "No keeps the dialog open";
    click(item(window, IDCANCEL));
    EXPECT_EQ(answerMessageBox(IDYES, &pressed), question);
    EXPECT_TRUE(pressed);
  });
  EXPECT_EQ(result, 2);
  EXPECT_EQ(method, 1);
}

TEST_F(DialogTest, VetoedOkKeepsTheDialogAndTheVariables) {
  ProbeDialog* dialog = mapped();
  dialog->vetoOk = true;
  int result = runDialog(dialog, testDialogTitle, [&](HWND window) {
    typeInto(item(window, idEdit3), "typed");
    click(item(window, IDOK));
    settle(window);
    EXPECT_TRUE(IsWindow(window));
    PostMessageA(window, ProbeDialog::closeNow, 42, 0);
  });
  EXPECT_EQ(result, 42);
  EXPECT_STREQ(third, "gamma");
}

TEST_F(DialogTest, AnUnhandledCommandReachesTheDialogTwice) {
  runDialog(mapped(), testDialogTitle, [&](HWND window) {
    PostMessageA(window, WM_COMMAND, 77, 0);
    settle(window);
    click(item(window, IDOK));
  });
  EXPECT_EQ(countOf(77), 2) << "once from the window procedure, once from the dialog procedure";
  EXPECT_EQ(countOf(IDOK), 1);
}

TEST_F(DialogTest, AMissingTemplateFailsWithoutAWindow) {
  ProbeDialog* dialog = new ProbeDialog("NoSuchDialog");
  EXPECT_FALSE(dialog->create());
  EXPECT_EQ(dialog->lastError, -1);
  EXPECT_EQ(vlDialog::NewDialog, nullptr);
  EXPECT_EQ(dialog->run(), -1);
  EXPECT_EQ(findWindow("#32770", nullptr, GetCurrentProcessId()), nullptr);
  EXPECT_EQ(traced, (std::vector<std::string>(
                        2, "<<vlDialogModal:生成に失敗しました。 [NoSuchDialog]>>\n")));
  delete dialog;  // never attached, so still ours

  ProbeDialog* numbered = new ProbeDialog(MAKEINTRESOURCEA(4711));
  EXPECT_EQ(numbered->run(), -1);
  EXPECT_EQ(traced.back(), "<<vlDialogModal:生成に失敗しました。 [#4711]>>\n");
  delete numbered;
}

TEST_F(DialogTest, AnInMemoryTemplateWinsOverTheNameAndItsFailureNamesItsAddress) {
  std::vector<WORD> good = memoryTemplate(L"");
  ProbeDialog* dialog = new ProbeDialog("NoSuchDialog");
  dialog->templateData = reinterpret_cast<DLGTEMPLATE*>(good.data());
  std::string title;
  dialog->opened = [&](ProbeDialog& self) { title = textOf(self.hwnd); };
  dialog->closeWhenOpened = true;
  EXPECT_EQ(runDialog(dialog, "vlMemory"), 2);
  EXPECT_EQ(title, "vlMemory");

  std::vector<WORD> bad = memoryTemplate(L"NoSuchClass");
  dialog = new ProbeDialog("TestDialog");
  dialog->templateData = reinterpret_cast<DLGTEMPLATE*>(bad.data());
  EXPECT_EQ(dialog->run(), -1);
  char line[100];
  std::snprintf(line, sizeof line, "<<vlDialogModal:生成に失敗しました。 [%llx]>>\n",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(bad.data())));
  EXPECT_EQ(traced, std::vector<std::string>{line});
  delete dialog;
}

// Destroys its window while it is being created: the object goes with it.
class SelfDestroying : public vlDialogModal {
 public:
  SelfDestroying() : vlDialogModal(nullptr, "TestDialog") {}
  // Creation hook: gives up at once.
  void onCreate() override { DestroyWindow(hwnd); }
};

TEST_F(DialogTest, ADialogGoneDuringCreationIsAFailureThatLeavesTheObjectAlone) {
  Watchdog watchdog("self-destroying dialog", 30000);
  EXPECT_EQ((new SelfDestroying)->run(), -1);  // deleted with its window, never touched again
  EXPECT_EQ(traced, std::vector<std::string>{
                        "<<vlDialogModal:生成に失敗しました。 [TestDialog]>>\n"});
}

TEST_F(DialogTest, ItemSizeAskedBeforeBindingIsTheDialogsAnswer) {
  struct Row {
    vlPoint size;
    LRESULT height;
  } rows[] = {{{0, 0}, 20}, {{150, 33}, 33}};  // {0, 0}: the default 200 by 20
  for (const Row& row : rows) {
    ProbeDialog* dialog = new ProbeDialog("OwnerDrawDialog");
    dialog->itemSize = row.size;
    LRESULT height = 0;
    dialog->opened = [&](ProbeDialog& self) {
      height = SendMessageA(GetDlgItem(self.hwnd, idOwnerList), LB_GETITEMHEIGHT, 0, 0);
    };
    dialog->closeWhenOpened = true;
    EXPECT_EQ(runDialog(dialog, ownerDrawTitle), 2);
    EXPECT_EQ(height, row.height);
  }
}

}  // namespace
