#pragma once

#include <windows.h>

#include "YArray.hpp"
#include "YDynArray.hpp"
#include "YString.hpp"

// The drawing surface: owns a device context for the span of one drawing, the pens, brushes and
// fonts created for it, and the result (an off-screen bitmap or an enhanced metafile) until Reset.
// Pictures are drawn off screen and reach the screen in one block transfer, so nothing flickers.
//
// Every failure throws YSystemException of kind 4 ("GUI Error") with one of the lines below; a
// set index out of range throws the array's kind 5.
class YGuiDrawing {
public:
    static constexpr const char* SourceFile = "Cpp/YGuiDrawing";
    static constexpr int LineMetafileNotEmpty = 82;
    static constexpr int LineMetafileRecord = 91;
    static constexpr int LineFramedMetafileNotEmpty = 101;
    static constexpr int LineFramedMetafileRecord = 115;
    static constexpr int LineBitmapNotEmpty = 123;
    static constexpr int LineBitmapMemoryContext = 132;
    static constexpr int LineBitmapCreate = 136;
    static constexpr int LineFromResourceNotEmpty = 152;
    static constexpr int LineFromResourceLoad = 157;
    static constexpr int LineFromResourceMemoryContext = 165;
    static constexpr int LineFromResourceCopyContext = 173;
    static constexpr int LineFromResourceCopyBitmap = 177;
    static constexpr int LineWindowNotEmpty = 203;
    static constexpr int LineWindowContext = 207;
    static constexpr int LineAttachNotEmpty = 217;
    static constexpr int LineAttachNullContext = 221;
    static constexpr int LineAddFont = 379;
    static constexpr int LineDot = 387;
    static constexpr int LineLine = 396;
    static constexpr int LineLineTo = 405;
    static constexpr int LinePolygon = 413;
    static constexpr int LineFillRect = 421;
    static constexpr int LineRectangle = 436;
    static constexpr int LineEllipse = 453;
    static constexpr int LineSelectPen = 465;
    static constexpr int LineSelectBrush = 473;
    static constexpr int LineSelectFont = 481;
    static constexpr int LineSelectObject = 489;
    static constexpr int LineDrawResourceNoContext = 565;
    static constexpr int LineDrawResourceLoad = 570;
    static constexpr int LineDrawResourceMemoryContext = 577;
    static constexpr int LineDrawHandleNoContext = 593;
    static constexpr int LineDrawHandleMemoryContext = 600;
    static constexpr int LineDrawResourcePartNoContext = 616;
    static constexpr int LineDrawResourcePartLoad = 621;
    static constexpr int LineDrawResourcePartMemoryContext = 625;
    static constexpr int LineDrawHandlePartNoContext = 649;
    static constexpr int LineDrawHandlePartMemoryContext = 653;
    static constexpr int LinePlayTarget = 691;
    static constexpr int LinePlayNoMetafile = 698;
    static constexpr int LinePlayMetafileHeader = 706;
    static constexpr int LinePlayNoBitmap = 715;
    static constexpr int LinePlayMemoryContext = 719;
    static constexpr int LineSetPixel = 736;
    static constexpr int LineGetPixel = 744;
    static constexpr int LineReplaceColor = 752;
    static constexpr int LineReplaceBackground = 767;
    static constexpr int LineBackgroundToButtonFace = 775;
    static constexpr int LineBitmapSize = 800;

    // What the drawing is, or was before End.
    enum : int {
        KindNone = 0,
        KindMetafile = 1,
        KindBitmap = 2,
        KindWindow = 3,
        KindAttached = 4,
    };

    // AddFont flags.
    static constexpr int FontBold = 2;
    static constexpr int FontItalic = 4;

    // Colour tables are rows of 32-bit values: pens (style, width, red, green, blue), brushes
    // (red, green, blue). A row with ColorEnd in a colour field ends the table; a row whose red is
    // ColorSystem takes the system colour whose index stands in green (blue is then ignored).
    static constexpr int ColorEnd = -1;
    static constexpr int ColorSystem = -2;
    static constexpr int PenRowLength = 5;
    static constexpr int BrushRowLength = 3;

    YGuiDrawing() = default;
    ~YGuiDrawing();
    YGuiDrawing(const YGuiDrawing&) = delete;
    YGuiDrawing& operator=(const YGuiDrawing&) = delete;

    // Ends the drawing and releases its result; the object is then as new.
    void Reset();

    // Each Begin needs an empty drawing (kind 0). A Begin that fails releases what it had created
    // and leaves the drawing empty.
    void BeginBitmap(int width, int height);
    void BeginBitmapFromResource(unsigned id);
    // Records into memory; the second form with the frame (0, 0)-(width, height) in 0.01 mm.
    void BeginMetafile();
    void BeginMetafile(int width, int height);
    void BeginWindow(HWND window);
    // Draws on a context that the caller owns; End restores its state and leaves it open.
    void Attach(HDC context);

    // Restores the context's pen, brush, font, text alignment and background mode, deletes every
    // pen, brush and font of the sets and closes the context. A bitmap or a metafile stays, to be
    // played; a window or attached drawing becomes empty. Nothing happens when nothing is open.
    void End();

    int Kind() const { return kind; }
    bool IsOpen() const { return context != nullptr; }
    SIZE GetSize() const { return SIZE{width, height}; }
    HDC Handle() const { return context; }

    // The sets; an index is the table row, counted from 0. A new table replaces the old set.
    void SetPens(const int* table);
    void SetBrushes(const int* table);
    // Height as GDI takes it (positive: cell height); flags FontBold and FontItalic. The new font's
    // index.
    int AddFont(const YString& face, int height, int flags);

    void SelectPen(int index);
    void SelectBrush(int index);
    void SelectFont(int index);
    // An object that the caller keeps.
    void SelectObject(HGDIOBJ object);
    void SetTextAlign(unsigned flags);
    void SetBkOpaque(bool opaque);

    // Drawing with the selected pen and brush.
    void Dot(int x, int y);
    void Line(int x1, int y1, int x2, int y2);
    void LineTo(int x, int y);
    void Polygon(const POINT* points, int count);
    // Both corners inclusive, with the selected brush.
    void FillRect(int x1, int y1, int x2, int y2);
    // Filled: pen outline and brush inside, as GDI draws it. Otherwise the outline through all four
    // corners with the pen.
    void Rectangle(int x1, int y1, int x2, int y2, bool filled);
    void Ellipse(int centreX, int centreY, int width, int height);

    // Text in the selected pen's colour on the selected brush's colour, whatever colours the
    // context had.
    void TextOut(int x, int y, const YString& text);
    void ExtTextOut(int x, int y, const RECT* rect, const YString& text, unsigned options);
    void TextExtent(const YString& text, SIZE& size);

    // Bitmap resources are loaded for the copy and freed after it; a bitmap handle stays the
    // caller's.
    void DrawBitmap(unsigned id, int x, int y);
    void DrawBitmapPart(unsigned id, int x, int y, int sourceX, int sourceY, int width, int height);
    void DrawBitmap(HBITMAP source, int x, int y);
    void DrawBitmapPart(HBITMAP source, int x, int y, int sourceX, int sourceY, int width, int height);

    void SetPixel(int x, int y, COLORREF colour);
    COLORREF GetPixel(int x, int y);

    // Open bitmaps only: every pixel of colour `from` becomes `to`.
    void ReplaceColor(COLORREF from, COLORREF to);
    // The colour of pixel (0, 0) becomes `to`, or the system button-face colour.
    void ReplaceBackground(COLORREF to);
    void BackgroundToButtonFace();

    static void BitmapSize(unsigned id, SIZE& size);

    // Copies a finished drawing into `target`: a metafile within its recorded bounds (x and y are
    // not used), a bitmap whole at (x, y). An empty drawing draws nothing.
    void Play(HDC target, int x, int y) const;
    void Play(HDC target) const { Play(target, 0, 0); }
    void CopyTo(const YGuiDrawing& other) const { Play(other.Handle()); }
    void PlayToWindow(HWND target) const;

private:
    [[noreturn]] static void Fail(int line);
    void RequireEmpty(int line) const;
    void RequireOpen(int line) const;
    void RequireOpenBitmap(int line) const;

    void Open(int newKind, HDC newContext);
    void DeleteSets();
    void CopyBitmap(HBITMAP source, int x, int y, int sourceX, int sourceY, int width, int height, int lineMemoryContext);
    COLORREF PenColor() const;
    COLORREF BrushColor() const;
    void UseTextColors();

    int kind = KindNone;
    HDC context = nullptr;
    HENHMETAFILE metafile = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    HGDIOBJ savedPen = nullptr;
    HGDIOBJ savedBrush = nullptr;
    HGDIOBJ savedFont = nullptr;
    unsigned savedTextAlign = 0;
    int savedBkMode = 0;
    int width = 0;
    int height = 0;
    YArray<HPEN> pens;
    YArray<HBRUSH> brushes;
    YDynArray<HFONT> fonts{32};
    HWND window = nullptr;
};
