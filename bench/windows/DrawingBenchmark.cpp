// Prints what the drawing surface costs for pictures of the tuning display's size: a static layer
// drawn once, a frame that starts as a copy of it and reaches a window in one transfer, and a
// colour replacement over a whole bitmap.
//   tools/wine-run build/win64/wine build/win64/bench/drawing_benchmark.exe
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "YGuiDrawing.hpp"

namespace {

constexpr int Width = 336;
constexpr int Height = 117;

const int Brushes[] = {0, 0, 0, 0, 255, 0, 255, 0, 0, -1, -1, -1};
const int Pens[] = {PS_SOLID, 0, 0, 0, 0, PS_SOLID, 3, 0, 255, 0, PS_SOLID, 3, 32, 32, 32, -1, -1, -1, -1, -1};

void DrawBars(YGuiDrawing& drawing, int pen, int from, int to) {
    drawing.SelectPen(pen);
    for (int x = from; x <= to; x += 4) drawing.Line(x, 40, x, Height - 20);
}

void RenderStaticLayer(YGuiDrawing& layer) {
    layer.Reset();
    layer.BeginBitmap(Width, Height);
    layer.SetBrushes(Brushes);
    layer.SetPens(Pens);
    layer.SelectBrush(0);
    layer.FillRect(0, 0, Width - 1, Height - 1);
    DrawBars(layer, 2, 10, Width - 10);
    layer.End();
}

void RenderFrame(const YGuiDrawing& layer, HWND window) {
    YGuiDrawing frame;
    frame.BeginBitmap(Width, Height);
    layer.CopyTo(frame);
    frame.SetBrushes(Brushes);
    frame.SetPens(Pens);
    frame.AddFont("Tahoma", 2 * Height / 3, YGuiDrawing::FontBold);
    DrawBars(frame, 1, 150, 186);
    frame.SelectFont(0);
    frame.SelectPen(1);
    frame.SelectBrush(0);
    frame.SetTextAlign(TA_CENTER | TA_TOP);
    frame.TextOut(Width / 2, 0, "A#");
    frame.End();
    frame.PlayToWindow(window);
}

template <class Action>
double MicrosecondsPerCall(int calls, Action action) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i) action();
    std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / calls;
}

}  // namespace

int main() {
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, Width, Height, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    YGuiDrawing layer;
    std::printf("picture %d x %d\n", Width, Height);
    std::printf("static layer: %8.1f us\n", MicrosecondsPerCall(200, [&] { RenderStaticLayer(layer); }));
    std::printf("frame:        %8.1f us (copy of the layer, bars, text, one transfer to a window)\n",
                MicrosecondsPerCall(500, [&] { RenderFrame(layer, window); }));

    YGuiDrawing recolour;
    recolour.BeginBitmap(Width, Height);
    std::printf("ReplaceColor: %8.1f us (every pixel of the bitmap)\n",
                MicrosecondsPerCall(20, [&] { recolour.ReplaceColor(RGB(0, 0, 0), RGB(1, 2, 3)); }));
    DestroyWindow(window);
    return 0;
}
