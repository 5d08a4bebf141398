// A GDI-like drawing surface on QPainter: the window's paint surface, an image in memory
// (tests, screenshots, off-screen buffers) or, later, a printer.
//
// The pixel model is the one of GDI: rectangles exclude their right and bottom edge, a line
// excludes its end point, pens of width 0 or 1 are one pixel wide, nothing is antialiased but
// text. Text is 8-bit Windows-1252. Coordinates are logical: device = logical - window origin
// + viewport origin.
//
// Device coordinates count the screen's logical pixels. An image may carry a device pixel ratio
// (a HiDPI screen's 1.25, 1.5 or 2): it then holds ratio x ratio physical pixels per device pixel
// and everything is drawn at the physical resolution, so the same geometry is sharp at any scale.
#pragma once

#include "platform/base/types.h"

#include <memory>
#include <string>

class QPainter;
class QImage;

namespace tnv {
class SurfaceImpl;

// Pens, brushes and background modes.
constexpr int PS_SOLID = 0;
constexpr int PS_NULL = 5;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

// Mapping modes and device capabilities.
constexpr int MM_TEXT = 1;
constexpr int MM_ANISOTROPIC = 8;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;

// DrawEdge borders and sides.
constexpr UINT BDR_RAISEDOUTER = 0x0001;
constexpr UINT BDR_SUNKENOUTER = 0x0002;
constexpr UINT BDR_RAISEDINNER = 0x0004;
constexpr UINT BDR_SUNKENINNER = 0x0008;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr UINT EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x0001;
constexpr UINT BF_TOP = 0x0002;
constexpr UINT BF_RIGHT = 0x0004;
constexpr UINT BF_BOTTOM = 0x0008;
constexpr UINT BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;

struct Pen {
    int style = PS_SOLID;
    int width = 0; // 0 and 1: one pixel
    COLORREF color = 0;
    friend bool operator==(const Pen&, const Pen&) = default;
};
struct Brush {
    bool null = false;
    COLORREF color = RGB(255, 255, 255);
    friend bool operator==(const Brush&, const Brush&) = default;
};
enum class StockObject { BlackPen, WhitePen, NullPen, BlackBrush, WhiteBrush, NullBrush };
Pen StockPen(StockObject which);
Brush StockBrush(StockObject which);

// A font object made from a font description (CreateFontIndirect).
class Font {
public:
    Font() = default;
    explicit Font(const FontDesc& desc) { CreateFontIndirect(desc); }
    bool CreateFontIndirect(const FontDesc& desc) {
        desc_ = desc;
        valid_ = true;
        return true;
    }
    void DeleteObject() { valid_ = false; }
    bool IsNull() const { return !valid_; }
    bool GetLogFont(FontDesc* out) const {
        if (!valid_ || !out)
            return false;
        *out = desc_;
        return true;
    }
    const FontDesc* desc() const { return valid_ ? &desc_ : nullptr; }

private:
    FontDesc desc_;
    bool valid_ = false;
};

struct TEXTMETRIC {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmInternalLeading = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    int tmMaxCharWidth = 0;
};

class CDC {
public:
    // Paints on a painter that someone else owns; `clip` is the device area that may change.
    CDC(QPainter* painter, const Rect& clip);
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // --- state ------------------------------------------------------------------------------
    int SaveDC();                  // a level for RestoreDC, 0 on failure
    bool RestoreDC(int level);     // -1: the last saved state
    Pen SelectPen(const Pen& pen); // returns the previous pen
    Brush SelectBrush(const Brush& brush);
    Pen SelectStockPen(StockObject which) { return SelectPen(StockPen(which)); }
    Brush SelectStockBrush(StockObject which) { return SelectBrush(StockBrush(which)); }
    FontDesc SelectFont(const FontDesc& font); // returns the previous font
    FontDesc SelectFont(const Font& font);
    COLORREF SetTextColor(COLORREF c);
    COLORREF GetTextColor() const;
    COLORREF SetBkColor(COLORREF c);
    int SetBkMode(int mode);
    Point SetWindowOrg(int x, int y);   // logical point shown at the viewport origin
    Point SetViewportOrg(int x, int y); // device point of the window origin
    // MM_ANISOTROPIC scales logical units by viewport extent / window extent; MM_TEXT is 1:1.
    int SetMapMode(int mode);
    Size SetWindowExt(int cx, int cy);
    Size SetViewportExt(int cx, int cy);
    Point OffsetWindowOrg(int dx, int dy);
    // HORZRES and VERTRES: the drawable width and height in device pixels (not physical ones).
    virtual int GetDeviceCaps(int index) const;
    bool IsPrinting() const { return printing_; }

    // --- queries ----------------------------------------------------------------------------
    // The logical bounding box of what may be drawn; false when it cannot be had.
    bool GetClipBox(Rect* rect) const;
    void IntersectClipRect(const Rect& rect);
    bool GetTextMetrics(TEXTMETRIC* tm) const;
    Size GetTextExtent(const std::string& text) const;

    // --- drawing ----------------------------------------------------------------------------
    void FillSolidRect(const Rect& rect, COLORREF color);
    void FillRect(const Rect& rect, const Brush& brush);
    Point MoveTo(int x, int y);       // returns the previous current position
    bool LineTo(int x, int y);        // current pen; the end point is not drawn
    bool Rectangle(const Rect& rect); // outline in the pen, inside in the brush
    bool DrawEdge(Rect* rect, UINT edge, UINT flags);
    // Text in the rectangle with DT_* flags; returns the text height. DT_CALCRECT measures only.
    int DrawText(const std::string& text, Rect* rect, UINT format);
    // DrawText for callers that do not need the height: the text is laid out once, to paint it.
    void PaintText(const std::string& text, const Rect& rect, UINT format);
    bool TextOut(int x, int y, const std::string& text);
    void InvertRect(const Rect& rect);
    // Copies w x h pixels from `src` at (sx, sy) to (x, y), both logical.
    bool BitBlt(int x, int y, int w, int h, const CDC& src, int sx, int sy);
    // CLR_NONE outside the image or on a screen surface; at a ratio above 1 the physical pixel
    // at the middle of the device pixel.
    COLORREF GetPixel(int x, int y) const;
    // The physical pixels per device pixel: 1 but on a HiDPI image or screen.
    double DevicePixelRatio() const;

    // An off-screen surface of w x h device pixels, at this one's ratio, that can be blitted back
    // here. Null at a fractional ratio: no copy of whole pixels puts it back exactly, so the
    // caller draws straight onto this surface.
    std::unique_ptr<CDC> CreateCompatible(int w, int h) const;

protected:
    CDC(); // for subclasses that attach a painter later
    void attach(QPainter* painter, const Rect& clip, QImage* image);
    void setPrinting(bool p) { printing_ = p; }
    QPainter* painter() const;

private:
    std::unique_ptr<SurfaceImpl> d;
    bool printing_ = false;
};

// A surface over an image in memory; white unless another colour is given. Its size is in
// device pixels; the image holds width x ratio by height x ratio physical ones (rounded up).
class ImageSurface : public CDC {
public:
    ImageSurface(int width, int height, COLORREF fill = RGB(255, 255, 255), double ratio = 1.0);
    ~ImageSurface() override;
    int width() const;
    int height() const;
    bool SavePng(const std::string& path) const; // the physical pixels
    const QImage& image() const;

private:
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<QImage> image_;
    std::unique_ptr<QPainter> painter_;
};

// The platform's font for message boxes and small windows.
FontDesc SystemMessageFont();

} // namespace tnv
