#pragma once

// The brushes of the tuner's pictures on black, the tuning display and the level meters, as a
// colour table of the drawing surface.
enum PictureBrush { BrushBlack, BrushGreen, BrushRed };
inline constexpr int PictureBrushes[] = {
    0,   0,   0,    //
    0,   255, 0,    //
    255, 0,   0,    //
    -1,  -1,  -1,
};
