#pragma once

#include <windows.h>

#include <commctrl.h>

#include "YArray.hpp"
#include "YDynArray.hpp"
#include "YGuiPageList.hpp"
#include "YGuiWindow.hpp"
#include "YString.hpp"

class YGuiPropertyPage;

// One row of a radio group: the value the group stands for when this button is checked. A group
// ends with a row in which either field is -1.
struct RadioEntry {
    int value;
    int controlId;
};

// A control and the icon resource it shows; a table ends with a row in which either field is -1.
struct IconEntry {
    int controlId;
    int iconId;
};

// A control and its tooltip: the text itself or a string-table id (MAKEINTRESOURCEA). A table
// ends with the control id -1.
struct ToolTipEntry {
    int controlId;
    const char* text;
};

// A control whose messages go to the dialog object first. A free entry has the id -1.
struct SubclassEntry {
    HWND control;
    int controlId;
    WNDPROC previousProcedure;
};

// An icon that the dialog loaded for one of its controls and therefore destroys: when it sets
// another icon there and, for the last one, in its destructor.
struct ControlIconEntry {
    int controlId;
    HICON icon;
};

// A page hosted in a tab control: its window exists from the first time its tab is chosen.
struct PageWindowEntry {
    HWND window;
    LPCSTR pageTemplate;
    YGuiPropertyPage* page;
};

// A dialog with controls. Controls are addressed by their ids; every operation that takes an id
// finds the control with GetControl, so a wrong id throws instead of being ignored.
class YGuiDialogBase : public YGuiWindow {
public:
    static constexpr const char* SourceFile = "Cpp/YGuiDialogBase";
    static constexpr int LineGetControl = 54;
    static constexpr int LineGetControlId = 73;
    static constexpr int LineSetControlTextF = 441;
    static constexpr int LineDrawControlIcon = 783;
    static constexpr int LineCreatePageWindow = 1990;

    // A number field holds at most this many characters; a longer text is not read as a number.
    static constexpr int NumberTextLength = 31;
    // GetControlText reads at most this many characters.
    static constexpr int TextLength = 255;
    // SetControlTextF cuts its text to this many characters.
    static constexpr int FormattedTextLength = 256;
    static constexpr int SmallIconSize = 16;
    static constexpr int LargeIconSize = 32;

    YGuiDialogBase() = default;
    ~YGuiDialogBase() override;

    // Every message of a subclassed control comes here first. An override that consumes the
    // message sets *handled non-zero and returns the control's answer; otherwise the control's own
    // procedure answers.
    virtual LRESULT HandleControlMessage(int controlId, int* handled, HWND control, UINT message, WPARAM wParam, LPARAM lParam);

    HWND GetControl(int id) const;
    int GetControlId(HWND control) const;
    void SetMessageResult(LONG_PTR result);

    void SubclassControl(int id);
    void UnsubclassControl(int id);

    // One tooltip window over the listed controls; false when it cannot be created. The texts are
    // asked for when needed: pass TTN_NEEDTEXT requests on to GetToolTipText with the same table.
    bool CreateToolTips(const ToolTipEntry* table);
    void GetToolTipText(NMTTDISPINFOA* request, const ToolTipEntry* table) const;

    // The menu bar of the dialog window, by command id.
    UINT GetMenuItemState(UINT id) const;
    void SetMenuItemState(UINT id, UINT state);
    void WriteMenuItem(UINT id, MENUITEMINFOA* item);
    void ReadMenuItem(UINT id, MENUITEMINFOA* item) const;
    void CheckMenuRadio(UINT firstId, UINT lastId, UINT checkedId);

    // Pages in a tab control of this dialog; the dialog owns them. Pass every WM_NOTIFY on to
    // HandleTabNotify and answer TCN_SELCHANGING with `stop`.
    void AddPage(YGuiPropertyPage* page);
    void CreatePageTabs(int tabId);
    bool HandleTabNotify(int tabId, int notifyingId, const NMHDR* header, bool& stop);

    // Buttons, check boxes and radio groups. The icons of SetButtonIcon, SetButtonIconLarge and
    // SetStaticIcon are the dialog's: each replaces, and destroys, the one it set there before.
    bool IsChecked(int id) const;
    void SetCheck(int id, bool checked);
    void Click(int id);
    void SetButtonIcon(int id, int iconId);
    void SetButtonIcons(const IconEntry* table);
    void SetButtonIconLarge(int id, int iconId);
    void SetButtonIconsLarge(const IconEntry* table);
    // A value that no row has unchecks the whole group; GetRadioGroup gives -1 when none is checked.
    void SetRadioGroup(const RadioEntry* group, int value);
    int GetRadioGroup(const RadioEntry* group) const;
    // True for a click (notification 0) on one of the group's buttons.
    bool IsRadioGroupCommand(const RadioEntry* group, WPARAM wParam) const;

    // Texts and numbers of statics and edit fields. A number is read whole: leading blanks and a
    // sign are accepted, anything after the digits is not, and an empty field reads as 0. A text
    // that is no number, or a number the type cannot hold, gives false and 0.
    void SetControlInt(int id, int value);
    void SetControlReal(int id, double value);
    void SetControlText(int id, const YString& text);
    bool GetControlInt(int id, int& value) const;
    bool GetControlReal(int id, double& value) const;
    bool GetControlText(int id, YString& text) const;
    // The most characters the user can type into an edit field.
    void LimitControlText(int id, int characters);
    void SetStaticIcon(int id, int iconId);
    // Draws the icon once in the middle of the control; it is not drawn again on repaints.
    void DrawControlIcon(int id, int iconId);

    // Field validation: the fields of a dialog are checked in sequence with one failure flag, false
    // at the start, so that only the first bad field is reported (message box, then its focus).
    // A valid number within min..max (inclusive) is written to `value`; otherwise `value` stays.
    // The range message is the string-table entry `rangeMessageId` formatted with min and max.
    void ValidateInt(bool& failed, int id, int& value, int min, int max, unsigned rangeMessageId);
    void ValidateReal(bool& failed, int id, double& value, double min, double max, unsigned rangeMessageId);
    // Shows `message` when `failed` is set and then focuses the control (none for the id -1).
    void ReportValidation(bool failed, int id, const YString& message);

    // Combo boxes.
    void AddComboString(int id, const YString& text);
    void AddComboStringId(int id, unsigned textId);
    void AddComboStringIds(int id, const int* textIds);
    void InsertComboStringId(int id, int index, unsigned textId);
    // False, with `text` empty, for an empty item or one that does not exist.
    bool GetComboText(int id, int index, YString& text) const;
    bool GetComboSelText(int id, YString& text) const;
    void SetComboSel(int id, int index);
    int GetComboSel(int id) const;
    void DeleteComboItem(int id, int index);
    void ClearCombo(int id);
    void SetComboData(int id, int index, LPARAM data);
    LRESULT GetComboData(int id, int index) const;

    // List boxes.
    void AddListString(int id, const YString& text);
    void AddListStringIds(int id, const int* textIds);
    void AddListStrings(int id, const char* const* texts);
    void InsertListString(int id, int index, const YString& text);
    void DeleteListItem(int id, int index);
    void ClearList(int id);
    // An empty item or one that does not exist leaves `text` as it was.
    void GetListText(int id, int index, YString& text) const;
    void SetListSel(int id, int index);
    int GetListSel(int id) const;
    void SetListData(int id, int index, LPARAM data);
    LRESULT GetListData(int id, int index) const;
    int GetListCount(int id) const;
    // The height of every item of a list with items of one fixed height, in pixels.
    void SetListItemHeight(int id, int height);
    void RedrawListItem(int id, int index);
    // The visible item under `point` (list client coordinates); -1 when there is none.
    int ListItemFromPoint(int id, POINT point) const;
    void DisableRedraw(int id);
    void EnableRedraw(int id);

    // List views.
    bool InsertListViewColumn(int id, int index, LVCOLUMNA* column);
    bool InsertListViewItem(int id, LVITEMA* item);
    bool SetListViewItem(int id, LVITEMA* item);
    bool GetListViewItem(int id, LVITEMA* item) const;
    bool DeleteListViewItem(int id, int index);
    bool DeleteAllListViewItems(int id);
    int GetListViewCount(int id) const;
    // The first selected item, -1 when none; SetListViewSel leaves exactly `index` selected.
    int GetListViewSel(int id) const;
    void SetListViewSel(int id, int index);

    // Any control; the id lists end with -1.
    void ShowControl(int id, bool show);
    void ShowControls(const int* ids, bool show);
    void EnableControl(int id, bool enable);
    void EnableControls(const int* ids, bool enable);
    void FocusControl(int id);
    void RedrawControl(int id, bool erase = false);

    // Up-down controls work on the number in their buddy field. InitUpDowns gives every up-down of
    // the dialog the range 1..10, so that its up arrow counts up; the handlers take the UDN_DELTAPOS
    // notification, move the buddy's number one step and write it back only within min..max. A
    // buddy text that is no number gives an error beep.
    void InitUpDowns();
    void HandleUpDownInt(const NMUPDOWN* notification, int min, int max, int step);
    void HandleUpDownReal(const NMUPDOWN* notification, double min, double max, double step);

    // Sliders; a vertical slider reads and writes upside down, so that its top end is its maximum.
    void SetSliderRange(int id, int min, int max);
    int GetSliderPos(int id) const;
    void SetSliderPos(int id, int value);
    void SetSliderTicFreq(int id, int frequency);
    // How far a click beside the thumb moves it.
    void SetSliderPageSize(int id, int size);

    void SetProgressRange(int id, int min, int max);
    void SetProgressPos(int id, int position);

    // Scroll-bar controls, by id or by window. A page of 0 leaves the bar's page as it is.
    void SetScrollBarRange(int id, int min, int max, int page);
    void SetScrollBarRange(HWND bar, int min, int max, int page);
    int GetScrollBarPos(int id) const;
    int GetScrollBarPos(HWND bar) const;
    void SetScrollBarPos(int id, int position);
    void SetScrollBarPos(HWND bar, int position);
    // Moves the bar as the scroll request in the low word of `wParam` asks.
    void HandleScrollBar(HWND bar, WPARAM wParam);

protected:
    // The controls that are or were subclassed, for derived classes that need to look.
    const YDynArray<SubclassEntry>& SubclassTable() const { return subclasses; }

private:
    friend LRESULT CALLBACK ControlSubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // The subclass-table index of `control`, -1 when it has none.
    int FindSubclassEntry(HWND control);
    // Loads an icon and shows it in control `id` with `message` (BM_SETIMAGE or STM_SETICON); the
    // icon that the dialog had loaded for that control before is destroyed. An image that the
    // dialog did not load (a template's icon, one set by someone else) is left alone.
    void ShowLoadedIcon(int id, int iconId, int size, UINT message);
    // The controlIcons index of control `id`, a new entry without an icon when it has none.
    int ControlIconIndex(int id);
    void ShowPage(HWND tab, int tabId, int index);

    // The field validators and up-down handlers, for int and double.
    template <class Number>
    void Validate(bool& failed, int id, Number& value, Number min, Number max, unsigned rangeMessageId, int notANumberText);
    template <class Number>
    void StepUpDown(const NMUPDOWN* notification, Number min, Number max, Number step);

    static HICON LoadIconSized(int iconId, int size);
    // A window's text as a whole number; false, with 0, when it is none (see GetControlInt).
    static bool ReadNumber(HWND window, int& value);
    static bool ReadNumber(HWND window, double& value);
    // "%d" and "%g".
    static void WriteNumber(HWND window, int value);
    static void WriteNumber(HWND window, double value);

    YGuiPageList pages;
    YArray<PageWindowEntry> pageWindows;
    int currentPage = 0;
    YDynArray<SubclassEntry> subclasses;
    int lastHit = -1;
    YDynArray<ControlIconEntry> controlIcons;
};

// The window procedure of subclassed controls: hands each message to the dialog's
// HandleControlMessage and, unless that consumed it, to the control's own procedure.
LRESULT CALLBACK ControlSubclassProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// Sets the text of control `id` of `dialog`, or the dialog's title for the id 0, from a printf
// format; the text is cut to YGuiDialogBase::FormattedTextLength characters.
void SetControlTextF(YGuiDialogBase* dialog, int id, const char* format, ...) YLIB_PRINTF(3, 4);
