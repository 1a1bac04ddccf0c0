#pragma once
// The few drawing operations the charts are made of, in the conventions of a
// classic window drawing context: integer pixels, y growing downwards, a
// current position for lines, and one selected pen at a time.

#include <cstdint>
#include <string_view>

namespace varnelo {

struct Point {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(Point, Point) = default;
};

// Edges as (left, top, right, bottom); right and bottom lie just outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend constexpr bool operator==(Rgb, Rgb) = default;
};

// A solid pen: a colour and a width in pixels.
struct Pen {
    Rgb colour;
    int width = 1;
    friend constexpr bool operator==(const Pen&, const Pen&) = default;
};

// What a fresh drawing context holds before anything is selected.
inline constexpr Pen DEFAULT_PEN{Rgb{0, 0, 0}, 1};

class Canvas {
public:
    virtual ~Canvas() = default;

    // The drawing area in its own coordinates, origin at its top left.
    virtual Rect clientRect() const = 0;
    // Outline in the current pen over left..right-1 and top..bottom-1, the
    // inside filled white.
    virtual void rectangle(const Rect& r) = 0;
    virtual void moveTo(Point p) = 0;
    // From the current position to p, p itself not painted; p becomes the
    // current position.
    virtual void lineTo(Point p) = 0;
    // Text in black on white, its top-left corner at origin.
    virtual void textOut(Point origin, std::string_view text) = 0;
    // The same text ending before x = right: where the default font would
    // run past it, a smaller one is used. A canvas that cannot measure text
    // writes it as textOut does.
    virtual void textOutWithin(Point origin, std::string_view text, int right) {
        (void)right;
        textOut(origin, text);
    }
    // The width of text in the canvas's font at a height of pixels (0: the
    // font's own height); -1 where the canvas cannot measure text.
    virtual int textWidth(std::string_view text, int pixels) const {
        (void)text;
        (void)pixels;
        return -1;
    }
    // The font's own height in pixels; 0 where the canvas cannot measure text.
    virtual int textPixels() const { return 0; }
    // textOut in the canvas's font at a height of pixels.
    virtual void textOutSized(Point origin, std::string_view text, int pixels) {
        (void)pixels;
        textOut(origin, text);
    }
    // Later drawing shows only inside r, until resetClip(). A canvas that
    // cannot clip draws everything.
    virtual void setClip(const Rect& r) { (void)r; }
    virtual void resetClip() {}
    // Returns the pen that was selected until now, so that it can be put back.
    virtual Pen selectPen(const Pen& pen) = 0;
    // left..right-1 and top..bottom-1 in one colour, no outline; the pen
    // and the current position stay as they are.
    virtual void fillRect(const Rect& r, Rgb colour) = 0;
};

}  // namespace varnelo
