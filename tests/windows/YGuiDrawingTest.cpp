#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "GdiSlots.hpp"
#include "YGuiDrawing.hpp"
#include "drawing_tests_resource.h"

namespace {

constexpr int Width = 24, Height = 12;
constexpr COLORREF Red = RGB(255, 0, 0), Blue = RGB(0, 0, 255), Magenta = RGB(255, 0, 255);

// Pens: 0 black (1 pixel wide), 1 cyan, 2 red (3 pixels wide); the -1 in red ends the table.
// Brushes: 0 white, 1 green, 2 red, 3 the highlight colour (its blue is not read); the -1 in green
// ends the table.
const int Pens[] = {PS_SOLID, 1, 0, 0, 0, PS_SOLID, 0, 0, 255, 255, PS_SOLID, 3, 255, 0, 0, PS_SOLID, 0, -1, 0, 0, PS_SOLID, 0, 9, 9, 9};
const int Brushes[] = {255, 255, 255, 0, 255, 0, 255, 0, 0, -2, COLOR_HIGHLIGHT, -1, 7, -1, 9, 9, 9, 9};

// The pixels from (left, top) on, a row of letters a line: one letter per colour, '?' for others.
std::string Picture(HDC context, int left = 0, int top = 0, int width = Width, int height = Height) {
    std::map<COLORREF, char> letters{{RGB(255, 255, 255), '.'}, {RGB(0, 0, 0), 'k'},       {Red, 'r'},
                                     {RGB(0, 255, 0), 'g'},     {Blue, 'b'},               {RGB(0, 255, 255), 'c'},
                                     {RGB(255, 255, 0), 'y'},   {Magenta, 'm'},            {GetSysColor(COLOR_HIGHLIGHT), 'h'},
                                     {GetSysColor(COLOR_BTNFACE), 'f'}};
    std::string rows;
    for (int y = top; y < top + height; ++y, rows += '\n')
        for (int x = left; x < left + width; ++x) rows += letters.count(GetPixel(context, x, y)) ? letters[GetPixel(context, x, y)] : '?';
    return rows;
}

// Drawing operations on white, each where its rule shows in the picture below: filled rectangles
// take both corners and GDI's leave out the right and bottom edges, lines leave out their last
// pixel, outlines close on their corners, a thin pen's dot is one pixel, a wide one's wider.
void DrawShapes(YGuiDrawing& drawing) {
    drawing.SetPens(Pens);
    drawing.SetBrushes(Brushes);
    drawing.SelectBrush(1);
    drawing.FillRect(1, 1, 1, 1);
    drawing.SelectPen(2);
    drawing.Dot(4, 4);
    drawing.SelectPen(0);
    drawing.Dot(1, 4);
    drawing.Line(3, 1, 6, 1);
    drawing.LineTo(6, 3);
    drawing.SelectBrush(2);
    drawing.Rectangle(14, 1, 18, 5, true);
    const POINT corners[] = {{12, 6}, {16, 6}, {12, 10}};
    drawing.Polygon(corners, 3);
    drawing.SelectPen(1);
    drawing.Rectangle(8, 1, 12, 4, false);
    drawing.SelectBrush(3);
    drawing.FillRect(0, 9, 1, 10);
    drawing.SetPixel(23, 11, Magenta);
}

// The rest of the picture, with sets of its own in place of the first: the ellipse of width 6 and
// height 4 around (8, 9) covers (5, 7) to (10, 10); bitmaps are copied whole or in part, from the
// resource or from a handle. Wine plays a recorded ellipse a pixel smaller and keeps two objects of
// every bitmap copied into a metafile, so a metafile records the shapes only.
void DrawPictures(YGuiDrawing& drawing, HBITMAP pattern) {
    drawing.SetPens(Pens);
    drawing.SetBrushes(Brushes);
    drawing.SelectPen(0);
    drawing.SelectBrush(1);
    drawing.Ellipse(8, 9, 6, 4);
    drawing.DrawBitmap(IDB_TEST_PATTERN, 19, 0);
    drawing.DrawBitmap(pattern, 19, 4);
    drawing.DrawBitmapPart(IDB_TEST_PATTERN, 19, 8, 1, 1, 2, 2);
    drawing.DrawBitmapPart(pattern, 22, 8, 3, 0, 1, 3);
}

const std::string Scene =
    "...................rgby.\n"
    ".g.kkkk.ccccc.kkkk.mckr.\n"
    "......k.c...c.krrk.gbym.\n"
    "....r...c...c.krrk......\n"
    ".k.rrr..ccccc.kkkk.rgby.\n"
    "....r..............mckr.\n"
    "............kkkkk..gbym.\n"
    "......kkkk..krrk........\n"
    ".....kggggk.krk....ck.y.\n"
    "hh...kggggk.kk.....by.r.\n"
    "hh....kkkk..k.........m.\n"
    ".......................m\n";

// `picture` with one colour after another replaced.
std::string Replaced(std::string picture, const std::vector<std::pair<char, char>>& replacements) {
    for (auto [from, to] : replacements) std::replace(picture.begin(), picture.end(), from, to);
    return picture;
}

// The scene on a bitmap (read, then recoloured and played at (1, 1)), on a metafile (played; its
// offset is not used) and on an attached context.
std::vector<std::string> DrawEveryKind(HBITMAP pattern) {
    YGuiDrawing bitmap, metafile, attached, canvas;
    canvas.BeginBitmap(Width + 1, Height + 1);
    bitmap.BeginBitmap(Width, Height);
    PatBlt(bitmap.Handle(), 0, 0, Width, Height, WHITENESS);
    DrawShapes(bitmap);
    DrawPictures(bitmap, pattern);
    std::vector<std::string> pictures = {Picture(bitmap.Handle())};
    bitmap.ReplaceColor(Magenta, RGB(255, 255, 0));
    bitmap.ReplaceBackground(Blue);
    bitmap.BackgroundToButtonFace();
    bitmap.End();
    bitmap.Play(canvas.Handle(), 1, 1);
    YGuiDrawing().Play(canvas.Handle(), 0, 0);
    pictures.push_back(Picture(canvas.Handle(), 1, 1));

    metafile.BeginMetafile();
    DrawShapes(metafile);
    metafile.End();
    PatBlt(canvas.Handle(), 0, 0, Width, Height, WHITENESS);
    DrawPictures(canvas, pattern);
    metafile.Play(canvas.Handle(), 5, 5);
    pictures.push_back(Picture(canvas.Handle()));

    // Attached, the drawing gives the context back what it had selected, its alignment and its mode.
    HDC host = canvas.Handle();
    PatBlt(host, 0, 0, Width, Height, WHITENESS);
    auto state = [&] {
        return std::tuple(GetCurrentObject(host, OBJ_PEN), GetCurrentObject(host, OBJ_BRUSH), GetTextAlign(host), GetBkMode(host));
    };
    auto before = state();
    attached.Attach(host);
    DrawShapes(attached);
    DrawPictures(attached, pattern);
    attached.SetTextAlign(TA_CENTER);
    attached.SetBkOpaque(false);
    HGDIOBJ pen = GetCurrentObject(host, OBJ_PEN);
    attached.End();
    EXPECT_TRUE(before == state() && GetObjectType(pen) == 0 && attached.Kind() == YGuiDrawing::KindNone);
    pictures.push_back(Picture(host));

    // Sets made while nothing is open, and a drawing given up while open, are released too.
    attached.SetPens(Pens);
    attached.AddFont("Tahoma", 10, 0);
    canvas.SetBrushes(Brushes);
    canvas.SelectBrush(0);
    return pictures;
}

TEST(YGuiDrawing, EveryKindOfDrawingShowsTheSceneAndLeavesNoGdiObjectBehind) {
    HBITMAP pattern = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_TEST_PATTERN));
    const std::string recoloured = Replaced(Scene, {{'m', 'y'}, {'.', 'b'}, {'b', 'f'}});
    EXPECT_EQ((std::vector<std::string>{Scene, recoloured, Scene, Scene}), DrawEveryKind(pattern));
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(pattern)) << "the caller's bitmap stays";
    int before = FreeGdiSlots();
    for (int round = 0; round < 30; ++round) DrawEveryKind(pattern);
    EXPECT_EQ(before, FreeGdiSlots());
    DeleteObject(pattern);
}

// Text takes the pen's colour on the brush's, whatever the context had (antialiased text blends
// them into colours of their own), by the alignment chosen; fonts are as they were added.
TEST(YGuiDrawing, TextTakesThePenAndBrushColoursWhateverTheContextHad) {
    YGuiDrawing drawing;
    drawing.BeginBitmap(60, 20);
    PatBlt(drawing.Handle(), 0, 0, 60, 20, BLACKNESS);
    SetTextColor(drawing.Handle(), RGB(255, 255, 255));
    SetBkColor(drawing.Handle(), Blue);
    drawing.SetPens(Pens);
    drawing.SetBrushes(Brushes);
    drawing.SelectPen(2);
    drawing.SelectBrush(1);
    drawing.AddFont("Tahoma", 12, YGuiDrawing::FontItalic);
    drawing.SelectFont(drawing.AddFont("Tahoma", 18, YGuiDrawing::FontBold));
    LOGFONTA font{};
    GetObjectA(GetCurrentObject(drawing.Handle(), OBJ_FONT), sizeof font, &font);
    EXPECT_EQ(std::tuple(18L, 600L, false), std::tuple(font.lfHeight, font.lfWeight, !!font.lfItalic));
    drawing.SetTextAlign(TA_CENTER | TA_TOP);
    drawing.TextOut(30, 0, "WM");
    SIZE extent;
    drawing.TextExtent("WM", extent);
    std::string text = Picture(drawing.Handle(), 30 - extent.cx / 2, 0, extent.cx, extent.cy), filled;
    for (int y = 0; y < extent.cy; ++y) filled += std::string(extent.cx, 'g') + "\n";
    EXPECT_EQ(filled, Replaced(text, {{'r', 'g'}, {'?', 'g'}}));
    EXPECT_NE(std::string::npos, text.find('r'));
}

// The line of the YSystemException of the drawing surface that `call` throws, minus the line of
// another one, 0 for none.
int Thrown(const std::function<void()>& call) {
    try {
        call();
    } catch (const YSystemException& e) {
        return e.Kind() == YSystemException::KindGui && e.SourceFile() == std::string("Cpp/YGuiDrawing") ? e.Line() : -e.Line();
    }
    return 0;
}

// Each failure throws its own line: drawing with nothing open (every operation that needs a
// context, in the order of their lines); a Begin on a finished bitmap before Reset; Begins that fail, leaving the drawing empty; missing bitmaps;
// playing while open or to no context; an index past the end row of a table (the array's line).
TEST(YGuiDrawing, EveryFailureThrowsTheLineOfItsOperation) {
    YGuiDrawing finished, empty, fromResource, &d = finished;
    finished.BeginBitmap(2, 2);
    PatBlt(finished.Handle(), 0, 0, 2, 2, WHITENESS);
    DrawShapes(finished);
    finished.End();
    finished.End();
    const POINT points[] = {{0, 0}, {1, 0}, {1, 1}};
    HBITMAP none = nullptr;
    EXPECT_EQ((std::vector<int>{387, 396, 405, 413, 421, 436, 453, 465, 473, 481, 489, 565, 593, 616, 649, 736, 744, 752, 767, 775}),
              (std::vector<int>{Thrown([&] { d.Dot(0, 0); }), Thrown([&] { d.Line(0, 0, 1, 1); }), Thrown([&] { d.LineTo(1, 1); }),
                                Thrown([&] { d.Polygon(points, 3); }), Thrown([&] { d.FillRect(0, 0, 1, 1); }),
                                Thrown([&] { d.Rectangle(0, 0, 1, 1, true); }), Thrown([&] { d.Ellipse(1, 1, 2, 2); }),
                                Thrown([&] { d.SelectPen(0); }), Thrown([&] { d.SelectBrush(0); }), Thrown([&] { d.SelectFont(0); }),
                                Thrown([&] { d.SelectObject(GetStockObject(BLACK_PEN)); }),
                                Thrown([&] { d.DrawBitmap(IDB_TEST_PATTERN, 0, 0); }), Thrown([&] { d.DrawBitmap(none, 0, 0); }),
                                Thrown([&] { d.DrawBitmapPart(IDB_TEST_PATTERN, 0, 0, 0, 0, 1, 1); }),
                                Thrown([&] { d.DrawBitmapPart(none, 0, 0, 0, 0, 1, 1); }), Thrown([&] { d.SetPixel(0, 0, Red); }),
                                Thrown([&] { d.GetPixel(0, 0); }), Thrown([&] { d.ReplaceColor(Red, Blue); }),
                                Thrown([&] { d.ReplaceBackground(Blue); }), Thrown([&] { d.BackgroundToButtonFace(); })}));
    SIZE size;
    EXPECT_EQ((std::vector<int>{123, 152, 82, 101, 203, 217, 136, 221, 157, 207, 800, 0, 570, 621, 691, 691, 0, -113, -113}),
              (std::vector<int>{Thrown([&] { finished.BeginBitmap(2, 2); }),
                                Thrown([&] { finished.BeginBitmapFromResource(IDB_TEST_PATTERN); }),
                                Thrown([&] { finished.BeginMetafile(); }), Thrown([&] { finished.BeginMetafile(100, 100); }),
                                Thrown([&] { finished.BeginWindow(GetDesktopWindow()); }), Thrown([&] { finished.Attach(nullptr); }),
                                Thrown([&] { empty.BeginBitmap(100000, 100000); }), Thrown([&] { empty.Attach(nullptr); }),
                                Thrown([&] { empty.BeginBitmapFromResource(IDB_TEST_MISSING); }),
                                Thrown([&] { empty.BeginWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ff0))); }),
                                Thrown([&] { YGuiDrawing::BitmapSize(IDB_TEST_MISSING, size); }), Thrown([&] { empty.BeginBitmap(2, 2); }),
                                Thrown([&] { empty.DrawBitmap(IDB_TEST_MISSING, 0, 0); }),
                                Thrown([&] { empty.DrawBitmapPart(IDB_TEST_MISSING, 0, 0, 0, 0, 1, 1); }),
                                Thrown([&] { empty.Play(empty.Handle(), 0, 0); }), Thrown([&] { finished.Play(nullptr, 0, 0); }),
                                Thrown([&] { DrawShapes(empty); }), Thrown([&] { empty.SelectPen(3); }),
                                Thrown([&] { empty.SelectBrush(4); })}));
    // The result survived the refused Begins; after Reset the drawing begins anew.
    fromResource.BeginBitmapFromResource(IDB_TEST_PATTERN);
    finished.Play(fromResource.Handle(), 2, 1);
    EXPECT_EQ("rgby\nmc..\ngb.g\n", Picture(fromResource.Handle(), 0, 0, fromResource.GetSize().cx, fromResource.GetSize().cy));
    finished.Reset();
    EXPECT_EQ(0, Thrown([&] { finished.BeginBitmap(2, 2); }));
}

}  // namespace
