// The calibration wizard run modally and worked through its pages like a user, on a card whose
// clocks the test moves. The external source with real sound is fretlark.exe's end-to-end test.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "CalibrationRunPage.hpp"
#include "CalibrationWizard.hpp"
#include "ExpectException.hpp"
#include "FailingMemory.hpp"
#include "ImportPatch.hpp"
#include "MessageBoxWatcher.hpp"
#include "ModalDriver.hpp"
#include "TargetWindow.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerSettings.hpp"
#include "TunerState.hpp"
#include "resource.h"

namespace {

// The wizard's buttons, as the common controls number them.
constexpr int BackButton = 0x3023;
constexpr int NextButton = 0x3024;
constexpr int FinishButton = 0x3025;

// A card of `samplesPerSecond` that the test advances one second per timer tick.
class SteppedClock : public SampleClock {
public:
    unsigned samples = 0;
    unsigned milliseconds = 0;
    unsigned Samples() override { return samples; }
    unsigned Milliseconds() override { return milliseconds; }
    int NominalRate() override { return TunerAnalyzer::SampleRate; }
};

int beeps = 0;
BOOL WINAPI CountBeep(UINT) { return ++beeps; }

class CalibrationWizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        calibrationRate = 1.25;
        theSettings.WriteDouble(SectionAudioInput, KeyCalibration, calibrationRate);
        noiseThreshold = 2;
        analysisTarget = mainWindow.window;
    }

    // Runs the wizard through `steps`; false when they did not all run.
    bool Run(std::vector<ModalDriver::Step> steps) {
        CalibrationWizard wizard(clock);
        sheet = nullptr;
        steps.insert(steps.begin(), WaitFor([&] {
                         sheet = wizard.GetHandle();
                         return sheet && Page();
                     }));
        ModalDriver driver(steps);
        wizard.Run();
        return driver.Finished();
    }

    HWND Page() const { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }
    // Whether the page that shows is the one with control `id`.
    bool Showing(int id) const { return GetDlgItem(Page(), id) != nullptr; }
    ModalDriver::Step WaitForPage(int id) const {
        return WaitFor([this, id] { return Showing(id); });
    }
    std::string Text(int id) const {
        char text[256] = "";
        GetWindowTextA(GetDlgItem(Page(), id), text, sizeof text);
        return text;
    }
    bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(Page(), id)) != FALSE; }
    bool Visible(int id) const { return IsWindowVisible(GetDlgItem(Page(), id)) != FALSE; }
    // The wizard's buttons as they stand: "b" Back, "n" Next, "f" Finish for each enabled one.
    std::string Buttons() const {
        std::string enabled;
        for (auto [id, letter] : {std::pair{BackButton, 'b'}, {NextButton, 'n'}, {FinishButton, 'f'}})
            if (IsWindowEnabled(GetDlgItem(sheet, id))) enabled += letter;
        return enabled;
    }
    // A click as a user's: only on a button that is enabled.
    ModalDriver::Step Click(int id) const {
        return Do([this, id] {
            HWND button = GetDlgItem(sheet, id) ? GetDlgItem(sheet, id) : GetDlgItem(Page(), id);
            ASSERT_TRUE(IsWindowEnabled(button)) << id;
            PostMessageA(button, BM_CLICK, 0, 0);
        });
    }
    ModalDriver::Step Type(int id, const char* text) const {
        return Do([this, id, text] { SetWindowTextA(GetDlgItem(Page(), id), text); });
    }
    void Arrow(int delta) const {
        NMUPDOWN step = {};
        step.hdr.hwndFrom = GetDlgItem(Page(), IDC_EXTERNAL_STEP);
        step.hdr.idFrom = IDC_EXTERNAL_STEP;
        step.hdr.code = UDN_DELTAPOS;
        step.iDelta = delta;
        SendMessageA(Page(), WM_NOTIFY, IDC_EXTERNAL_STEP, reinterpret_cast<LPARAM>(&step));
    }
    std::string StoredRate() const {
        YString value;
        theSettings.GetValue(SectionAudioInput, KeyCalibration, value);
        return value.CStr();
    }

    SteppedClock clock;
    int results = 0;
    TargetWindow mainWindow{[this](WPARAM wParam) { results += wParam == TunerAnalyzer::ResultReady; }};
    HWND sheet = nullptr;
};

TEST_F(CalibrationWizardTest, ResetSkipsTheMeasurementAndFinishStoresOne) {
    std::string startButtons, resultButtons, status;
    EXPECT_TRUE(Run({Do([&] {
                         EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(Page(), IDC_RESET_CALIBRATION));
                         EXPECT_EQ("440", Text(IDC_EXTERNAL_FREQUENCY));
                         EXPECT_FALSE(Enabled(IDC_EXTERNAL_FREQUENCY) || Enabled(IDC_EXTERNAL_STEP));
                     }),
                     WaitFor([&] { return Buttons() == "n"; }), Click(IDC_EXTERNAL_SOURCE),
                     Do([&] { EXPECT_TRUE(Enabled(IDC_EXTERNAL_FREQUENCY) && Enabled(IDC_EXTERNAL_STEP)); }),
                     Click(IDC_RESET_CALIBRATION), Do([&] { EXPECT_FALSE(Enabled(IDC_EXTERNAL_FREQUENCY)); }), Click(NextButton),
                     WaitForPage(IDC_CALIBRATION_STATUS), WaitFor([&] { return Buttons() == "f"; }), Do([&] {
                         status = Text(IDC_CALIBRATION_STATUS);
                         EXPECT_EQ(1.25, calibrationRate) << "not before Finish";
                     }),
                     Click(FinishButton)}));
    EXPECT_EQ("No calibration.", status);
    EXPECT_EQ(1.0, calibrationRate);
    EXPECT_EQ("1.000000", StoredRate());
}

TEST_F(CalibrationWizardTest, AutomaticCountsTheCardsSamplesForTwentyNineTicks) {
    const struct {
        unsigned samplesPerSecond, start;
        const char* status;
        double rate;
    } cards[] = {
        {11025, 0, "Measured sampling rate: 11025.00\nCalibration rate: 1.00000", 1.0},
        // Both counters wrap during this measurement.
        {11100, 0xFFFFFFFFu - 150000, "Measured sampling rate: 11100.00\nCalibration rate: 1.00680", 11100.0 / 11025},
        // A card that delivers nothing gives no calibration rather than a rate of 0.
        {0, 0, "Measured sampling rate: 0.00\nCalibration rate: 1.00000", 1.0},
    };
    for (const auto& card : cards) {
        SCOPED_TRACE(card.samplesPerSecond);
        clock.samples = clock.milliseconds = card.start;
        std::vector<std::string> timeLeft;
        bool movedOnEarly = false;
        std::string status;
        auto tick = [&] {
            clock.samples += card.samplesPerSecond;
            clock.milliseconds += 1000;
            SendMessageA(Page(), WM_TIMER, CalibrationRunPage::TimerId, 0);
        };
        EXPECT_TRUE(Run({Click(IDC_AUTOMATIC), Click(NextButton), WaitForPage(IDC_CALIBRATION_PROGRESS),
                         WaitFor([&] { return Buttons().empty(); }), Do([&] {
                             EXPECT_EQ("Calibration will take 30 seconds. Please wait...", Text(IDC_CALIBRATION_WAIT));
                             EXPECT_TRUE(Visible(IDC_TIME_LEFT) && !Visible(IDC_RATE));
                             // The test's ticks take the place of the page's timer.
                             EXPECT_TRUE(KillTimer(Page(), CalibrationRunPage::TimerId));
                             timeLeft.push_back(Text(IDC_TIME_LEFT));
                             for (int second = 1; second < 29; ++second) {
                                 tick();
                                 timeLeft.push_back(Text(IDC_TIME_LEFT));
                             }
                             movedOnEarly = !Showing(IDC_TIME_LEFT);
                             tick();
                         }),
                         WaitForPage(IDC_CALIBRATION_STATUS), Do([&] { status = Text(IDC_CALIBRATION_STATUS); }), WaitFor([&] {
                             return Buttons() == "f";
                         }),
                         Click(FinishButton)}));
        EXPECT_FALSE(movedOnEarly);
        ASSERT_EQ(29u, timeLeft.size());
        EXPECT_EQ("Time left: 29 sec", timeLeft.front());
        EXPECT_EQ("Time left: 1 sec", timeLeft.back());
        EXPECT_EQ(card.status, status);
        EXPECT_DOUBLE_EQ(card.rate, calibrationRate);
    }
    EXPECT_EQ("1.000000", StoredRate());
}

TEST_F(CalibrationWizardTest, FextOutsideOneHundredToFourThousandIsRefused) {
    ImportPatch beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(CountBeep));
    MessageBoxWatcher watcher;
    beeps = 0;
    std::string shown;
    auto refused = [&](const char* text, size_t boxes) {
        return std::vector<ModalDriver::Step>{Type(IDC_EXTERNAL_FREQUENCY, text), Click(NextButton),
                                              WaitFor([&watcher, boxes] { return watcher.Boxes().size() == boxes; }),
                                              WaitFor([&] { return IsWindowEnabled(sheet) && Showing(IDC_EXTERNAL_FREQUENCY); })};
    };
    std::vector<ModalDriver::Step> steps = {Click(IDC_EXTERNAL_SOURCE)};
    for (auto [text, boxes] : {std::pair{"99.9", 1u}, {"4000.1", 2u}, {"abc", 3u}})
        for (auto& step : refused(text, boxes)) steps.push_back(step);
    steps.insert(steps.end(), {Do([&] {
                                   Arrow(-1);
                                   EXPECT_EQ(1, beeps) << "no number to step";
                                   SetWindowTextA(GetDlgItem(Page(), IDC_EXTERNAL_FREQUENCY), "4000");
                                   Arrow(1);
                                   EXPECT_EQ("4000", Text(IDC_EXTERNAL_FREQUENCY));
                               }),
                               Click(NextButton), WaitForPage(IDC_REFERENCE_FREQUENCY), Do([&] { shown = Text(IDC_REFERENCE_FREQUENCY); }),
                               WaitFor([&] { return Buttons() == "bn"; }), Click(BackButton), WaitForPage(IDC_EXTERNAL_FREQUENCY),
                               Do([&] {
                                   EXPECT_EQ(mainWindow.window, analysisTarget) << "Back gives the results back";
                                   SetWindowTextA(GetDlgItem(Page(), IDC_EXTERNAL_FREQUENCY), "100");
                                   Arrow(-1);
                                   EXPECT_EQ("100", Text(IDC_EXTERNAL_FREQUENCY));
                               }),
                               Click(NextButton), WaitForPage(IDC_REFERENCE_FREQUENCY),
                               Do([&] { shown += Text(IDC_REFERENCE_FREQUENCY); }),
                               Do([&] { PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); })});
    EXPECT_TRUE(Run(steps));

    std::vector<ShownMessageBox> boxes = watcher.Boxes();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_EQ("Illegal frequency value.\nValid frequencies: [100..4000]", boxes[0].text);
    EXPECT_EQ(boxes[0].text, boxes[1].text);
    EXPECT_EQ("Illegal Real Number", boxes[2].text);
    EXPECT_EQ(" 4000.00  100.00", shown);
}

TEST_F(CalibrationWizardTest, CancelAnywhereLeavesTheCalibrationAsItWas) {
    auto cancel = Do([&] { PostMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); });
    EXPECT_TRUE(Run({cancel}));
    EXPECT_TRUE(Run({Click(IDC_AUTOMATIC), Click(NextButton), WaitForPage(IDC_TIME_LEFT), cancel}));
    std::string rates;
    EXPECT_TRUE(Run({Click(IDC_EXTERNAL_SOURCE), Click(NextButton), WaitForPage(IDC_RATE), Do([&] {
                         EXPECT_EQ(Page(), analysisTarget);
                         // A tone at 10 Hz is no reference, however strong.
                         rawFrequency = 10.0;
                         signalLevel = 5000;
                         SendMessageA(Page(), WM_USER, TunerAnalyzer::ResultReady, 0);
                         rates = Text(IDC_RATE);
                         rawFrequency = 400.0;
                         SendMessageA(Page(), WM_USER, TunerAnalyzer::ResultReady, 0);
                         rates += Text(IDC_RATE);
                     }),
                     Click(NextButton), WaitForPage(IDC_CALIBRATION_STATUS), cancel}));
    EXPECT_EQ("1.0000001.100000", rates);
    EXPECT_EQ(mainWindow.window, analysisTarget);
    EXPECT_EQ(1.25, calibrationRate);
    EXPECT_EQ("1.250000", StoredRate());
}

TEST(CalibrationWizardPages, ThatCannotBeAllocatedAreReportedByTheirPage) {
    SteppedClock clock;
    for (int page = 0; page < 3; ++page) {
        FailingMemory memory(page);
        EXPECT_YTHROW(CalibrationWizard wizard(clock), YSystemException::KindNoMemory, 9 + page, "Cpp/FLDCalibrate");
    }
}

}  // namespace
