#pragma once
// What holds the main form: it scrolls the form in a window smaller than
// the form, and gives the form all of a larger one.

#include <QScrollArea>

namespace varnelo {

class FormScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit FormScrollArea(QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Each scroll bar exactly where the form does not fit.
    void chooseScrollBars();
};

}  // namespace varnelo
