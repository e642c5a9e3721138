// The main window: the tuning display and the meters pixel by pixel off screen, and the window
// itself driven through its messages. What it shows of a real tone is fretlark.exe's end-to-end case.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "GdiSlots.hpp"
#include "ImportPatch.hpp"
#include "LevelMeters.hpp"
#include "MessageBoxWatcher.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerDialog.hpp"
#include "TunerMixer.hpp"
#include "TunerSettings.hpp"
#include "TunerState.hpp"
#include "TuningDisplay.hpp"
#include "TuningModel.hpp"
#include "resource.h"

namespace {

constexpr COLORREF Magenta = RGB(255, 0, 255);

// One letter per colour: black, unlit grey, green, yellow, red, dark red; '?' for anything else.
char ColourClass(COLORREF colour) {
    switch (colour) {
    case RGB(0, 0, 0): return '.';
    case RGB(32, 32, 32): return 'u';
    case RGB(0, 255, 0): return 'G';
    case RGB(255, 255, 0): return 'Y';
    case RGB(255, 0, 0): return 'R';
    case RGB(128, 0, 0): return 'r';
    default: return '?';
    }
}

// A finished drawing copied into an open bitmap, so that its pixels can be read by colour class.
struct Picture {
    Picture(const YGuiDrawing& finished, int width, int height) {
        open.BeginBitmap(width, height);
        finished.CopyTo(open);
    }
    char operator()(int x, int y) { return ColourClass(open.GetPixel(x, y)); }
    // The classes along a row, every `step` pixels, or down a column.
    std::string Row(int y, int from, int to, int step = 1) {
        std::string row;
        for (int x = from; x <= to; x += step) row += (*this)(x, y);
        return row;
    }
    std::string Column(int x, int height) {
        std::string column;
        for (int y = 0; y < height; ++y) column += (*this)(x, y);
        return column;
    }
    YGuiDrawing open;
};

// The display at the size of the worked example: scale 10..326, centre 168, flat and sharp marks at
// 62 and 273, every bar's colour read one pixel above the bars' foot.
constexpr int Width = 336, Height = 117;

TEST(TuningDisplay, LightsBarsArrowsAndNoteAsTheDifferenceAndTheSignalSay) {
    // The bars from `first` to `last` lit: green within 10 pixels of the centre, yellow inside the
    // marks, red outside them.
    auto lit = [](int first, int last) {
        std::string bars;
        for (int x = 10; x <= Width - 10; x += 4)
            bars += (x < first || x > last) ? 'u' : (158 <= x && x <= 178) ? 'G' : (62 < x && x < 273) ? 'Y' : 'R';
        return bars;
    };
    const struct {
        double semitones;
        bool signal, chromatic, chosen;
        std::string bars;
        char flatArrow, sharpArrow;
        bool note;
    } cases[] = {
        {0.5, true, false, false, lit(166, 218), '.', '.', true},   {-0.5, true, false, false, lit(114, 166), '.', '.', true},
        {0.0, true, false, false, lit(166, 166), '.', '.', true},   {1.0, true, false, false, lit(166, 270), '.', '.', true},
        {1.2, true, false, false, lit(166, 290), '.', 'R', true},   {-1.2, true, false, false, lit(42, 166), 'R', '.', true},
        {-1.01, true, false, false, lit(62, 166), 'R', '.', true},  {1.6, true, false, false, lit(1, 0), '.', 'R', true},
        {-1.6, true, false, false, lit(1, 0), 'R', '.', true},
        // At the threshold there is no signal yet: only a target chosen by hand shows, unlit.
        {0.5, false, false, false, lit(1, 0), '.', '.', false},     {0.5, false, false, true, lit(1, 0), '.', '.', true},
        {0.5, false, true, false, lit(1, 0), '.', '.', true},
    };
    noteIndex = -24;
    inputSource = InputSourceMixerDefault;
    noiseThreshold = 2;
    for (const auto& example : cases) {
        SCOPED_TRACE(example.semitones);
        semitoneDifference = example.semitones;
        signalLevel = example.signal ? 101 : 100;
        tunerMode = example.chromatic ? TunerModeChromatic : TunerModeGuitar;
        autoString = !example.chosen;
        YGuiDrawing background, frame;
        TuningDisplay::RenderStaticLayer(background, Width, Height);
        TuningDisplay::RenderFrame(frame, background, Width, Height);
        Picture picture(frame, Width, Height);
        EXPECT_EQ(example.bars, picture.Row(100, 10, Width - 10, 4));
        // Inside the arrows: the flat one points right from the flat mark, the sharp one left; their
        // dark red edge is always there.
        EXPECT_EQ(std::string({'r', example.flatArrow, example.sharpArrow}), std::string({picture(63, 37), picture(67, 37), picture(267, 37)}));
        // The note's large green letters above the scale, between the icons.
        int green = 0;
        for (int y = 0; y < 60; ++y) {
            std::string row = picture.Row(y, 100, 235);
            green += static_cast<int>(std::count(row.begin(), row.end(), 'G'));
        }
        if (example.note) {
            EXPECT_GT(green, 100);
        } else {
            EXPECT_EQ(0, green);
        }
    }
}

TEST(TuningDisplay, BarsRiseAlongTheArcWithTheCentreBarLengthenedAndASmallCanvasGetsNothing) {
    YGuiDrawing background, wider, empty, frame;
    TuningDisplay::RenderStaticLayer(background, Width, Height);
    Picture example(background, Width, Height);
    // Above and at the tops of the centre bar (166), its neighbour (170) and the first bar (10); the
    // green baseline at 103.
    EXPECT_EQ(".u.u.uG", std::string({example(166, 86), example(166, 89), example(170, 86), example(170, 89), example(10, 35),
                                      example(10, 38), example(150, 103)}));
    TuningDisplay::RenderStaticLayer(wider, Width + 1, Height);
    Picture widened(wider, Width + 1, Height);
    EXPECT_EQ(".u", std::string({widened(170, 76), widened(170, 79)})) << "the centre is 169 now";

    TuningDisplay::RenderStaticLayer(empty, Width, 15);
    TuningDisplay::RenderFrame(frame, background, 20, Height);
    EXPECT_EQ(YGuiDrawing::KindNone, empty.Kind());
    EXPECT_EQ(YGuiDrawing::KindNone, frame.Kind());
}

TEST(LevelMeters, FillFromTheBottomWithTheirWarningColours) {
    // Column 1 of a meter 97 pixels high: black border, then black, red and green from the top.
    auto bar = [](int black, int red, int green) {
        return "." + std::string(black, '.') + std::string(red, 'R') + std::string(green, 'G') + ".";
    };
    const struct {
        bool input;
        int level;
        std::string column;
    } cases[] = {{true, 32768, bar(0, 23, 72)},  {true, 32768 * 3 / 4, bar(23, 0, 72)}, {true, 0, bar(95, 0, 0)},
                 {false, 1024, bar(48, 0, 47)},  {false, 1023, bar(48, 47, 0)},      {false, 5000, bar(0, 0, 95)}};
    for (const auto& example : cases) {
        YGuiDrawing meter;
        if (example.input) LevelMeters::RenderInput(meter, 15, 97, example.level);
        else LevelMeters::RenderSignal(meter, 15, 97, example.level, 1024);
        EXPECT_EQ(example.column, Picture(meter, 3, 97).Column(1, 97)) << example.input << " " << example.level;
    }
}

HBITMAP WINAPI NoBitmap(HDC, int, int) { return nullptr; }

// The main window, open and visible, on an analyzer that is never opened.
class TunerWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        theSettings.SetValue(SectionTuning, KeyCurrentTuning, StandardTuningName);
        analyzer.LoadCurrentTuning();
        inputLevel = signalLevel = cpuLoad = 0;
        measuredFrequency = 0.0;
        inputSource = InputSourceMixerDefault;
        noiseThreshold = 2;
        rootFrequency = 440.0;
        window.CreateModeless();
        window.Show();
        SetForegroundWindow(window.GetHandle());
        Send(WM_NULL);
    }
    void TearDown() override { DestroyWindow(window.GetHandle()); }

    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        SendMessageA(window.GetHandle(), message, wParam, lParam);
        for (MSG queued; PeekMessageA(&queued, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&queued);
    }
    void UpDown(int delta) {
        NMUPDOWN notification = {{window.GetControl(IDC_SEMITONE_STEP), IDC_SEMITONE_STEP, static_cast<UINT>(UDN_DELTAPOS)}, 0, delta};
        Send(WM_NOTIFY, IDC_SEMITONE_STEP, reinterpret_cast<LPARAM>(&notification));
    }
    std::string Text(int id) {
        YString text;
        window.GetControlText(id, text);
        return text.CStr();
    }
    int Height() {
        RECT bounds;
        GetWindowRect(window.GetHandle(), &bounds);
        return bounds.bottom - bounds.top;
    }
    // A pixel of a control on the screen, or with `colour` the control painted over in it.
    COLORREF Pixel(int id, int x, int y, COLORREF colour = CLR_INVALID) {
        HWND control = window.GetControl(id);
        HDC context = GetDC(control);
        RECT all;
        GetClientRect(control, &all);
        HBRUSH brush = CreateSolidBrush(colour);
        if (colour != CLR_INVALID) FillRect(context, &all, brush);
        DeleteObject(brush);
        COLORREF found = GetPixel(context, x, y);
        ReleaseDC(control, context);
        return found;
    }
    // Each string button's face as drawn: '#' pressed (the text colour), '.' raised.
    std::string Pressed() {
        std::string faces;
        for (int id : {IDC_STRING_0, IDC_STRING_1, IDC_STRING_2, IDC_STRING_3, IDC_STRING_4, IDC_STRING_5})
            faces += Pixel(id, 2, 2) == GetSysColor(COLOR_BTNTEXT) ? '#' : '.';
        return faces;
    }

    TunerAnalyzer analyzer;
    TunerMixer mixer;
    TunerDialog window{analyzer, mixer};
};

// Captions, labels and which controls show are checked end to end (fretlark_window_test.py).
TEST_F(TunerWindowTest, ChromaticTargetsStayOnThePianoAndStartAtA4) {
    Send(WM_COMMAND, IDM_CHROMATIC_TUNING);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), window.GetMenuItemState(IDM_CHROMATIC_TUNING) & MF_CHECKED);
    // A whole octave or nothing; the up-down keeps its default range, in which the up arrow reports -1.
    const struct {
        int from, command, delta, to;
        const char* label;
    } steps[] = {{-37, IDC_OCTAVE_DOWN, 0, -37, "G#1"}, {-36, IDC_OCTAVE_DOWN, 0, -48, "A0"}, {28, IDC_OCTAVE_UP, 0, 28, "C#7"},
                 {27, IDC_OCTAVE_UP, 0, 39, "C8"},      {39, 0, -1, 39, "C8"},                {-47, 0, 1, -48, "A0"},
                 {-48, 0, 1, -48, "A0"},                {0, 0, -1, 1, "A#4"}};
    for (const auto& step : steps) {
        noteIndex = step.from;
        step.command ? Send(WM_COMMAND, step.command) : UpDown(step.delta);
        EXPECT_EQ(step.to, noteIndex) << step.from;
        if (step.to != step.from) {
            EXPECT_EQ(step.label, Text(IDC_NOTE_LABEL)) << step.from;
        }
    }
    Send(WM_COMMAND, IDM_CHROMATIC_TUNING);
    EXPECT_EQ(0, noteIndex) << "chromatic again starts at A4";
    noteIndex = 5;
    Send(WM_COMMAND, IDM_GUITAR_TUNING);
    EXPECT_EQ(5, noteIndex) << "kept until the next result";
}

TEST_F(TunerWindowTest, AStringClickedTwiceGoesBackToAutomaticAndTheButtonsShowIt) {
    selectedString = 3;
    Send(WM_COMMAND, IDC_STRING_1);
    EXPECT_EQ(std::make_pair(false, 1), std::make_pair(autoString, selectedString));
    EXPECT_EQ(".#....", Pressed());
    Send(WM_COMMAND, IDC_STRING_2);
    EXPECT_EQ(std::make_pair(false, 2), std::make_pair(autoString, selectedString));
    EXPECT_EQ("..#...", Pressed());

    // Left to right along the middle: edge, face, (inner shadow,) edge; pressed ones sink in.
    RECT bounds;
    GetClientRect(window.GetControl(IDC_STRING_1), &bounds);
    int r = bounds.right, middle = bounds.bottom / 2;
    EXPECT_EQ((std::vector<COLORREF>{GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNHIGHLIGHT)}),
              (std::vector<COLORREF>{Pixel(IDC_STRING_2, 0, middle), Pixel(IDC_STRING_2, 2, 2), Pixel(IDC_STRING_2, r - 1, middle)}));
    EXPECT_EQ((std::vector<COLORREF>{GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNSHADOW),
                                     GetSysColor(COLOR_3DDKSHADOW)}),
              (std::vector<COLORREF>{Pixel(IDC_STRING_1, 0, middle), Pixel(IDC_STRING_1, 2, 2), Pixel(IDC_STRING_1, r - 2, middle),
                                     Pixel(IDC_STRING_1, r - 1, middle)}));

    // A quick second click reaches the window as a double click.
    Send(WM_COMMAND, MAKEWPARAM(IDC_STRING_2, BN_DOUBLECLICKED));
    EXPECT_TRUE(autoString);
    EXPECT_EQ("......", Pressed());
}

TEST_F(TunerWindowTest, DetailsFollowTheCheckMarkAndAlwaysExpandToTheFullSize) {
    int collapsed = Height();
    Send(WM_COMMAND, IDM_DETAILS);
    int full = Height();
    EXPECT_GT(full, collapsed);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), window.GetMenuItemState(IDM_DETAILS));
    Send(WM_COMMAND, IDM_DETAILS);
    EXPECT_EQ(collapsed, Height());
    RECT bounds;
    GetWindowRect(window.GetHandle(), &bounds);
    MoveWindow(window.GetHandle(), bounds.left, bounds.top, bounds.right - bounds.left, collapsed - 20, TRUE);
    Send(WM_COMMAND, IDM_DETAILS);
    EXPECT_EQ(full, Height());
}

TEST_F(TunerWindowTest, ResultsRedrawOnlyWhatChangedAndADrawingFailureLeavesTheWindowReady) {
    Send(WM_COMMAND, IDM_DETAILS);
    tunerMode = TunerModeChromatic;  // shows in the static layer only once it is rebuilt
    measuredFrequency = 445.0;
    inputLevel = 4000;
    signalLevel = 900;
    Send(WM_USER, 7);
    EXPECT_NE("  445.00", Text(IDC_MEASURED_FREQUENCY)) << "no result";
    Send(WM_USER, TunerAnalyzer::ResultReady);
    EXPECT_EQ((std::vector<std::string>{"  445.00", "  440.00", "A4", "    20", "1"}),
              (std::vector<std::string>{Text(IDC_MEASURED_FREQUENCY), Text(IDC_REQUIRED_FREQUENCY), Text(IDC_TARGET_NOTE),
                                        Text(IDC_DIFFERENCE), Text(IDC_HARMONIC)}));

    // Unchanged values keep whatever is on the screen; a changed meter or load is redrawn.
    window.SetControlText(IDC_MEASURED_FREQUENCY, "kept");
    for (int id : {IDC_DISPLAY, IDC_INPUT_METER, IDC_SIGNAL_METER}) Pixel(id, 0, 0, Magenta);
    signalLevel = 901;
    cpuLoad = 3;
    window.UpdateView(false);
    EXPECT_EQ("kept", Text(IDC_MEASURED_FREQUENCY));
    EXPECT_EQ(Magenta, Pixel(IDC_DISPLAY, 100, 50));
    EXPECT_EQ(Magenta, Pixel(IDC_INPUT_METER, 3, 3));
    EXPECT_EQ(RGB(0, 0, 0), Pixel(IDC_SIGNAL_METER, 3, 3));
    EXPECT_EQ("3", Text(IDC_CPU_LOAD));

    // A paint redraws everything but keeps the static layer: still the guitar icon.
    RedrawWindow(window.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ("  445.00", Text(IDC_MEASURED_FREQUENCY));
    EXPECT_NE(Magenta, Pixel(IDC_INPUT_METER, 3, 3));
    EXPECT_EQ(RGB(0, 255, 0), Pixel(IDC_DISPLAY, 10 + 10, 5 + 9)) << "the guitar's body";
    inputSource = InputSourceLine;
    measuredFrequency = 446.0;
    window.UpdateView(false);
    EXPECT_EQ(RGB(0, 0, 0), Pixel(IDC_DISPLAY, 10 + 10, 5 + 9)) << "between the keyboard's keys, with a new source";

    // A result that cannot be drawn (the system short of GDI objects) is reported once, and the
    // analysis may announce the next one.
    MessageBoxWatcher boxes;
    inputLevel = 5000;
    {
        ImportPatch noBitmaps{"gdi32.dll", "CreateCompatibleBitmap", reinterpret_cast<void*>(NoBitmap)};
        ASSERT_TRUE(noBitmaps.Installed());
        Send(WM_USER, TunerAnalyzer::ResultReady);
    }
    EXPECT_EQ(1u, boxes.Boxes().size());
    EXPECT_FALSE(analysisBusy);
}

// Presses the close box of every dialog that becomes active on this thread but the main window:
// the dialogs a menu command runs end as soon as they show.
HWND mainWindow = nullptr;
int dialogsClosed = 0;
LRESULT CALLBACK CloseDialog(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    char className[16] = "";
    if (code == HCBT_ACTIVATE && window != mainWindow && GetClassNameA(window, className, sizeof className) &&
        lstrcmpA(className, "#32770") == 0) {
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        ++dialogsClosed;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(TunerWindowTest, RoundsOfEveryDialogAndHundredsOfFramesLeaveNothingBehind) {
    mainWindow = window.GetHandle();
    HHOOK hook = SetWindowsHookExA(WH_CBT, CloseDialog, nullptr, GetCurrentThreadId());
    auto everyDialog = [&] {
        for (int command : {IDM_AUDIO_SOURCE, IDM_TUNING, IDM_CALIBRATE, IDM_ABOUT}) SendMessageA(mainWindow, WM_COMMAND, command, 0);
    };
    measuredFrequency = 100.0;
    signalLevel = 900;
    window.UpdateView(true);
    everyDialog();  // the system keeps some objects of its own from the first use on
    int gdiBefore = FreeGdiSlots();
    DWORD handlesBefore = 0, handlesAfter = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
    dialogsClosed = 0;
    for (int round = 0; round < 5; ++round) everyDialog();
    for (int frame = 0; frame < 500; ++frame) {
        measuredFrequency = 100.0 + frame % 50;
        inputLevel = frame * 7 % 32768;
        signalLevel = frame % 3000;
        cpuLoad = frame % 5;
        inputSource = frame % 50 == 0 ? (inputSource + 1) % 3 : inputSource;
        window.UpdateView(false);
    }
    UnhookWindowsHookEx(hook);
    GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
    EXPECT_EQ(20, dialogsClosed);
    EXPECT_EQ(gdiBefore, FreeGdiSlots());
    EXPECT_EQ(handlesBefore, handlesAfter);
}

}  // namespace
