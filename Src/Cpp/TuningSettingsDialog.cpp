#include "TuningSettingsDialog.hpp"

#include <algorithm>
#include <iterator>

#include "CreateTuningDialog.hpp"
#include "Notes.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerSettings.hpp"
#include "TunerState.hpp"
#include "TuningModel.hpp"
#include "YGuiDrawing.hpp"
#include "YModule.hpp"
#include "resource.h"

namespace {

// Slider k and label k belong to string k of a tuning.
const int StringSliders[] = {IDC_STRING_SLIDER_0, IDC_STRING_SLIDER_1, IDC_STRING_SLIDER_2, IDC_STRING_SLIDER_3,
                             IDC_STRING_SLIDER_4, IDC_STRING_SLIDER_5, -1};
const int StringNotes[] = {IDC_STRING_NOTE_0, IDC_STRING_NOTE_1, IDC_STRING_NOTE_2, IDC_STRING_NOTE_3,
                           IDC_STRING_NOTE_4, IDC_STRING_NOTE_5, -1};

// The sliders offer the keys of a piano and move an octave when clicked beside the thumb.
constexpr int LowestNote = -48;  // A0
constexpr int HighestNote = 39;  // C8
constexpr int Octave = 12;
constexpr unsigned NoteWithOctave = NOTE_NAME | NOTE_OCTAVE;

// The marks of bitmap IDB_TUNING_MARKS: square images side by side, white where the list shows
// through.
constexpr int MarkSize = 16;
constexpr int MarkGrowth = 2;
constexpr COLORREF MarkBackground = RGB(255, 255, 255);
enum Mark { OtherMark = 0, CurrentMark = 1 };

// A list item: its mark, then its name a little to the right of it.
constexpr int ItemHeight = MarkSize + 2;
constexpr int TextIndent = MarkSize + 6;

// The item colours: window or highlight behind the name, window text or highlight text for it.
enum ItemBrush { WindowBrush, HighlightBrush };
const int ItemBrushes[] = {
    YGuiDrawing::ColorSystem, COLOR_WINDOW,    0,  //
    YGuiDrawing::ColorSystem, COLOR_HIGHLIGHT, 0,  //
    -1,                       -1,              -1,
};
enum ItemPen { WindowTextPen, HighlightTextPen };
const int ItemPens[] = {
    PS_SOLID, 0,  YGuiDrawing::ColorSystem, COLOR_WINDOWTEXT,    0,  //
    PS_SOLID, 0,  YGuiDrawing::ColorSystem, COLOR_HIGHLIGHTTEXT, 0,  //
    -1,       -1, -1,                       -1,                  -1,
};

}  // namespace

TuningSettingsDialog::TuningSettingsDialog(TunerAnalyzer& analyzer) : analyzer(analyzer) {
    SetTemplate(IDD_TUNING_SETTINGS);
    SetParentHandle(GetActiveWindow());
    indicatorImages = ImageList_LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(IDB_TUNING_MARKS), MarkSize, MarkGrowth,
                                           MarkBackground, IMAGE_BITMAP, 0);
}

TuningSettingsDialog::~TuningSettingsDialog() {
    if (indicatorImages) ImageList_Destroy(indicatorImages);
}

INT_PTR TuningSettingsDialog::HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: Initialize(); break;
    case WM_COMMAND: Command(LOWORD(wParam), HIWORD(wParam)); break;
    case WM_HSCROLL: SliderMoved(reinterpret_cast<HWND>(lParam)); break;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_ROOT_STEP && header->code == static_cast<UINT>(UDN_DELTAPOS))
            StepRoot(reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta);
        break;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        // An empty list asks for its focus rectangle with the item -1: left to the system.
        if (item->CtlID != IDC_TUNING_LIST || item->itemID == static_cast<UINT>(-1)) return FALSE;
        DrawItem(*item);
        return TRUE;
    }
    case WM_CLOSE: EndCancel(); break;
    }
    // Also for WM_INITDIALOG: the focus is set already.
    return FALSE;
}

int TuningSettingsDialog::LiveRecordCount() const {
    int live = 0;
    for (int record = 0; record < records.Count(); ++record) live += !records[record].removed;
    return live;
}

int TuningSettingsDialog::FindLiveRecord(const YString& name) const {
    for (int record = 0; record < records.Count(); ++record)
        if (!records[record].removed && records[record].name.CompareNoCase(name) == 0) return record;
    return -1;
}

void TuningSettingsDialog::Initialize() {
    CenterWindow(GetHandle());
    YString note;
    NoteName(LowestNote, note, NoteWithOctave);
    SetControlText(IDC_LOWEST_NOTE, note);
    NoteName(HighestNote, note, NoteWithOctave);
    SetControlText(IDC_HIGHEST_NOTE, note);
    for (int string = 0; StringSliders[string] != -1; ++string) {
        SetSliderRange(StringSliders[string], LowestNote, HighestNote);
        SetSliderPageSize(StringSliders[string], Octave);
    }
    rootValue = static_cast<int>(rootFrequency);
    SetControlInt(IDC_ROOT_FREQUENCY, rootValue);

    // Tall enough for the marks, which the list's font alone would cut.
    SetListItemHeight(IDC_TUNING_LIST, ItemHeight);
    ReadRecords();
    UpdateSliders();
    for (int position = 0; position < GetListCount(IDC_TUNING_LIST); ++position)
        if (RecordAt(position) == currentRecord) SetListSel(IDC_TUNING_LIST, position);
    FocusControl(IDC_TUNING_LIST);
}

// One record per stored tuning, in the order of the settings; only the readable ones are listed.
void TuningSettingsDialog::ReadRecords() {
    YString currentName;
    theSettings.GetValue(SectionTuning, KeyCurrentTuning, currentName);
    currentName.Trim();
    int count = theSettings.KeyCount(SectionTunings);
    for (int index = 0; index < count; ++index) {
        int record = records.Add();
        TuningRecord& tuning = records[record];
        theSettings.KeyAt(SectionTunings, index, tuning.name);
        tuning.name.Trim();
        tuning.removed = !ReadTuning(tuning.name, tuning.offsets);
        if (tuning.removed) continue;
        // The tuner reads the first tuning of that name; so does the dialog.
        if (currentRecord == -1 && tuning.name.CompareNoCase(currentName) == 0) currentRecord = record;
        AddListItem(record);
    }
    // A hand-edited file may name no listed tuning as the current one: then the first listed is.
    if (currentRecord == -1 && GetListCount(IDC_TUNING_LIST) > 0) currentRecord = RecordAt(0);
    selectedRecord = currentRecord;
}

void TuningSettingsDialog::Command(int id, int notification) {
    if (id == IDC_TUNING_LIST) {
        if (notification == LBN_SELCHANGE) SelectionChanged();
        if (notification == LBN_DBLCLK) MarkCurrent();
        return;
    }
    if (notification != BN_CLICKED) return;
    switch (id) {
    case IDC_CREATE_TUNING: CreateTuning(); break;
    case IDC_DELETE_TUNING: DeleteTuning(); break;
    case IDOK: StoreAndClose(); break;
    case IDCANCEL: EndCancel(); break;
    }
}

void TuningSettingsDialog::SelectionChanged() {
    int position = GetListSel(IDC_TUNING_LIST);
    if (position < 0) return;
    selectedRecord = RecordAt(position);
    UpdateSliders();
}

// The first click of the double click has selected the item already.
void TuningSettingsDialog::MarkCurrent() {
    int position = GetListSel(IDC_TUNING_LIST);
    if (position < 0) return;
    currentRecord = RecordAt(position);
    RedrawList();
}

// Every scroll notification, so that the label follows the thumb while it is dragged.
void TuningSettingsDialog::SliderMoved(HWND slider) {
    for (int string = 0; StringSliders[string] != -1; ++string) {
        if (GetControl(StringSliders[string]) != slider) continue;
        int note = GetSliderPos(StringSliders[string]);
        YString name;
        NoteName(note, name, NoteWithOctave);
        SetControlText(StringNotes[string], name);
        records[selectedRecord].offsets[string] = note;
    }
}

// The up-down keeps its default range, in which the up arrow reports -1.
void TuningSettingsDialog::StepRoot(int delta) {
    rootValue = std::clamp(rootValue - delta, MinRootFrequency, MaxRootFrequency);
    SetControlInt(IDC_ROOT_FREQUENCY, rootValue);
}

void TuningSettingsDialog::CreateTuning() {
    CreateTuningDialog create;
    create.SetOwnerDialog(this);
    if (create.RunModal() != CodeOk) return;
    int record = records.Add();
    TuningRecord& tuning = records[record];
    tuning.name = create.NewName();
    std::copy(std::begin(StandardTuning), std::end(StandardTuning), tuning.offsets);
    tuning.removed = false;
    // The only tuning is the current one; marked before its item is first drawn.
    if (GetListCount(IDC_TUNING_LIST) == 0) currentRecord = record;
    SetListSel(IDC_TUNING_LIST, AddListItem(record));
    selectedRecord = record;
    UpdateSliders();
    UpdateOkButton();
}

// The selection moves to the item before the deleted one (the new first one when it was first),
// and so does the mark when the deleted tuning was the current one.
void TuningSettingsDialog::DeleteTuning() {
    int position = GetListSel(IDC_TUNING_LIST);
    if (position < 0) return;
    int record = RecordAt(position);
    records[record].removed = true;
    DeleteListItem(IDC_TUNING_LIST, position);
    if (GetListCount(IDC_TUNING_LIST) > 0) {
        if (position > 0) --position;
        SetListSel(IDC_TUNING_LIST, position);
        selectedRecord = RecordAt(position);
        if (record == currentRecord) {
            currentRecord = selectedRecord;
            RedrawList();
        }
    } else {
        selectedRecord = currentRecord = -1;
    }
    UpdateSliders();
    UpdateOkButton();
}

// Removed keys go first, so that a name deleted and created again in this dialog is stored anew.
// Unchanged tunings are written too, and unreadable ones leave the settings.
void TuningSettingsDialog::StoreAndClose() {
    for (int record = 0; record < records.Count(); ++record)
        if (records[record].removed) theSettings.RemoveKey(SectionTunings, records[record].name);
    for (int record = 0; record < records.Count(); ++record)
        if (!records[record].removed) theSettings.SetValue(SectionTunings, records[record].name, FormatTuning(records[record].offsets));
    // None is current only when the dialog opened without a readable tuning: the tuner then falls
    // back on the standard tuning by itself.
    if (currentRecord != -1) theSettings.SetValue(SectionTuning, KeyCurrentTuning, records[currentRecord].name);
    rootFrequency = rootValue;
    theSettings.WriteInt(SectionTuning, KeyRootFrequency, rootValue);
    analyzer.LoadCurrentTuning();
    EndOk();
}

void TuningSettingsDialog::DrawItem(const DRAWITEMSTRUCT& item) {
    const RECT& bounds = item.rcItem;
    int middle = (bounds.top + bounds.bottom) / 2;
    ImageList_SetBkColor(indicatorImages, GetSysColor(COLOR_WINDOW));
    Mark mark = static_cast<int>(item.itemData) == currentRecord ? CurrentMark : OtherMark;
    ImageList_Draw(indicatorImages, mark, item.hDC, bounds.left, middle - MarkSize / 2, ILD_NORMAL);

    YString name;
    GetListText(IDC_TUNING_LIST, static_cast<int>(item.itemID), name);
    bool selected = (item.itemState & ODS_SELECTED) != 0;
    RECT textArea{bounds.left + MarkSize, bounds.top, bounds.right, bounds.bottom};
    YGuiDrawing surface;
    surface.Attach(item.hDC);
    surface.SetBrushes(ItemBrushes);
    surface.SetPens(ItemPens);
    surface.SelectBrush(selected ? HighlightBrush : WindowBrush);
    surface.SelectPen(selected ? HighlightTextPen : WindowTextPen);
    SIZE extent;
    surface.TextExtent(name, extent);
    surface.ExtTextOut(bounds.left + TextIndent, middle - extent.cy / 2, &textArea, name, ETO_OPAQUE | ETO_CLIPPED);
    surface.End();
    // The whole item is drawn for every action, the focus change too, so the focus rectangle
    // always matches the focus (drawing it alone would invert whatever was there).
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &textArea);
}

int TuningSettingsDialog::AddListItem(int record) {
    AddListString(IDC_TUNING_LIST, records[record].name);
    int position = GetListCount(IDC_TUNING_LIST) - 1;
    SetListData(IDC_TUNING_LIST, position, record);
    return position;
}

int TuningSettingsDialog::RecordAt(int position) const { return static_cast<int>(GetListData(IDC_TUNING_LIST, position)); }

// Without a tuning the sliders are disabled and keep showing the last notes.
void TuningSettingsDialog::UpdateSliders() {
    bool live = LiveRecordCount() > 0;
    EnableControls(StringSliders, live);
    if (!live) return;
    YString name;
    for (int string = 0; StringSliders[string] != -1; ++string) {
        int note = records[selectedRecord].offsets[string];
        SetSliderPos(StringSliders[string], note);
        NoteName(note, name, NoteWithOctave);
        SetControlText(StringNotes[string], name);
    }
}

void TuningSettingsDialog::UpdateOkButton() { EnableControl(IDOK, LiveRecordCount() >= 1); }

void TuningSettingsDialog::RedrawList() { RedrawControl(IDC_TUNING_LIST); }
