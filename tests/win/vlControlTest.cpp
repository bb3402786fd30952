// Controls on the items of a real dialog. Most tests run inside the dialog's onCreate
// (the dialog's own thread); the keyboard test drives the open dialog from a second one.
#include <gtest/gtest.h>
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

class ControlTest : public TraceTest {
 protected:
  // Runs `body` inside the open test dialog, which then ends itself.
  void inDialog(const std::function<void(ProbeDialog&)>& body) {
    ProbeDialog* dialog = new ProbeDialog;
    dialog->opened = body;
    dialog->closeWhenOpened = true;
    EXPECT_EQ(runDialog(dialog, testDialogTitle), 2);
  }
};

int checkOf(vlDialog& dialog, int id) {
  return static_cast<int>(SendMessageA(GetDlgItem(dialog.hwnd, id), BM_GETCHECK, 0, 0));
}

std::string textOf(vlDialog& dialog, int id) {
  char buffer[100] = "";
  GetDlgItemTextA(dialog.hwnd, id, buffer, sizeof buffer);
  return buffer;
}

TEST_F(ControlTest, GroupBoxChecksOneRadioButtonAndRefusesOutOfRange) {
  inDialog([](ProbeDialog& dialog) {
    vlGroupBox* group = new vlGroupBox(&dialog, "Button", idGroup);
    int none = -1;
    group->linkObject(&none, 2);
    EXPECT_EQ(group->getSel(), -1) << "nothing checked";
    EXPECT_NE(dynamic_cast<vlRadioBox*>(vlWin::GetWin(GetDlgItem(dialog.hwnd, idRadio2))),
              nullptr);
    struct Row {
      int index;
      bool accepted;
      int check1, check2, selected;
    } rows[] = {{1, true, 0, 1, 1},    {0, true, 1, 0, 0},   {2, false, 1, 0, 0},
                {-2, false, 1, 0, 0},  {-1, true, 0, 0, -1}, {1, true, 0, 1, 1}};
    for (const Row& row : rows) {
      EXPECT_EQ(group->setSel(row.index), row.accepted) << row.index;
      EXPECT_EQ(checkOf(dialog, idRadio1), row.check1) << row.index;
      EXPECT_EQ(checkOf(dialog, idRadio2), row.check2) << row.index;
      EXPECT_EQ(group->getSel(), row.selected) << row.index;
    }
    EXPECT_TRUE(group->isModified());
    group->updateObject();
    EXPECT_EQ(none, 1);
    group->enable(false);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog.hwnd, idRadio1)));
  });
}

TEST_F(ControlTest, GroupBoxReportsMissingRadioButtonsAndAMissingParent) {
  inDialog([](ProbeDialog& dialog) {
    int selection = 0;
    (new vlGroupBox(&dialog, "Button", idGroup))->linkObject(&selection, 3);
    EXPECT_EQ(checkOf(dialog, idRadio1), 1) << "the others go on";
  });
  EXPECT_EQ(traced, std::vector<std::string>{"not found Radio Button 2 203\n"});

  vlGroupBox orphan(nullptr, "Button", idGroup);  // no window at all
  orphan.linkObject(nullptr, 2);
  EXPECT_EQ(traced.back(), "Assertion failed: hp, file vlGroupBox, line 65\n");
}

TEST_F(ControlTest, ScrollBarPageStepFollowsTheRange) {
  inDialog([](ProbeDialog& dialog) {
    vlScrollBar* bar = new vlScrollBar(&dialog, idScroll);
    EXPECT_EQ(bar->pageStep, 10);
    EXPECT_EQ(textOf(dialog, idScrollText), "");  // the partner is joined after the first 50
    struct Row {
      int min, max, step;
    } rows[] = {{0, 9, 2}, {0, 10, 5}, {0, 39, 5}, {0, 40, 4}, {0, 100, 10}, {-50, 950, 100}};
    for (const Row& row : rows) {
      EXPECT_TRUE(bar->setRangeAll(row.min, row.max, -1, -1, SIF_RANGE, true));
      EXPECT_EQ(bar->pageStep, row.step) << row.min << ".." << row.max;
    }
    EXPECT_FALSE(bar->setRangeAll(10, 5, -1, -1, SIF_RANGE, true)) << "inverted";
    EXPECT_EQ(bar->maximum, 950);
    EXPECT_TRUE(bar->setRangeAll(0, 0, 30, -1, SIF_POS, true));
    EXPECT_EQ(bar->position, 30);
    EXPECT_TRUE(bar->setRangeAll(0, 20, -1, -1, SIF_RANGE, true));
    EXPECT_EQ(bar->position, 20) << "clamped into the new range";
    EXPECT_EQ(textOf(dialog, idScrollText), "20");
  });
}

TEST_F(ControlTest, ScrollMessagesMoveWithinTheRangeAndWriteThePartner) {
  inDialog([](ProbeDialog& dialog) {
    vlScrollBar* bar = new vlScrollBar(&dialog, idScroll);
    HWND barWindow = bar->hwnd;
    struct Row {
      int start, code, thumb, position;
      const char* text;  // "x": the partner was not written
    } rows[] = {{95, SB_PAGEDOWN, 0, 100, "100"}, {100, SB_PAGEDOWN, 0, 100, "x"},
                {100, SB_LINEDOWN, 0, 100, "x"},  {0, SB_LINEUP, 0, 0, "x"},
                {5, SB_PAGEUP, 0, 0, "0"},        {1, SB_LINEUP, 0, 0, "0"},
                {50, SB_THUMBTRACK, 77, 77, "77"}, {50, SB_THUMBPOSITION, 77, 50, "x"},
                {50, SB_ENDSCROLL, 0, 50, "x"}};
    for (const Row& row : rows) {
      bar->setSel(row.start, true);
      SetDlgItemTextA(dialog.hwnd, idScrollText, "x");
      SendMessageA(dialog.hwnd, WM_HSCROLL, MAKEWPARAM(row.code, row.thumb),
                   reinterpret_cast<LPARAM>(barWindow));
      EXPECT_EQ(bar->position, row.position) << row.start << " code " << row.code;
      EXPECT_EQ(GetScrollPos(barWindow, SB_CTL), row.position);
      EXPECT_EQ(textOf(dialog, idScrollText), row.text) << row.start << " code " << row.code;
    }
    EXPECT_FALSE(bar->setSel(101, true));
    EXPECT_EQ(textOf(dialog, idScrollText), "x");
    EXPECT_TRUE(bar->setSel(7, true));
    EXPECT_EQ(textOf(dialog, idScrollText), "7");
  });
}

TEST_F(ControlTest, APartnerMadeIsOwnedAndOneFoundRegisteredSurvivesTheControl) {
  inDialog([](ProbeDialog& dialog) {
    vlScrollBar* bar = new vlScrollBar(&dialog, idScroll);
    EXPECT_TRUE(bar->ownsPartner);
    delete bar;

    vlControl* text = new vlControl(&dialog, "Static", idScrollText);
    bar = new vlScrollBar(&dialog, idScroll);
    EXPECT_EQ(bar->partner, text);
    EXPECT_FALSE(bar->ownsPartner);
    bar->show(SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(text->hwnd)) << "shown and hidden along";
    delete bar;
    EXPECT_EQ(vlWin::GetWin(GetDlgItem(dialog.hwnd, idScrollText)), text);
  });
}

TEST_F(ControlTest, EditTakesAtMostItsBufferAndShowsAnUnterminatedOneUpToItsEnd) {
  inDialog([](ProbeDialog& dialog) {
    char buffer[301] = "";
    vlEdit* edit = new vlEdit(&dialog, "Edit", idEdit1);
    vlCtrlMap entry = {nullptr, buffer, idEdit1, sizeof buffer, nullptr};
    edit->linkMapObject(&entry);
    std::string typed(310, 'k');
    SendMessageA(edit->hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed.c_str()));
    EXPECT_TRUE(edit->isModified());
    edit->updateObject();
    EXPECT_EQ(std::strlen(buffer), 300u);

    char full[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    vlCtrlMap fullEntry = {nullptr, full, idEdit2, 5, nullptr};
    vlEdit* other = new vlEdit(&dialog, "Edit", idEdit2);
    other->linkMapObject(&fullEntry);
    other->updateScreen();
    EXPECT_EQ(textOf(dialog, idEdit2), "abcde");
  });
}

TEST_F(ControlTest, CheckBoxAndListBoxExchangeTheirValues) {
  inDialog([](ProbeDialog& dialog) {
    int tick = 1;
    vlCheckBox* check = new vlCheckBox(&dialog, "Button", idCheck);
    vlCtrlMap entry = {nullptr, &tick, idCheck, 0, nullptr};
    check->linkMapObject(&entry);
    check->updateScreen();
    EXPECT_FALSE(check->isModified());
    check->click();
    EXPECT_TRUE(check->isModified());
    check->updateObject();
    EXPECT_EQ(tick, 0);

    vlListBox* list = new vlListBox(&dialog, "ListBox", idList);
    char buffer[20] = "stale";
    EXPECT_EQ(list->showLast(), 0) << "empty";
    EXPECT_EQ(list->getSel(buffer), -1);
    EXPECT_STREQ(buffer, "");
    char one[] = "一行目", two[] = "two";
    char* lines[] = {one, two, nullptr};
    int line = 1;
    list->linkObject(&line, lines);
    list->updateScreen();
    EXPECT_EQ(list->getSel(buffer), 3);
    EXPECT_STREQ(buffer, "two");
    char small[4];
    SendMessageA(list->hwnd, LB_SETCURSEL, 0, 0);
    EXPECT_EQ(list->getSel(small, sizeof small), -1) << "six bytes do not fit in four";
    EXPECT_STREQ(small, "");
    EXPECT_TRUE(list->isModified());
    list->updateObject();
    EXPECT_EQ(line, 0);
    EXPECT_EQ(list->showLast(), 0);
  });
}

TEST_F(ControlTest, KeysInAnEditArriveAtTheDialogAsCommands) {
  std::vector<ProbeDialog::Command> commands;
  ProbeDialog* dialog = new ProbeDialog;
  dialog->commands = &commands;
  dialog->opened = [](ProbeDialog& self) {
    new vlEdit(&self, "Edit", idEdit1);
    new vlEdit(&self, "Edit", idEdit2);
  };
  HWND edit = nullptr;
  HWND focused = nullptr;
  HWND next = nullptr;
  int result = runDialog(dialog, testDialogTitle, [&](HWND window) {
    edit = item(window, idEdit1);
    next = item(window, idEdit2);
    send(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), 1);
    key(edit, VK_F1);
    // Characters only: the dialog manager itself takes Enter, Tab and Escape key downs.
    for (char c : {'\r', '\t'}) PostMessageA(edit, WM_CHAR, c, 1);
    Sleep(200);
    send(window, WM_NULL, 0, 0);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    focused = info.hwndFocus;
    PostMessageA(edit, WM_CHAR, 0x1B, 1);
  });
  EXPECT_EQ(result, 2) << "Escape cancels";
  EXPECT_EQ(focused, next) << "Tab moves on to the next control";
  std::vector<std::pair<int, int>> fromEdit;  // the key commands that name the edit
  for (const auto& command : commands)
    if (command.control == edit && command.id != idEdit1)
      fromEdit.push_back({command.id, command.code});
  // Help and Enter are not handled by the dialog, so each arrives twice; Cancel once.
  EXPECT_EQ(fromEdit, (std::vector<std::pair<int, int>>{
                          {20, idEdit1}, {20, idEdit1}, {21, idEdit1}, {21, idEdit1}, {IDCANCEL, 0}}));
}

}  // namespace
