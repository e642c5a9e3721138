#pragma once

#include "YGuiDrawing.hpp"

// The two vertical level meters of the detail panel, rendered as finished bitmaps of their
// control's size into an empty drawing: a one-pixel black border around a bar that rises from
// the bottom on black.
class LevelMeters {
public:
    static constexpr int InputFullScale = 32768;
    static constexpr int SignalFullScale = 2048;

    // The mean input level, green with its top quarter red: a level there risks clipping.
    static void RenderInput(YGuiDrawing& meter, int width, int height, int level);
    // The spectral peak, green from `presenceLevel` on and red below it.
    static void RenderSignal(YGuiDrawing& meter, int width, int height, int level, int presenceLevel);
};
