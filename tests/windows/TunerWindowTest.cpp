// The main window: the tuning display and the meters pixel by pixel off screen, and the window
// itself driven through its messages.
#include <gtest/gtest.h>

#include <windows.h>

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

constexpr COLORREF Unlit = RGB(32, 32, 32);
constexpr COLORREF Magenta = RGB(255, 0, 255);

// One letter per colour: black, unlit grey, green, yellow, red, dark red; '?' for anything else.
char ColourClass(COLORREF colour) {
    switch (colour) {
    case RGB(0, 0, 0): return '.';
    case Unlit: return 'u';
    case RGB(0, 255, 0): return 'G';
    case RGB(255, 255, 0): return 'Y';
    case RGB(255, 0, 0): return 'R';
    case RGB(128, 0, 0): return 'r';
    default: return '?';
    }
}

// A finished drawing copied into an open bitmap, so that its pixels can be read.
class Picture {
public:
    Picture(const YGuiDrawing& finished, int width, int height) : width(width), height(height) {
        open.BeginBitmap(width, height);
        finished.CopyTo(open);
    }
    COLORREF At(int x, int y) { return open.GetPixel(x, y); }
    char Class(int x, int y) { return ColourClass(At(x, y)); }
    bool operator==(Picture& other) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) != other.At(x, y)) return false;
        return true;
    }

private:
    YGuiDrawing open;
    int width, height;
};

// The display at the size of the worked example: scale 10..326, centre 168, marks at 62 and 273.
constexpr int Width = 336;
constexpr int Height = 117;

class TuningDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        tunerMode = TunerModeGuitar;
        autoString = true;
        selectedString = 1;
        noteIndex = -24;
        inputSource = InputSourceMixerDefault;
        noiseThreshold = 2;
        signalLevel = 500;
    }

    Picture Frame(int width = Width) {
        TuningDisplay::RenderStaticLayer(background, width, Height);
        TuningDisplay::RenderFrame(frame, background, width, Height);
        return Picture(frame, width, Height);
    }

    // Green pixels above the scale between the icons: the note's letters.
    static int NotePixels(Picture& picture) {
        int green = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 100; x < 236; ++x) green += picture.Class(x, y) == 'G';
        return green;
    }

    // The colour of every bar of the scale, one pixel above the bars' foot.
    static std::string Bars(Picture& picture) {
        std::string bars;
        for (int x = 10; x <= Width - 10; x += 4) bars += picture.Class(x, 100);
        return bars;
    }

    // What the bars from `first` to `last` look like lit: green within 10 pixels of the centre,
    // yellow inside the marks, red outside.
    static std::string LitBars(int first, int last) {
        std::string bars;
        for (int x = 10; x <= Width - 10; x += 4) {
            char lit = (158 <= x && x <= 178) ? 'G' : (62 < x && x < 273) ? 'Y' : 'R';
            bars += (first <= x && x <= last) ? lit : 'u';
        }
        return bars;
    }

    YGuiDrawing background, frame;
};

TEST_F(TuningDisplayTest, LightsTheBarsFromTheCentreTowardsTheDifferenceAndTheArrowsBeyondASemitone) {
    const struct {
        double semitones;
        int first, last;  // last < first: no bar lit
        char flatArrow, sharpArrow;
    } cases[] = {
        {0.5, 166, 218, '.', '.'},  {-0.5, 114, 166, '.', '.'}, {0.0, 166, 166, '.', '.'},
        {1.0, 166, 270, '.', '.'},  {1.2, 166, 290, '.', 'R'},  {-1.2, 42, 166, 'R', '.'},
        {1.6, 1, 0, '.', 'R'},      {-1.6, 1, 0, 'R', '.'},     {-1.01, 62, 166, 'R', '.'},
    };
    for (const auto& example : cases) {
        SCOPED_TRACE(example.semitones);
        semitoneDifference = example.semitones;
        background.Reset();
        frame.Reset();
        Picture picture = Frame();
        EXPECT_EQ(LitBars(example.first, example.last), Bars(picture));
        // Inside the arrows: the flat one points right from the flat mark, the sharp one left.
        EXPECT_EQ(example.flatArrow, picture.Class(62 + 5, 26 + 11));
        EXPECT_EQ(example.sharpArrow, picture.Class(273 - 6, 26 + 11));
        EXPECT_EQ('r', picture.Class(62 + 1, 26 + 11)) << "the arrows' edge is always there";
    }
}

TEST_F(TuningDisplayTest, BarsRiseAlongTheArcAndOnlyTheCentreBarIsLengthened) {
    Frame();
    Picture example(background, Width, Height);
    EXPECT_EQ('u', example.Class(166, 89));
    EXPECT_EQ('.', example.Class(166, 86));
    EXPECT_EQ('u', example.Class(170, 89));
    EXPECT_EQ('.', example.Class(170, 86));
    EXPECT_EQ('u', example.Class(10, 38));
    EXPECT_EQ('.', example.Class(10, 35));
    EXPECT_EQ('G', example.Class(150, 103)) << "the baseline";

    background.Reset();
    frame.Reset();
    Frame(Width + 1);
    Picture wider(background, Width + 1, Height);
    EXPECT_EQ('u', wider.Class(170, 79)) << "the centre is 169 now";
    EXPECT_EQ('.', wider.Class(170, 76));
}

TEST_F(TuningDisplayTest, WithoutASignalOnlyAChosenTargetIsShown) {
    semitoneDifference = 0.5;
    signalLevel = noiseThreshold * 50;  // exactly the threshold is no signal yet
    Picture automatic = Frame();
    Picture staticLayer(background, Width, Height);
    EXPECT_TRUE(automatic == staticLayer);
    EXPECT_EQ(0, NotePixels(automatic));

    for (bool chromatic : {false, true}) {
        tunerMode = chromatic ? TunerModeChromatic : TunerModeGuitar;
        autoString = chromatic;
        background.Reset();
        frame.Reset();
        Picture chosen = Frame();
        EXPECT_EQ(LitBars(1, 0), Bars(chosen));
        EXPECT_GT(NotePixels(chosen), 100) << "the note in large letters";
    }
}

TEST_F(TuningDisplayTest, ACanvasTooSmallForTheArcGetsNoPicture) {
    TuningDisplay::RenderStaticLayer(background, Width, 15);
    TuningDisplay::RenderFrame(frame, background, Width, 15);
    TuningDisplay::RenderFrame(frame, background, 20, Height);
    EXPECT_EQ(YGuiDrawing::KindNone, background.Kind());
    EXPECT_EQ(YGuiDrawing::KindNone, frame.Kind());
}

// The colours of column 1 of a meter, 97 pixels high (95 inside), from top to bottom.
std::string MeterColumn(bool input, int level) {
    YGuiDrawing meter;
    if (input) LevelMeters::RenderInput(meter, 15, 97, level);
    else LevelMeters::RenderSignal(meter, 15, 97, level, 1024);
    Picture picture(meter, 3, 97);
    std::string column;
    for (int y = 0; y < 97; ++y) column += picture.Class(1, y);
    return column;
}

TEST(LevelMeters, FillFromTheBottomWithTheirWarningColours) {
    auto bar = [](int black, int red, int green) {
        return "." + std::string(black, '.') + std::string(red, 'R') + std::string(green, 'G') + ".";
    };
    EXPECT_EQ(bar(0, 23, 72), MeterColumn(true, 32768)) << "the top quarter red";
    EXPECT_EQ(bar(23, 0, 72), MeterColumn(true, 32768 * 3 / 4));
    EXPECT_EQ(bar(95, 0, 0), MeterColumn(true, 0));
    EXPECT_EQ(bar(48, 0, 47), MeterColumn(false, 1024)) << "at the threshold: green";
    EXPECT_EQ(bar(48, 47, 0), MeterColumn(false, 1023));
    EXPECT_EQ(bar(0, 0, 95), MeterColumn(false, 5000));
}

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
        Pump();
    }
    void TearDown() override { DestroyWindow(window.GetHandle()); }

    static void Pump() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    void Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        SendMessageA(window.GetHandle(), message, wParam, lParam);
        Pump();
    }
    void Command(int id) { Send(WM_COMMAND, id); }
    void UpDown(int delta) {
        NMUPDOWN notification = {};
        notification.hdr.hwndFrom = window.GetControl(IDC_SEMITONE_STEP);
        notification.hdr.idFrom = IDC_SEMITONE_STEP;
        notification.hdr.code = UDN_DELTAPOS;
        notification.iDelta = delta;
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
    COLORREF Pixel(int id, int x, int y) {
        HWND control = window.GetControl(id);
        HDC context = GetDC(control);
        COLORREF colour = GetPixel(context, x, y);
        ReleaseDC(control, context);
        return colour;
    }
    void Paint(int id, COLORREF colour) {
        HWND control = window.GetControl(id);
        HDC context = GetDC(control);
        RECT all;
        GetClientRect(control, &all);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(context, &all, brush);
        DeleteObject(brush);
        ReleaseDC(control, context);
    }
    bool StringPressed(int id) { return Pixel(id, 2, 2) == GetSysColor(COLOR_BTNTEXT); }

    TunerAnalyzer analyzer;
    TunerMixer mixer;
    TunerDialog window{analyzer, mixer};
};

// Captions, labels and which controls show are checked end to end (fretlark_window_test.py).
TEST_F(TunerWindowTest, ChromaticTargetsStayOnThePiano) {
    Command(IDM_CHROMATIC_TUNING);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), window.GetMenuItemState(IDM_CHROMATIC_TUNING) & MF_CHECKED);

    const struct {
        int from, command, to;
    } octaves[] = {{-37, IDC_OCTAVE_DOWN, -37}, {-36, IDC_OCTAVE_DOWN, -48}, {28, IDC_OCTAVE_UP, 28}, {27, IDC_OCTAVE_UP, 39}};
    for (const auto& step : octaves) {
        noteIndex = step.from;
        Command(step.command);
        EXPECT_EQ(step.to, noteIndex) << step.from;
    }
    EXPECT_EQ("C8", Text(IDC_NOTE_LABEL));
    UpDown(-1);
    EXPECT_EQ(39, noteIndex) << "the up arrow at C8";
    noteIndex = -47;
    UpDown(1);
    UpDown(1);
    EXPECT_EQ(-48, noteIndex);
    EXPECT_EQ("A0", Text(IDC_NOTE_LABEL));

    Command(IDM_CHROMATIC_TUNING);
    EXPECT_EQ(0, noteIndex) << "chromatic again starts at A4";
    noteIndex = 5;
    Command(IDM_GUITAR_TUNING);
    EXPECT_EQ(5, noteIndex) << "kept until the next result";
}

TEST_F(TunerWindowTest, AStringClickedTwiceGoesBackToAutomaticAndTheButtonsShowIt) {
    selectedString = 3;
    Command(IDC_STRING_1);
    EXPECT_FALSE(autoString);
    EXPECT_EQ(1, selectedString);
    EXPECT_TRUE(StringPressed(IDC_STRING_1));
    EXPECT_FALSE(StringPressed(IDC_STRING_2));
    Command(IDC_STRING_2);
    EXPECT_EQ(2, selectedString);
    EXPECT_TRUE(StringPressed(IDC_STRING_2));
    EXPECT_FALSE(StringPressed(IDC_STRING_1));

    // Left to right along the middle: edge, face, (inner shadow,) edge; pressed ones sink in.
    RECT bounds;
    GetClientRect(window.GetControl(IDC_STRING_1), &bounds);
    int r = bounds.right, middle = bounds.bottom / 2;
    auto colours = [&](int id, int x1, int x2, int x3) {
        return std::vector<COLORREF>{Pixel(id, x1, middle), Pixel(id, x2, 2), Pixel(id, x3, middle)};
    };
    EXPECT_EQ(std::vector<COLORREF>({GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_BTNTEXT), GetSysColor(COLOR_BTNHIGHLIGHT)}),
              colours(IDC_STRING_2, 0, 2, r - 1));
    EXPECT_EQ(std::vector<COLORREF>({GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNSHADOW)}),
              colours(IDC_STRING_1, 0, 2, r - 2));
    EXPECT_EQ(GetSysColor(COLOR_3DDKSHADOW), Pixel(IDC_STRING_1, r - 1, middle));

    // A quick second click reaches the window as a double click.
    Send(WM_COMMAND, MAKEWPARAM(IDC_STRING_2, BN_DOUBLECLICKED));
    EXPECT_TRUE(autoString);
    EXPECT_FALSE(StringPressed(IDC_STRING_2));
}

TEST_F(TunerWindowTest, DetailsFollowTheCheckMarkAndAlwaysExpandToTheFullSize) {
    int collapsed = Height();
    Command(IDM_DETAILS);
    int full = Height();
    EXPECT_GT(full, collapsed);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), window.GetMenuItemState(IDM_DETAILS));
    Command(IDM_DETAILS);
    EXPECT_EQ(collapsed, Height());
    RECT bounds;
    GetWindowRect(window.GetHandle(), &bounds);
    MoveWindow(window.GetHandle(), bounds.left, bounds.top, bounds.right - bounds.left, collapsed - 20, TRUE);
    Command(IDM_DETAILS);
    EXPECT_EQ(full, Height());
}

TEST_F(TunerWindowTest, ResultsRedrawOnlyWhatChanged) {
    Command(IDM_DETAILS);
    tunerMode = TunerModeChromatic;  // shows in the static layer only once it is rebuilt
    measuredFrequency = 445.0;
    inputLevel = 4000;
    signalLevel = 900;
    Send(WM_USER, 7);
    EXPECT_NE("  445.00", Text(IDC_MEASURED_FREQUENCY)) << "no result";
    Send(WM_USER, TunerAnalyzer::ResultReady);
    EXPECT_EQ("  445.00", Text(IDC_MEASURED_FREQUENCY));
    EXPECT_EQ("  440.00", Text(IDC_REQUIRED_FREQUENCY));
    EXPECT_EQ("A4", Text(IDC_TARGET_NOTE));
    EXPECT_EQ("    20", Text(IDC_DIFFERENCE));
    EXPECT_EQ("1", Text(IDC_HARMONIC));
    EXPECT_EQ(0.2, semitoneDifference);

    // Unchanged values keep whatever is on the screen; a changed meter or load is redrawn.
    window.SetControlText(IDC_MEASURED_FREQUENCY, "kept");
    Paint(IDC_DISPLAY, Magenta);
    Paint(IDC_INPUT_METER, Magenta);
    Paint(IDC_SIGNAL_METER, Magenta);
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
}

HBITMAP WINAPI NoBitmap(HDC, int, int) { return nullptr; }

// A result that cannot be drawn (the system ran short of GDI objects) is reported, and the
// analysis announces the next one again.
TEST_F(TunerWindowTest, AResultThatCannotBeDrawnLeavesTheWindowReadyForTheNext) {
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

// Presses the close box of every dialog that becomes active on this thread, but for the main
// window's: the dialogs a menu command runs end as soon as they show.
class DialogCloser {
public:
    explicit DialogCloser(HWND mainWindow) {
        keep = mainWindow;
        hook = SetWindowsHookExA(WH_CBT, Activated, nullptr, GetCurrentThreadId());
    }
    ~DialogCloser() { UnhookWindowsHookEx(hook); }
    static int closed;

private:
    static LRESULT CALLBACK Activated(int code, WPARAM wParam, LPARAM lParam) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = "";
        if (code == HCBT_ACTIVATE && window != keep && GetClassNameA(window, className, sizeof className) &&
            lstrcmpA(className, "#32770") == 0) {
            PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            ++closed;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static HWND keep;
    HHOOK hook;
};
int DialogCloser::closed = 0;
HWND DialogCloser::keep = nullptr;

// The handles the process holds, where the platform counts them; -1 where it does not.
long HandleCount() {
    DWORD count = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0 ? static_cast<long>(count) : -1;
}

TEST_F(TunerWindowTest, AThousandRoundsOfEveryDialogAndTenThousandFramesLeaveNothingBehind) {
    const int menuDialogs[] = {IDM_AUDIO_SOURCE, IDM_TUNING, IDM_CALIBRATE, IDM_ABOUT};
    DialogCloser closer(window.GetHandle());
    auto everyDialog = [&] {
        for (int command : menuDialogs) SendMessageA(window.GetHandle(), WM_COMMAND, command, 0);
    };
    measuredFrequency = 100.0;
    signalLevel = 900;
    window.UpdateView(true);
    everyDialog();  // the system keeps some objects of its own from the first use on
    int gdiBefore = FreeGdiSlots();
    long handlesBefore = HandleCount();
    DialogCloser::closed = 0;
    for (int round = 0; round < 1000; ++round) everyDialog();
    for (int frame = 0; frame < 10000; ++frame) {
        measuredFrequency = 100.0 + frame % 50;
        inputLevel = frame * 7 % 32768;
        signalLevel = frame % 3000;
        cpuLoad = frame % 5;
        inputSource = frame % 1000 == 0 ? (inputSource + 1) % 3 : inputSource;
        window.UpdateView(false);
    }
    EXPECT_EQ(4000, DialogCloser::closed);
    EXPECT_EQ(gdiBefore, FreeGdiSlots());
    EXPECT_EQ(handlesBefore, HandleCount());
}

}  // namespace
