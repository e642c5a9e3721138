#include "LevelMeters.hpp"

#include <algorithm>

#include "PictureColours.hpp"

namespace {

const int Pens[] = {PS_SOLID, 0, 0, 0, 0, -1, -1, -1, -1, -1};

// Opens the meter with its border drawn and the part above a bar of `filled` pixels blacked
// out. The inside is (1, 1)-(width - 2, height - 2).
void BeginMeter(YGuiDrawing& meter, int width, int height, int filled) {
    meter.BeginBitmap(width, height);
    meter.SetBrushes(PictureBrushes);
    meter.SetPens(Pens);
    meter.SelectPen(0);
    // With the surface's own brush still selected: only the black border shows in the end.
    meter.Rectangle(0, 0, width, height, true);
    int insideHeight = height - 2;
    if (filled < insideHeight) {
        meter.SelectBrush(BrushBlack);
        meter.FillRect(1, 1, width - 2, insideHeight - filled);
    }
}

}  // namespace

void LevelMeters::RenderInput(YGuiDrawing& meter, int width, int height, int level) {
    int insideWidth = width - 2;
    int insideHeight = height - 2;
    int filled = insideHeight * std::min(level, InputFullScale) / InputFullScale;
    BeginMeter(meter, width, height, filled);
    if (filled > 3 * insideHeight / 4) {
        meter.SelectBrush(BrushRed);
        meter.FillRect(1, insideHeight - filled + 1, insideWidth, insideHeight / 4);
        filled = 3 * insideHeight / 4;
    }
    if (filled > 0) {
        meter.SelectBrush(BrushGreen);
        meter.FillRect(1, insideHeight - filled, insideWidth, insideHeight);
    }
    meter.End();
}

void LevelMeters::RenderSignal(YGuiDrawing& meter, int width, int height, int level, int presenceLevel) {
    int insideWidth = width - 2;
    int insideHeight = height - 2;
    level = std::min(level, SignalFullScale);
    int filled = insideHeight * level / SignalFullScale;
    BeginMeter(meter, width, height, filled);
    if (filled > 0) {
        meter.SelectBrush(level >= presenceLevel ? BrushGreen : BrushRed);
        meter.FillRect(1, insideHeight - filled + 1, insideWidth, insideHeight);
    }
    meter.End();
}
