// Prints what the main window's view costs under Wine: one frame for a new result (meters, texts
// and a display frame, as after every analysed block) and a rebuild of the display's static layer.
//   tools/wine-run build/win64/wine build/win64/bench/tuner_view_benchmark.exe
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "TunerAnalyzer.hpp"
#include "TunerDialog.hpp"
#include "TunerMixer.hpp"
#include "TunerState.hpp"

namespace {

constexpr int Repetitions = 15;

// The fastest of the repetitions, each the mean over `calls` calls, in microseconds.
template <class Action>
double FastestMicroseconds(int calls, Action action) {
    std::vector<double> means;
    for (int repetition = 0; repetition < Repetitions; ++repetition) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i) action(i);
        std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        means.push_back(spent.count() / calls);
    }
    return *std::min_element(means.begin(), means.end());
}

}  // namespace

int main() {
    TunerAnalyzer analyzer;
    TunerMixer mixer;
    TunerDialog window(analyzer, mixer);
    window.CreateModeless();
    window.Show();
    window.UpdateView(true);

    signalLevel = 900;
    semitoneDifference = -0.23;
    double frame = FastestMicroseconds(100, [&](int i) {
        measuredFrequency = 108.5 + i * 0.001;
        inputLevel = 10000 + i;
        signalLevel = 900 + i % 2;
        cpuLoad = i % 2;
        window.UpdateView(false);
    });
    YGuiDrawing background;
    double rebuild = FastestMicroseconds(50, [&](int) { window.RenderDisplay(background, true); });
    std::printf("Fastest repetition: frame %.0f us, static layer %.0f us\n", frame, rebuild);
    DestroyWindow(window.GetHandle());
    return 0;
}
