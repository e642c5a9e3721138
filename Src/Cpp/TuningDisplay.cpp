#include "TuningDisplay.hpp"

#include <cmath>

#include "Notes.hpp"
#include "PictureColours.hpp"
#include "TunerState.hpp"
#include "resource.h"

namespace {


enum Pen { PenBlack, PenCyan, PenCentreBar, PenNearBar, PenFarBar, PenBaseline, PenUnlitBar };
const int Pens[] = {
    PS_SOLID, 0, 0,   0,   0,    //
    PS_SOLID, 0, 0,   255, 255,  //
    PS_SOLID, 3, 0,   255, 0,    // lit bars within 10 pixels of the centre; the note text
    PS_SOLID, 3, 255, 255, 0,    // lit bars within one semitone
    PS_SOLID, 3, 255, 0,   0,    // lit bars beyond one semitone
    PS_SOLID, 0, 0,   255, 0,    // baseline
    PS_SOLID, 3, 32,  32,  32,   // unlit bars
    -1,       -1, -1, -1,  -1,
};

enum Font { FontNote, FontSmall };
constexpr const char* FontFace = "Times New Roman";

// The stacked pictures of the bitmap resources.
constexpr int IconWidth = 31;
constexpr int IconHeight = 15;
constexpr int IconMargin = 5;
constexpr int ArrowSize = 23;
constexpr int LitArrowRow = 0;
constexpr int UnlitArrowRow = ArrowSize;

// How far the lit bars reach from the centre; the scale spans 3 semitones.
constexpr double ScaleSemitones = 1.5;
constexpr int CentreZone = 10;
constexpr int StringCount = 6;

void Begin(YGuiDrawing& target, const TuningDisplayGeometry& geometry) {
    target.BeginBitmap(geometry.width, geometry.height);
    target.SetBrushes(PictureBrushes);
    target.SetPens(Pens);
    target.AddFont(FontFace, 2 * geometry.height / 3, YGuiDrawing::FontBold);
    target.AddFont(FontFace, geometry.height / 8, 0);
}

int LitPen(const TuningDisplayGeometry& geometry, int x) {
    if (std::abs(x - geometry.centre) <= CentreZone) return PenCentreBar;
    if (geometry.flatX < x && x < geometry.sharpX) return PenNearBar;
    return PenFarBar;
}

void DrawBars(YGuiDrawing& target, const TuningDisplayGeometry& geometry, int first, int last, bool lit) {
    for (int x = first; x <= last; x += TuningDisplayGeometry::BarStep) {
        target.SelectPen(lit ? LitPen(geometry, x) : PenUnlitBar);
        target.Line(x, geometry.BarTop(x), x, geometry.barBottom);
    }
}

// The arrows stand inside the marks, the right-pointing one at the flat end.
void DrawArrows(YGuiDrawing& target, const TuningDisplayGeometry& geometry, int flatRow, int sharpRow) {
    int top = geometry.markRow / 4;
    if (flatRow >= 0) target.DrawBitmapPart(IDB_RIGHT_ARROWS, geometry.flatX, top, 0, flatRow, ArrowSize, ArrowSize);
    if (sharpRow >= 0)
        target.DrawBitmapPart(IDB_LEFT_ARROWS, geometry.sharpX - ArrowSize, top, 0, sharpRow, ArrowSize, ArrowSize);
}

// The target note in large letters centred at the top, with its octave and, in guitar mode, the
// string number to its right.
void DrawNote(YGuiDrawing& target, const TuningDisplayGeometry& geometry) {
    YString text;
    NoteName(noteIndex, text, NOTE_NAME);
    target.SelectFont(FontNote);
    target.SelectBrush(BrushBlack);
    target.SelectPen(PenCentreBar);
    target.SetTextAlign(TA_CENTER | TA_TOP);
    target.TextOut(geometry.centre, 0, text);
    SIZE extent;
    target.TextExtent(text, extent);

    int right = geometry.centre + extent.cx / 2;
    target.SelectFont(FontSmall);
    target.SetTextAlign(TA_LEFT | TA_TOP);
    if (tunerMode == TunerModeGuitar) {
        text.Format("%d", StringCount - selectedString);
        target.TextOut(right, extent.cy - 20, text);
    }
    NoteName(noteIndex, text, NOTE_OCTAVE);
    target.TextOut(right, IconMargin, text);
}

}  // namespace

TuningDisplayGeometry::TuningDisplayGeometry(int width, int height)
    : width(width),
      height(height),
      scaleLeft(ScaleMargin),
      scaleRight(width - ScaleMargin),
      scaleWidth(width - 2 * ScaleMargin),
      centre((width + 1) / 2),
      markRow(height - 1 - MarkHeight),
      flatX(scaleWidth / 6 + ScaleMargin),
      sharpX(5 * scaleWidth / 6 + ScaleMargin),
      barBottom(markRow - 4),
      baseline(markRow - 2),
      sagitta((markRow - 2) / 2),
      radius(sagitta > 0 ? (scaleWidth * scaleWidth + 4 * sagitta * sagitta) / (8 * sagitta) : 0) {}

int TuningDisplayGeometry::BarTop(int x) const {
    // On odd canvases the truncated radius can fall just short of the scale's half width.
    long long underRoot = static_cast<long long>(radius) * radius - static_cast<long long>(x - centre) * (x - centre);
    if (underRoot < 0) underRoot = 0;
    int top = static_cast<int>(std::sqrt(static_cast<double>(underRoot))) + markRow - 15 - radius;
    if (centre - 1 <= x && x <= centre + 1) top -= 10;
    return top;
}

bool TuningDisplay::LitBars(const TuningDisplayGeometry& geometry, double semitones, int& first, int& last) {
    double reach = geometry.scaleWidth * semitones / 2 / ScaleSemitones;
    // Far beyond the scale the reach would not fit an int; it lights nothing anyway.
    if (std::fabs(reach) > 2.0 * geometry.width) return false;
    int offset = static_cast<int>(reach);
    if (semitones >= 0) {
        first = TuningDisplayGeometry::OnGrid(geometry.centre);
        last = first + offset;
    } else {
        first = TuningDisplayGeometry::OnGrid(geometry.centre + offset);
        last = geometry.centre;
    }
    return first >= geometry.scaleLeft && last <= geometry.scaleRight;
}

void TuningDisplay::RenderStaticLayer(YGuiDrawing& target, int width, int height) {
    TuningDisplayGeometry geometry(width, height);
    if (!geometry.Usable()) return;
    Begin(target, geometry);
    target.SelectBrush(BrushBlack);
    target.FillRect(0, 0, width - 1, height - 1);

    int halfMark = TuningDisplayGeometry::MarkWidth / 2;
    target.DrawBitmap(IDB_FLAT_MARK, geometry.flatX - halfMark, geometry.markRow);
    target.DrawBitmap(IDB_ZERO_MARK, geometry.centre - halfMark, geometry.markRow);
    target.DrawBitmap(IDB_SHARP_MARK, geometry.sharpX - halfMark, geometry.markRow);
    DrawArrows(target, geometry, UnlitArrowRow, UnlitArrowRow);

    target.SelectPen(PenBaseline);
    target.Line(geometry.scaleLeft, geometry.baseline, geometry.scaleRight, geometry.baseline);
    DrawBars(target, geometry, geometry.scaleLeft, geometry.scaleRight, false);

    target.DrawBitmapPart(IDB_SOURCE_ICONS, geometry.scaleRight - IconWidth, IconMargin, 0, inputSource * IconHeight,
                          IconWidth, IconHeight);
    target.DrawBitmapPart(IDB_MODE_ICONS, geometry.scaleLeft, IconMargin, 0,
                          tunerMode == TunerModeChromatic ? IconHeight : 0, IconWidth, IconHeight);
    target.End();
}

void TuningDisplay::RenderFrame(YGuiDrawing& target, const YGuiDrawing& staticLayer, int width, int height) {
    TuningDisplayGeometry geometry(width, height);
    if (!geometry.Usable()) return;
    Begin(target, geometry);
    staticLayer.CopyTo(target);

    bool signalPresent = signalLevel > noiseThreshold * 50;
    if (signalPresent) {
        int first, last;
        if (LitBars(geometry, semitoneDifference, first, last)) DrawBars(target, geometry, first, last, true);
        DrawArrows(target, geometry, semitoneDifference < -1.0 ? LitArrowRow : -1, semitoneDifference > 1.0 ? LitArrowRow : -1);
    }
    // In guitar mode with automatic string choice there is no target until a tone is heard.
    if (signalPresent || !autoString || tunerMode != TunerModeGuitar) DrawNote(target, geometry);
    target.End();
}
