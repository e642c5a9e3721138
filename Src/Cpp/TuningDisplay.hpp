#pragma once

#include "YGuiDrawing.hpp"

// The tuning display's geometry for a canvas of width x height pixels: a scale of bars from
// -1.5 to +1.5 semitones whose tops follow an arc, with the flat, zero and sharp marks underneath.
// All divisions truncate, as the pictures are laid out in whole pixels.
struct TuningDisplayGeometry {
    static constexpr int ScaleMargin = 10;
    static constexpr int MarkWidth = 8;
    static constexpr int MarkHeight = 11;
    static constexpr int BarStep = 4;

    TuningDisplayGeometry(int width, int height);

    // Whether the canvas is large enough for the arc; nothing is drawn on a smaller one.
    bool Usable() const { return sagitta > 0 && scaleWidth > 0; }
    // The top of the bar at x; the centre bar stands 10 pixels taller than the arc.
    int BarTop(int x) const;
    // x moved left (or, left of the scale, right) onto the bar grid 10 + 4k.
    static int OnGrid(int x) { return x - (x - ScaleMargin) % BarStep; }

    int width;
    int height;
    int scaleLeft;
    int scaleRight;
    int scaleWidth;
    int centre;
    int markRow;    // top of the marks
    int flatX;      // the flat mark: -1 semitone
    int sharpX;     // the sharp mark: +1 semitone
    int barBottom;
    int baseline;
    int sagitta;    // how much higher the arc stands at the scale's ends than at the centre
    int radius;     // of the arc
};

// Renders the two layers of the tuning display from the shared tuner state: the static layer
// (background, marks, unlit bars, arrows, mode and source icons), rebuilt only when the mode or
// the input source changes, and a frame, which starts as a copy of the static layer and adds the
// lit bars, a lit arrow and the target note. Each ends as a finished bitmap in `target`, which
// must be empty; on a canvas too small for the arc `target` stays empty.
class TuningDisplay {
public:
    static void RenderStaticLayer(YGuiDrawing& target, int width, int height);
    static void RenderFrame(YGuiDrawing& target, const YGuiDrawing& staticLayer, int width, int height);
    // The lit bars run from the grid bar at or left of the centre towards the difference; false
    // when the difference lies beyond the scale and no bar is lit.
    static bool LitBars(const TuningDisplayGeometry& geometry, double semitones, int& first, int& last);
};
