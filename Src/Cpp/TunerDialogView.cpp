// What the main window shows of the tuner state: the tuning display, the level meters and the
// detail texts, each redrawn only when its value changed.
#include <algorithm>

#include "LevelMeters.hpp"
#include "Notes.hpp"
#include "TunerDialog.hpp"
#include "TunerState.hpp"
#include "TuningDisplay.hpp"
#include "resource.h"

namespace {

SIZE ClientSize(HWND control) {
    RECT client;
    GetClientRect(control, &client);
    return SIZE{client.right, client.bottom};
}

}  // namespace

void TunerDialog::RenderDisplay(YGuiDrawing& target, bool forced) {
    SIZE size = ClientSize(GetControl(IDC_DISPLAY));
    if (forced) {
        target.Reset();
        TuningDisplay::RenderStaticLayer(target, size.cx, size.cy);
        drawnSource = inputSource;
    } else {
        TuningDisplay::RenderFrame(target, displayBackground, size.cx, size.cy);
    }
}

void TunerDialog::UpdateView(bool forced) {
    YGuiDrawing meter;
    int input = std::min(inputLevel, LevelMeters::InputFullScale);
    if (forced || input != drawnInputLevel) {
        HWND control = GetControl(IDC_INPUT_METER);
        SIZE size = ClientSize(control);
        LevelMeters::RenderInput(meter, size.cx, size.cy, input);
        meter.PlayToWindow(control);
        drawnInputLevel = input;
    }
    int signal = std::min(signalLevel, LevelMeters::SignalFullScale);
    if (forced || signal != drawnSignalLevel) {
        HWND control = GetControl(IDC_SIGNAL_METER);
        SIZE size = ClientSize(control);
        meter.Reset();
        LevelMeters::RenderSignal(meter, size.cx, size.cy, signal, noiseThreshold * 50);
        meter.PlayToWindow(control);
        drawnSignalLevel = signal;
    }
    if (cpuLoad != drawnCpuLoad) {
        SetControlTextF(this, IDC_CPU_LOAD, "%d", cpuLoad);
        drawnCpuLoad = cpuLoad;
    }
    // A new source shows its icon in the static layer.
    if (inputSource != drawnSource) RenderDisplay(displayBackground, true);

    if (measuredFrequency == drawnFrequency && !forced) return;
    SetControlTextF(this, IDC_MEASURED_FREQUENCY, "%8.2f", measuredFrequency);
    SetControlTextF(this, IDC_DIFFERENCE, "%6.0f", semitoneDifference * 100.0);
    SetControlTextF(this, IDC_HARMONIC, "%1d", harmonicNumber);
    YString note;
    NoteName(noteIndex, note, NOTE_NAME + NOTE_OCTAVE);
    SetControlText(IDC_TARGET_NOTE, note);
    SetControlTextF(this, IDC_REQUIRED_FREQUENCY, "%8.2f", NoteFrequency(noteIndex, rootFrequency));

    YGuiDrawing frame;
    RenderDisplay(frame, false);
    frame.PlayToWindow(GetControl(IDC_DISPLAY));
    drawnFrequency = measuredFrequency;
}
