// fretlark-listen: records from a wave-input device through the tuner's analyzer and prints one CSV
// line per analysed block, as fretlark-analyze does for a file, after a comment naming the device.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "AnalysisCsv.hpp"
#include "AnalysisOptions.hpp"
#include "TunerAnalyzer.hpp"
#include "TunerState.hpp"
#include "YArray.hpp"
#include "YSystemException.hpp"

namespace {

constexpr int ExitBadInput = 2;
constexpr UINT_PTR StopTimer = 1;

int Refuse(const std::string& problem) {
    std::fprintf(stderr, "fretlark-listen: %s\n", problem.c_str());
    return ExitBadInput;
}

// Stands where the tuner's main window stands: it receives every result, matches it and, instead
// of drawing it, prints its line.
class ResultPrinter {
public:
    explicit ResultPrinter(TunerAnalyzer& analyzer) : analyzer(analyzer) {}
    ~ResultPrinter() {
        if (window) DestroyWindow(window);
    }

    bool Create() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "FretlarkListenResults";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
        if (window) SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return window != nullptr;
    }

    HWND Window() const { return window; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* printer = reinterpret_cast<ResultPrinter*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (printer && message == WM_USER && wParam == TunerAnalyzer::ResultReady) {
            printer->PrintResult();
            return 0;
        }
        if (message == WM_TIMER && wParam == StopTimer) {
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    void PrintResult() {
        analysisBusy = true;
        analyzer.MatchNote();
        // With Precise Pitch a block without a clear fundamental gives no line but keeps its number.
        const int block = results++ + analyzer.BlocksWithoutResult();
        std::printf("%s\n", AnalysisCsv::Describe(block, analyzer.GetFormat().sampleRate, analyzer.Hop()).c_str());
        std::fflush(stdout);
        analysisBusy = false;
    }

    TunerAnalyzer& analyzer;
    HWND window = nullptr;
    int results = 0;
};

YString DeviceName(int device) {
    YArray<YString> names;
    TunerAnalyzer::GetDeviceNames(names);
    return device < names.Count() ? names[device] : YString();
}

int Listen(const AnalysisOptions& options) {
    TunerAnalyzer analyzer;
    AnalysisCsv::ApplyOptions(options, analyzer.Analysis().StringOffsets);
    analyzer.SetHop(options.hop);
    if (!analyzer.Open(static_cast<unsigned>(options.device))) {
        std::string problem = "can't open wave-input device " + std::to_string(options.device) + ": " + analyzer.GetErrorText();
        while (!problem.empty() && (problem.back() == '\n' || problem.back() == '\r')) problem.pop_back();
        return Refuse(problem);
    }
    ResultPrinter printer(analyzer);
    if (!printer.Create()) return Refuse("can't create the window that receives the results");

    std::printf("# device %d: %s\n%s\n", options.device, DeviceName(options.device).CStr(), AnalysisCsv::Header);
    std::fflush(stdout);
    analysisTarget = printer.Window();
    analyzer.Setup();
    analyzer.Start();
    SetTimer(printer.Window(), StopTimer, static_cast<UINT>(options.seconds * 1000 + 0.5), nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    analyzer.Close();
    analysisTarget = nullptr;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: fretlark-listen [options]\n"
                        "Records from a wave-input device (11025 Hz, 16-bit, mono) and prints one CSV line for\n"
                        "every block of 4096 samples, as the tuner measures and matches it; with --hop 1024\n"
                        "for every 1024 samples, each line for the latest 4096.\n%s%s",
                        CaptureOptionsUsage, AnalysisOptionsUsage);
            return 0;
        }
    }
    AnalysisOptions options;
    std::string error;
    if (!ParseAnalysisOptions(argc, argv, options, error, AnalysisSource::Capture)) return Refuse(error);
    if (!options.arguments.empty()) return Refuse("unexpected argument " + options.arguments[0]);
    try {
        return Listen(options);
    } catch (const YSystemException& e) {
        char problem[96];
        std::snprintf(problem, sizeof problem, "capture failed: error kind %d in %s, line %d", e.Kind(), e.SourceFile(), e.Line());
        std::fprintf(stderr, "fretlark-listen: %s\n", problem);
        return 1;
    }
}
