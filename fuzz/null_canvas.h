#pragma once
// A canvas that draws nothing but insists that every point lies within the
// range a real surface could take.

#include <cstdlib>

#include "charts/canvas.h"
#include "fuzz_check.h"

namespace varnelo::fuzz {

class NullCanvas : public Canvas {
public:
    explicit NullCanvas(Rect client) : m_client(client) {}
    Rect clientRect() const override { return m_client; }
    void rectangle(const Rect&) override {}
    void moveTo(Point p) override { check(p); }
    void lineTo(Point p) override { check(p); }
    void textOut(Point p, std::string_view text) override {
        check(p);
        FUZZ_EXPECT(!text.empty());
    }
    void fillRect(const Rect& r, Rgb) override {
        check({r.left, r.top});
        check({r.right, r.bottom});
    }
    Pen selectPen(const Pen& pen) override {
        const Pen previous = m_pen;
        m_pen = pen;
        return previous;
    }

private:
    static void check(Point p) { FUZZ_EXPECT(std::abs(p.x) <= (1 << 24) && std::abs(p.y) <= (1 << 24)); }

    Rect m_client;
    Pen m_pen = DEFAULT_PEN;
};

}  // namespace varnelo::fuzz
