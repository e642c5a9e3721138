// The calibration wizard on a card whose clocks the test moves, one second per timer tick of its
// own. The real measurement, the external source, Fext's validation and the reset are
// fretlark.exe's end-to-end cases.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "CalibrationRunPage.hpp"
#include "CalibrationWizard.hpp"
#include "ExpectException.hpp"
#include "FailingMemory.hpp"
#include "ImportPatch.hpp"
#include "ModalDriver.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerState.hpp"
#include "resource.h"

namespace {

constexpr int NextButton = 0x3024;
constexpr int FinishButton = 0x3025;

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

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

std::string Text(HWND page, int id) {
    char text[256] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

// The up-down beside Fext: one arrow press, as the control reports it.
void Arrow(HWND page, int delta) {
    NMUPDOWN step = {};
    step.hdr = {GetDlgItem(page, IDC_EXTERNAL_STEP), IDC_EXTERNAL_STEP, static_cast<UINT>(UDN_DELTAPOS)};
    step.iDelta = delta;
    SendMessageA(page, WM_NOTIFY, IDC_EXTERNAL_STEP, reinterpret_cast<LPARAM>(&step));
}

TEST(CalibrationWizard, AutomaticCountsTheCardsSamplesForTwentyNineTicksAndFextStaysInItsRange) {
    ImportPatch beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(CountBeep));
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
        calibrationRate = 1.25;
        SteppedClock clock;
        clock.samples = clock.milliseconds = card.start;
        CalibrationWizard wizard(clock);
        auto page = [&] { return CurrentPage(wizard.GetHandle()); };
        auto click = [&](int id) {
            return Do([&, id] {
                HWND button = GetDlgItem(wizard.GetHandle(), id);
                PostMessageA(button ? button : GetDlgItem(page(), id), BM_CLICK, 0, 0);
            });
        };
        std::vector<std::string> steps;
        std::string upDown, status;
        ModalDriver driver({WaitFor([&] { return wizard.GetHandle() && page(); }), click(IDC_EXTERNAL_SOURCE), Do([&] {
                                for (auto [text, delta] : {std::pair{"3999", 1}, {"4000", 1}, {"101", -1}, {"100", -1}, {"abc", 1}}) {
                                    SetDlgItemTextA(page(), IDC_EXTERNAL_FREQUENCY, text);
                                    Arrow(page(), delta);
                                    upDown += Text(page(), IDC_EXTERNAL_FREQUENCY) + " ";
                                }
                            }),
                            click(IDC_AUTOMATIC), click(NextButton), WaitFor([&] { return GetDlgItem(page(), IDC_TIME_LEFT) != nullptr; }),
                            Do([&] {
                                EXPECT_EQ("Calibration will take 30 seconds. Please wait...", Text(page(), IDC_CALIBRATION_WAIT));
                                // The test's ticks take the place of the page's timer.
                                EXPECT_TRUE(KillTimer(page(), CalibrationRunPage::TimerId));
                                for (int tick = 1; tick <= 29 && GetDlgItem(page(), IDC_TIME_LEFT); ++tick) {
                                    steps.push_back(Text(page(), IDC_TIME_LEFT));
                                    clock.samples += card.samplesPerSecond;
                                    clock.milliseconds += 1000;
                                    SendMessageA(page(), WM_TIMER, CalibrationRunPage::TimerId, 0);
                                }
                            }),
                            WaitFor([&] { return GetDlgItem(page(), IDC_CALIBRATION_STATUS) != nullptr; }),
                            Do([&] { status = Text(page(), IDC_CALIBRATION_STATUS); }), click(FinishButton)});
        wizard.Run();
        EXPECT_TRUE(driver.Finished());
        EXPECT_EQ("4000 4000 100 100 abc ", upDown) << "the arrows step by 1 and never leave 100..4000";
        ASSERT_EQ(29u, steps.size()) << "the page moves on at the 29th tick, not before";
        EXPECT_EQ("Time left: 29 sec", steps.front());
        EXPECT_EQ("Time left: 1 sec", steps.back());
        EXPECT_EQ(card.status, status);
        EXPECT_DOUBLE_EQ(card.rate, calibrationRate);
    }
    EXPECT_EQ(3, beeps) << "one for each text that is no number";
}

TEST(CalibrationWizard, APageThatCannotBeAllocatedIsReportedByItsLine) {
    SteppedClock clock;
    for (int page = 0; page < 3; ++page) {
        FailingMemory memory(page);
        EXPECT_YTHROW(CalibrationWizard wizard(clock), YSystemException::KindNoMemory, 9 + page, "Cpp/FLDCalibrate");
    }
}

}  // namespace
