#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ExpectException.hpp"
#include "ImportPatch.hpp"
#include "MessageBoxWatcher.hpp"
#include "TestDialog.hpp"
#include "dialog_tests_resource.h"

namespace {

constexpr const char* Source = "Cpp/YGuiDialogBase";

std::string WindowText(HWND window) {
    char text[512] = {0};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class ControlHelpers : public ::testing::Test {
protected:
    void SetUp() override { dialog.Open(); }

    HWND Control(int id) { return dialog.GetControl(id); }
    void SetText(int id, const char* text) { SetWindowTextA(Control(id), text); }
    std::string Text(int id) { return WindowText(Control(id)); }
    LRESULT Send(int id, UINT message, WPARAM wParam = 0) { return SendMessageA(Control(id), message, wParam, 0); }

    TestDialog dialog{IDD_TEST_CONTROLS};
};

TEST_F(ControlHelpers, NumbersAreReadWholeOrNotAtAll) {
    // Longer texts than a number field holds would read as another number once cut.
    const std::string cut31 = "0000000000000000000000000000012", cut32 = "0" + cut31;
    const struct {
        std::string text;
        bool valid;
        int value;
    } cases[] = {{"", true, 0},         {" 12", true, 12}, {"12 ", false, 0},  {"2147483647", true, 2147483647},
                 {"2147483648", false, 0}, {cut31, true, 12}, {cut32, false, 0}, {std::string(40, '7'), false, 0}};
    for (const auto& c : cases) {
        SetText(IDC_TEST_EDIT1, c.text.c_str());
        int value = 99;
        EXPECT_EQ(c.valid, dialog.GetControlInt(IDC_TEST_EDIT1, value)) << '"' << c.text << '"';
        EXPECT_EQ(c.value, value) << '"' << c.text << '"';
    }
    const struct {
        const char* text;
        bool valid;
        double value;
    } reals[] = {{"", true, 0.0}, {" 2.5", true, 2.5}, {"2.5 ", false, 0.0}, {"1e999", false, 0.0}};
    for (const auto& c : reals) {
        SetText(IDC_TEST_EDIT1, c.text);
        double value = 99.0;
        EXPECT_EQ(c.valid, dialog.GetControlReal(IDC_TEST_EDIT1, value)) << '"' << c.text << '"';
        EXPECT_EQ(c.value, value) << '"' << c.text << '"';
    }
}

TEST_F(ControlHelpers, TextsAreCutToTheirBuffers) {
    YString text;
    SetText(IDC_TEST_STATIC, std::string(300, 'w').c_str());
    EXPECT_TRUE(dialog.GetControlText(IDC_TEST_STATIC, text));
    EXPECT_EQ(255, text.Length());

    SetControlTextF(&dialog, IDC_TEST_STATIC, "%d Hz, %s", 440, "A4");
    EXPECT_EQ("440 Hz, A4", Text(IDC_TEST_STATIC));
    SetControlTextF(&dialog, 0, "%s", std::string(300, 't').c_str());
    EXPECT_EQ(std::string(256, 't'), WindowText(dialog.GetHandle()));

    TestDialog windowless(IDD_TEST_CONTROLS);
    EXPECT_YTHROW(SetControlTextF(&windowless, 0, "title"), YSystemException::KindGui, 441, Source);
    EXPECT_YTHROW(SetControlTextF(&dialog, IDC_TEST_MISSING, "text"), YSystemException::KindGui, 54, Source);
}

TEST_F(ControlHelpers, OnlyTheFirstBadFieldIsReportedAndFocused) {
    MessageBoxWatcher watcher;
    SetText(IDC_TEST_EDIT1, "abc");
    SetText(IDC_TEST_EDIT2, "446");
    dialog.FocusControl(IDC_TEST_EDIT2);
    bool failed = false;
    int first = 5, second = 7;
    dialog.ValidateInt(failed, IDC_TEST_EDIT1, first, 0, 100, IDS_TEST_RANGE);
    dialog.ValidateInt(failed, IDC_TEST_EDIT2, second, 438, 445, IDS_TEST_RANGE);
    EXPECT_TRUE(failed);
    EXPECT_EQ(5, first);
    EXPECT_EQ(Control(IDC_TEST_EDIT1), GetFocus());

    failed = false;
    dialog.ValidateInt(failed, IDC_TEST_EDIT2, second, 438, 445, IDS_TEST_RANGE);
    EXPECT_EQ(7, second);
    SetText(IDC_TEST_EDIT2, "445");
    failed = false;
    dialog.ValidateInt(failed, IDC_TEST_EDIT2, second, 438, 445, IDS_TEST_RANGE);
    EXPECT_FALSE(failed);
    EXPECT_EQ(445, second);

    std::vector<ShownMessageBox> boxes = watcher.Boxes();
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Error", boxes[0].caption);
    EXPECT_EQ("Illegal Integer Number", boxes[0].text);
    EXPECT_EQ(ErrorIcon(), boxes[0].icon);
    EXPECT_EQ("Out of range: [438..445]", boxes[1].text);
}

TEST_F(ControlHelpers, RealValidationFormatsItsRangeMessageWithRealBounds) {
    MessageBoxWatcher watcher;
    double frequency = 440.0;
    for (const char* text : {"99.9", "x", "4000"}) {
        SetText(IDC_TEST_EDIT1, text);
        bool failed = false;
        dialog.ValidateReal(failed, IDC_TEST_EDIT1, frequency, 100.0, 4000.0, IDS_TEST_REAL_RANGE);
    }
    EXPECT_EQ(4000.0, frequency);
    dialog.FocusControl(IDC_TEST_EDIT2);
    dialog.ReportValidation(true, -1, YString("Not here"));
    EXPECT_EQ(Control(IDC_TEST_EDIT2), GetFocus());
    dialog.ReportValidation(false, IDC_TEST_EDIT1, YString("Never shown"));

    std::vector<ShownMessageBox> boxes = watcher.Boxes();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ("Valid: [100..4000]", boxes[0].text);
    EXPECT_EQ("Illegal Real Number", boxes[1].text);
    EXPECT_EQ("Not here", boxes[2].text);
}

int beeps = 0;
BOOL WINAPI CountBeep(UINT) { return ++beeps; }

TEST_F(ControlHelpers, UpDownsStepTheBuddyWithinTheRangeAndBeepAtText) {
    ImportPatch beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(CountBeep));
    ASSERT_TRUE(beep.Installed());
    beeps = 0;
    NMUPDOWN step = {};
    step.hdr.hwndFrom = Control(IDC_TEST_UPDOWN);
    step.hdr.code = UDN_DELTAPOS;
    auto press = [&](int delta, const char* text) {
        SetText(IDC_TEST_BUDDY, text);
        step.iDelta = delta;
        dialog.HandleUpDownReal(&step, 100.0, 4000.0, 1.0);
        return Text(IDC_TEST_BUDDY);
    };
    EXPECT_EQ("4000", press(1, "4000"));
    EXPECT_EQ("3999", press(-1, "4000"));
    EXPECT_EQ("100.5", press(-3, "101.5"));
    EXPECT_EQ(0, beeps);
    EXPECT_EQ("abc", press(1, "abc"));
    EXPECT_EQ("abc", press(-1, "abc"));
    EXPECT_EQ(2, beeps);

    // Whole numbers: a step past the int range is refused, not wrapped.
    SetText(IDC_TEST_BUDDY, "2147483640");
    step.iDelta = 1;
    for (int i = 0; i < 2; ++i) dialog.HandleUpDownInt(&step, -2147483647 - 1, 2147483647, 5);
    EXPECT_EQ("2147483645", Text(IDC_TEST_BUDDY));
    // Other notifications and an up-down without a buddy change nothing.
    step.iDelta = -1;
    step.hdr.code = NM_CLICK;
    dialog.HandleUpDownInt(&step, 0, 2147483647, 5);
    step.hdr.code = UDN_DELTAPOS;
    step.hdr.hwndFrom = Control(IDC_TEST_LONE_UPDOWN);
    dialog.HandleUpDownInt(&step, 0, 2147483647, 5);
    EXPECT_EQ("2147483645", Text(IDC_TEST_BUDDY));
    EXPECT_EQ(2, beeps);
}

TEST_F(ControlHelpers, AfterInitUpDownsTheUpArrowCountsUp) {
    dialog.onMessage = [&](UINT message, WPARAM, LPARAM lParam) -> INT_PTR {
        if (message == WM_NOTIFY) dialog.HandleUpDownReal(reinterpret_cast<NMUPDOWN*>(lParam), 100.0, 4000.0, 1.0);
        return 0;
    };
    dialog.InitUpDowns();
    EXPECT_EQ(MAKELONG(10, 1), Send(IDC_TEST_LONE_UPDOWN, UDM_GETRANGE));
    RECT arrows;
    GetClientRect(Control(IDC_TEST_UPDOWN), &arrows);
    auto click = [&](int y) {
        SendMessageA(Control(IDC_TEST_UPDOWN), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(arrows.right / 2, y));
        SendMessageA(Control(IDC_TEST_UPDOWN), WM_LBUTTONUP, 0, MAKELPARAM(arrows.right / 2, y));
        return Text(IDC_TEST_BUDDY);
    };
    SetText(IDC_TEST_BUDDY, "440");
    EXPECT_EQ("441", click(arrows.bottom / 4));
    EXPECT_EQ("440", click(arrows.bottom * 3 / 4));
}

TEST_F(ControlHelpers, VerticalSlidersHaveTheirMaximumAtTheTop) {
    dialog.SetSliderRange(IDC_TEST_VSLIDER, 0, 64);
    SendMessageA(Control(IDC_TEST_VSLIDER), TBM_SETPOS, TRUE, 0);
    EXPECT_EQ(64, dialog.GetSliderPos(IDC_TEST_VSLIDER));
    dialog.SetSliderPos(IDC_TEST_VSLIDER, 0);
    EXPECT_EQ(64, Send(IDC_TEST_VSLIDER, TBM_GETPOS));
    dialog.SetSliderRange(IDC_TEST_VSLIDER, 10, 74);
    dialog.SetSliderPos(IDC_TEST_VSLIDER, 30);
    EXPECT_EQ(54, Send(IDC_TEST_VSLIDER, TBM_GETPOS));
    EXPECT_EQ(30, dialog.GetSliderPos(IDC_TEST_VSLIDER));

    dialog.SetSliderRange(IDC_TEST_HSLIDER, 0, 64);
    dialog.SetSliderPos(IDC_TEST_HSLIDER, 20);
    EXPECT_EQ(20, Send(IDC_TEST_HSLIDER, TBM_GETPOS));
    EXPECT_EQ(20, dialog.GetSliderPos(IDC_TEST_HSLIDER));
}

TEST_F(ControlHelpers, RadioGroupsMapValuesToButtons) {
    static const RadioEntry group[] = {{0, IDC_TEST_RADIO1}, {1, IDC_TEST_RADIO2}, {2, IDC_TEST_RADIO3}, {-1, -1}};
    static const RadioEntry endsEarly[] = {{0, IDC_TEST_RADIO1}, {1, -1}, {2, IDC_TEST_RADIO3}, {-1, -1}};
    EXPECT_EQ(-1, dialog.GetRadioGroup(group));
    dialog.SetRadioGroup(group, 1);
    EXPECT_TRUE(dialog.IsChecked(IDC_TEST_RADIO2));
    EXPECT_EQ(1, dialog.GetRadioGroup(group));
    dialog.SetRadioGroup(group, -1);
    EXPECT_EQ(-1, dialog.GetRadioGroup(group));
    dialog.SetRadioGroup(endsEarly, 2);
    EXPECT_FALSE(dialog.IsChecked(IDC_TEST_RADIO3));

    EXPECT_TRUE(dialog.IsRadioGroupCommand(group, MAKEWPARAM(IDC_TEST_RADIO3, BN_CLICKED)));
    EXPECT_FALSE(dialog.IsRadioGroupCommand(group, MAKEWPARAM(IDC_TEST_RADIO3, BN_SETFOCUS)));
    EXPECT_FALSE(dialog.IsRadioGroupCommand(group, MAKEWPARAM(IDC_TEST_CHECK, BN_CLICKED)));
}

TEST_F(ControlHelpers, ComboTextsComeWholeOrNotAtAll) {
    static const int ids[] = {IDS_TEST_ITEM_TWO, -1};
    dialog.AddComboString(IDC_TEST_COMBO, YString(""));
    dialog.AddComboStringIds(IDC_TEST_COMBO, ids);
    dialog.InsertComboStringId(IDC_TEST_COMBO, 0, IDS_TEST_ITEM_ONE);
    YString text("junk");
    EXPECT_FALSE(dialog.GetComboSelText(IDC_TEST_COMBO, text));
    EXPECT_TRUE(text.IsEmpty());
    dialog.SetComboSel(IDC_TEST_COMBO, 2);
    EXPECT_TRUE(dialog.GetComboSelText(IDC_TEST_COMBO, text));
    EXPECT_EQ("Second item", text);
    for (int emptyOrMissing : {1, 9}) {
        text = "junk";
        EXPECT_FALSE(dialog.GetComboText(IDC_TEST_COMBO, emptyOrMissing, text));
        EXPECT_TRUE(text.IsEmpty());
    }
    EXPECT_YTHROW(dialog.AddComboStringId(IDC_TEST_COMBO, IDS_TEST_MISSING), YSystemException::KindSystem, 522, "Cpp/YString");
}

TEST_F(ControlHelpers, ListBoxesFindOnlyVisibleItemsUnderAPoint) {
    static const char* const texts[] = {"E2", "A2", "D3", "G3", "B3", "E4", "A4", "D5", "G5", nullptr};
    dialog.AddListStrings(IDC_TEST_LIST, texts);
    YString text("kept");
    dialog.GetListText(IDC_TEST_LIST, 9, text);
    EXPECT_EQ("kept", text);
    dialog.GetListText(IDC_TEST_LIST, 8, text);
    EXPECT_EQ("G5", text);

    HWND list = Control(IDC_TEST_LIST);
    RECT client, item;
    GetClientRect(list, &client);
    SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    int height = item.bottom - item.top;
    ASSERT_NE(0, client.bottom % height) << "the last visible item must be cut";
    EXPECT_EQ(1, dialog.ListItemFromPoint(IDC_TEST_LIST, POINT{2, height + 1}));
    EXPECT_EQ(client.bottom / height, dialog.ListItemFromPoint(IDC_TEST_LIST, POINT{2, client.bottom - 1}));
    SendMessageA(list, LB_SETTOPINDEX, 5, 0);
    EXPECT_EQ(5, dialog.ListItemFromPoint(IDC_TEST_LIST, POINT{2, 1}));

    dialog.ClearList(IDC_TEST_LIST);
    dialog.AddListStrings(IDC_TEST_LIST, texts + 7);
    EXPECT_EQ(-1, dialog.ListItemFromPoint(IDC_TEST_LIST, POINT{2, height * 2 + 1})) << "below the last item";
}

TEST_F(ControlHelpers, ListViewSelectionEndsOnExactlyOneItem) {
    LVCOLUMNA column = {LVCF_WIDTH, 0, 60};
    EXPECT_TRUE(dialog.InsertListViewColumn(IDC_TEST_LISTVIEW, 0, &column));
    LVITEMA item = {};
    for (item.iItem = 0; item.iItem < 3; ++item.iItem) EXPECT_TRUE(dialog.InsertListViewItem(IDC_TEST_LISTVIEW, &item));
    EXPECT_EQ(-1, dialog.GetListViewSel(IDC_TEST_LISTVIEW));

    item.mask = LVIF_STATE;
    item.stateMask = item.state = LVIS_SELECTED;
    for (item.iItem = 0; item.iItem < 2; ++item.iItem) EXPECT_TRUE(dialog.SetListViewItem(IDC_TEST_LISTVIEW, &item));
    EXPECT_EQ(0, dialog.GetListViewSel(IDC_TEST_LISTVIEW));
    dialog.SetListViewSel(IDC_TEST_LISTVIEW, 2);
    EXPECT_EQ(2, dialog.GetListViewSel(IDC_TEST_LISTVIEW));
    EXPECT_EQ(1, Send(IDC_TEST_LISTVIEW, LVM_GETSELECTEDCOUNT));

    // These two answer FALSE on failure, not -1.
    item.iItem = 7;
    EXPECT_FALSE(dialog.SetListViewItem(IDC_TEST_LISTVIEW, &item));
    EXPECT_FALSE(dialog.GetListViewItem(IDC_TEST_LISTVIEW, &item));
}

TEST_F(ControlHelpers, ScrollRequestsMoveTheBarWithinItsRange) {
    dialog.SetScrollBarRange(IDC_TEST_SCROLL, 0, 100, 10);
    auto request = [&](WORD code, WORD thumb = 0) {
        dialog.HandleScrollBar(Control(IDC_TEST_SCROLL), MAKEWPARAM(code, thumb));
        return dialog.GetScrollBarPos(IDC_TEST_SCROLL);
    };
    EXPECT_EQ(1, request(SB_LINEDOWN));
    EXPECT_EQ(11, request(SB_PAGEDOWN));
    EXPECT_EQ(1, request(SB_PAGEUP));
    EXPECT_EQ(50, request(SB_THUMBTRACK, 50));
    EXPECT_EQ(50, request(SB_ENDSCROLL, 7));
    EXPECT_EQ(91, request(SB_BOTTOM));
    EXPECT_EQ(0, request(SB_TOP));
    EXPECT_EQ(0, request(SB_LINEUP));
    dialog.SetScrollBarRange(IDC_TEST_SCROLL, 0, 50, 0);
    dialog.SetScrollBarPos(IDC_TEST_SCROLL, 45);
    EXPECT_EQ(41, dialog.GetScrollBarPos(IDC_TEST_SCROLL)) << "the page of 10 stays";
}

int IconWidth(LRESULT icon) {
    ICONINFO info = {};
    if (!icon || !GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return 0;
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

TEST_F(ControlHelpers, IconsAreLoadedInTheirSizesAndDrawnInTheMiddle) {
    static const IconEntry large[] = {{IDC_TEST_BUTTON, IDI_TEST_ICON}, {-1, -1}};
    dialog.SetButtonIconsLarge(large);
    EXPECT_EQ(32, IconWidth(Send(IDC_TEST_BUTTON, BM_GETIMAGE, IMAGE_ICON)));
    dialog.SetButtonIcon(IDC_TEST_BUTTON, IDI_TEST_MISSING);
    EXPECT_EQ(0, Send(IDC_TEST_BUTTON, BM_GETIMAGE, IMAGE_ICON));
    dialog.SetStaticIcon(IDC_TEST_ICON_STATIC, IDI_TEST_ICON);
    EXPECT_EQ(16, IconWidth(Send(IDC_TEST_ICON_STATIC, STM_GETICON)));

    EXPECT_YTHROW(dialog.DrawControlIcon(IDC_TEST_ICON_AREA, IDI_TEST_MISSING), YSystemException::KindGui, 783, Source);
    HWND area = Control(IDC_TEST_ICON_AREA);
    UpdateWindow(dialog.GetHandle());
    dialog.DrawControlIcon(IDC_TEST_ICON_AREA, IDI_TEST_ICON);
    RECT client;
    GetClientRect(area, &client);
    HDC context = GetDC(area);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(context, client.right / 2, client.bottom / 2));
    EXPECT_NE(RGB(255, 0, 0), GetPixel(context, 1, 1));
    ReleaseDC(area, context);
}

// A destroyed icon has no information to give any more.
bool IconExists(LRESULT icon) { return IconWidth(icon) > 0; }

TEST(ControlIcons, TheDialogDestroysTheIconsItLoadedAndNoOthers) {
    HICON foreign = CopyIcon(LoadIconA(nullptr, IDI_APPLICATION));  // set by someone else, who still owns it
    LRESULT replaced = 0, last = 0;
    {
        TestDialog dialog(IDD_TEST_CONTROLS);
        dialog.Open();
        HWND button = dialog.GetControl(IDC_TEST_BUTTON);
        SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(foreign));
        dialog.SetButtonIcon(IDC_TEST_BUTTON, IDI_TEST_ICON);
        replaced = SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0);
        dialog.SetButtonIconLarge(IDC_TEST_BUTTON, IDI_TEST_ICON);
        EXPECT_FALSE(IconExists(replaced));
        dialog.SetStaticIcon(IDC_TEST_ICON_STATIC, IDI_TEST_ICON);
        last = SendMessageA(dialog.GetControl(IDC_TEST_ICON_STATIC), STM_GETICON, 0, 0);
        EXPECT_TRUE(IconExists(last));
    }
    EXPECT_FALSE(IconExists(last)) << "gone with the dialog";
    EXPECT_TRUE(IconExists(reinterpret_cast<LRESULT>(foreign)));
    DestroyIcon(foreign);
}

}  // namespace
