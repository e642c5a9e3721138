// The tuner's own windows where fretlark.exe's end-to-end cases (tests/tools/fretlark_window_test.py) cannot
// look: pictures checked pixel by pixel off screen, the windows driven through their messages, the
// capture and mixer seams' simulated and refusing devices, stepped clocks, and the platform calls a
// test replaces. The program runs while the test sound server plays a tone.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "AboutDialog.hpp"
#include "AudioSourceDialog.hpp"
#include "CalibrationRunPage.hpp"
#include "CalibrationWizard.hpp"
#include "ExpectException.hpp"
#include "FailingMemory.hpp"
#include "GdiSlots.hpp"
#include "ImportPatch.hpp"
#include "LevelMeters.hpp"
#include "MessageBoxWatcher.hpp"
#include "ModalDriver.hpp"
#include "SimulatedMixer.hpp"
#include "TemporaryDirectory.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerDialog.hpp"
#include "TunerMain.hpp"
#include "TunerMixer.hpp"
#include "TunerSettings.hpp"
#include "TunerSettingsFixture.hpp"
#include "TunerState.hpp"
#include "TuningDisplay.hpp"
#include "TuningSettingsDialog.hpp"
#include "YModule.hpp"
#include "resource.h"

namespace {

// A dialog of this thread that shows, by its caption; null when none does.
HWND Dialog(const char* caption) {
    HWND found = FindWindowA("#32770", caption);
    return found && IsWindowVisible(found) ? found : nullptr;
}

// A click on button `id` of a dialog, posted: a dialog that it opens runs in the steps' own loop.
void Press(const char* caption, int id) {
    PostMessageA(Dialog(caption), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(Dialog(caption), id)));
}

// The beeps asked for, by their types, from any thread, while a test has MessageBeep replaced.
std::mutex beepLock;
std::vector<UINT> beeps;
BOOL WINAPI RecordBeep(UINT type) {
    std::lock_guard<std::mutex> guard(beepLock);
    beeps.push_back(type);
    return TRUE;
}
int Beeps(UINT type) {
    std::lock_guard<std::mutex> guard(beepLock);
    return static_cast<int>(std::count(beeps.begin(), beeps.end(), type));
}

// The main window: the tuning display and the meters pixel by pixel off screen, and the window
// itself driven through its messages. What it shows of a real tone is fretlark.exe's end-to-end case.
namespace window {

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
    // The classes of `count` pixels from (x, y) on, in steps of (dx, dy).
    std::string Line(int x, int y, int dx, int dy, int count) {
        std::string line;
        for (; count-- > 0; x += dx, y += dy) line += (*this)(x, y);
        return line;
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
        EXPECT_EQ(example.bars, picture.Line(10, 100, 4, 0, 80));
        // Inside the arrows: the flat one points right from the flat mark, the sharp one left; their
        // dark red edge is always there.
        EXPECT_EQ(std::string({'r', example.flatArrow, example.sharpArrow}), std::string({picture(63, 37), picture(67, 37), picture(267, 37)}));
        // The note's large green letters above the scale, between the icons, centred on the scale.
        int green[2] = {0, 0};
        for (int y = 0; y < 60; ++y)
            for (int x = 100; x < 236; ++x) green[x >= 168] += picture(x, y) == 'G';
        EXPECT_TRUE(example.note ? green[0] > 50 && green[1] > 50 : green[0] + green[1] == 0) << green[0] << " " << green[1];
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
        EXPECT_EQ(example.column, Picture(meter, 3, 97).Line(1, 0, 0, 1, 97)) << example.input << " " << example.level;
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

TEST_F(TunerWindowTest, DetailsShowAtFullSizeResultsRedrawOnlyWhatChangedAndADrawingFailureLeavesTheWindowReady) {
    // The details follow the check mark and always expand to the full size.
    RECT bounds;
    auto height = [&] { return GetWindowRect(window.GetHandle(), &bounds), bounds.bottom - bounds.top; };
    int collapsed = height();
    Send(WM_COMMAND, IDM_DETAILS);
    int full = height();
    EXPECT_GT(full, collapsed);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), window.GetMenuItemState(IDM_DETAILS));
    Send(WM_COMMAND, IDM_DETAILS);
    EXPECT_EQ(collapsed, height());
    MoveWindow(window.GetHandle(), bounds.left, bounds.top, bounds.right - bounds.left, collapsed - 20, TRUE);
    Send(WM_COMMAND, IDM_DETAILS);
    EXPECT_EQ(full, height());

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

}  // namespace window

// The tuning dialogs where fretlark.exe's end-to-end case cannot look: the beeps of the Create
// Tuning dialog, and stored tunings that Setup > Tuning cannot read. Everything else a user does
// with them is checked end to end (tests/tools/fretlark_window_test.py).
namespace tunings {

constexpr UINT SimpleBeep = 0xFFFFFFFF;

class TuningDialogs : public TunerSettingsFixture {
protected:
    // The names listed, the selection, and whether the string sliders take input.
    static std::string Listed() {
        HWND list = GetDlgItem(Dialog("Tuning Settings"), IDC_TUNING_LIST);
        const bool sliders = IsWindowEnabled(GetDlgItem(Dialog("Tuning Settings"), IDC_STRING_SLIDER_0));
        std::string names;
        for (int position = 0; position < SendMessageA(list, LB_GETCOUNT, 0, 0); ++position) {
            char name[64] = "";
            SendMessageA(list, LB_GETTEXT, position, reinterpret_cast<LPARAM>(name));
            names += (position ? "," : "") + std::string(name);
        }
        return names + " current " + std::to_string(SendMessageA(list, LB_GETCURSEL, 0, 0)) + (sliders ? " sliders" : "");
    }

    TunerAnalyzer analyzer;
};

// Unreadable tunings are hidden and OK removes them. In Create Tuning a character that no name may
// hold beeps as it is typed; a pasted name beeps when OK refuses it.
TEST_F(TuningDialogs, UnreadableTuningsAreHiddenAndOkRemovesThemARefusedNameBeeps) {
    ImportPatch beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(RecordBeep));
    ASSERT_TRUE(beep.Installed());
    const std::string low = "Low = -41, -36, -31, -26, -22, -17\n";
    const struct {
        std::string file;
        const char *listed, *keys, *current;
    } cases[] = {
        // Without a "Standard" the tuner's fallback names no listed tuning: the first listed one is current.
        {"[Tuning]\nCurrentTuning = Nowhere\n[Tunings]\n" + low + "Open_G = -31, -26, -19, -14, -10, -7\n", "Low,Open_G current 0 sliders",
         "Low,Open_G", "Low"},
        // A single tuning, and no current one named: it is current and can be edited.
        {"[Tunings]\n" + low, "Low current 0 sliders", "Low", "Low"},
        // Nothing readable: OK purges the list, and the tuner stores its standard tuning anew.
        {"[Tuning]\nCurrentTuning = Broken\n[Tunings]\nBroken = 1, 2, 3\n", " current -1", "Standard", "Standard"},
    };
    int gdiSlots = 0;
    for (const auto& c : cases) {
        if (&c == &cases[1]) gdiSlots = FreeGdiSlots();  // the system keeps some objects of its own from the first use on
        beeps.clear();
        LoadFile(c.file);
        analyzer.LoadCurrentTuning();
        TuningSettingsDialog dialog(analyzer);
        ModalDriver driver({WaitFor([] { return Dialog("Tuning Settings") != nullptr; }), Do([&] {
                                EXPECT_EQ(c.listed, Listed());
                                Press("Tuning Settings", IDC_CREATE_TUNING);
                            }),
                            WaitFor([] { return Dialog("Create Tuning") != nullptr; }), Do([] {
                                HWND edit = GetDlgItem(Dialog("Create Tuning"), IDC_TUNING_NAME);
                                for (char typed : std::string(" -x")) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(typed), 1);
                                EXPECT_EQ(2, Beeps(SimpleBeep));
                                SetWindowTextA(edit, "Bad name");
                                Press("Create Tuning", IDOK);
                            }),
                            WaitFor([] { return Beeps(SimpleBeep) == 3; }), Do([] { Press("Create Tuning", IDCANCEL); }),
                            WaitFor([] { return Dialog("Create Tuning") == nullptr; }), Do([] { Press("Tuning Settings", IDOK); })});
        EXPECT_EQ(YGuiDialog::CodeOk, dialog.RunModal());
        EXPECT_TRUE(driver.Finished());
        std::string keys;
        for (int index = 0; index < theSettings.KeyCount(SectionTunings); ++index) {
            YString key;
            theSettings.KeyAt(SectionTunings, index, key);
            keys += (index ? "," : "") + std::string(key.CStr());
        }
        EXPECT_EQ(c.keys, keys) << c.file;
        EXPECT_EQ(c.current, Stored("Tuning", "CurrentTuning")) << c.file;
    }
    EXPECT_EQ(gdiSlots, FreeGdiSlots()) << "every list item drawn gives back what it drew with";
    EXPECT_EQ(-29, analyzer.TuningOffsets()[0]);
}

}  // namespace tunings

// The Audio Source Settings dialog and start-up's device loop on the virtual sound card, whose two
// wave-input devices, "PulseAudio" and "Monitor of ToneSink", both hear the tone that plays, and on
// Wine's own mixer (a microphone with a volume, no line input, no input selector). A device that
// refuses to open comes from the capture seam, and so do two devices that hear different sounds.
namespace audio {

constexpr DWORD Limit = 30000;

// The system's wave-input services, except that the devices `refused` will not open; records the
// devices opened.
std::set<UINT> refused;
std::vector<UINT> opened;
MMRESULT WINAPI OpenUnlessRefused(LPHWAVEIN device, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback, DWORD_PTR instance, DWORD flags) {
    if (refused.count(id)) return MMSYSERR_ALLOCATED;
    MMRESULT result = waveInOpen(device, id, format, callback, instance, flags);
    if (result == MMSYSERR_NOERROR) opened.push_back(id);
    return result;
}
constexpr YWaveInFunctions WatchedWaveIn = {OpenUnlessRefused, waveInPrepareHeader, waveInUnprepareHeader, waveInAddBuffer,
                                            waveInStart,       waveInReset,         waveInGetPosition,     waveInClose,
                                            waveInGetDevCapsA, waveInGetNumDevs,    waveInGetErrorTextA};

std::string Setting(const char* key) {
    YString value;
    theSettings.GetValue(SectionAudioInput, key, value);
    return value.CStr();
}

constexpr const char* Audio = "Audio Source Settings";

// The device list's selection changed as a user changes it.
void ChooseDevice(int device) {
    SendDlgItemMessageA(Dialog(Audio), IDC_WAVE_IN_DEVICES, CB_SETCURSEL, device, 0);
    SendMessageA(Dialog(Audio), WM_COMMAND, MAKEWPARAM(IDC_WAVE_IN_DEVICES, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(Dialog(Audio), IDC_WAVE_IN_DEVICES)));
}

void Click(int id) { SendDlgItemMessageA(Dialog(Audio), id, BM_CLICK, 0, 0); }

std::string CantOpen(MMRESULT reason) {
    char text[256] = "";
    if (reason) waveInGetErrorTextA(reason, text, sizeof text);
    return std::string("Fretlark Error/Can't Open Wave Input Device.\n") + text;
}

// The settings of a user of device 1, in the program's directory, loaded as start-up loads them.
class AudioSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(directory.File(SettingsFileName), "[AudioInput]\r\nWaveIn = 1\r\nCalibration = 1.500000\r\nSource = 2\r\n"
                                                     "InputLevel = 40\r\nNoiseLevel = 5\r\n[Tuning]\r\nRootFrequency = 440\r\n");
        SetModulePath((directory.Directory() + "\\fretlark.exe").c_str());
        YLibInit();
        YWaveIn::SetFunctions(&WatchedWaveIn);
        refused.clear();
        opened.clear();
        LoadSettings(ModuleDirectory(), static_cast<int>(TunerAnalyzer::GetNumDevices()));
        ASSERT_FALSE(theSettings.IsModified());
    }
    void TearDown() override {
        analyzer.Close();
        YWaveIn::SetFunctions(nullptr);
    }

    // A step that waits for a result measured from now on.
    static ModalDriver::Step NextResult() {
        return [started = false]() mutable {
            if (!started) measuredFrequency = 0;
            started = true;
            return measuredFrequency > 0;
        };
    }
    // Runs the dialog on the capture `analyzer` holds, with the steps inside it.
    INT_PTR RunDialog(std::vector<ModalDriver::Step> steps) {
        AudioSourceDialog dialog(analyzer, mixer);
        steps.insert(steps.begin(), WaitFor([] { return Dialog(Audio) != nullptr; }));
        ModalDriver driver(steps, Limit);
        INT_PTR code = dialog.RunModal();
        EXPECT_TRUE(driver.Finished());
        return code;
    }
    // Runs the tuner from start-up, with the steps inside it.
    int RunTuner(std::vector<ModalDriver::Step> steps, TunerMixer& programMixer) {
        ModalDriver driver(steps, Limit);
        int code = TunerMain(analyzer, programMixer);
        EXPECT_TRUE(driver.Finished());
        return code;
    }
    std::string Box(size_t index) {
        std::vector<ShownMessageBox> seen = boxes.Boxes();
        return index < seen.size() ? seen[index].caption + "/" + seen[index].text : "none";
    }

    TemporaryDirectory directory;
    MessageBoxWatcher boxes;
    TunerAnalyzer analyzer;
    TunerMixer mixer;
};

TEST_F(AudioSourceTest, ADeviceChangeTakesEffectAndIsStoredAtOnceARefusedDeviceBringsThePreviousBackAndCancelAllOfIt) {
    analyzer.Setup();
    ASSERT_TRUE(analyzer.Open(1));
    analyzer.Start();
    ASSERT_TRUE(mixer.Open(1, MIXER_OBJECTF_WAVEIN)) << "Wine's mixer";
    EXPECT_EQ(YGuiDialog::CodeCancel,
              RunDialog({Do([&] {
                             ChooseDevice(1);
                             EXPECT_EQ(std::vector<UINT>{1}, opened) << "the same device is not opened again";
                             EXPECT_FALSE(theSettings.IsModified());
                             ChooseDevice(0);
                             EXPECT_EQ((std::vector<UINT>{1, 0}), opened);
                             EXPECT_EQ("0 1.000000", Setting(KeyWaveIn) + " " + Setting(KeyCalibration));
                             EXPECT_EQ(1.0, calibrationRate);
                             EXPECT_TRUE(mixer.IsOpen());
                         }),
                         NextResult(), Do([&] {
                             refused = {1};
                             ChooseDevice(1);
                             EXPECT_EQ((std::vector<UINT>{1, 0, 0}), opened) << "device 0 again";
                             EXPECT_EQ(0, SendDlgItemMessageA(Dialog(Audio), IDC_WAVE_IN_DEVICES, CB_GETCURSEL, 0, 0));
                             EXPECT_EQ("0", Setting(KeyWaveIn));
                         }),
                         NextResult(), Do([&] {
                             refused.clear();
                             Click(IDCANCEL);
                         })}));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(CantOpen(0), boxes.Boxes()[0].caption + "/" + boxes.Boxes()[0].text);
    // Cancel goes back to the device in use before, and so does its calibration.
    EXPECT_EQ((std::vector<UINT>{1, 0, 0, 1}), opened);
    EXPECT_EQ("1 1.500000", Setting(KeyWaveIn) + " " + Setting(KeyCalibration));
    EXPECT_EQ(std::make_pair(1, 1.5), std::make_pair(waveInDevice, calibrationRate));
}

// A card without the stored microphone: the dialog shows the mixer's default; clicking "Line" shows
// the line's own volume as the level nearest to it and changes nothing in the mixer, nor in what
// the program uses.
TEST_F(AudioSourceTest, TheGroupShowsOnlyInputsTheCardHas) {
    SimulatedMixer card({{Line, 32767}}, MIXERCONTROL_CONTROLTYPE_MUX, {Line, Cd}, {0, 1});
    card.waveInDevice = 1;
    ASSERT_TRUE(mixer.Open(1, MIXER_OBJECTF_WAVEIN));
    auto state = [] {
        auto on = [](int id) { return std::to_string(IsDlgButtonChecked(Dialog(Audio), id)) + std::to_string(IsWindowEnabled(GetDlgItem(Dialog(Audio), id))); };
        return on(IDC_SOURCE_DEFAULT) + on(IDC_SOURCE_MIC) + on(IDC_SOURCE_LINE) + on(IDC_RECORDING_LEVEL).substr(1) + " " +
               std::to_string(SendDlgItemMessageA(Dialog(Audio), IDC_RECORDING_LEVEL, TBM_GETPOS, 0, 0));
    };
    EXPECT_EQ(YGuiDialog::CodeCancel, RunDialog({Do([&] {
                  EXPECT_EQ("1100010 " + std::to_string(64 - 40), state()) << "the default, no microphone, no level";
                  Click(IDC_SOURCE_LINE);
                  EXPECT_EQ("0100111 " + std::to_string(64 - 32), state()) << "the line at its own volume, level 32";
                  Click(IDCANCEL);
              })}));
    EXPECT_EQ(0, card.writes);
    EXPECT_EQ("2", Setting(KeySource));
    EXPECT_EQ(InputSourceMicrophone, inputSource) << "what the group showed was the dialog's own";
}

// Start-up's device loop, and the main window that follows it, when the stored device 1 refuses to open.
TEST_F(AudioSourceTest, AtStartUpADeviceThatWillNotOpenEitherAndThenCancelEndTheRunWithOne) {
    refused = {1};
    EXPECT_EQ(1, RunTuner({WaitFor([&] { return boxes.Boxes().size() == 1 && Dialog(Audio); }), Do([&] {
                               refused.insert(0);
                               ChooseDevice(0);
                           }),
                           WaitFor([&] { return boxes.Boxes().size() == 2; }), Do([&] { Click(IDCANCEL); })},
                          mixer));
    EXPECT_EQ(CantOpen(MMSYSERR_ALLOCATED) + "|" + CantOpen(0), Box(0) + "|" + Box(1));
    EXPECT_EQ("1", Setting(KeyWaveIn));
}

// Device 0's card has an input selector: the microphone chosen for it takes its routing over, and
// when the run ends, here with the Windows session, the card gets back the routing it had before.
TEST_F(AudioSourceTest, AtStartUpTheCloseBoxTriesAgainAndAUsableDeviceStartsTheTunerOnItsMixerUntilTheSessionEnds) {
    refused = {1};
    SimulatedMixer card({{Line, 1000}, {Mic, 2000}, {Cd, 3000}}, MIXERCONTROL_CONTROLTYPE_MUX, {Line, Mic, Cd}, {1, 0, 0});
    card.waveInDevice = 0;
    TunerMixer programMixer;  // gone before the card is
    HWND first = nullptr;
    EXPECT_EQ(0, RunTuner({WaitFor([&] { return boxes.Boxes().size() == 1 && (first = Dialog(Audio)); }),
                           Do([&] { PostMessageA(first, WM_CLOSE, 0, 0); }),
                           WaitFor([&] { return boxes.Boxes().size() == 2 && Dialog(Audio) && Dialog(Audio) != first; }),
                           Do([&] { ChooseDevice(0); }),
                           // Capture runs on the chosen device at once, and so does the analysis.
                           NextResult(), Do([&] {
                               Click(IDC_SOURCE_MIC);
                               Click(IDOK);
                           }),
                           WaitFor([&] { return analysisTarget != nullptr; }), NextResult(), Do([&] {
                               EXPECT_EQ((std::vector<DWORD>{0, 1, 0}), card.selection);
                               EXPECT_EQ((std::vector<DWORD>{1000, 40959, 3000}), card.Volumes());
                               // Logging off: Windows ends the process after WM_ENDSESSION, and no
                               // exit of the program's own follows.
                               SendMessageA(analysisTarget, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
                               SendMessageA(analysisTarget, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
                               EXPECT_NE(std::string::npos, ReadBytes(directory.File(SettingsFileName)).find("WaveIn = 0"));
                               EXPECT_EQ((std::vector<DWORD>{1, 0, 0}), card.selection);
                               EXPECT_EQ((std::vector<DWORD>{1000, 2000, 3000}), card.Volumes());
                               PostMessageA(analysisTarget, WM_CLOSE, 0, 0);
                           })},
                          programMixer));
    EXPECT_EQ(CantOpen(MMSYSERR_ALLOCATED) + "|" + CantOpen(MMSYSERR_ALLOCATED), Box(0) + "|" + Box(1));
    EXPECT_EQ((std::vector<UINT>{0}), opened);
    // The new card got the stored source and level at once, so the slider showed that level.
    EXPECT_EQ("0 2 40", Setting(KeyWaveIn) + " " + Setting(KeySource) + " " + Setting(KeyInputLevel));
    EXPECT_EQ(InputSourceMicrophone, inputSource);
}

// Fast Updates while another program holds the device: it opens with neither hop, the error box
// says so, and the Audio Source Settings dialog that follows opens the same device again.
TEST_F(AudioSourceTest, FastUpdatesOnADeviceThatWillNotOpenAgainOfferTheWayBack) {
    ModalDriver driver({WaitFor([&] { return analysisTarget != nullptr; }),
                        Do([&] { PostMessageA(analysisTarget, WM_COMMAND, IDM_FAST_UPDATES, 0); }), NextResult(), Do([&] {
                            EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(GetMenu(analysisTarget), IDM_FAST_UPDATES, MF_BYCOMMAND));
                            refused = {1};
                            PostMessageA(analysisTarget, WM_COMMAND, IDM_FAST_UPDATES, 0);
                        }),
                        WaitFor([&] { return Dialog(Audio) != nullptr; }), Do([&] {
                            refused.clear();
                            ChooseDevice(1);
                            Click(IDOK);
                        }),
                        NextResult(), Do([&] { PostMessageA(analysisTarget, WM_CLOSE, 0, 0); })},
                       Limit);
    EXPECT_EQ(0, TunerMain(analyzer, mixer));
    EXPECT_TRUE(driver.Finished());
    EXPECT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ((std::vector<UINT>{1, 1, 1}), opened);
    EXPECT_TRUE(fastUpdates) << "switching it off failed";
}

}  // namespace audio

// The calibration wizard on a card whose clocks the test moves, one second per timer tick of its
// own. The real measurement, the external source, Fext's validation and the reset are
// fretlark.exe's end-to-end cases.
namespace calibration {

constexpr int NextButton = 0x3024;
constexpr int FinishButton = 0x3025;

class SteppedClock : public SampleClock {
public:
    unsigned samples = 0, milliseconds = 0;
    unsigned Samples() override { return samples; }
    unsigned Milliseconds() override { return milliseconds; }
    int NominalRate() override { return TunerAnalyzer::SampleRate; }
};

std::string Text(HWND page, int id) {
    char text[256] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

TEST(CalibrationWizard, AutomaticCountsTheCardsSamplesForTwentyNineTicksAndFextStaysInItsRange) {
    beeps.clear();
    ImportPatch beep("user32.dll", "MessageBeep", reinterpret_cast<void*>(RecordBeep));
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
        auto page = [&] { return reinterpret_cast<HWND>(SendMessageA(wizard.GetHandle(), PSM_GETCURRENTPAGEHWND, 0, 0)); };
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
                                    // One press on an arrow of the up-down beside Fext, as the control reports it.
                                    NMUPDOWN arrow = {{GetDlgItem(page(), IDC_EXTERNAL_STEP), IDC_EXTERNAL_STEP, static_cast<UINT>(UDN_DELTAPOS)}, 0, delta};
                                    SendMessageA(page(), WM_NOTIFY, IDC_EXTERNAL_STEP, reinterpret_cast<LPARAM>(&arrow));
                                    upDown += Text(page(), IDC_EXTERNAL_FREQUENCY) + " ";
                                }
                            }),
                            click(IDC_AUTOMATIC), click(NextButton), WaitFor([&] { return GetDlgItem(page(), IDC_TIME_LEFT) != nullptr; }),
                            Do([&] {
                                EXPECT_EQ("Calibration will take 30 seconds. Please wait...", Text(page(), IDC_CALIBRATION_WAIT));
                                // The test's ticks take the place of the page's timer.
                                EXPECT_TRUE(KillTimer(page(), CalibrationRunPage::TimerId));
                                for (int tick = 1; tick <= 29 && GetDlgItem(page(), IDC_TIME_LEFT); ++tick) {
                                    const auto progress = [&](UINT message) {
                                        return std::to_string(SendDlgItemMessageA(page(), IDC_CALIBRATION_PROGRESS, message, FALSE, 0));
                                    };
                                    steps.push_back(Text(page(), IDC_TIME_LEFT) + ", bar " + progress(PBM_GETPOS) + " of " + progress(PBM_GETRANGE));
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
        EXPECT_EQ("Time left: 29 sec, bar 0 of 29", steps.front());
        EXPECT_EQ("Time left: 1 sec, bar 28 of 29", steps.back());
        EXPECT_EQ(card.status, status);
        EXPECT_DOUBLE_EQ(card.rate, calibrationRate);
    }
    EXPECT_EQ(3, Beeps(MB_ICONHAND)) << "one for each text that is no number";
}

TEST(CalibrationWizard, APageThatCannotBeAllocatedIsReportedByItsLine) {
    SteppedClock clock;
    for (int page = 0; page < 3; ++page) {
        FailingMemory memory(page);
        EXPECT_YTHROW(CalibrationWizard wizard(clock), YSystemException::KindNoMemory, 9 + page, "Cpp/FLDCalibrate");
    }
}

}  // namespace calibration

// The about box through its messages, with the pointer's position, the shell and the beep
// replaced, so that the link shows its behaviour without a mouse, a browser or a loudspeaker. Its
// texts in fretlark.exe are checked end to end.
namespace about {

POINT pointer = {};
std::mutex lock;
std::vector<std::string> requests;      // what the opener asked the shell for, as text
std::vector<HANDLE> processes, closed;  // what the shell handed back, and which of that was closed
bool shellSucceeds = true;

BOOL WINAPI PointerAt(LPPOINT at) { return *at = pointer, TRUE; }

BOOL WINAPI ShellOpen(SHELLEXECUTEINFOA* request) {
    // The shell wants its caller in a single-threaded apartment of COM.
    APTTYPE apartment;
    APTTYPEQUALIFIER qualifier;
    bool singleThreaded = SUCCEEDED(CoGetApartmentType(&apartment, &qualifier)) && (apartment == APTTYPE_STA || apartment == APTTYPE_MAINSTA);
    bool restEmpty = !request->hwnd && !request->lpParameters && !request->lpDirectory && !request->lpIDList && !request->lpClass;
    char seen[512];
    std::snprintf(seen, sizeof seen, "size %u mask %#lx verb %s file %s show %d rest %s%s", static_cast<unsigned>(request->cbSize),
                  request->fMask, request->lpVerb, request->lpFile, request->nShow, restEmpty ? "empty" : "set",
                  singleThreaded ? " in STA" : "");
    std::lock_guard<std::mutex> guard(lock);
    requests.push_back(seen);
    if (!shellSucceeds) return FALSE;
    // A started process, as the shell gives it to a caller that asks for it; a value that no real
    // handle can take, so that its closing is seen whatever else opens and closes meanwhile.
    if (request->fMask & SEE_MASK_NOCLOSEPROCESS) processes.push_back(request->hProcess = reinterpret_cast<HANDLE>(0x7e570000 + 4 * processes.size()));
    return TRUE;
}

BOOL WINAPI CloseRecorded(HANDLE handle) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (std::find(processes.begin(), processes.end(), handle) != processes.end()) {
            closed.push_back(handle);
            return TRUE;
        }
    }
    static auto close = reinterpret_cast<BOOL(WINAPI*)(HANDLE)>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CloseHandle")));
    return close(handle);
}

// Waits up to five seconds for the opener threads.
template <class Condition>
bool Eventually(Condition condition) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000; Sleep(10))
        if (condition()) return true;
    return condition();
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        beeps.clear();
        about.CreateModeless();
        GetWindowRect(about.GetControl(IDC_LINK), &link);
    }
    void TearDown() override { DestroyWindow(about.GetHandle()); }

    void Mouse(UINT message, LONG x, LONG y) {
        pointer = {x, y};
        // The message's own coordinates lie outside the link: the pointer's position counts.
        SendMessageA(about.GetHandle(), message, message == WM_SETCURSOR ? reinterpret_cast<WPARAM>(about.GetHandle()) : 0,
                     message == WM_SETCURSOR ? MAKELPARAM(HTCLIENT, WM_MOUSEMOVE) : MAKELPARAM(1, 1));
    }
    bool HandOver(LONG x, LONG y) {
        SetCursor(nullptr);
        Mouse(WM_SETCURSOR, x, y);
        return GetCursor() == LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_CURSOR));
    }

    ImportPatch cursorPosition{"user32.dll", "GetCursorPos", reinterpret_cast<void*>(PointerAt)};
    ImportPatch shell{"shell32.dll", "ShellExecuteExA", reinterpret_cast<void*>(ShellOpen)};
    ImportPatch beep{"user32.dll", "MessageBeep", reinterpret_cast<void*>(RecordBeep)};
    ImportPatch closeHandle{"kernel32.dll", "CloseHandle", reinterpret_cast<void*>(CloseRecorded)};
    AboutDialog about;
    RECT link = {};
};

TEST_F(AboutBoxTest, OverTheLinkTheHandShowsAndEveryReleaseOpensTheAddressOnAThreadOfItsOwn) {
    ASSERT_TRUE(cursorPosition.Installed() && shell.Installed() && closeHandle.Installed());
    EXPECT_TRUE(HandOver(link.left, link.top) && HandOver(link.right - 1, link.bottom - 1));
    EXPECT_FALSE(HandOver(link.left - 1, link.top) || HandOver(link.right, link.top) || HandOver(link.left, link.bottom));

    LONG x = (link.left + link.right) / 2, y = (link.top + link.bottom) / 2;
    for (LONG releasedAt : {y, y, link.bottom}) {
        Mouse(WM_LBUTTONDOWN, x, link.bottom + 5);
        Mouse(WM_LBUTTONUP, x, releasedAt);
    }
    char shown[64] = "";
    GetDlgItemTextA(about.GetHandle(), IDC_LINK, shown, sizeof shown);
    std::string expected = "size " + std::to_string(sizeof(SHELLEXECUTEINFOA)) + " mask 0x140 verb Open file " + shown + " show 1 rest empty in STA";
    // The processes the shell started are nobody's to keep; the release below the link opened nothing.
    EXPECT_TRUE(Eventually([&] {
        std::lock_guard<std::mutex> guard(lock);
        return requests == std::vector<std::string>(2, expected) && processes.size() == 2 &&
               std::is_permutation(closed.begin(), closed.end(), processes.begin(), processes.end());
    })) << expected;
    EXPECT_STREQ("https://fretlark.example.org/", shown);
    EXPECT_EQ(0, Beeps(MB_OK));

    shellSucceeds = false;
    Mouse(WM_LBUTTONUP, x, y);
    ASSERT_TRUE(Eventually([] { return Beeps(MB_OK) == 1; }));
    Sleep(100);
    EXPECT_EQ(1, Beeps(MB_OK)) << "a failed open beeps once, and only that";
}

TEST_F(AboutBoxTest, TheLinkIsBlueAndUnderlinedAndTheTitleSemiBold) {
    HWND window = about.GetHandle();
    auto fontOf = [](HWND control) {
        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        return font;
    };
    LOGFONTA dialogFont = fontOf(window), linkFont = fontOf(about.GetControl(IDC_LINK)), title = fontOf(about.GetControl(IDC_ABOUT_TITLE));
    EXPECT_TRUE(linkFont.lfUnderline && !title.lfUnderline);
    EXPECT_EQ(std::make_pair(dialogFont.lfWeight, static_cast<LONG>(FW_SEMIBOLD)), std::make_pair(linkFont.lfWeight, title.lfWeight));
    for (const LOGFONTA& font : {linkFont, title}) {
        EXPECT_STREQ(dialogFont.lfFaceName, font.lfFaceName);
        EXPECT_EQ(dialogFont.lfHeight, font.lfHeight);
    }
    // The colours the statics are given: the dialog's background under the link and the title, and
    // the link's blue; the context's black stays for the title; anything else keeps the system's.
    auto colours = [&](int id) {
        HDC context = CreateCompatibleDC(nullptr);
        INT_PTR brush = SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
        bool transparent = GetBkMode(context) == TRANSPARENT && brush == reinterpret_cast<INT_PTR>(GetStockObject(NULL_BRUSH));
        COLORREF text = GetTextColor(context);
        DeleteDC(context);
        return transparent ? text : CLR_INVALID;
    };
    EXPECT_EQ((std::vector<COLORREF>{RGB(0, 0, 224), RGB(0, 0, 0), CLR_INVALID}),
              (std::vector<COLORREF>{colours(IDC_LINK), colours(IDC_ABOUT_TITLE), colours(IDOK)}));
    // That the fonts go with the window is the main window's test of rounds of every dialog.
}

TEST(AboutBox, OkAndTheCloseBoxBothEndWithOne) {
    for (auto [message, wParam] : {std::pair<UINT, WPARAM>{WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)}, {WM_SYSCOMMAND, SC_CLOSE}}) {
        AboutDialog about;
        ModalDriver driver({WaitFor([&] { return IsWindowVisible(about.GetHandle()); }),
                            Do([&, message = message, wParam = wParam] { PostMessageA(about.GetHandle(), message, wParam, 0); })});
        EXPECT_EQ(1, about.RunModal());
        EXPECT_TRUE(driver.Finished());
    }
}

}  // namespace about

}  // namespace
