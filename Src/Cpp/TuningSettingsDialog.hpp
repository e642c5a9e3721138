#pragma once

#include <windows.h>

#include <commctrl.h>

#include "TuningRecord.hpp"
#include "YDynArray.hpp"
#include "YGuiDialog.hpp"

class TunerAnalyzer;

// Setup > Tuning: the stored tunings with a mark before the current one, the six notes of the
// selected tuning on sliders, and the pitch of A4 (438 to 445 Hz). The user creates and deletes
// tunings, moves the notes and marks another tuning current with a double click. The edits stay in
// the dialog until OK writes them all into the settings and reloads the current tuning into
// `analyzer`; Cancel and the close box store nothing.
//
// Records are never taken out of `records` while the dialog lives, so a list item's data, the
// index of its record, stays valid; deleting marks the record removed. List positions and record
// indices differ as soon as one record is removed: every operation converts through the item data.
class TuningSettingsDialog : public YGuiDialog {
public:
    explicit TuningSettingsDialog(TunerAnalyzer& analyzer);
    ~TuningSettingsDialog() override;

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The records not removed.
    int LiveRecordCount() const;
    // The first record not removed whose name equals `name` without regard to letter case; -1
    // when there is none.
    int FindLiveRecord(const YString& name) const;

private:
    void Initialize();
    void ReadRecords();
    void Command(int id, int notification);
    void SelectionChanged();
    void MarkCurrent();
    void SliderMoved(HWND slider);
    void StepRoot(int delta);
    void CreateTuning();
    void DeleteTuning();
    void StoreAndClose();
    void DrawItem(const DRAWITEMSTRUCT& item);

    // Appends a list item for record `record`; its position.
    int AddListItem(int record);
    // The record of the list item at `position`.
    int RecordAt(int position) const;
    void UpdateSliders();
    void UpdateOkButton();
    void RedrawList();

    TunerAnalyzer& analyzer;
    int rootValue = 0;
    YDynArray<TuningRecord> records;
    int selectedRecord = -1;  // shown on the sliders
    int currentRecord = -1;   // becomes the current tuning on OK
    HIMAGELIST indicatorImages = nullptr;
};
