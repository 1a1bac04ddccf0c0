#pragma once
// One chart frame of the main form. It shows the picture the charts last
// drew into its ChartSurface, so a repaint never loses a chart; its context
// menu saves or copies exactly the pixels shown.

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

    // "画像を保存...": the picture as PNG. Returns false with a message shown on failure.
    bool saveImage(const QString& path);
    // "画像をコピー"
    void copyImage() const;

signals:
    void pointerMoved(QPoint position);
    void pointerLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void askAndSaveImage();

    ChartSurface m_surface;
};

}  // namespace varnelo
