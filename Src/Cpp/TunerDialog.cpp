// The main window's messages, commands, modes and string buttons. The view (display, meters and
// texts) is in TunerDialogView.cpp.
#include "TunerDialog.hpp"

#include <algorithm>

#include "AudioSourceDialog.hpp"
#include "AboutDialog.hpp"
#include "CalibrationWizard.hpp"
#include "CaptureClock.hpp"
#include "Notes.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerMain.hpp"
#include "TunerSettings.hpp"
#include "TunerState.hpp"
#include "TuningSettingsDialog.hpp"
#include "YSystemException.hpp"
#include "resource.h"

namespace {

// The string buttons in string order, from the lowest (sixth) string, which is the leftmost.
const int StringButtons[] = {IDC_STRING_0, IDC_STRING_1, IDC_STRING_2, IDC_STRING_3, IDC_STRING_4, IDC_STRING_5, -1};
const int ChromaticControls[] = {IDC_OCTAVE_UP, IDC_OCTAVE_DOWN, IDC_NOTE_LABEL, IDC_SEMITONE_STEP, -1};

constexpr int LowestNote = TunerAnalysis::LowestNote;
constexpr int HighestNote = TunerAnalysis::HighestNote;
constexpr int Octave = 12;

// The string button colours: brushes face and text; pens highlight, dark shadow, shadow, text, face.
enum ButtonBrush { ButtonFaceBrush, ButtonTextBrush };
const int ButtonBrushes[] = {
    YGuiDrawing::ColorSystem, COLOR_BTNFACE, 0,  //
    YGuiDrawing::ColorSystem, COLOR_BTNTEXT, 0,  //
    -1,                       -1,            -1,
};
enum ButtonPen { HighlightPen, DarkShadowPen, ShadowPen, TextPen, FacePen };
const int ButtonPens[] = {
    PS_SOLID, 0, YGuiDrawing::ColorSystem, COLOR_BTNHIGHLIGHT, 0,  //
    PS_SOLID, 0, YGuiDrawing::ColorSystem, COLOR_3DDKSHADOW,   0,  //
    PS_SOLID, 0, YGuiDrawing::ColorSystem, COLOR_BTNSHADOW,    0,  //
    PS_SOLID, 0, YGuiDrawing::ColorSystem, COLOR_BTNTEXT,      0,  //
    PS_SOLID, 0, YGuiDrawing::ColorSystem, COLOR_BTNFACE,      0,  //
    -1,       -1, -1,                      -1,                 -1,
};

}  // namespace

TunerDialog::TunerDialog(TunerAnalyzer& analyzer, TunerMixer& mixer) : analyzer(analyzer), mixer(mixer) {
    SetTemplate(IDD_TUNER);
    analysisTarget = GetHandle();
    analysisBusy = false;
}

INT_PTR TunerDialog::HandleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: Initialize(); break;
    case WM_COMMAND:
        // An owner-drawn button reports a quick second click as a double click: for a string
        // button that is a click like any other (the second one goes back to automatic).
        if (HIWORD(wParam) == 0 || (HIWORD(wParam) == BN_DOUBLECLICKED && StringOfButton(LOWORD(wParam)) >= 0))
            Command(LOWORD(wParam));
        break;
    case WM_NOTIFY: {
        auto* notification = reinterpret_cast<const NMUPDOWN*>(lParam);
        if (notification->hdr.idFrom == IDC_SEMITONE_STEP && notification->hdr.code == static_cast<UINT>(UDN_DELTAPOS)) {
            // The up-down keeps its default range, in which the up arrow reports -1.
            SetAutoNote(false);
            noteIndex = std::clamp(noteIndex - notification->iDelta, LowestNote, HighestNote);
            RefreshNoteLabel();
        }
        break;
    }
    case WM_DRAWITEM: DrawStringButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); break;
    case WM_PAINT: {
        // The dialog's background is erased first: erased later, it would cover the display and
        // the meters, which are drawn straight onto their controls.
        PAINTSTRUCT paint;
        BeginPaint(GetHandle(), &paint);
        EndPaint(GetHandle(), &paint);
        UpdateView(true);
        break;
    }
    case WM_CLOSE: EndOk(); break;
    // Windows may end the process as soon as this returns, without the program's own end.
    case WM_ENDSESSION:
        if (wParam) {
            EndRun(analyzer, mixer);
            EndOk();
        }
        break;
    case WM_DESTROY: analysisTarget = nullptr; break;
    case WM_USER:
        if (wParam == TunerAnalyzer::ResultReady) HandleAnalysisResult();
        if (wParam == TunerAnalyzer::TuningLoaded) RefreshStringLabels();
        break;
    }
    // The dialog's own processing always runs too: painting, keyboard navigation, focus.
    return 0;
}

void TunerDialog::Initialize() {
    GetWindowRect(GetHandle(), &fullWindowRect);
    ShowDetails(false);
    analysisTarget = GetHandle();
    SetIcon(IDI_TUNER);
    ShowAnalysisOptions();
    ApplyMode();
    RefreshStringLabels();
}

void TunerDialog::HandleAnalysisResult() {
    analysisBusy = true;
    // A failure to draw (the system short of GDI objects) is reported here, while the window still
    // counts as busy, so that no result piles another report on top; the flag must fall whatever
    // happened, or no result would be announced again.
    try {
        analyzer.MatchNote();
        if (tunerMode == TunerModeChromatic && noteIndex != drawnNote) RefreshNoteLabel();
        UpdateView(false);
    } catch (const YSystemException& e) {
        e.Report();
    }
    analysisBusy = false;
}

void TunerDialog::Command(int id) {
    switch (id) {
    case IDM_EXIT: EndOk(); break;
    case IDM_AUDIO_SOURCE: {
        AudioSourceDialog dialog(analyzer, mixer);
        dialog.RunModal();
        break;
    }
    case IDM_GUITAR_TUNING:
        tunerMode = TunerModeGuitar;
        ApplyMode();
        RefreshStringLabels();
        break;
    case IDM_CHROMATIC_TUNING:
        tunerMode = TunerModeChromatic;
        ApplyMode();
        noteIndex = 0;
        RefreshNoteLabel();
        RefreshStringLabels();
        break;
    case IDM_CALIBRATE: {
        CaptureClock clock(analyzer);
        CalibrationWizard wizard(clock);
        wizard.Run();
        break;
    }
    case IDM_ABOUT: {
        AboutDialog about;
        about.RunModal();
        break;
    }
    case IDM_DETAILS: ShowDetails(GetMenuItemState(IDM_DETAILS) != MF_CHECKED); break;
    case IDM_PRECISE_PITCH: TogglePrecisePitch(); break;
    case IDM_FAST_UPDATES: ToggleFastUpdates(); break;
    case IDM_AUTO_NOTE: SetAutoNote(!autoNote); break;
    case IDM_TUNING: {
        TuningSettingsDialog tuning(analyzer);
        tuning.RunModal();
        break;
    }
    case IDC_OCTAVE_DOWN: MoveNote(-Octave); break;
    case IDC_OCTAVE_UP: MoveNote(Octave); break;
    default:
        if (StringOfButton(id) >= 0) SelectString(StringOfButton(id));
        break;
    }
}

int TunerDialog::StringOfButton(int id) {
    for (int string = 0; StringButtons[string] != -1; ++string)
        if (StringButtons[string] == id) return string;
    return -1;
}

// A whole octave or nothing: the target never leaves the piano's range. A target set by hand ends
// the automatic choice of the note.
void TunerDialog::MoveNote(int semitones) {
    SetAutoNote(false);
    int moved = noteIndex + semitones;
    if (moved < LowestNote || moved > HighestNote) return;
    noteIndex = moved;
    RefreshNoteLabel();
}

void TunerDialog::ApplyMode() {
    bool chromatic = tunerMode == TunerModeChromatic;
    ShowControls(ChromaticControls, chromatic);
    ShowControls(StringButtons, !chromatic);
    CheckMenuRadio(IDM_GUITAR_TUNING, IDM_CHROMATIC_TUNING, chromatic ? IDM_CHROMATIC_TUNING : IDM_GUITAR_TUNING);
    RenderDisplay(displayBackground, true);
    if (chromatic) {
        FocusControl(IDC_OCTAVE_DOWN);
        YString caption;
        caption.LoadResource(IDS_APP_TITLE);
        SetWindowTextA(GetHandle(), caption.CStr());
    } else {
        FocusControl(IDC_STRING_0);
    }
}

void TunerDialog::RefreshStringLabels() {
    YString label;
    for (int string = 0; StringButtons[string] != -1; ++string) {
        NoteName(analyzer.TuningOffsets()[string], label, NOTE_NAME);
        SetControlText(StringButtons[string], label);
    }
    YString tuning;
    theSettings.GetValue(SectionTuning, KeyCurrentTuning, tuning);
    YString caption;
    caption.LoadResource(IDS_APP_TITLE);
    if (tunerMode == TunerModeGuitar) {
        caption += " - ";
        caption += tuning;
    }
    SetWindowTextA(GetHandle(), caption.CStr());
}

void TunerDialog::RefreshNoteLabel() {
    YString name;
    NoteName(noteIndex, name, NOTE_NAME + NOTE_OCTAVE);
    SetControlText(IDC_NOTE_LABEL, name);
    drawnNote = noteIndex;
}

// A click picks a string by hand; a second click on the picked string goes back to automatic.
void TunerDialog::SelectString(int string) {
    if (autoString) {
        autoString = false;
        selectedString = string;
    } else if (selectedString != string) {
        InvalidateRect(GetControl(StringButtons[selectedString]), nullptr, FALSE);
        selectedString = string;
    } else {
        autoString = true;
    }
    InvalidateRect(GetControl(StringButtons[string]), nullptr, FALSE);
    RedrawWindow(GetHandle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TunerDialog::SetAutoNote(bool on) {
    if (autoNote == on) return;
    autoNote = on;
    theSettings.WriteInt(SectionAnalysis, KeyAutoNote, autoNote);
    ShowAnalysisOptions();
}

void TunerDialog::TogglePrecisePitch() {
    precisePitch = !precisePitch;
    theSettings.WriteInt(SectionAnalysis, KeyPrecisePitch, precisePitch);
    ShowAnalysisOptions();
}

// Capture starts again with buffers of the new length; when the device refuses (another program
// took it meanwhile), the tuner goes back to the length it had. When the device refuses that too,
// capture is off: the user gets the Audio Source Settings dialog, as at start-up, to open the
// device again or choose another.
void TunerDialog::ToggleFastUpdates() {
    bool fast = !fastUpdates;
    analyzer.SetHop(fast ? TunerAnalyzer::FastHop : TunerAnalysis::BlockLength);
    if (!analyzer.Restart(waveInDevice)) {
        ReportDeviceError(analyzer);
        analyzer.SetHop(fastUpdates ? TunerAnalyzer::FastHop : TunerAnalysis::BlockLength);
        if (analyzer.Restart(waveInDevice)) return;
        AudioSourceDialog dialog(analyzer, mixer);
        dialog.RunModal();
        return;
    }
    fastUpdates = fast;
    theSettings.WriteInt(SectionAnalysis, KeyFastUpdates, fastUpdates);
    ShowAnalysisOptions();
}

void TunerDialog::ShowAnalysisOptions() {
    SetMenuItemState(IDM_PRECISE_PITCH, precisePitch ? MFS_CHECKED : MFS_UNCHECKED);
    SetMenuItemState(IDM_FAST_UPDATES, fastUpdates ? MFS_CHECKED : MFS_UNCHECKED);
    SetMenuItemState(IDM_AUTO_NOTE, autoNote ? MFS_CHECKED : MFS_UNCHECKED);
}

void TunerDialog::ShowDetails(bool show) {
    RECT current;
    GetWindowRect(GetHandle(), &current);
    int width = fullWindowRect.right - fullWindowRect.left;
    int height = fullWindowRect.bottom - fullWindowRect.top;
    HWND end = GetDlgItem(GetHandle(), IDC_COLLAPSED_END);
    if (!show && end) {
        // The client area ends where the marker control begins.
        RECT client, marker;
        GetClientRect(GetHandle(), &client);
        GetWindowRect(end, &marker);
        MapWindowPoints(nullptr, GetHandle(), reinterpret_cast<POINT*>(&marker), 2);
        height -= client.bottom - marker.top;
    }
    MoveWindow(GetHandle(), current.left, current.top, width, height, TRUE);
    SetMenuItemState(IDM_DETAILS, show ? MFS_CHECKED : MFS_UNCHECKED);
}

void TunerDialog::DrawStringButton(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_BUTTON) return;
    int id = static_cast<int>(item.CtlID);
    bool pressed = !autoString && selectedString >= 0 && StringButtons[selectedString] == id;
    int l = item.rcItem.left, t = item.rcItem.top, r = item.rcItem.right, b = item.rcItem.bottom;

    YGuiDrawing button;
    button.Attach(item.hDC);
    button.SetBrushes(ButtonBrushes);
    button.SetPens(ButtonPens);
    button.SelectPen(pressed ? DarkShadowPen : HighlightPen);
    button.Line(l, t, l, b);
    button.Line(l, t, r, t);
    if (!pressed) {
        button.SelectPen(ShadowPen);
        button.Line(r - 2, t + 1, r - 2, b - 2);
        button.Line(r, b - 2, l, b - 2);
    }
    button.SelectPen(pressed ? HighlightPen : DarkShadowPen);
    button.Line(r - 1, t, r - 1, b);
    button.Line(l, b - 1, r, b - 1);

    button.SelectBrush(pressed ? ButtonTextBrush : ButtonFaceBrush);
    button.FillRect(l + 1, t + 1, r - 3, b - 3);
    if (auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0))) button.SelectObject(font);

    YString caption;
    GetControlText(id, caption);
    SIZE extent;
    button.TextExtent(caption, extent);
    button.SelectPen(pressed ? FacePen : TextPen);
    button.SetTextAlign(TA_CENTER | TA_TOP);
    button.TextOut((l + r) / 2, (t + b) / 2 - extent.cy / 2, caption);
    if (item.itemState & ODS_FOCUS) {
        RECT focus{l + 3, t + 3, r - 3, b - 3};
        DrawFocusRect(item.hDC, &focus);
    }
    button.End();
}
