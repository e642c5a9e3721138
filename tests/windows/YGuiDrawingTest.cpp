#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "ExpectException.hpp"
#include "GdiSlots.hpp"
#include "YGuiDrawing.hpp"
#include "drawing_tests_resource.h"

namespace {

constexpr const char* Source = "Cpp/YGuiDrawing";
constexpr COLORREF Black = RGB(0, 0, 0);
constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Green = RGB(0, 255, 0);
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr COLORREF Blue = RGB(0, 0, 255);
constexpr COLORREF Cyan = RGB(0, 255, 255);

// Brushes: 0 black, 1 green, 2 red. Pens: 0 black, 1 cyan, 2 green (all thin), 3 red, 3 pixels wide.
const int Brushes[] = {0, 0, 0, 0, 255, 0, 255, 0, 0, -1, -1, -1};
const int Pens[] = {PS_SOLID, 0, 0, 0, 0, PS_SOLID, 0, 0, 255, 255, PS_SOLID, 0, 0, 255, 0, PS_SOLID, 3, 255, 0, 0, -1, -1, -1, -1, -1};

using Rows = std::vector<std::string>;
using Corners = std::vector<LONG>;

// Pixel (x, y) of the bitmap in drawing_pattern.bmp (5 x 3).
COLORREF Pattern(int x, int y) { return RGB(10 + 40 * x, 20 + 60 * y, 200); }

// Whether the pattern bitmap stands whole at (left, top) of an open drawing.
bool PatternAt(YGuiDrawing& drawing, int left, int top) {
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            if (drawing.GetPixel(left + x, top + y) != Pattern(x, y)) return false;
    return true;
}

// Rows of text for the area (0, 0)-(width - 1, height - 1) of an open drawing: '#' where a pixel
// has the colour `ink`, '.' elsewhere.
Rows Ink(YGuiDrawing& drawing, COLORREF ink, int width, int height) {
    Rows rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) row += drawing.GetPixel(x, y) == ink ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// The smallest rectangle {left, top, right, bottom}, corners inclusive, around the pixels of
// (0, 0)-(width - 1, height - 1) that `counts`; left above right when there is none.
template <class Counts>
Corners Extent(YGuiDrawing& drawing, int width, int height, Counts counts) {
    Corners extent{width, height, -1, -1};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (counts(drawing.GetPixel(x, y))) extent = {std::min<LONG>(extent[0], x), std::min<LONG>(extent[1], y),
                                                           std::max<LONG>(extent[2], x), std::max<LONG>(extent[3], y)};
    return extent;
}

auto Not(COLORREF background) {
    return [background](COLORREF colour) { return colour != background; };
}

// An open bitmap drawing of the size, all in `background`.
void BeginCanvas(YGuiDrawing& canvas, int width, int height, COLORREF background) {
    canvas.BeginBitmap(width, height);
    RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(background);
    ::FillRect(canvas.Handle(), &all, brush);
    DeleteObject(brush);
}

// A canvas with the pens and brushes above, `pen` and `brush` selected.
void BeginCanvas(YGuiDrawing& canvas, int width, int height, COLORREF background, int pen, int brush) {
    BeginCanvas(canvas, width, height, background);
    canvas.SetPens(Pens);
    canvas.SetBrushes(Brushes);
    canvas.SelectPen(pen);
    canvas.SelectBrush(brush);
}

// A blue canvas as above, with Tahoma of `fontHeight` selected.
void BeginTextCanvas(YGuiDrawing& canvas, int width, int height, int fontHeight, int pen, int brush) {
    BeginCanvas(canvas, width, height, Blue, pen, brush);
    canvas.AddFont("Tahoma", fontHeight, 0);
    canvas.SelectFont(0);
}

// The pen, brush and font selected into `context`.
std::vector<HGDIOBJ> SelectedObjects(HDC context) {
    return {GetCurrentObject(context, OBJ_PEN), GetCurrentObject(context, OBJ_BRUSH), GetCurrentObject(context, OBJ_FONT)};
}

// A visible top-level window on the virtual display, painted once and then left alone.
struct TestWindow {
    TestWindow(int width, int height)
        : window(CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr)) {
        UpdateWindow(window);
    }
    ~TestWindow() { DestroyWindow(window); }

    COLORREF Pixel(int x, int y) const {
        HDC context = GetDC(window);
        COLORREF colour = ::GetPixel(context, x, y);
        ReleaseDC(window, context);
        return colour;
    }

    const HWND window;
};

TEST(YGuiDrawing, AFreshDrawingEndsResetsAndPlaysAsNothing) {
    YGuiDrawing fresh;
    fresh.Reset();
    fresh.End();
    fresh.End();
    YGuiDrawing canvas;
    BeginCanvas(canvas, 3, 2, Blue);
    fresh.Play(canvas.Handle(), 0, 0);
    EXPECT_EQ((Rows{"###", "###"}), Ink(canvas, Blue, 3, 2));
}

TEST(YGuiDrawing, AFinishedBitmapBlocksEveryBeginUntilResetAndPlaysOnceClosed) {
    YGuiDrawing drawing, target, closed;
    BeginCanvas(drawing, 7, 5, Red);
    BeginCanvas(target, 8, 6, Black);
    EXPECT_YTHROW(drawing.BeginBitmap(2, 2), YSystemException::KindGui, 123, Source);
    EXPECT_YTHROW(drawing.Play(target.Handle(), 0, 0), YSystemException::KindGui, 691, Source);
    drawing.End();
    drawing.End();
    EXPECT_YTHROW(drawing.Play(nullptr, 0, 0), YSystemException::KindGui, 691, Source);
    EXPECT_YTHROW(drawing.CopyTo(closed), YSystemException::KindGui, 691, Source);

    EXPECT_YTHROW(drawing.BeginBitmap(2, 2), YSystemException::KindGui, 123, Source);
    EXPECT_YTHROW(drawing.BeginBitmapFromResource(IDB_TEST_PATTERN), YSystemException::KindGui, 152, Source);
    EXPECT_YTHROW(drawing.BeginMetafile(), YSystemException::KindGui, 82, Source);
    EXPECT_YTHROW(drawing.BeginMetafile(100, 100), YSystemException::KindGui, 101, Source);
    EXPECT_YTHROW(drawing.BeginWindow(GetDesktopWindow()), YSystemException::KindGui, 203, Source);
    EXPECT_YTHROW(drawing.Attach(target.Handle()), YSystemException::KindGui, 217, Source);

    // The result survived the refused Begins.
    drawing.Play(target.Handle(), 2, 1);
    EXPECT_EQ((Rows{"........", "..######", "..######", "..######", "..######", "..######"}), Ink(target, Red, 8, 6));
    drawing.Reset();
    EXPECT_NO_THROW(drawing.BeginBitmap(2, 2));
}

TEST(YGuiDrawing, ABeginThatFailsLeavesTheDrawingEmpty) {
    YGuiDrawing drawing;
    EXPECT_YTHROW(drawing.BeginBitmap(100000, 100000), YSystemException::KindGui, 136, Source);
    EXPECT_YTHROW(drawing.Attach(nullptr), YSystemException::KindGui, 221, Source);
    EXPECT_YTHROW(drawing.BeginBitmapFromResource(IDB_TEST_MISSING), YSystemException::KindGui, 157, Source);
    EXPECT_YTHROW(drawing.BeginWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ff0))), YSystemException::KindGui, 207, Source);
    EXPECT_FALSE(drawing.IsOpen());
    EXPECT_NO_THROW(drawing.BeginBitmap(3, 3));
}

TEST(YGuiDrawing, FillRectCoversBothCornersAndNothingElse) {
    YGuiDrawing drawing;
    BeginCanvas(drawing, 4, 4, White, 0, 1);
    drawing.FillRect(1, 1, 1, 1);
    EXPECT_EQ((Rows{"....", ".#..", "....", "...."}), Ink(drawing, Green, 4, 4));
}

TEST(YGuiDrawing, LinesLeaveOutTheirLastPixelAndOutlinesCloseOnTheirCorners) {
    YGuiDrawing drawing;
    BeginCanvas(drawing, 7, 6, White, 0, 1);
    drawing.Line(1, 1, 4, 1);
    drawing.LineTo(4, 3);
    EXPECT_EQ((Rows{".......", ".####..", "....#..", ".......", ".......", "......."}), Ink(drawing, Black, 7, 6));

    drawing.SelectPen(1);
    drawing.Rectangle(0, 0, 6, 5, false);
    EXPECT_EQ((Rows{"#######", "#.....#", "#.....#", "#.....#", "#.....#", "#######"}), Ink(drawing, Cyan, 7, 6));

    // Filled, GDI leaves out the right and bottom edges.
    drawing.SelectPen(0);
    drawing.Rectangle(1, 1, 5, 5, true);
    EXPECT_EQ((Rows{".......", ".####..", ".#..#..", ".#..#..", ".####..", "......."}), Ink(drawing, Black, 7, 6));
}

TEST(YGuiDrawing, DotsEllipsesAndPolygons) {
    YGuiDrawing drawing;
    BeginCanvas(drawing, 9, 3, White, 2, 0);
    drawing.Dot(1, 1);
    drawing.SelectPen(3);
    drawing.Dot(5, 1);
    EXPECT_EQ((Rows{".........", ".#.......", "........."}), Ink(drawing, Green, 9, 3)) << "a thin pen's dot";
    EXPECT_EQ("....###..", Ink(drawing, Red, 9, 3)[1]) << "a wide pen's dot";

    // Width 6, height 4 around (4, 6): the box (1, 4)-(7, 8), right and bottom edges excluded.
    YGuiDrawing ellipse;
    BeginCanvas(ellipse, 9, 9, White, 0, 1);
    ellipse.Ellipse(4, 6, 6, 4);
    EXPECT_EQ((Corners{1, 4, 6, 7}), Extent(ellipse, 9, 9, Not(White)));

    YGuiDrawing triangle;
    BeginCanvas(triangle, 9, 9, White, 0, 2);
    const POINT corners[] = {{0, 0}, {8, 0}, {0, 8}};
    triangle.Polygon(corners, 3);
    EXPECT_EQ(Red, triangle.GetPixel(2, 2));
    EXPECT_EQ(White, triangle.GetPixel(7, 7));
}

TEST(YGuiDrawing, ColourTablesEndAtAnyMinusOneAndTakeSystemColoursFromMinusTwo) {
    YGuiDrawing drawing;
    BeginCanvas(drawing, 2, 1, White);
    // Row 1 is a system colour, whose blue is not read, not even a -1; row 2 ends the table.
    const int brushes[] = {1, 2, 3, -2, COLOR_HIGHLIGHT, -1, 7, -1, 9};
    drawing.SetBrushes(brushes);
    for (int i : {0, 1}) {
        drawing.SelectBrush(i);
        drawing.FillRect(i, 0, i, 0);
    }
    EXPECT_EQ(RGB(1, 2, 3), drawing.GetPixel(0, 0));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), drawing.GetPixel(1, 0));
    EXPECT_YTHROW(drawing.SelectBrush(2), YSystemException::KindOutOfRange, 113, "hpp/YArray");

    const int emptyPens[] = {PS_SOLID, 1, 0, 0, -1};
    drawing.SetPens(emptyPens);
    EXPECT_YTHROW(drawing.SelectPen(0), YSystemException::KindOutOfRange, 113, "hpp/YArray");
    EXPECT_YTHROW(drawing.SelectFont(0), YSystemException::KindOutOfRange, 173, "hpp/YDynArray");
}

TEST(YGuiDrawing, TextTakesThePenAndBrushColoursWhateverTheContextHad) {
    YGuiDrawing drawing;
    BeginTextCanvas(drawing, 80, 60, 20, 3, 0);
    SetTextColor(drawing.Handle(), White);
    SetBkColor(drawing.Handle(), Cyan);

    // Transparent and centred on x = 40: the text alone, in the pen's colour.
    drawing.SetBkOpaque(false);
    drawing.SetTextAlign(TA_CENTER | TA_TOP);
    drawing.TextOut(40, 0, "WWW");
    Corners background = Extent(drawing, 80, 30, [](COLORREF colour) { return colour == Black; });
    EXPECT_GT(background[0], background[2]);
    Corners text = Extent(drawing, 80, 30, [](COLORREF colour) { return colour == Red; });
    ASSERT_LE(text[0], text[2]);
    EXPECT_LE(std::abs((text[0] + text[2]) / 2 - 40), 2);

    // Opaque: the background in the brush's colour.
    drawing.SetBkOpaque(true);
    drawing.SetTextAlign(TA_LEFT | TA_TOP);
    drawing.TextOut(2, 32, "WM");
    SIZE extent;
    drawing.TextExtent("WM", extent);
    ASSERT_GT(extent.cx, 4);
    ASSERT_GT(extent.cy, 4);
    int pen = 0, brush = 0, foreign = 0;
    for (int y = 32; y < 32 + extent.cy; ++y)
        for (int x = 2; x < 2 + extent.cx; ++x) {
            COLORREF colour = drawing.GetPixel(x, y);
            pen += colour == Red;
            brush += colour == Black;
            foreign += colour == White || colour == Cyan || colour == Blue;
        }
    EXPECT_GT(pen, 0);
    EXPECT_GT(brush, 0);
    EXPECT_EQ(0, foreign);
    EXPECT_EQ(Blue, drawing.GetPixel(2 + extent.cx, 32));
}

TEST(YGuiDrawing, ExtTextOutFillsItsRectangleAndClipsTheText) {
    YGuiDrawing drawing;
    BeginTextCanvas(drawing, 40, 30, 24, 2, 2);
    RECT clip{5, 5, 25, 15};
    drawing.ExtTextOut(5, 5, &clip, "WWWW", ETO_OPAQUE | ETO_CLIPPED);
    EXPECT_EQ(Red, drawing.GetPixel(5, 5));
    EXPECT_EQ((Corners{5, 5, 24, 14}), Extent(drawing, 40, 30, Not(Blue)));
    Corners text = Extent(drawing, 40, 30, [](COLORREF colour) { return colour == Green; });
    EXPECT_LE(text[0], text[2]);
}

TEST(YGuiDrawing, FontsAreAddedInOrderWithTheirHeightWeightAndSlant) {
    YGuiDrawing drawing;
    drawing.BeginBitmap(4, 4);
    EXPECT_EQ(0, drawing.AddFont("Tahoma", 12, YGuiDrawing::FontItalic));
    EXPECT_EQ(1, drawing.AddFont("Tahoma", 30, YGuiDrawing::FontBold));
    auto selected = [&](int index) {
        drawing.SelectFont(index);
        LOGFONTA font{};
        GetObjectA(GetCurrentObject(drawing.Handle(), OBJ_FONT), sizeof font, &font);
        return font;
    };
    LOGFONTA italic = selected(0), bold = selected(1);
    EXPECT_EQ(12, italic.lfHeight);
    EXPECT_EQ(400, italic.lfWeight);
    EXPECT_TRUE(italic.lfItalic);
    EXPECT_EQ(30, bold.lfHeight);
    EXPECT_EQ(600, bold.lfWeight);
    EXPECT_FALSE(bold.lfItalic);
}

TEST(YGuiDrawing, BitmapResourcesAreCopiedWholeOrInPartOrStartABitmap) {
    SIZE size{};
    YGuiDrawing::BitmapSize(IDB_TEST_MARK, size);
    EXPECT_EQ(8, size.cx);
    EXPECT_EQ(6, size.cy);

    YGuiDrawing drawing;
    BeginCanvas(drawing, 12, 8, White);
    drawing.DrawBitmap(IDB_TEST_PATTERN, 2, 1);
    EXPECT_TRUE(PatternAt(drawing, 2, 1));
    EXPECT_EQ((Corners{2, 1, 6, 3}), Extent(drawing, 12, 8, Not(White)));
    drawing.DrawBitmapPart(IDB_TEST_PATTERN, 8, 5, 3, 1, 2, 2);
    EXPECT_EQ(Pattern(3, 1), drawing.GetPixel(8, 5));
    EXPECT_EQ(Pattern(4, 2), drawing.GetPixel(9, 6));
    EXPECT_EQ((Corners{2, 1, 9, 6}), Extent(drawing, 12, 8, Not(White)));

    // Four bits per pixel, like the program's marks.
    YGuiDrawing mark;
    BeginCanvas(mark, 8, 6, White);
    mark.DrawBitmap(IDB_TEST_MARK, 0, 0);
    EXPECT_EQ((Rows{"#.......", ".######.", ".#....#.", ".#....#.", ".######.", "........"}), Ink(mark, Green, 8, 6));

    YGuiDrawing fromResource;
    fromResource.BeginBitmapFromResource(IDB_TEST_PATTERN);
    EXPECT_EQ(5, fromResource.GetSize().cx);
    EXPECT_EQ(3, fromResource.GetSize().cy);
    EXPECT_TRUE(PatternAt(fromResource, 0, 0));
}

TEST(YGuiDrawing, BitmapHandlesAreCopiedAndStayTheCallers) {
    HBITMAP pattern = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TEST_PATTERN));
    ASSERT_NE(nullptr, pattern);
    YGuiDrawing drawing;
    BeginCanvas(drawing, 8, 4, White);
    drawing.DrawBitmap(pattern, 1, 0);
    drawing.DrawBitmapPart(pattern, 6, 2, 0, 2, 2, 1);
    EXPECT_TRUE(PatternAt(drawing, 1, 0));
    EXPECT_EQ(Pattern(1, 2), drawing.GetPixel(7, 2));
    EXPECT_EQ(White, drawing.GetPixel(6, 3));
    drawing.End();
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(pattern));
    DeleteObject(pattern);
}

TEST(YGuiDrawing, AMissingBitmapResourceThrowsItsLine) {
    SIZE size{};
    EXPECT_YTHROW(YGuiDrawing::BitmapSize(IDB_TEST_MISSING, size), YSystemException::KindGui, 800, Source);
    YGuiDrawing drawing;
    drawing.BeginBitmap(2, 2);
    EXPECT_YTHROW(drawing.DrawBitmap(IDB_TEST_MISSING, 0, 0), YSystemException::KindGui, 570, Source);
    EXPECT_YTHROW(drawing.DrawBitmapPart(IDB_TEST_MISSING, 0, 0, 0, 0, 1, 1), YSystemException::KindGui, 621, Source);
}

TEST(YGuiDrawing, DrawingWithoutAnOpenContextThrowsTheLineOfTheOperation) {
    const POINT points[] = {{0, 0}, {1, 0}, {1, 1}};
    HBITMAP bitmap = nullptr;
    const std::vector<std::pair<int, std::function<void(YGuiDrawing&)>>> cases = {
        {387, [](YGuiDrawing& d) { d.Dot(0, 0); }},
        {396, [](YGuiDrawing& d) { d.Line(0, 0, 1, 1); }},
        {405, [](YGuiDrawing& d) { d.LineTo(1, 1); }},
        {413, [&](YGuiDrawing& d) { d.Polygon(points, 3); }},
        {421, [](YGuiDrawing& d) { d.FillRect(0, 0, 1, 1); }},
        {436, [](YGuiDrawing& d) { d.Rectangle(0, 0, 1, 1, true); }},
        {453, [](YGuiDrawing& d) { d.Ellipse(1, 1, 2, 2); }},
        {465, [](YGuiDrawing& d) { d.SelectPen(0); }},
        {473, [](YGuiDrawing& d) { d.SelectBrush(0); }},
        {481, [](YGuiDrawing& d) { d.SelectFont(0); }},
        {489, [](YGuiDrawing& d) { d.SelectObject(GetStockObject(BLACK_PEN)); }},
        {565, [](YGuiDrawing& d) { d.DrawBitmap(IDB_TEST_PATTERN, 0, 0); }},
        {593, [&](YGuiDrawing& d) { d.DrawBitmap(bitmap, 0, 0); }},
        {616, [](YGuiDrawing& d) { d.DrawBitmapPart(IDB_TEST_PATTERN, 0, 0, 0, 0, 1, 1); }},
        {649, [&](YGuiDrawing& d) { d.DrawBitmapPart(bitmap, 0, 0, 0, 0, 1, 1); }},
        {736, [](YGuiDrawing& d) { d.SetPixel(0, 0, Red); }},
        {744, [](YGuiDrawing& d) { d.GetPixel(0, 0); }},
        {752, [](YGuiDrawing& d) { d.ReplaceColor(Red, Blue); }},
        {767, [](YGuiDrawing& d) { d.ReplaceBackground(Blue); }},
        {775, [](YGuiDrawing& d) { d.BackgroundToButtonFace(); }},
    };
    YGuiDrawing fresh;
    YGuiDrawing finished;
    finished.BeginBitmap(2, 2);
    finished.SetPens(Pens);
    finished.SetBrushes(Brushes);
    finished.AddFont("Tahoma", 10, 0);
    finished.End();
    for (const auto& [line, call] : cases) {
        SCOPED_TRACE(line);
        EXPECT_YTHROW(call(fresh), YSystemException::KindGui, line, Source);
        EXPECT_YTHROW(call(finished), YSystemException::KindGui, line, Source);
    }

    // Recoloring needs a bitmap: an open metafile does not do.
    YGuiDrawing metafile;
    metafile.BeginMetafile();
    EXPECT_YTHROW(metafile.ReplaceColor(Red, Blue), YSystemException::KindGui, 752, Source);
    EXPECT_YTHROW(metafile.ReplaceBackground(Blue), YSystemException::KindGui, 767, Source);
    EXPECT_YTHROW(metafile.BackgroundToButtonFace(), YSystemException::KindGui, 775, Source);
}

TEST(YGuiDrawing, ReplaceColorChangesEveryPixelOfOneColour) {
    YGuiDrawing drawing;
    BeginCanvas(drawing, 5, 3, Black);
    drawing.SetPixel(1, 0, Red);
    drawing.SetPixel(4, 2, Red);
    drawing.SetPixel(2, 1, Green);
    drawing.ReplaceColor(Red, Blue);
    EXPECT_EQ((Rows{".#...", ".....", "....#"}), Ink(drawing, Blue, 5, 3));
    drawing.ReplaceBackground(White);
    EXPECT_EQ((Rows{"#.###", "##.##", "####."}), Ink(drawing, White, 5, 3));

    YGuiDrawing button;
    BeginCanvas(button, 3, 2, Cyan);
    button.SetPixel(1, 1, Red);
    button.BackgroundToButtonFace();
    EXPECT_EQ((Rows{"###", "#.#"}), Ink(button, GetSysColor(COLOR_BTNFACE), 3, 2));
}

TEST(YGuiDrawing, AMetafileRecordsAndPlaysBackWithinItsBounds) {
    YGuiDrawing drawing;
    drawing.BeginMetafile();
    drawing.SetBrushes(Brushes);
    drawing.SetPens(Pens);
    drawing.SelectBrush(2);
    drawing.FillRect(2, 3, 6, 8);
    drawing.SelectPen(2);
    drawing.Line(3, 5, 6, 5);
    drawing.DrawBitmapPart(IDB_TEST_PATTERN, 4, 7, 0, 0, 1, 1);
    drawing.End();

    // Played twice, the second time at another place: the metafile keeps its own position.
    for (int offset : {0, 5}) {
        YGuiDrawing canvas;
        BeginCanvas(canvas, 10, 10, White);
        offset ? drawing.Play(canvas.Handle(), offset, offset) : drawing.CopyTo(canvas);
        EXPECT_EQ((Rows{"..........", "..........", "..........", "..#####...", "..#####...", "..#...#...", "..#####...", "..##.##...",
                        "..#####...", ".........."}),
                  Ink(canvas, Red, 10, 10));
        EXPECT_EQ("...###....", Ink(canvas, Green, 10, 10)[5]);
        EXPECT_EQ(Pattern(0, 0), canvas.GetPixel(4, 7));
    }

    YGuiDrawing framed;
    framed.BeginMetafile(2000, 1000);
    framed.SetPixel(1, 1, Red);
    framed.End();
    YGuiDrawing canvas;
    BeginCanvas(canvas, 3, 3, White);
    framed.CopyTo(canvas);
    EXPECT_EQ((Rows{"...", ".#.", "..."}), Ink(canvas, Red, 3, 3));
}

TEST(YGuiDrawing, AWindowDrawingReleasesItsContextAndEmptiesItself) {
    TestWindow window(40, 30);
    ASSERT_NE(nullptr, window.window);
    YGuiDrawing drawing;
    drawing.BeginWindow(window.window);
    drawing.SetBrushes(Brushes);
    drawing.SelectBrush(2);
    drawing.FillRect(10, 10, 12, 11);
    drawing.End();
    EXPECT_FALSE(drawing.IsOpen());
    EXPECT_EQ(Red, window.Pixel(12, 11));
    EXPECT_NE(Red, window.Pixel(13, 12));

    // Empty again, so it begins again without Reset.
    BeginCanvas(drawing, 3, 2, Green);
    drawing.End();
    drawing.PlayToWindow(window.window);
    EXPECT_EQ(Green, window.Pixel(2, 1));
    EXPECT_NE(Green, window.Pixel(3, 2));
}

TEST(YGuiDrawing, AnAttachedContextGetsItsStateBackAndStaysOpen) {
    YGuiDrawing host;
    BeginCanvas(host, 6, 4, White, 1, 0);
    HDC context = host.Handle();
    ::SetTextAlign(context, TA_BOTTOM | TA_RIGHT);
    SetBkMode(context, TRANSPARENT);
    const std::vector<HGDIOBJ> hostObjects = SelectedObjects(context);
    HBRUSH foreignBrush = CreateSolidBrush(Cyan);
    HGDIOBJ drawingPen;
    {
        YGuiDrawing drawing;
        drawing.Attach(context);
        drawing.SetPens(Pens);
        drawing.SelectPen(3);
        drawingPen = GetCurrentObject(context, OBJ_PEN);
        drawing.AddFont("Tahoma", 12, 0);
        drawing.SelectFont(0);
        drawing.SelectObject(foreignBrush);
        drawing.SetTextAlign(TA_CENTER);
        drawing.SetBkOpaque(true);
        drawing.FillRect(0, 0, 5, 3);
        drawing.End();
        EXPECT_EQ(YGuiDrawing::KindNone, drawing.Kind());
    }

    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(context));
    EXPECT_EQ(hostObjects, SelectedObjects(context));
    EXPECT_EQ(static_cast<UINT>(TA_BOTTOM | TA_RIGHT), GetTextAlign(context));
    EXPECT_EQ(TRANSPARENT, GetBkMode(context));
    EXPECT_EQ(0u, GetObjectType(drawingPen));
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(foreignBrush));
    EXPECT_EQ(Cyan, host.GetPixel(5, 3));
    host.End();
    DeleteObject(foreignBrush);
}

TEST(YGuiDrawing, ANewSetDeletesTheOldOneAndEndDeletesAllButTheResult) {
    YGuiDrawing drawing;
    drawing.BeginBitmap(4, 4);
    HDC context = drawing.Handle();
    drawing.SetPens(Pens);
    drawing.SetBrushes(Brushes);
    drawing.AddFont("Tahoma", 12, 0);
    drawing.SelectPen(1);
    drawing.SelectBrush(1);
    drawing.SelectFont(0);
    std::vector<HGDIOBJ> replaced = SelectedObjects(context);
    // A new table replaces the old set at once, its selected member included.
    drawing.SetPens(Pens);
    drawing.SetBrushes(Brushes);
    EXPECT_EQ(0u, GetObjectType(replaced[0]));
    EXPECT_EQ(0u, GetObjectType(replaced[1]));

    drawing.SelectPen(1);
    drawing.SelectBrush(1);
    std::vector<HGDIOBJ> ended = SelectedObjects(context);
    ended.push_back(context);
    HGDIOBJ bitmap = GetCurrentObject(context, OBJ_BITMAP);
    drawing.End();
    for (HGDIOBJ gone : ended) EXPECT_EQ(0u, GetObjectType(gone));
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(bitmap));
    drawing.Reset();
    EXPECT_EQ(0u, GetObjectType(bitmap));
}

// One round of everything that creates or selects GDI objects, failures included.
void DrawEveryKind(HWND window) {
    YGuiDrawing frame;
    YGuiDrawing layer;
    layer.BeginBitmapFromResource(IDB_TEST_PATTERN);
    layer.End();
    frame.BeginBitmap(30, 20);
    layer.CopyTo(frame);
    frame.SetPens(Pens);
    frame.SetBrushes(Brushes);
    frame.SetPens(Pens);
    frame.AddFont("Tahoma", 14, YGuiDrawing::FontBold);
    frame.SelectPen(3);
    frame.SelectBrush(1);
    frame.SelectFont(0);
    frame.DrawBitmap(IDB_TEST_MARK, 10, 10);
    EXPECT_ANY_THROW(frame.SelectPen(9));
    frame.End();
    frame.PlayToWindow(window);
    frame.Reset();

    frame.BeginMetafile();
    frame.SetBrushes(Brushes);
    frame.SelectBrush(2);
    frame.End();
    frame.PlayToWindow(window);
    frame.Reset();

    frame.BeginWindow(window);
    frame.SetPens(Pens);
    frame.SelectPen(0);
    frame.End();

    EXPECT_ANY_THROW(frame.BeginBitmap(100000, 100000));
    HDC context = CreateCompatibleDC(nullptr);
    frame.Attach(context);
    frame.SetBrushes(Brushes);
    frame.AddFont("Tahoma", 10, 0);
    frame.End();
    DeleteDC(context);

    // Sets made while nothing is open, and a drawing destroyed while open.
    YGuiDrawing unopened;
    unopened.SetPens(Pens);
    unopened.AddFont("Tahoma", 10, 0);
    YGuiDrawing abandoned;
    abandoned.BeginBitmap(8, 8);
    abandoned.SetBrushes(Brushes);
    abandoned.SelectBrush(0);
}

TEST(YGuiDrawing, ManyDrawingsOfEveryKindLeaveNoGdiObjectBehind) {
    TestWindow window(40, 30);
    DrawEveryKind(window.window);  // Wine creates some objects of its own on first use
    int before = FreeGdiSlots();
    HPEN leaked = CreatePen(PS_SOLID, 0, 0);
    ASSERT_EQ(before - 1, FreeGdiSlots()) << "the count must see a single leaked object";
    DeleteObject(leaked);
    for (int round = 0; round < 100; ++round) DrawEveryKind(window.window);
    EXPECT_EQ(before, FreeGdiSlots());
}

}  // namespace
