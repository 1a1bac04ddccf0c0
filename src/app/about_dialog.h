#pragma once
// The about box: the application icon, the name and version, and "OK".

#include <QDialog>

namespace varnelo {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace varnelo
