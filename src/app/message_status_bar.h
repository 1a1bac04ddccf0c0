#pragma once
// The main window's status bar. A message too long for its pane is shown
// cut as FitMessage cuts it (a path's middle folders first, then after a
// whole word), never clipped mid-character at the pane's edge; the pane's
// tooltip then holds the whole message, which currentMessage() returns.

#include <QStatusBar>

namespace varnelo {

class MessageStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit MessageStatusBar(QWidget* parent = nullptr);

    // The message's room: from the bar's left to the first pane shown beside it.
    QRect messageRect() const;
    // The message as the bar shows it.
    QString shownMessage() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateTip();
};

}  // namespace varnelo
