#pragma once
// One chart frame of the main form. It shows the picture the charts last
// drew into its ChartSurface, so a repaint never loses a chart; its context
// menu saves or copies exactly the pixels shown. Made larger than its
// native size, or shown on a screen of finer pixels, it asks for its chart
// anew (resized()), which is then drawn for the size it is shown at.

#include <QWidget>
#include <functional>

#include "charts/canvas.h"
#include "ui/chart_surface.h"

namespace varnelo {

class ChartFrame : public QWidget {
    Q_OBJECT
public:
    ChartFrame(QSize size, QWidget* parent);

    // Runs one drawing into the picture and shows it.
    void draw(const std::function<void(Canvas&)>& drawing);
    const QImage& image() const { return m_surface.image(); }
    // The chart's client rectangle, and the chart's point under a position in the frame.
    Rect clientRect() const { return m_surface.clientRect(); }
    Point chartPoint(QPoint position) const { return m_surface.chartPoint(position); }

    // "画像を保存...": the picture as PNG. Returns false with a message shown on failure.
    bool saveImage(const QString& path);
    // "画像をコピー"
    void copyImage() const;

signals:
    void pointerMoved(QPoint position);
    void pointerLeft();
    // The picture was made anew for another size and holds the empty frame:
    // whatever was drawn must be drawn again.
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void askAndSaveImage();
    // Fits the picture to the frame's size and the screen's pixels.
    void fitSurface();

    ChartSurface m_surface;
};

}  // namespace varnelo
