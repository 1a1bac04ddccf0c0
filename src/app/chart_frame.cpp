#include "app/chart_frame.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <filesystem>
#include <string>

#include "app/file_messages.h"
#include "launch/path_text.h"
#include "ui/png_file.h"

namespace varnelo {

namespace {

void DrawEmptyFrame(Canvas& canvas) { canvas.rectangle(canvas.clientRect()); }

}  // namespace

ChartFrame::ChartFrame(QSize size, QWidget* parent) : QWidget(parent), m_surface(size) {
    // Never smaller than the chart's own size; the form gives it more.
    setMinimumSize(size);
    resize(size);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Until the first chart is drawn the frame looks as an empty black frame does.
    m_surface.draw(DrawEmptyFrame);
}

void ChartFrame::draw(const std::function<void(Canvas&)>& drawing) {
    m_surface.draw(drawing);
    update();
}

void ChartFrame::fitSurface() {
    const QSize before = m_surface.size();
    m_surface.resize(size(), devicePixelRatioF());
    if (m_surface.size() == before) return;
    m_surface.draw(DrawEmptyFrame);
    update();
    emit resized();
}

void ChartFrame::resizeEvent(QResizeEvent*) { fitSurface(); }

void ChartFrame::paintEvent(QPaintEvent*) {
    // A screen of other pixels (the window moved to it): drawn anew soon,
    // the old picture meanwhile.
    if ((QSizeF(size()) * devicePixelRatioF()).toSize() != m_surface.size()) {
        QMetaObject::invokeMethod(this, &ChartFrame::fitSurface, Qt::QueuedConnection);
    }
    QPainter painter(this);
    painter.drawImage(rect(), m_surface.image());
}

void ChartFrame::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(tr("画像を保存..."), this, &ChartFrame::askAndSaveImage);
    menu.addAction(tr("画像をコピー"), this, &ChartFrame::copyImage);
    menu.exec(event->globalPos());
}

void ChartFrame::mouseMoveEvent(QMouseEvent* event) { emit pointerMoved(event->position().toPoint()); }

void ChartFrame::leaveEvent(QEvent*) { emit pointerLeft(); }

void ChartFrame::askAndSaveImage() {
    QFileDialog dialog(this, tr("画像を保存"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(tr("PNG 画像 (*.png)"));
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    saveImage(dialog.selectedFiles().front());
}

bool ChartFrame::saveImage(const QString& path) {
    const std::string error = SavePng(m_surface.image(), ToPath(path));
    if (!error.empty()) ShowFileProblem(this, tr("画像を保存できませんでした。"), path);
    return error.empty();
}

void ChartFrame::copyImage() const { QApplication::clipboard()->setImage(m_surface.image()); }

}  // namespace varnelo
