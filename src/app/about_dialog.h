#pragma once
// The about box: the application icon, the name and version, and "OK".

#include <QDialog>

class QPushButton;

namespace varnelo {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslateUi();
    QPushButton* m_ok = nullptr;
};

}  // namespace varnelo
