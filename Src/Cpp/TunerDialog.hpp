#pragma once

#include "YGuiDialog.hpp"
#include "YGuiDrawing.hpp"

class TunerAnalyzer;
class TunerMixer;

// The tuner's main window: the tuning display, the string buttons (guitar tuning) or the octave
// and semitone controls (chromatic tuning), and a detail panel with the level meters and the
// measured values that View > Details shows. It receives every analysis result from `analyzer`,
// matches it to the target note and redraws what changed. The mode, the target and the panel's
// visibility are not stored: every run starts in guitar tuning with automatic string choice.
class TunerDialog : public YGuiDialog {
public:
    TunerDialog(TunerAnalyzer& analyzer, TunerMixer& mixer);

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Renders the display at the canvas's size into `target`: the static layer when `forced`
    // (into the window's own background layer), otherwise a frame over that layer.
    void RenderDisplay(YGuiDrawing& target, bool forced);
    // Brings meters, texts and display up to date with the tuner state; only what changed since
    // it was last drawn, unless `forced`.
    void UpdateView(bool forced);

private:
    void Initialize();
    void Command(int id);
    void HandleAnalysisResult();
    void ApplyMode();
    void RefreshStringLabels();
    void RefreshNoteLabel();
    void MoveNote(int semitones);
    void SetAutoNote(bool on);
    // The string of a string button's id; -1 for any other id.
    static int StringOfButton(int id);
    void SelectString(int string);
    void TogglePrecisePitch();
    void ToggleFastUpdates();
    void ShowAnalysisOptions();
    void ShowDetails(bool show);
    void DrawStringButton(const DRAWITEMSTRUCT& item);

    TunerAnalyzer& analyzer;
    TunerMixer& mixer;

    // What the view shows now; the start values match no real value, so the first update draws
    // everything.
    int drawnSource = -1;
    int drawnInputLevel = -1;
    int drawnSignalLevel = -1;
    double drawnFrequency = -1.0;
    int drawnCpuLoad = -1;
    int drawnNote = 0;  // the chromatic target the note label shows

    YGuiDrawing displayBackground;
    RECT fullWindowRect = {};
};
