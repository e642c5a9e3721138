#pragma once

#include "YGuiDialog.hpp"

class TunerAnalyzer;
class TunerMixer;

// "Audio Source Settings": the wave-input device, the mixer input that feeds it, the recording
// level and the noise threshold. A new device takes effect and is stored at once: capture moves to
// it and its mixer is opened; Cancel goes back to the device in use when the dialog opened, and
// that device, chosen again or on Cancel, gets its calibration back. Choosing the device in use
// again opens it again when capture has stopped. Source, level and threshold are stored and
// applied on OK only, the source only when the user chose one.
// RunModal gives 1 for OK and for the close box, 0 for Cancel.
class AudioSourceDialog : public YGuiDialog {
public:
    AudioSourceDialog(TunerAnalyzer& analyzer, TunerMixer& mixer);

    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Initialize();
    // Moves capture to `device`; when it does not open, back to the device in use, with the
    // error box.
    void ChangeDevice(int device);
    // Makes `device` the one in use and stores it with its calibration.
    void StoreDevice(int device);
    void Confirm();
    void Cancel();
    // Enables the inputs the mixer has and shows inputSource; falls back to the mixer's default
    // when the mixer lacks it.
    void UpdateSourceControls();
    // Shows the mixer's own volume of the chosen input; disabled for the mixer's default.
    void UpdateLevelSlider();

    TunerAnalyzer& analyzer;
    TunerMixer& mixer;
    // The user clicked one of the source buttons.
    bool sourceChosen = false;
    // The device in use when the dialog opened, whether it captured, and its calibration.
    int openingDevice = 0;
    bool openingCaptured = false;
    double openingCalibration = 1.0;
};
