#include "YGuiDrawing.hpp"

#include <memory>
#include <type_traits>

#include "YModule.hpp"
#include "YSystemException.hpp"

namespace {

// The temporary GDI objects of one operation, released on every way out of it.

struct DeleteContext {
    void operator()(HDC context) const { DeleteDC(context); }
};
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using OwnedContext = std::unique_ptr<std::remove_pointer_t<HDC>, DeleteContext>;
using OwnedBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, DeleteGdiObject>;

OwnedContext DisplayContext() { return OwnedContext(CreateDCA("DISPLAY", nullptr, nullptr, nullptr)); }

OwnedContext MemoryContext(HDC compatibleWith) { return OwnedContext(CreateCompatibleDC(compatibleWith)); }

OwnedBitmap ResourceBitmap(unsigned id) { return OwnedBitmap(LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(id))); }

// Keeps `object` selected into `context` while it lives.
class Selection {
public:
    Selection(HDC context, HGDIOBJ object) : context(context), previous(::SelectObject(context, object)) {}
    ~Selection() { ::SelectObject(context, previous); }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC context;
    HGDIOBJ previous;
};

class WindowContext {
public:
    explicit WindowContext(HWND window) : window(window), context(GetDC(window)) {}
    ~WindowContext() {
        if (context) ReleaseDC(window, context);
    }
    WindowContext(const WindowContext&) = delete;
    WindowContext& operator=(const WindowContext&) = delete;
    operator HDC() const { return context; }

private:
    HWND window;
    HDC context;
};

SIZE SizeOf(HBITMAP bitmap) {
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

// A system colour row stops only at a missing index: its blue field is not read.
bool EndsTable(const int* colour) {
    if (colour[0] == YGuiDrawing::ColorSystem) return colour[1] == YGuiDrawing::ColorEnd;
    return colour[0] == YGuiDrawing::ColorEnd || colour[1] == YGuiDrawing::ColorEnd || colour[2] == YGuiDrawing::ColorEnd;
}

// The rows before the end row; the colour fields are the last three of a row.
int RowCount(const int* table, int rowLength) {
    if (!table) return 0;
    int rows = 0;
    while (!EndsTable(table + rows * rowLength + rowLength - 3)) ++rows;
    return rows;
}

// Deletes every object of a set. One of them may be selected: the context's own object goes back
// in first.
template <class Set>
void DeleteSet(Set& set, HDC context, HGDIOBJ own) {
    if (set.Count() == 0) return;
    if (context) ::SelectObject(context, own);
    for (int i = 0; i < set.Count(); ++i)
        if (set[i]) DeleteObject(set[i]);
    set.SetSize(0);
}

COLORREF RowColor(const int* colour) {
    if (colour[0] == YGuiDrawing::ColorSystem) return GetSysColor(colour[1]);
    return RGB(colour[0], colour[1], colour[2]);
}

}  // namespace

YGuiDrawing::~YGuiDrawing() { Reset(); }

void YGuiDrawing::Fail(int line) { throw YSystemException(YSystemException::KindGui, line, SourceFile); }

void YGuiDrawing::RequireEmpty(int line) const {
    if (kind != KindNone) Fail(line);
}

void YGuiDrawing::RequireOpen(int line) const {
    if (!context) Fail(line);
}

void YGuiDrawing::RequireOpenBitmap(int line) const {
    if (kind != KindBitmap || !context) Fail(line);
}

void YGuiDrawing::Reset() {
    End();
    // Sets created while nothing was open have not met an End.
    DeleteSets();
    if (metafile) DeleteEnhMetaFile(metafile);
    if (bitmap) DeleteObject(bitmap);
    metafile = nullptr;
    bitmap = nullptr;
    kind = KindNone;
    width = 0;
    height = 0;
    window = nullptr;
}

void YGuiDrawing::Open(int newKind, HDC newContext) {
    kind = newKind;
    context = newContext;
    savedPen = GetCurrentObject(context, OBJ_PEN);
    savedBrush = GetCurrentObject(context, OBJ_BRUSH);
    savedFont = GetCurrentObject(context, OBJ_FONT);
    savedTextAlign = GetTextAlign(context);
    savedBkMode = GetBkMode(context);
}

void YGuiDrawing::BeginBitmap(int newWidth, int newHeight) {
    RequireEmpty(LineBitmapNotEmpty);
    OwnedContext display = DisplayContext();
    OwnedContext memory = MemoryContext(display.get());
    if (!memory) Fail(LineBitmapMemoryContext);
    HBITMAP made = CreateCompatibleBitmap(display.get(), newWidth, newHeight);
    if (!made) Fail(LineBitmapCreate);
    bitmap = made;
    previousBitmap = ::SelectObject(memory.get(), bitmap);
    width = newWidth;
    height = newHeight;
    Open(KindBitmap, memory.release());
}

void YGuiDrawing::BeginBitmapFromResource(unsigned id) {
    RequireEmpty(LineFromResourceNotEmpty);
    OwnedBitmap source = ResourceBitmap(id);
    if (!source) Fail(LineFromResourceLoad);
    SIZE size = SizeOf(source.get());
    OwnedContext display = DisplayContext();
    OwnedContext memory = MemoryContext(display.get());
    if (!memory) Fail(LineFromResourceMemoryContext);
    OwnedContext copy = MemoryContext(display.get());
    if (!copy) Fail(LineFromResourceCopyContext);
    HBITMAP made = CreateCompatibleBitmap(display.get(), size.cx, size.cy);
    if (!made) Fail(LineFromResourceCopyBitmap);
    bitmap = made;
    previousBitmap = ::SelectObject(memory.get(), bitmap);
    {
        Selection selected(copy.get(), source.get());
        BitBlt(memory.get(), 0, 0, size.cx, size.cy, copy.get(), 0, 0, SRCCOPY);
    }
    width = size.cx;
    height = size.cy;
    Open(KindBitmap, memory.release());
}

void YGuiDrawing::BeginMetafile() {
    RequireEmpty(LineMetafileNotEmpty);
    HDC recording = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    if (!recording) Fail(LineMetafileRecord);
    Open(KindMetafile, recording);
}

void YGuiDrawing::BeginMetafile(int frameWidth, int frameHeight) {
    RequireEmpty(LineFramedMetafileNotEmpty);
    RECT frame{0, 0, frameWidth, frameHeight};
    HDC recording = CreateEnhMetaFileA(nullptr, nullptr, &frame, nullptr);
    if (!recording) Fail(LineFramedMetafileRecord);
    Open(KindMetafile, recording);
}

void YGuiDrawing::BeginWindow(HWND target) {
    RequireEmpty(LineWindowNotEmpty);
    HDC windowContext = GetDC(target);
    if (!windowContext) Fail(LineWindowContext);
    window = target;
    Open(KindWindow, windowContext);
}

void YGuiDrawing::Attach(HDC attached) {
    RequireEmpty(LineAttachNotEmpty);
    if (!attached) Fail(LineAttachNullContext);
    Open(KindAttached, attached);
}

void YGuiDrawing::End() {
    if (!context) return;
    ::SelectObject(context, savedPen);
    ::SelectObject(context, savedBrush);
    ::SelectObject(context, savedFont);
    DeleteSets();
    ::SetTextAlign(context, savedTextAlign);
    SetBkMode(context, savedBkMode);
    switch (kind) {
    case KindMetafile: metafile = CloseEnhMetaFile(context); break;
    case KindBitmap:
        ::SelectObject(context, previousBitmap);
        DeleteDC(context);
        break;
    case KindWindow:
        ReleaseDC(window, context);
        window = nullptr;
        kind = KindNone;
        break;
    default: kind = KindNone; break;
    }
    context = nullptr;
    previousBitmap = nullptr;
}

void YGuiDrawing::DeleteSets() {
    DeleteSet(pens, context, savedPen);
    DeleteSet(brushes, context, savedBrush);
    DeleteSet(fonts, context, savedFont);
}

void YGuiDrawing::SetPens(const int* table) {
    DeleteSet(pens, context, savedPen);
    int rows = RowCount(table, PenRowLength);
    pens.SetSize(rows);
    for (int i = 0; i < rows; ++i) {
        const int* row = table + i * PenRowLength;
        pens[i] = CreatePen(row[0], row[1], RowColor(row + 2));
    }
}

void YGuiDrawing::SetBrushes(const int* table) {
    DeleteSet(brushes, context, savedBrush);
    int rows = RowCount(table, BrushRowLength);
    brushes.SetSize(rows);
    for (int i = 0; i < rows; ++i) brushes[i] = CreateSolidBrush(RowColor(table + i * BrushRowLength));
}

int YGuiDrawing::AddFont(const YString& face, int fontHeight, int flags) {
    HFONT font = CreateFontA(fontHeight, 0, 0, 0, (flags & FontBold) ? 600 : 400, (flags & FontItalic) ? TRUE : FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.CStr());
    if (!font) Fail(LineAddFont);
    int index;
    try {
        index = fonts.Add();
    } catch (...) {
        DeleteObject(font);
        throw;
    }
    fonts[index] = font;
    return index;
}

void YGuiDrawing::SelectPen(int index) {
    RequireOpen(LineSelectPen);
    ::SelectObject(context, pens[index]);
}

void YGuiDrawing::SelectBrush(int index) {
    RequireOpen(LineSelectBrush);
    ::SelectObject(context, brushes[index]);
}

void YGuiDrawing::SelectFont(int index) {
    RequireOpen(LineSelectFont);
    ::SelectObject(context, fonts[index]);
}

void YGuiDrawing::SelectObject(HGDIOBJ object) {
    RequireOpen(LineSelectObject);
    ::SelectObject(context, object);
}

void YGuiDrawing::SetTextAlign(unsigned flags) { ::SetTextAlign(context, flags); }

void YGuiDrawing::SetBkOpaque(bool opaque) { SetBkMode(context, opaque ? OPAQUE : TRANSPARENT); }

// A line that starts and ends on one point draws nothing with a thin pen (GDI leaves out a line's
// last pixel), so the point itself is set in the pen's colour; wide pens draw their own dot.
void YGuiDrawing::Dot(int x, int y) {
    RequireOpen(LineDot);
    MoveToEx(context, x, y, nullptr);
    ::LineTo(context, x, y);
    LOGPEN pen{};
    if (GetObjectA(GetCurrentObject(context, OBJ_PEN), sizeof pen, &pen) == sizeof pen && pen.lopnStyle != PS_NULL && pen.lopnWidth.x <= 1)
        SetPixelV(context, x, y, pen.lopnColor);
}

void YGuiDrawing::Line(int x1, int y1, int x2, int y2) {
    RequireOpen(LineLine);
    MoveToEx(context, x1, y1, nullptr);
    ::LineTo(context, x2, y2);
}

void YGuiDrawing::LineTo(int x, int y) {
    RequireOpen(LineLineTo);
    ::LineTo(context, x, y);
}

void YGuiDrawing::Polygon(const POINT* points, int count) {
    RequireOpen(LinePolygon);
    ::Polygon(context, points, count);
}

void YGuiDrawing::FillRect(int x1, int y1, int x2, int y2) {
    RequireOpen(LineFillRect);
    RECT area{x1, y1, x2 + 1, y2 + 1};
    ::FillRect(context, &area, static_cast<HBRUSH>(GetCurrentObject(context, OBJ_BRUSH)));
}

void YGuiDrawing::Rectangle(int x1, int y1, int x2, int y2, bool filled) {
    RequireOpen(LineRectangle);
    if (filled) {
        ::Rectangle(context, x1, y1, x2, y2);
        return;
    }
    MoveToEx(context, x1, y1, nullptr);
    ::LineTo(context, x2, y1);
    ::LineTo(context, x2, y2);
    ::LineTo(context, x1, y2);
    ::LineTo(context, x1, y1);
}

void YGuiDrawing::Ellipse(int centreX, int centreY, int ellipseWidth, int ellipseHeight) {
    RequireOpen(LineEllipse);
    int left = centreX - ellipseWidth / 2;
    int top = centreY - ellipseHeight / 2;
    ::Ellipse(context, left, top, left + ellipseWidth, top + ellipseHeight);
}

COLORREF YGuiDrawing::PenColor() const {
    HGDIOBJ pen = GetCurrentObject(context, OBJ_PEN);
    if (GetObjectType(pen) == OBJ_EXTPEN) {
        EXTLOGPEN extended{};
        GetObjectA(pen, sizeof extended, &extended);
        return extended.elpColor;
    }
    LOGPEN plain{};
    GetObjectA(pen, sizeof plain, &plain);
    return plain.lopnColor;
}

COLORREF YGuiDrawing::BrushColor() const {
    LOGBRUSH brush{};
    GetObjectA(GetCurrentObject(context, OBJ_BRUSH), sizeof brush, &brush);
    return brush.lbColor;
}

void YGuiDrawing::UseTextColors() {
    SetTextColor(context, PenColor());
    SetBkColor(context, BrushColor());
}

void YGuiDrawing::TextOut(int x, int y, const YString& text) {
    UseTextColors();
    ::TextOutA(context, x, y, text.CStr(), text.Length());
}

void YGuiDrawing::ExtTextOut(int x, int y, const RECT* rect, const YString& text, unsigned options) {
    UseTextColors();
    ::ExtTextOutA(context, x, y, options, rect, text.CStr(), static_cast<UINT>(text.Length()), nullptr);
}

void YGuiDrawing::TextExtent(const YString& text, SIZE& size) {
    size = SIZE{0, 0};
    GetTextExtentPoint32A(context, text.CStr(), text.Length(), &size);
}

void YGuiDrawing::CopyBitmap(HBITMAP source, int x, int y, int sourceX, int sourceY, int copyWidth, int copyHeight,
                             int lineMemoryContext) {
    OwnedContext memory = MemoryContext(context);
    if (!memory) Fail(lineMemoryContext);
    Selection selected(memory.get(), source);
    BitBlt(context, x, y, copyWidth, copyHeight, memory.get(), sourceX, sourceY, SRCCOPY);
}

void YGuiDrawing::DrawBitmap(unsigned id, int x, int y) {
    RequireOpen(LineDrawResourceNoContext);
    OwnedBitmap source = ResourceBitmap(id);
    if (!source) Fail(LineDrawResourceLoad);
    SIZE size = SizeOf(source.get());
    CopyBitmap(source.get(), x, y, 0, 0, size.cx, size.cy, LineDrawResourceMemoryContext);
}

void YGuiDrawing::DrawBitmapPart(unsigned id, int x, int y, int sourceX, int sourceY, int partWidth, int partHeight) {
    RequireOpen(LineDrawResourcePartNoContext);
    OwnedBitmap source = ResourceBitmap(id);
    if (!source) Fail(LineDrawResourcePartLoad);
    CopyBitmap(source.get(), x, y, sourceX, sourceY, partWidth, partHeight, LineDrawResourcePartMemoryContext);
}

void YGuiDrawing::DrawBitmap(HBITMAP source, int x, int y) {
    RequireOpen(LineDrawHandleNoContext);
    SIZE size = SizeOf(source);
    CopyBitmap(source, x, y, 0, 0, size.cx, size.cy, LineDrawHandleMemoryContext);
}

void YGuiDrawing::DrawBitmapPart(HBITMAP source, int x, int y, int sourceX, int sourceY, int partWidth, int partHeight) {
    RequireOpen(LineDrawHandlePartNoContext);
    CopyBitmap(source, x, y, sourceX, sourceY, partWidth, partHeight, LineDrawHandlePartMemoryContext);
}

void YGuiDrawing::SetPixel(int x, int y, COLORREF colour) {
    RequireOpen(LineSetPixel);
    SetPixelV(context, x, y, colour);
}

COLORREF YGuiDrawing::GetPixel(int x, int y) {
    RequireOpen(LineGetPixel);
    return ::GetPixel(context, x, y);
}

void YGuiDrawing::ReplaceColor(COLORREF from, COLORREF to) {
    RequireOpenBitmap(LineReplaceColor);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (::GetPixel(context, x, y) == from) SetPixelV(context, x, y, to);
}

void YGuiDrawing::ReplaceBackground(COLORREF to) {
    RequireOpenBitmap(LineReplaceBackground);
    ReplaceColor(::GetPixel(context, 0, 0), to);
}

void YGuiDrawing::BackgroundToButtonFace() {
    RequireOpenBitmap(LineBackgroundToButtonFace);
    ReplaceColor(::GetPixel(context, 0, 0), GetSysColor(COLOR_BTNFACE));
}

void YGuiDrawing::BitmapSize(unsigned id, SIZE& size) {
    OwnedBitmap source = ResourceBitmap(id);
    if (!source) Fail(LineBitmapSize);
    size = SizeOf(source.get());
}

void YGuiDrawing::Play(HDC target, int x, int y) const {
    if (context || !target) Fail(LinePlayTarget);
    if (kind == KindMetafile) {
        if (!metafile) Fail(LinePlayNoMetafile);
        ENHMETAHEADER header{};
        if (!GetEnhMetaFileHeader(metafile, sizeof header, &header)) Fail(LinePlayMetafileHeader);
        RECT bounds{header.rclBounds.left, header.rclBounds.top, header.rclBounds.right, header.rclBounds.bottom};
        PlayEnhMetaFile(target, metafile, &bounds);
    } else if (kind == KindBitmap) {
        if (!bitmap) Fail(LinePlayNoBitmap);
        OwnedContext memory = MemoryContext(target);
        if (!memory) Fail(LinePlayMemoryContext);
        Selection selected(memory.get(), bitmap);
        BitBlt(target, x, y, width, height, memory.get(), 0, 0, SRCCOPY);
    }
}

void YGuiDrawing::PlayToWindow(HWND target) const {
    WindowContext windowContext(target);
    Play(windowContext, 0, 0);
}
